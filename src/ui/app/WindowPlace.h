#pragma once
// Where a window is, frame included (the place the settings file keeps and the one Qt's pos()
// answers with), and whether it stays above the others.

#include <QPoint>
#include <QRect>
#include <QWidget>
#include <QWindow>

namespace vellumo {

/// Puts `window`'s frame (title bar and borders included) at `frameTopLeft`. Qt drops the
/// native window of a hidden dialog and then takes a move as the place of the client area,
/// while pos() keeps answering with the frame's: the frame's margins as last known are
/// added here, so a window shown again comes back where it was instead of one title bar
/// higher each time.
inline void MoveFrameTo(QWidget& window, QPoint frameTopLeft) {
    const QPoint margins = window.geometry().topLeft() - window.pos();
    if (!window.testAttribute(Qt::WA_WState_Created) && !margins.isNull())
        window.setGeometry(QRect(frameTopLeft + margins, window.size()));
    else
        window.move(frameTopLeft);
}

/// Keeps `window` above all other windows, or not. The window system is told directly, so the
/// window keeps its native window and with it its place (Qt's own way re-creates the native
/// window, and the place of the new one is taken for the client area's).
inline void SetStaysOnTop(QWidget& window, bool on) {
    const Qt::WindowFlags flags = window.windowFlags().setFlag(Qt::WindowStaysOnTopHint, on);
    if (flags == window.windowFlags()) return;
    window.overrideWindowFlags(flags);
    if (QWindow* handle = window.windowHandle()) handle->setFlags(flags);
}

}  // namespace vellumo
