#pragma once
// The program's own windows (the checker, the viewer, the settings dialog and the About box)
// as against Qt's common dialogs, message boxes and the windows of other programs. The
// viewer's form activation follows a return from one of these only, as the activation of
// the forms of the Windows program does.

#include <QWidget>

namespace vellumo {

/// Marks `window` as one of the program's own windows.
inline void MarkProgramForm(QWidget* window) { window->setProperty("vellumoForm", true); }

/// Whether `window` is one of the program's own windows (false for none).
inline bool IsProgramForm(const QWidget* window) {
    return window && window->property("vellumoForm").toBool();
}

}  // namespace vellumo
