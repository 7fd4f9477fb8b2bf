#include "viewer/ImageControlWidget.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <new>

#include "viewer/BitmapQt.h"

namespace vellumo {

namespace {

// Control pixels drawn past each side of the exposed rectangle, clipped away again: Qt's
// bilinear filter clamps at the edge of the source rectangle it is given, so without them
// the pixels along a repainted strip would differ from those a full repaint gives.
constexpr double kMargin = 2.0;

}  // namespace

ImageControlWidget::ImageControlWidget(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(false);
    setContextMenuPolicy(Qt::CustomContextMenu);
}

ImageControlWidget::~ImageControlWidget() = default;

void ImageControlWidget::SetPicture(const Bitmap* picture) {
    picture_ = picture;
    Rebuild();
}

void ImageControlWidget::PictureChanged() { Rebuild(); }

void ImageControlWidget::Rebuild() {
    // The wrapped images read the levels' memory: gone before the levels are.
    images_.clear();
    pyramid_.Clear();
    opaque_ = true;
    if (HasPicture()) {
        const Bitmap& picture = *picture_;
        try {
            pyramid_.Build(picture);
        } catch (const std::bad_alloc&) {
            // Drawn from the picture alone: every scale still works, the smallest ones
            // with bilinear skipping over pixels.
        }
        opaque_ = pyramid_.Empty()
                      ? !(picture.Format() == PixelFormat::Bit32 && picture.HasAlpha())
                      : pyramid_.PictureOpaque();
        const AlphaUse alpha = opaque_ ? AlphaUse::KnownOpaque : AlphaUse::AsFlagged;
        try {
            images_.push_back(BitmapToQImage(picture, alpha));
            for (int k = 1; k < pyramid_.LevelCount(); ++k)
                images_.push_back(BitmapToQImage(pyramid_.Level(k), alpha));
        } catch (const std::bad_alloc&) {
            images_.clear();  // a 4-bit picture's copy: nothing to draw but white
        }
    }
    update();
}

void ImageControlWidget::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect exposed = event->rect();
    if (images_.empty() || images_[0].isNull()) {
        painter.fillRect(exposed, Qt::white);
        return;
    }
    const double sx = double(width()) / picture_->Width();
    const double sy = double(height()) / picture_->Height();
    const int k = std::min(pyramid_.LevelFor(std::max(sx, sy)), int(images_.size()) - 1);
    const QImage& image = images_[size_t(k)];
    // Control pixels per level pixel. The level's pixels map to the picture's exactly by
    // 2^k (its odd last pixel reaches past the edge and is clipped), so nothing drifts.
    const double fx = sx / ViewPyramid::NominalScale(k);
    const double fy = sy / ViewPyramid::NominalScale(k);
    // The whole level pixels under the exposed rectangle and its margin.
    const double left = std::max(0.0, std::floor((exposed.left() - kMargin) / fx));
    const double top = std::max(0.0, std::floor((exposed.top() - kMargin) / fy));
    const double right =
        std::min(double(image.width()), std::ceil((exposed.right() + 1 + kMargin) / fx));
    const double bottom =
        std::min(double(image.height()), std::ceil((exposed.bottom() + 1 + kMargin) / fy));
    if (!opaque_ || right <= left || bottom <= top) painter.fillRect(exposed, Qt::white);
    if (right <= left || bottom <= top) return;
    // Bilinear when shrinking; whole pixels as crisp squares when enlarging (and a plain
    // copy at exactly 1).
    painter.setRenderHint(QPainter::SmoothPixmapTransform, fx < 1.0 || fy < 1.0);
    painter.drawImage(QRectF(left * fx, top * fy, (right - left) * fx, (bottom - top) * fy), image,
                      QRectF(left, top, right - left, bottom - top));
}

void ImageControlWidget::mousePressEvent(QMouseEvent* event) {
    emit MouseDown(event->button(), event->modifiers(), event->position().toPoint());
}

void ImageControlWidget::mouseMoveEvent(QMouseEvent* event) {
    emit MouseMove(event->buttons(), event->modifiers(), event->position().toPoint());
}

void ImageControlWidget::mouseReleaseEvent(QMouseEvent* event) {
    emit MouseUp(event->button(), event->modifiers(), event->position().toPoint());
}

void ImageControlWidget::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    emit MouseEnter();
}

void ImageControlWidget::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    emit MouseLeave();
}

}  // namespace vellumo
