#pragma once
// The Qt application of the program: its title, fonts, tool-tip delay, and the default
// error display for errors that no handler caught.

#include <QApplication>

namespace vellumo {

class VellumoApplication : public QApplication {
public:
    VellumoApplication(int& argc, char** argv);
    /// Shows an error that escaped a handler in the error box and goes on running.
    bool notify(QObject* receiver, QEvent* event) override;
};

/// What every start needs, also the window tests: the title "Vellumo", the icon, the
/// Japanese fonts standing in for "ＭＳ ゴシック" and "ＭＳ Ｐゴシック", tool tips after
/// 200 ms.
void InitializeApplication(QApplication& app);

}  // namespace vellumo
