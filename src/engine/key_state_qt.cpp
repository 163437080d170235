#include "engine/key_state_qt.h"

#include <QGuiApplication>

namespace kestrel {

namespace {
bool g_override = false;
Qt::KeyboardModifiers g_mods;

Qt::KeyboardModifiers Now() { return g_override ? g_mods : QGuiApplication::queryKeyboardModifiers(); }
}  // namespace

bool QtKeyState::Shift() const { return Now() & Qt::ShiftModifier; }
bool QtKeyState::Ctrl() const { return Now() & Qt::ControlModifier; }

QtKeyState::EventScope::EventScope(Qt::KeyboardModifiers mods) : hadOverride_(g_override), previous_(g_mods) {
  g_override = true;
  g_mods = mods;
}

QtKeyState::EventScope::~EventScope() {
  g_override = hadOverride_;
  g_mods = previous_;
}

}  // namespace kestrel
