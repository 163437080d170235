#pragma once
// The browser control every site hosts: what the program calls on it and the
// events it reports back. The real one runs on Qt WebEngine (engine/); tests
// use a scripted fake that reports the same events in the same order.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kestrel {

class BrowserControl;

// Command ids of CommandStateChange.
inline constexpr int CSC_NAVIGATEFORWARD = 1;
inline constexpr int CSC_NAVIGATEBACK = 2;

struct NavigateRequest {
  std::string url;
  std::uint32_t flags = 0;
  std::string targetFrame;  // "_blank" for a link that asked for a new window
  std::vector<std::uint8_t> postData;
  std::string headers;
  bool topLevel = true;     // false for a frame or iframe of the page
};

// What a page asked of a window it opens (window.open features); all true
// when it gave no features, as for a plain link.
struct WindowFeatures {
  bool menuBar = true;
  bool toolBar = true;
  bool addressBar = true;
  bool statusBar = true;
  bool resizable = true;
  int left = -1, top = -1, width = -1, height = -1;  // -1: not asked for
};

struct NewWindowRequest {
  std::string url;             // may be empty: the page fills the window itself
  bool userInitiated = false;  // the engine saw a user gesture behind it
  bool fromScript = false;     // window.open, not a link or form target
  WindowFeatures features;
};

struct ScriptErrorInfo {
  std::string message;
  int line = 0;
  std::string source;
};

// What a page may ask the user to let it use.
enum class PagePermission { Notifications, Geolocation, Camera, Microphone, CameraAndMicrophone, ScreenShare, MouseLock };
enum class PermissionAnswer { Allow, Block, Ask };

// A server (or a proxy) wants a user name and password.
struct LoginRequest {
  std::string url;
  std::string host;   // the server's, or the proxy's
  std::string realm;  // the server's name for what it protects
  bool proxy = false;
  bool retry = false;  // the last answer was refused
};

// The download-control flags: what kinds of content a page loads.
inline constexpr std::uint32_t DLCTL_DLIMAGES = 0x10;
inline constexpr std::uint32_t DLCTL_VIDEOS = 0x20;
inline constexpr std::uint32_t DLCTL_BGSOUNDS = 0x40;
inline constexpr std::uint32_t DLCTL_NO_SCRIPTS = 0x80;
inline constexpr std::uint32_t DLCTL_NO_JAVA = 0x100;
inline constexpr std::uint32_t DLCTL_NO_RUNACTIVEXCTLS = 0x200;

// The clipboard commands of a page.
enum class EditCommand { Cut, Copy, Paste, SelectAll };
// Save As keeps the page with its pictures; Save Without Picture its HTML alone.
enum class SavePageFormat { Complete, HtmlOnly };

// What the Properties dialog shows of a page; empty or -1 where unknown.
struct PageProperties {
  std::string url, title, protocol, encoding, mimeType, modified;
  long long size = -1;  // the document's bytes
};

class BrowserEvents {
 public:
  virtual ~BrowserEvents() = default;
  // Every navigation, frames included; set `cancel` to stop it.
  virtual void OnBeforeNavigate2(const NavigateRequest& request, bool& cancel) = 0;
  virtual void OnNavigateComplete2(const std::string& url, bool topLevel) = 0;
  // `topLevel` false for a frame's document.
  virtual void OnDocumentComplete(const std::string& url, bool topLevel) = 0;
  virtual void OnDownloadBegin() = 0;
  virtual void OnDownloadComplete() = 0;
  // progress < 0 or maximum == 0 means idle.
  virtual void OnProgressChange(long progress, long maximum) = 0;
  virtual void OnStatusTextChange(const std::string& text) = 0;
  virtual void OnTitleChange(const std::string& text) = 0;
  virtual void OnCommandStateChange(int command, bool enable) = 0;
  // Answered synchronously: the control of a new (hidden) site, which the
  // engine then loads the page into, or nullptr with `cancel` set.
  virtual BrowserControl* OnNewWindow2(const NewWindowRequest& request, bool& cancel) = 0;
  // A script closes the window; set `cancel` to keep the control alive.
  virtual void OnWindowClosing(bool& cancel) = 0;
  virtual void OnWindowSetWidth(int width) = 0;
  virtual void OnWindowSetHeight(int height) = 0;
  // A script error; true when the host took it (no dialog is shown).
  virtual bool OnShowScriptError(const ScriptErrorInfo& error) = 0;
  // The user pressed the left or right button over the page, reported before
  // the page sees the press. What lies under the pointer follows with the
  // same id once the page has answered: the element's tag name ("" when it
  // cannot be reached) and whether it is a text input field.
  virtual void OnPointerPress(int id, bool rightButton) { (void)id, (void)rightButton; }
  virtual void OnPointerTarget(int id, const std::string& tag, bool textField) {
    (void)id, (void)tag, (void)textField;
  }
  // Enter pressed in the page without Ctrl.
  virtual void OnEnterKey() {}
  // A mouse side button over the page (1 back, 2 forward); true when taken,
  // so the page does not see it.
  virtual bool OnSideButton(int button) { return (void)button, false; }

  // The engine begins a download for this page.
  virtual void OnDownloadStarted() {}
  // A page asks for a permission. Ask puts the question to the user, whose
  // answer comes back through OnPermissionAnswered.
  virtual PermissionAnswer OnPermissionRequest(const std::string& origin, PagePermission what) {
    return (void)origin, (void)what, PermissionAnswer::Block;
  }
  virtual void OnPermissionAnswered(const std::string& origin, PagePermission what, bool allow) {
    (void)origin, (void)what, (void)allow;
  }
  // Whether the user may be asked for the login a server wants; false
  // cancels it unseen.
  virtual bool OnLoginRequest(const LoginRequest& request) { return (void)request, false; }
  // The page asks to fill the screen (a video's full-screen button) or to
  // leave it; true lets it.
  virtual bool OnFullScreenRequest(bool enter) { return !enter; }
  // The page called window.print(); true lets the print dialog open.
  virtual bool OnPrintRequest() { return false; }
};

class BrowserControl {
 public:
  virtual ~BrowserControl() = default;
  virtual void SetEvents(BrowserEvents* events) = 0;

  virtual void Navigate2(const NavigateRequest& request) = 0;
  virtual void GoBack() = 0;
  virtual void GoForward() = 0;
  virtual void GoHome() = 0;
  virtual void Stop() = 0;
  virtual void Refresh() = 0;

  // "about:blank" or "" on a blank page.
  virtual std::string LocationURL() const = 0;
  virtual std::string LocationName() const = 0;
  virtual bool Busy() const = 0;
  // The page's document title.
  virtual std::string DocumentTitle() const = 0;
  // window.history.length of the page; -1 when it cannot be read.
  virtual int HistoryLength() const = 0;

  // The bars a page asked for when it opened this window (all true otherwise).
  virtual bool MenuBar() const = 0;
  virtual bool ToolBar() const = 0;
  virtual bool AddressBar() const = 0;

  // Runs script in the page; the callback gets the result as JSON ("" on failure).
  virtual void ExecScript(const std::string& script, std::function<void(const std::string&)> done) = 0;
  // Runs the program's own script beside the page's, in a script world of
  // its own: the page shares its document but cannot change what the script
  // finds or calls.
  virtual void ExecOwnScript(const std::string& script, std::function<void(const std::string&)> done) {
    ExecScript(script, std::move(done));
  }
  // Whether the page's audio plays (a hidden popup must not make noise).
  virtual void SetAudioMuted(bool muted) = 0;

  // Page display. A control that cannot do one of these leaves it undone.
  // Whether a document is shown (not a blank, crashed or unloaded page).
  virtual bool HasDocument() const {
    const std::string url = LocationURL();
    return !url.empty() && url != "about:blank";
  }
  // Whether an edit command would act now: Copy needs selected text, Cut
  // selected text in a field that can be edited, Paste such a field.
  virtual bool EditEnabled(EditCommand command) const { return command == EditCommand::SelectAll; }
  virtual void Edit(EditCommand command) { (void)command; }
  // The control's find bar over the page.
  virtual void ShowFindBar() {}
  // The whole page drawn larger or smaller (1 is as the page asks).
  virtual void SetTextZoom(double factor) { (void)factor; }
  // The encoding of pages that do not name their own; the page reloads in it.
  virtual void SetDefaultEncoding(const std::string& charset) { (void)charset; }
  // The site's download-control flags: what kinds of content the page loads.
  virtual void SetDownloadControl(std::uint32_t flags) { (void)flags; }
  // Starts saving the page to `path`; false when it cannot be.
  virtual bool SavePage(const std::string& path, SavePageFormat format) { return (void)path, (void)format, false; }
  // What the page is; `done` is called once, maybe later.
  virtual void QueryProperties(std::function<void(const PageProperties&)> done) {
    PageProperties p;
    p.url = LocationURL();
    p.title = DocumentTitle();
    if (done) done(p);
  }
};

}  // namespace kestrel
