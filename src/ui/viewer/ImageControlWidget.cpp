#include "ui/viewer/ImageControlWidget.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include "ui/viewer/BitmapQt.h"

namespace vellumo {

namespace {

// Scales this close to a level's count as that level's: the control's size is the picture's
// times the scale rounded to whole pixels, so 0.5 may come out as 0.4998 or 0.5002. A shrink
// or stretch by less than a thousandth is drawn unfiltered (filtering would blur every pixel
// of a line drawing by a fraction).
constexpr double kNearlyOne = 0.999;

// Formats Qt scales in its fast loops; it reads every other one pixel by pixel through a
// conversion, which costs a one-bit B4 drawing some 15 ms a paint at 0.7.
bool ScalesFast(QImage::Format f) {
    return f == QImage::Format_RGB32 || f == QImage::Format_ARGB32 ||
           f == QImage::Format_ARGB32_Premultiplied;
}

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
    if (k == 0 && !ScalesFast(image.format())) {
        DrawPart(painter, exposed, sx, sy);
        return;
    }
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

void ImageControlWidget::DrawPart(QPainter& painter, const QRect& exposed, double fx,
                                  double fy) const {
    const QImage& image = images_[0];
    // The picture's pixels under the exposed area, and two more on every side, so that the
    // filter's clamped edges fall outside the paint's clip; one-bit rows start at a byte.
    int x0 = std::max(0, int(std::floor(exposed.left() / fx)) - 2);
    const int y0 = std::max(0, int(std::floor(exposed.top() / fy)) - 2);
    const int x1 = std::min(image.width(), int(std::ceil((exposed.right() + 1) / fx)) + 2);
    const int y1 = std::min(image.height(), int(std::ceil((exposed.bottom() + 1) / fy)) + 2);
    if (image.depth() < 8) x0 &= ~7;
    if (x0 >= x1 || y0 >= y1) return;
    // A view of that part of the picture's memory, made 32-bit: the copy is the size of the
    // exposed area, not of the picture.
    QImage part(image.constBits() + qsizetype(y0) * image.bytesPerLine() +
                    qsizetype(x0) * image.depth() / 8,
                x1 - x0, y1 - y0, image.bytesPerLine(), image.format());
    part.setColorTable(image.colorTable());
    const QImage rgb = part.convertToFormat(QImage::Format_RGB32);
    if (rgb.isNull()) return;
    if (fx < kNearlyOne || fy < kNearlyOne) {
        // The same mapping as the whole picture drawn from the control's origin.
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        painter.drawImage(QRectF(x0 * fx, y0 * fy, (x1 - x0) * fx, (y1 - y0) * fy), rgb,
                          QRectF(rgb.rect()));
        return;
    }
    // Enlarged or 1 : 1, every shown pixel is the picture pixel under its centre, worked out
    // from its own position: an area uncovered by scrolling matches a full repaint exactly.
    QImage out(exposed.size(), QImage::Format_RGB32);
    if (out.isNull()) return;
    std::vector<int> columns(size_t(exposed.width()));
    for (int i = 0; i < exposed.width(); ++i)
        columns[size_t(i)] =
            std::clamp(int(std::floor((exposed.x() + i + 0.5) / fx)) - x0, 0, rgb.width() - 1);
    int lastRow = -1;
    for (int j = 0; j < exposed.height(); ++j) {
        auto* d = reinterpret_cast<QRgb*>(out.scanLine(j));
        const int row =
            std::clamp(int(std::floor((exposed.y() + j + 0.5) / fy)) - y0, 0, rgb.height() - 1);
        if (row == lastRow) {
            std::memcpy(d, out.constScanLine(j - 1), size_t(exposed.width()) * sizeof(QRgb));
            continue;
        }
        const auto* s = reinterpret_cast<const QRgb*>(rgb.constScanLine(row));
        for (int i = 0; i < exposed.width(); ++i) d[i] = s[columns[size_t(i)]];
        lastRow = row;
    }
    painter.drawImage(exposed.topLeft(), out);
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
