#pragma once
// Window tests through Qt's own dialogs and message boxes, driven with real key and mouse
// events, and windows activated and deactivated the way a window manager does it (through
// the platform's activation, which brings Qt's activation events).

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <functional>
#include <memory>

#include "ui/app/UiServices.h"

namespace vellumo::test {

/// The Qt dialogs instead of the scripted ones for the length of a scope.
class RealDialogs {
  public:
    RealDialogs() { SetUiServices(nullptr); }
    ~RealDialogs() { SetUiServices(restore_); }
    /// The services put back at the end (the fixture's scripted ones).
    explicit RealDialogs(UiServices* restore) : restore_(restore) { SetUiServices(nullptr); }

  private:
    UiServices* restore_ = nullptr;
};

/// The visible top-level widget of type T that is the active window, or any visible one.
template <class T>
T* ShownWindow() {
    T* any = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* t = qobject_cast<T*>(w); t && t->isVisible()) {
            if (t == QApplication::activeWindow()) return t;
            any = t;
        }
    return any;
}

/// Runs `action` once on the window of type T as soon as one shows (also inside the modal
/// loop that shows it), for as long as this watch lives. A window the action left open is
/// closed after a few seconds, so a test that fails does not wait for ever.
template <class T>
class WhenShown {
  public:
    explicit WhenShown(std::function<void(T*)> action) : action_(std::move(action)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (T* w = ShownWindow<T>()) {
                timer_.stop();
                done_ = true;
                action_(w);
                QTimer::singleShot(5000, w, [w] {
                    if (w->isVisible()) w->close();
                });
            }
        });
        timer_.start(10);
    }
    /// Whether the window showed.
    bool Done() const { return done_; }

  private:
    std::function<void(T*)> action_;
    QTimer timer_;
    bool done_ = false;
};

/// Lets events run until `condition` holds, at most `limitMs`; whether it holds.
inline bool WaitFor(const std::function<bool()>& condition, int limitMs = 2000) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > limitMs) return false;
        QTest::qWait(5);
    }
    return true;
}

/// Activates `window` as a window manager does when the user clicks it.
inline bool Activate(QWidget* window) {
    window->activateWindow();
    return WaitFor([window] { return window->isActiveWindow(); });
}

/// A window of another program: activating it deactivates every window of this one.
class OtherProgram {
  public:
    OtherProgram() {
        window_.setFlags(Qt::Window);
        window_.resize(200, 100);
        window_.show();
    }
    bool Activate() {
        window_.requestActivate();
        return WaitFor([] { return QApplication::activeWindow() == nullptr; });
    }

  private:
    QWindow window_;
};

}  // namespace vellumo::test
