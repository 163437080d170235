#include "site/popup_guard.h"

#include "site/kestrel_view.h"

namespace kestrel {

void PopupGuard::Pressed(CKestrelView&, int, bool) {}
void PopupGuard::PressTarget(CKestrelView&, int, const std::string&, bool) {}
void PopupGuard::EnterPressed(CKestrelView&) {}
void PopupGuard::LeftPage(CKestrelView&) {}
void PopupGuard::WindowOpened(CKestrelView&, CKestrelView& site) { site.TimingDecided(false); }
bool PopupGuard::Judge(CKestrelView&, const NavigateRequest&) { return false; }
void PopupGuard::OnTimer(unsigned) {}

}  // namespace kestrel
