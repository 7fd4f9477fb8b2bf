#pragma once
// The hourglass for the length of a scope: set on construction, the previous cursor back on
// every way out, also when the work throws.

#include <QApplication>

namespace vellumo {

class WaitCursor {
  public:
    explicit WaitCursor(Qt::CursorShape shape = Qt::WaitCursor) {
        QApplication::setOverrideCursor(shape);
    }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace vellumo
