#include "viewer/ImageControlWidget.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <new>
#include <utility>

#include "viewer/BitmapQt.h"

namespace vellumo {

namespace {

// Scales this close to a level's count as that level's: the control's size is the picture's
// times the scale rounded to whole pixels, so 0.5 may come out as 0.4998 or 0.5002. A shrink
// or stretch by less than a thousandth is drawn unfiltered (filtering would blur every pixel
// of a line drawing by a fraction).
constexpr double kNearlyOne = 0.999;

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
    // The wrapped images read the levels' memory, which Build may write over or free.
    images_.clear();
    opaque_ = true;
    if (!HasPicture()) {
        pyramid_.Clear();
        update();
        return;
    }
    const Bitmap& picture = *picture_;
    try {
        pyramid_.Build(picture);
    } catch (const std::bad_alloc&) {
        // Drawn from the picture alone: every scale still works, the smallest ones with
        // the bilinear filter skipping over pixels.
    }
    opaque_ = pyramid_.Empty() ? !(picture.Format() == PixelFormat::Bit32 && picture.HasAlpha())
                               : pyramid_.PictureOpaque();
    const AlphaUse alpha = opaque_ ? AlphaUse::KnownOpaque : AlphaUse::AsFlagged;
    try {
        images_.push_back(BitmapToQImage(picture, alpha));
        for (int k = 1; k < pyramid_.LevelCount(); ++k) {
            QImage level = BitmapToQImage(pyramid_.Level(k), alpha);
            if (level.isNull()) break;  // Qt out of memory: the levels before still serve
            images_.push_back(std::move(level));
        }
    } catch (const std::bad_alloc&) {
        images_.clear();  // a 4-bit picture's copy: nothing to draw but white
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
    const int k =
        std::min(pyramid_.LevelFor(std::max(sx, sy) * kNearlyOne), int(images_.size()) - 1);
    const QImage& image = images_[size_t(k)];
    // Control pixels per level pixel. The level's pixels map to the picture's exactly by
    // 2^k (an odd last pixel reaches past the edge and is clipped), so nothing drifts.
    const double fx = sx / ViewPyramid::NominalScale(k);
    const double fy = sy / ViewPyramid::NominalScale(k);
    if (!opaque_) painter.fillRect(exposed, Qt::white);
    // Bilinear when shrinking; whole pixels as crisp squares when enlarging. The whole level
    // is drawn and the paint's clip keeps only the exposed area: Qt then maps from one
    // origin whatever is exposed, so a strip uncovered by scrolling matches a full repaint
    // (given a piece of the level, the filter clamps at the piece's edges and seams show;
    // enlarged, Qt's fixed-point step can still put a rare pixel one over).
    painter.setRenderHint(QPainter::SmoothPixmapTransform, fx < kNearlyOne || fy < kNearlyOne);
    painter.drawImage(QRectF(0, 0, image.width() * fx, image.height() * fy), image,
                      QRectF(image.rect()));
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
