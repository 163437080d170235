#pragma once
// Text between the program's UTF-8 strings and Qt's, and the interface
// language for the texts the windows write in English.
#include <QString>
#include <string>

#include "common/message.h"

namespace kestrel {

inline QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
inline std::string S(const QString& s) { return s.toUtf8().toStdString(); }
// `english` in the interface language.
inline QString T(const std::string& english) { return Q(TranslateMessage(english)); }

}  // namespace kestrel
