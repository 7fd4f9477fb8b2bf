#pragma once
// The viewer's image control (Image1): shows the whole picture stretched to its own size,
// which its window sets to the picture's size times the scale, inside a scroll area. Each
// paint draws only the exposed area, from the smallest copy of the picture that still has
// the detail the scale shows, so it costs the same at every scale and picture size.

#include <QImage>
#include <QPoint>
#include <QWidget>
#include <vector>

#include "document/ViewPyramid.h"
#include "platform/Bitmap.h"

namespace vellumo {

class ImageControlWidget : public QWidget {
    Q_OBJECT
  public:
    /// An empty control (white), no mouse tracking, context menus left to the window
    /// (Qt::CustomContextMenu: connect customContextMenuRequested). Every paint covers the
    /// whole exposed area (Qt::WA_OpaquePaintEvent): white where there is no picture or it
    /// is transparent.
    explicit ImageControlWidget(QWidget* parent = nullptr);
    ~ImageControlWidget() override;

    /// Shows `picture` stretched to the control's size, or white for nullptr or an empty
    /// picture; the scale a paint uses is the control's size over the picture's. Not owned:
    /// the picture must outlive the control or be replaced first, and keep its size, pixels
    /// and palette unless PictureChanged or SetPicture follows the change before the next
    /// paint. Makes the smaller copies (well under 100 ms for a B4 drawing at 400 dpi in one
    /// bit; a few ms when the picture's size is the one before, as their memory is reused).
    /// When memory for them runs out the control still shows the picture, drawn from the
    /// picture itself (coarser at small scales). Does not resize the control.
    void SetPicture(const Bitmap* picture);
    /// The picture's pixels, palette or size changed in place: makes the copies again and
    /// repaints. The same as SetPicture(Picture()).
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
    /// Draws the part of the picture under `exposed` at fx × fy control pixels per picture
    /// pixel, made 32-bit first (for formats Qt scales slowly).
    void DrawPart(QPainter& painter, const QRect& exposed, double fx, double fy) const;

    const Bitmap* picture_ = nullptr;
    ViewPyramid pyramid_;
    // The levels wrapped for drawing ([0] the picture); they read the pyramid's and the
    // picture's memory, so they are dropped before either changes.
    std::vector<QImage> images_;
    bool opaque_ = true;
};

}  // namespace vellumo
