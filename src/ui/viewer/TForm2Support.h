#pragma once
// Small conversions the viewer window's source files share.

#include <QString>
#include <string>
#include <string_view>

namespace vellumo {

inline QString Q(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }
inline std::string Utf8(const QString& s) { return s.toStdString(); }

/// Sets a flag for the length of a scope and clears it on every way out.
class BusyScope {
  public:
    explicit BusyScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~BusyScope() { flag_ = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

  private:
    bool& flag_;
};

}  // namespace vellumo
