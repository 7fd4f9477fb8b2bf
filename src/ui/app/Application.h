#pragma once
// The Qt application of the program: its title, fonts and tool-tip delay. Errors are
// caught where each handler ends (app/Guarded.h), never on their way through Qt.

#include <QApplication>

namespace vellumo {

/// What every start needs, also the window tests: the title "Vellumo", the icon, the
/// Japanese fonts standing in for "ＭＳ ゴシック" and "ＭＳ Ｐゴシック", tool tips after
/// 200 ms.
void InitializeApplication(QApplication& app);

}  // namespace vellumo
