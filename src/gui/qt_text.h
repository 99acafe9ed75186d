// Texts cross between the core (UTF-8 std::string) and the widgets (QString) here only.
#pragma once

#include <QString>

#include <string>

namespace vireta {

inline QString fromUtf8(const std::string& s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}
inline std::string toUtf8(const QString& s) {
    return s.toUtf8().toStdString();
}

} // namespace vireta
