#include "site/page_controls.h"

#include <array>
#include <cstdint>

#include "common/strings.h"
#include "common/trace.h"
#include "settings/download_control.h"
#include "site/kestrel_view.h"

namespace kestrel {

std::optional<std::string> ParentAddress(std::string_view s) {
  const char sep = s.find('\\') != std::string_view::npos ? '\\' : s.find('/') != std::string_view::npos ? '/' : 0;
  if (!sep) return std::nullopt;
  std::size_t end = s.size();  // one past where the backward scan starts
  if (s.back() == sep) --end;
  if (end == 0) return std::nullopt;
  const std::size_t j = s.rfind(sep, end - 1);
  if (j == std::string_view::npos) return std::nullopt;
  if (j > 0 && s[j - 1] == sep) return std::nullopt;  // "//": the top of a host
  std::string parent(s.substr(0, j + 1));
  if (j > 0 && s[j - 1] != ':') parent.pop_back();
  return parent;
}

std::string EncodingCharset(unsigned id) {
  static constexpr std::array<const char*, 18> kCharsets = {
      "gb2312",       "windows-1252", "iso-8859-1",   "utf-8",        "ibm852",       "iso-8859-2",
      "windows-1250", "_autodetect",  "ks_c_5601-1987", "windows-1255", "windows-1251", "windows-1253",
      "windows-874",  "windows-1254", "windows-1258", "windows-1257", "windows-1256", "big5"};
  if (id < kEncodingCommandFirst || id - kEncodingCommandFirst >= kCharsets.size()) return {};
  return kCharsets[id - kEncodingCommandFirst];
}

double TextSizeZoom(int size) {
  static constexpr std::array<double, 5> kZoom = {0.7, 0.85, 1.0, 1.2, 1.5};
  return size < 0 || size > 4 ? 1.0 : kZoom[static_cast<std::size_t>(size)];
}

const char* ZoomScript(ZoomStep step) {
  switch (step) {
    case ZoomStep::In:
      return "if (document.body.style.zoom=='') {document.body.style.zoom=1.1} else "
             "{document.body.style.zoom=document.body.style.zoom * 1.1}";
    case ZoomStep::Out:
      return "if (document.body.style.zoom=='') {document.body.style.zoom=10.0/11} else "
             "{document.body.style.zoom=document.body.style.zoom * 10.0/11}";
    case ZoomStep::Actual:
      break;
  }
  return "document.body.style.zoom=1";
}

std::string EditPageDocument(std::string_view url) {
  if (url.substr(0, 5) != "file:") return std::string(url);
  std::string_view rest = url.substr(5);
  // "file:///path" and "file://localhost/path"; the host is dropped.
  if (rest.substr(0, 2) == "//") {
    rest.remove_prefix(2);
    const std::size_t slash = rest.find('/');
    rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash);
  }
  std::string path;
  for (std::size_t i = 0; i < rest.size(); ++i) {
    if (rest[i] == '?' || rest[i] == '#') break;
    const int hi = rest[i] == '%' && i + 2 < rest.size() ? HexValue(rest[i + 1]) : -1;
    const int lo = hi >= 0 ? HexValue(rest[i + 2]) : -1;
    // A NUL would cut the path short where the program reads it.
    if (lo >= 0 && (hi || lo)) {
      path += static_cast<char>(hi * 16 + lo);
      i += 2;
    } else {
      path += rest[i];
    }
  }
  return path;
}

// The page display commands of a site.

void CKestrelView::ReadDownloadOptions() {
  downloadControl_ = host_.NewSiteDownloadControl();
  ApplyDownloadControl();
}

void CKestrelView::ApplyDownloadControl() {
  control_.SetDownloadControl(downloadControl_);
  control_.SetAudioMuted(popup_.blocked || !(downloadControl_ & DLCTL_BGSOUNDS));
}

void CKestrelView::ToggleDownloadControl(std::uint32_t flag) {
  downloadControl_ ^= flag;
  Trace("download-control", std::to_string(downloadControl_));
  ApplyDownloadControl();
  if (flag == DLCTL_DLIMAGES || flag == DLCTL_BGSOUNDS || flag == DLCTL_NO_SCRIPTS) Refresh();
}

void CKestrelView::SetTextSize(int size) {
  if (size < 0 || size > 4) return;
  textSize_ = size;
  control_.SetTextZoom(TextSizeZoom(size));
}

void CKestrelView::Zoom(ZoomStep step) { control_.ExecOwnScript(ZoomScript(step), nullptr); }

void CKestrelView::SetEncoding(unsigned commandId) {
  const std::string charset = EncodingCharset(commandId);
  Trace("encoding", charset);
  control_.SetDefaultEncoding(charset);
}

bool CKestrelView::CanGoUp() const { return ParentAddress(GetLocationURL()).has_value(); }

void CKestrelView::GoUp() {
  const std::optional<std::string> parent = ParentAddress(GetLocationURL());
  if (parent)
    Navigate(*parent);
  else
    host_.Beep();
}

}  // namespace kestrel
