#include "engine/key_state_qt.h"

#include <QGuiApplication>

namespace kestrel {

bool QtKeyState::Shift() const { return QGuiApplication::queryKeyboardModifiers() & Qt::ShiftModifier; }
bool QtKeyState::Ctrl() const { return QGuiApplication::queryKeyboardModifiers() & Qt::ControlModifier; }

}  // namespace kestrel
