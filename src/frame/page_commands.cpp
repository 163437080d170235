#include "frame/page_commands.h"

#include "common/message.h"
#include "common/trace.h"

namespace kestrel {

namespace {

using R = CommandRegistry;

R::Handler OnSite(std::function<void(CKestrelView&)> f) {
  return [f = std::move(f)](const CommandContext& c) {
    if (c.site) f(*c.site);
  };
}

R::State SiteIf(std::function<bool(const CKestrelView&)> f) {
  return [f = std::move(f)](const CommandContext& c) { return CommandState{c.site && f(*c.site), false}; };
}

R::State CheckedIf(std::function<bool(const CKestrelView&)> f) {
  return [f = std::move(f)](const CommandContext& c) { return CommandState{c.site != nullptr, c.site && f(*c.site)}; };
}

struct EditItem {
  unsigned id;
  EditCommand command;
};

struct DownloadItem {
  unsigned id;
  std::uint32_t flag;
  bool checkedWhenSet;  // "Show Pictures" is checked with its flag, "Execute Scripts" without
};

}  // namespace

CPageCommands::CPageCommands(CMainFrame& frame, PageDialogs& dialogs)
    : frame_(frame), dialogs_(dialogs), commands_(frame.commands()) {
  CommandScope& r = commands_;
  for (const EditItem e : {EditItem{ID_EDIT_CUT, EditCommand::Cut}, EditItem{ID_EDIT_COPY, EditCommand::Copy},
                           EditItem{ID_EDIT_PASTE, EditCommand::Paste}})
    r.Add(e.id, OnSite([c = e.command](CKestrelView& v) { v.control().Edit(c); }),
          SiteIf([c = e.command](const CKestrelView& v) { return v.control().EditEnabled(c); }));
  r.Add(ID_EDIT_SELECT_ALL, OnSite([](CKestrelView& v) { v.control().Edit(EditCommand::SelectAll); }), R::NeedsSite);
  r.Add(ID_EDIT_FIND, OnSite([](CKestrelView& v) { v.control().ShowFindBar(); }),
        SiteIf([](const CKestrelView& v) { return v.control().HasDocument(); }));
  r.Add(ID_VIEW_SOURCE, OnSite([this](CKestrelView& v) {
          const std::string url = v.GetLocationURL();
          if (!v.control().HasDocument() || url.rfind("view-source:", 0) == 0) return;
          frame_.OpenInNewSite("view-source:" + url);
        }), R::NeedsSite);
  r.Add(ID_FILE_SAVE_AS, OnSite([this](CKestrelView& v) { SavePage(v, SavePageFormat::Complete); }),
        SiteIf([](const CKestrelView& v) { return v.control().HasDocument(); }));
  r.Add(ID_SAVE_WITHOUT_PICTURES, OnSite([this](CKestrelView& v) { SavePage(v, SavePageFormat::HtmlOnly); }),
        R::NeedsSite);
  r.Add(ID_FILE_SAVE, [](const CommandContext&) {});
  r.Add(ID_FILE_PRINT, OnSite([this](CKestrelView& v) { dialogs_.Print(v); }), R::NeedsSite);
  r.Add(ID_FILE_PRINT_PREVIEW, OnSite([this](CKestrelView& v) { dialogs_.PrintPreview(v); }), R::NeedsSite);
  r.Add(ID_FILE_PAGE_SETUP, [this](const CommandContext&) { dialogs_.PageSetup(); });
  r.Add(ID_PROPERTIES, OnSite([this](CKestrelView& v) { ShowProperties(v); }), R::NeedsSite);

  // Largest (4) down to Smallest (0); the item of the last size chosen is checked.
  r.Add(ID_TEXT_LARGEST, ID_TEXT_SMALLEST, [](const CommandContext& c) {
    if (c.site) c.site->SetTextSize(static_cast<int>(ID_TEXT_SMALLEST - c.id));
  }, [](const CommandContext& c) {
    return CommandState{c.site != nullptr,
                        c.site && c.id == ID_TEXT_SMALLEST - static_cast<unsigned>(c.site->textSize())};
  });
  // No encoding is ever checked: the engine cannot say which one a page is read in.
  r.Add(kEncodingCommands.first, kEncodingCommands.last, [](const CommandContext& c) {
    if (c.site) c.site->SetEncoding(c.id);
  }, R::NeedsSite);
  r.Add(ID_ZOOM_IN, OnSite([](CKestrelView& v) { v.Zoom(ZoomStep::In); }), R::NeedsSite);
  r.Add(ID_ZOOM_OUT, OnSite([](CKestrelView& v) { v.Zoom(ZoomStep::Out); }), R::NeedsSite);
  r.Add(ID_ZOOM_ACTUAL, OnSite([](CKestrelView& v) { v.Zoom(ZoomStep::Actual); }), R::NeedsSite);
  for (const DownloadItem d : {DownloadItem{ID_SHOW_PICTURES, DLCTL_DLIMAGES, true},
                               DownloadItem{ID_PLAY_VIDEOS, DLCTL_VIDEOS, true},
                               DownloadItem{ID_PLAY_SOUNDS, DLCTL_BGSOUNDS, true},
                               DownloadItem{ID_EXECUTE_SCRIPTS, DLCTL_NO_SCRIPTS, false},
                               DownloadItem{ID_EXECUTE_JAVA, DLCTL_NO_JAVA, false},
                               DownloadItem{ID_ENABLE_ACTIVEX, DLCTL_NO_RUNACTIVEXCTLS, false}})
    r.Add(d.id, OnSite([f = d.flag](CKestrelView& v) { v.ToggleDownloadControl(f); }),
          CheckedIf([d](const CKestrelView& v) { return ((v.downloadControl() & d.flag) != 0) == d.checkedWhenSet; }));
  r.Add(ID_GO_UP, OnSite([](CKestrelView& v) { v.GoUp(); }), SiteIf([](const CKestrelView& v) { return v.CanGoUp(); }));
  // The drop-down buttons' own clicks: their menus are what they offer.
  for (unsigned id : {ID_FONTS, ID_ENCODING, ID_EDIT_WEB_PAGE}) r.Add(id, [](const CommandContext&) {});
}

void CPageCommands::SavePage(CKestrelView& site, SavePageFormat format) {
  if (!site.control().HasDocument()) return;
  std::string title = site.GetDocumentTitle();
  if (title.empty()) title = site.GetLocationURL();
  const std::optional<std::string> path = dialogs_.SavePageFile(title, format);
  if (!path) return;
  Trace("save-page", *path);
  if (!frame_.IsSiteAlive(&site)) return;  // closed while the dialog was open
  if (!site.control().SavePage(*path, format)) ShowMessage("Can't save " + *path + "!");
}

void CPageCommands::ShowProperties(CKestrelView& site) {
  CMainFrame* frame = &frame_;
  CKestrelView* s = &site;
  site.control().QueryProperties([this, frame, s](const PageProperties& p) {
    if (frame->IsSiteAlive(s)) dialogs_.Properties(p);
  });
}

}  // namespace kestrel
