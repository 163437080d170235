#include "address/address_bar.h"

#include <unordered_set>

#include "common/strings.h"

namespace kestrel {

CAddressBar::CAddressBar(AddressBarView& view, CAddressResolver& resolver, TypedUrlList& typed)
    : view_(view), resolver_(resolver), typed_(typed) {
  typedChanged_ = typed_.changed.Subscribe([this] {
    view_.SetAddressItems(typed_.items());
    RefreshCompletions();
  });
  view_.SetAddressItems(typed_.items());
}

CAddressBar::~CAddressBar() = default;

void CAddressBar::Enter() {
  const std::string text = view_.AddressText();
  const std::string trimmed = Trim(text);
  view_.SetAddressTextTrimmed(trimmed);
  resolver_.OpenTypedLines(text, TypedSource::User);
  typed_.Insert(TypedUrlList::Normalise(trimmed));
}

void CAddressBar::Choose(int index) {
  const auto& items = typed_.items();
  if (index < 0 || static_cast<std::size_t>(index) >= items.size()) return;
  const std::string text = CutUtf8(items[static_cast<std::size_t>(index)], kChosenMax);
  // Taken off first and put back on top: a chosen entry moves up.
  typed_.RemoveAt(static_cast<std::size_t>(index));
  resolver_.OpenTypedLines(text, TypedSource::User);
  typed_.Insert(TypedUrlList::Normalise(Trim(text)));
  view_.SetAddressTextTrimmed(Trim(text));
}

void CAddressBar::Escape(const std::string& pageAddress) {
  view_.MarkAddressEdited();
  view_.ShowPageAddress(pageAddress);
}

void CAddressBar::EscapeCommand(const std::string& pageAddress) {
  if (view_.AddressHasFocus()) Escape(pageAddress);
}

void CAddressBar::RememberVisited(const std::string& url) {
  if (url.empty() || url == "about:blank" || url.rfind("data:", 0) == 0) return;
  std::string item = CutUtf8(url, kVisitedItemMax);
  for (auto it = visited_.begin(); it != visited_.end(); ++it)
    if (*it == item) {
      visited_.erase(it);
      break;
    }
  visited_.push_front(std::move(item));
  if (visited_.size() > kVisitedMax) visited_.pop_back();
  RefreshCompletions();
}

void CAddressBar::RememberHistory(const std::vector<std::string>& urls) {
  std::unordered_set<std::string> have(visited_.begin(), visited_.end());
  for (const std::string& url : urls) {
    if (visited_.size() >= kVisitedMax) break;
    std::string item = CutUtf8(url, kVisitedItemMax);
    if (!url.empty() && have.insert(item).second) visited_.push_back(std::move(item));
  }
  RefreshCompletions();
}

void CAddressBar::ForgetHistory() {
  visited_.clear();
  RefreshCompletions();
}

void CAddressBar::EnableCompletion() {
  completion_ = true;
  RefreshCompletions();
}

std::vector<std::string> CAddressBar::MergeCompletions(const std::vector<std::string>& typed,
                                                       const std::deque<std::string>& visited) {
  std::vector<std::string> out;
  std::unordered_set<std::string> seen;
  auto add = [&](const std::string& s) {
    if (!s.empty() && seen.insert(LowerUtf8(s)).second) out.push_back(s);
  };
  for (const std::string& s : typed) add(s);
  for (const std::string& s : visited) add(s);
  return out;
}

void CAddressBar::RefreshCompletions() {
  if (completion_) view_.SetAddressCompletions(MergeCompletions(typed_.items(), visited_));
}

}  // namespace kestrel
