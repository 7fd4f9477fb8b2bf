#pragma once
// Small conversions the viewer window's source files share.

#include <QString>
#include <string>
#include <string_view>

namespace vellumo {

inline QString Q(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }
inline std::string Utf8(const QString& s) { return s.toStdString(); }

}  // namespace vellumo
