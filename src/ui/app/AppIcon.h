#pragma once
// The program icon (resources/vellumo.png, built into the program): a landscape sheet with
// a red frame and a check mark.

#include <QIcon>

namespace vellumo {

QIcon AppIcon();

}  // namespace vellumo
