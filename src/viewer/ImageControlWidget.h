#pragma once
// The viewer's image control (Image1): shows the whole picture stretched to its own size,
// which its window sets to the picture's size times the scale, inside a scroll area. Each
// paint draws only the exposed part, from the smallest copy of the picture that still has
// the detail the scale shows, so it costs the same at every scale and picture size.

#include <QImage>
#include <QPoint>
#include <QWidget>
#include <vector>

#include "platform/Bitmap.h"
#include "viewer/ViewPyramid.h"

namespace vellumo {

class ImageControlWidget : public QWidget {
    Q_OBJECT
public:
    /// An empty control (white), no mouse tracking, context menus left to the window
    /// (Qt::CustomContextMenu: connect customContextMenuRequested).
    explicit ImageControlWidget(QWidget* parent = nullptr);
    ~ImageControlWidget() override;

    /// Shows `picture`, or nothing for nullptr or an empty picture. Not owned: it must
    /// outlive the control or be replaced first, and keep its size and pixels unless
    /// PictureChanged follows the change before the next paint. Makes the smaller copies
    /// (under 100 ms for a B4 drawing at 400 dpi in one bit). When memory for them runs out
    /// the control still shows the picture, drawn from the picture itself (coarser at small
    /// scales). Does not resize the control.
    void SetPicture(const Bitmap* picture);
    /// The picture's pixels, palette or size changed in place: makes the copies again and
    /// repaints.
    void PictureChanged();
    /// Whether a picture that is not empty is shown.
    bool HasPicture() const { return picture_ != nullptr && !picture_->Empty(); }
    const Bitmap* Picture() const { return picture_; }

signals:
    /// Mouse events in this control's coordinates (pixels of the control, not of the
    /// picture: divide by the scale). A double click comes as a second MouseDown.
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers mods, QPoint pos);
    /// Every move Qt delivers: with no mouse tracking, those while a button is held.
    void MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers mods, QPoint pos);
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers mods, QPoint pos);
    void MouseEnter();
    void MouseLeave();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void Rebuild();

    const Bitmap* picture_ = nullptr;
    ViewPyramid pyramid_;
    // The levels wrapped for drawing ([0] the picture); they read the pyramid's and the
    // picture's memory, so they are dropped before either changes.
    std::vector<QImage> images_;
    bool opaque_ = true;
};

}  // namespace vellumo
