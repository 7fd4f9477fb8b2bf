#include "ui/viewer/FrameTrackerWidget.h"

#include <QAbstractScrollArea>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>
#include <algorithm>

namespace vellumo {

namespace {

const QColor kOutlineColor(128, 128, 128);
constexpr int kOutlinePen = 2;

QRect ToQRect(const FrameBounds& b) { return QRect(b.left, b.top, b.width, b.height); }

FrameBounds ToBounds(const QRect& r) { return {r.x(), r.y(), r.width(), r.height()}; }

Qt::CursorShape QtCursor(TrackerCursor c) {
    switch (c) {
        case TrackerCursor::Move:
            return Qt::SizeAllCursor;
        case TrackerCursor::NorthSouth:
            return Qt::SizeVerCursor;
        case TrackerCursor::WestEast:
            return Qt::SizeHorCursor;
        case TrackerCursor::NorthWestSouthEast:
            return Qt::SizeFDiagCursor;
        case TrackerCursor::NorthEastSouthWest:
            return Qt::SizeBDiagCursor;
    }
    return Qt::ArrowCursor;
}

}  // namespace

/// One part of the tracker on the frame's parent: the outline, a grab handle or the fixed
/// outline that marks where the frame was at the press. Mouse events go to the tracker.
class TrackerPart : public QWidget {
  public:
    TrackerPart(FrameTracker& tracker, FrameTracker::PartKind kind, int index, QWidget* parent)
        : QWidget(parent), tracker_(tracker), kind_(kind), index_(index) {
        // Only the fixed outline lets the mouse through to what lies under it.
        setAttribute(Qt::WA_TransparentForMouseEvents, kind == FrameTracker::PartKind::Fixed);
        setAttribute(Qt::WA_NoSystemBackground);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        switch (kind_) {
            case FrameTracker::PartKind::Outline: {
                // The pen lies inside the bounds, as the frame's own outline does.
                p.setPen(
                    QPen(kOutlineColor, kOutlinePen, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
                p.setBrush(Qt::NoBrush);
                p.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
                break;
            }
            case FrameTracker::PartKind::Handle:
                p.fillRect(rect(), Qt::white);
                p.setPen(QPen(Qt::black, 1));
                p.drawRect(rect().adjusted(0, 0, -1, -1));
                break;
            case FrameTracker::PartKind::Fixed:
                p.setPen(QPen(kOutlineColor, 1, Qt::DotLine));
                p.drawRect(rect().adjusted(0, 0, -1, -1));
                break;
        }
    }
    void mousePressEvent(QMouseEvent* e) override {
        e->accept();
        const QPoint global = e->globalPosition().toPoint();
        if (kind_ == FrameTracker::PartKind::Outline)
            tracker_.OutlinePress(e->button(), e->modifiers(), global);
        else
            tracker_.HandlePress(index_, e->button(), e->modifiers(), global);
    }
    // The second press of a double click is ignored (its release still comes).
    void mouseDoubleClickEvent(QMouseEvent* e) override { e->accept(); }
    void mouseMoveEvent(QMouseEvent* e) override {
        e->accept();
        const QPoint global = e->globalPosition().toPoint();
        if (kind_ == FrameTracker::PartKind::Outline)
            tracker_.OutlineMove(e->modifiers(), global);
        else
            tracker_.HandleMove(index_, e->modifiers(), global);
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        e->accept();
        const QPoint global = e->globalPosition().toPoint();
        if (kind_ == FrameTracker::PartKind::Outline)
            tracker_.OutlineRelease(e->button(), e->modifiers(), global);
        else
            tracker_.HandleRelease(index_, e->button(), e->modifiers(), global);
    }
    void leaveEvent(QEvent* e) override {
        QWidget::leaveEvent(e);
        tracker_.PartLeft();
    }

  private:
    FrameTracker& tracker_;
    FrameTracker::PartKind kind_;
    int index_;
};

FrameTracker::FrameTracker(QObject* parent) : QObject(parent) {}

FrameTracker::~FrameTracker() {
    ReleaseCursor();
    // The parts call back into the tracker: they go with it.
    delete outline_.data();
    delete fixed_.data();
    for (QPointer<TrackerPart>& h : handles_) delete h.data();
}

QWidget* FrameTracker::Outline() const { return outline_; }

QWidget* FrameTracker::Handle(int index) const {
    return index >= 0 && index < kHandleCount ? handles_[size_t(index)] : nullptr;
}

QWidget* FrameTracker::FixedOutline() const { return fixed_; }

void FrameTracker::Attach(QWidget* target) {
    Attach(target,
           {QCursor::pos(), QGuiApplication::mouseButtons(), QGuiApplication::keyboardModifiers()});
}

void FrameTracker::Attach(QWidget* target, const HeldMouse& held) {
    if (!target || target->isWindow() || !target->parentWidget()) return;
    if (target != target_) {
        Detach();
        target_ = target;
        // The press that attaches goes on with the target holding the mouse: its moves and
        // its release are the outline's.
        target->installEventFilter(this);
    }
    if (!outline_) CreateParts(target->parentWidget());
    state_ = DragState::None;
    lock_ = AxisLock::None;
    bounds_ = ReleasedBounds(ToBounds(target->geometry()));
    ShowOutlineAt(bounds_);
    PlaceHandles();

    if (QWidget* grabber = QWidget::mouseGrabber()) grabber->releaseMouse();
    const QPoint at = ToParent(held.globalPos);
    if (!Contains(bounds_, at.x(), at.y())) return;
    // Without a button held there is no press to go on with (nothing would end the move).
    Qt::MouseButton button = Qt::NoButton;
    if (held.buttons & Qt::MiddleButton)
        button = Qt::MiddleButton;
    else if (held.buttons & Qt::RightButton)
        button = Qt::RightButton;
    else if (held.buttons & Qt::LeftButton)
        button = Qt::LeftButton;
    if (button == Qt::NoButton) return;
    OutlinePress(button, held.modifiers, held.globalPos);
}

void FrameTracker::Detach() {
    if (target_) target_->removeEventFilter(this);
    target_ = nullptr;
    RemoveParts();
}

bool FrameTracker::eventFilter(QObject* watched, QEvent* event) {
    if (watched != target_ || !outline_) return false;
    if (event->type() == QEvent::MouseMove) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        OutlineMove(mouse->modifiers(), mouse->globalPosition().toPoint());
        return true;
    }
    if (event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        OutlineRelease(mouse->button(), mouse->modifiers(), mouse->globalPosition().toPoint());
        return true;
    }
    return false;
}

void FrameTracker::CreateParts(QWidget* parent) {
    outline_ = new TrackerPart(*this, PartKind::Outline, -1, parent);
    outline_->setCursor(QtCursor(TrackerCursor::Move));
    outline_->raise();
    for (int i = 0; i < kHandleCount; ++i) {
        auto* h = new TrackerPart(*this, PartKind::Handle, i, parent);
        h->resize(kHandleSize, kHandleSize);
        h->hide();
        h->raise();
        handles_[size_t(i)] = h;
    }
}

void FrameTracker::RemoveParts() {
    // Later, not now: a part may be in the middle of its own event.
    auto remove = [](QPointer<TrackerPart>& part) {
        if (!part) return;
        part->hide();
        part->deleteLater();
        part = nullptr;
    };
    remove(outline_);
    remove(fixed_);
    for (QPointer<TrackerPart>& h : handles_) remove(h);
    state_ = DragState::None;
    lock_ = AxisLock::None;
    activeHandle_ = -1;
    LiftConfinement();
}

void FrameTracker::ShowOutlineAt(const FrameBounds& bounds) {
    if (!outline_) return;
    outline_->setGeometry(ToQRect(Normalised(bounds)));
    outline_->show();
}

void FrameTracker::PlaceHandles() {
    const std::array<FrameBounds, kHandleCount> places = HandlePlacement(bounds_);
    for (int i = 0; i < kHandleCount; ++i) {
        TrackerPart* h = handles_[size_t(i)];
        if (!h) continue;
        h->setGeometry(ToQRect(places[size_t(i)]));
        h->setCursor(QtCursor(HandleCursor(i, bounds_, false)));
        h->setVisible(HandleShown(i));
    }
}

void FrameTracker::CreateFixedOutline() {
    if (!outline_) return;
    if (!fixed_) fixed_ = new TrackerPart(*this, PartKind::Fixed, -1, outline_->parentWidget());
    fixed_->setGeometry(ToQRect(Normalised(bounds_)));
    fixed_->show();
    fixed_->stackUnder(outline_);
}

void FrameTracker::RemoveFixedOutline() {
    if (!fixed_) return;
    fixed_->hide();
    fixed_->deleteLater();
    fixed_ = nullptr;
}

void FrameTracker::ConfineCursor() {
    QWidget* box = target_ ? target_->parentWidget() : nullptr;
    for (QWidget* w = box; w; w = w->parentWidget())
        if (qobject_cast<QAbstractScrollArea*>(w)) {
            box = w;
            break;
        }
    if (!box) return;
    confinement_ = QRect(box->mapToGlobal(QPoint(0, 0)), box->size());
    lastWarp_.reset();
}

void FrameTracker::LiftConfinement() {
    confinement_.reset();
    lastWarp_.reset();
    ReleaseCursor();
}

void FrameTracker::HoldCursor(Qt::CursorShape shape) {
    if (cursorHeld_) {
        if (QGuiApplication::overrideCursor()->shape() != shape)
            QGuiApplication::changeOverrideCursor(shape);
        return;
    }
    QGuiApplication::setOverrideCursor(shape);
    cursorHeld_ = true;
}

void FrameTracker::ReleaseCursor() {
    if (!cursorHeld_) return;
    QGuiApplication::restoreOverrideCursor();
    cursorHeld_ = false;
}

QPoint FrameTracker::Clamped(QPoint global) const {
    if (!confinement_) return global;
    return {std::clamp(global.x(), confinement_->left(), confinement_->right()),
            std::clamp(global.y(), confinement_->top(), confinement_->bottom())};
}

void FrameTracker::WarpCursor(QPoint from, QPoint to) {
    if (to == from) return;
    // A warp that did not land (the window system kept the pointer elsewhere) is not asked
    // for again: each warp brings a mouse move, which would ask for it again, for ever.
    if (lastWarp_ && *lastWarp_ == to) return;
    lastWarp_ = to;
    QCursor::setPos(to);
}

QPoint FrameTracker::Confined(QPoint global) {
    if (lastWarp_ && *lastWarp_ == global) lastWarp_.reset();
    const QPoint inside = Clamped(global);
    WarpCursor(global, inside);
    return inside;
}

QPoint FrameTracker::ToParent(QPoint global) const {
    QWidget* parent =
        outline_ ? outline_->parentWidget() : (target_ ? target_->parentWidget() : nullptr);
    return parent ? parent->mapFromGlobal(global) : global;
}

void FrameTracker::OutlinePress(Qt::MouseButton button, Qt::KeyboardModifiers modifiers,
                                QPoint global) {
    if (!outline_) return;
    if (button == Qt::LeftButton) {
        state_ = DragState::Move;
        press_ = global - outline_->mapToGlobal(QPoint(0, 0));
        CreateFixedOutline();
        ConfineCursor();
        HoldCursor(QtCursor(TrackerCursor::Move));
    } else if (button == Qt::RightButton) {
        if (PopupMenu) PopupMenu->popup(global);
    }
    emit MouseDown(button, modifiers, ToParent(global));
}

void FrameTracker::OutlineMove(Qt::KeyboardModifiers modifiers, QPoint global) {
    if (state_ != DragState::Move || !outline_) return;
    global = Confined(global);
    const QPoint at = global - outline_->mapToGlobal(QPoint(0, 0));
    const MoveStep step =
        TrackMove(lock_, modifiers & Qt::ShiftModifier, at.x() - press_.x(), at.y() - press_.y());
    lock_ = step.lock;
    bounds_.left = std::clamp(bounds_.left + step.dx, -kMaxFrameExtent, kMaxFrameExtent);
    bounds_.top = std::clamp(bounds_.top + step.dy, -kMaxFrameExtent, kMaxFrameExtent);
    ShowOutlineAt(bounds_);
    if (lock_ == AxisLock::None) return;
    const QPoint p = ToParent(global);
    if (Contains(bounds_, p.x(), p.y())) return;
    // Locked, the outline no longer follows the pointer: the pointer comes back to the
    // outline's centre, and the press point with it, so the outline does not jump.
    int32_t cx = 0, cy = 0;
    CentreOf(bounds_, cx, cy);
    const QPoint centre = Clamped(outline_->parentWidget()->mapToGlobal(QPoint(cx, cy)));
    WarpCursor(global, centre);
    press_ = centre - outline_->mapToGlobal(QPoint(0, 0));
}

void FrameTracker::OutlineRelease(Qt::MouseButton button, Qt::KeyboardModifiers modifiers,
                                  QPoint global) {
    lock_ = AxisLock::None;
    RemoveFixedOutline();
    PlaceHandles();
    if (target_) target_->setGeometry(ToQRect(ReleasedBounds(bounds_)));
    LiftConfinement();
    state_ = DragState::None;
    emit MouseUp(button, modifiers, ToParent(global));
}

void FrameTracker::HandlePress(int index, Qt::MouseButton button, Qt::KeyboardModifiers modifiers,
                               QPoint global) {
    if (button == Qt::LeftButton && HandleShown(index) && handles_[size_t(index)]) {
        state_ = DragState::Resize;
        activeHandle_ = index;
        press_ = ToParent(global);
        const QRect target = target_ ? target_->geometry() : ToQRect(bounds_);
        ratio_ = ResizeRatio(target.width(), target.height());
        CreateFixedOutline();
        ConfineCursor();
        HoldCursor(QtCursor(HandleCursor(index, bounds_, true)));
    }
    emit MouseDown(button, modifiers, ToParent(global));
}

void FrameTracker::HandleMove(int index, Qt::KeyboardModifiers modifiers, QPoint global) {
    if (state_ != DragState::Resize || index != activeHandle_ || !outline_) return;
    global = Confined(global);
    const QPoint p = ToParent(global);
    bounds_ = TrackResize(index, bounds_, p.x() - press_.x(), p.y() - press_.y(),
                          modifiers & Qt::ShiftModifier, ratio_);
    press_ = p;
    ShowOutlineAt(bounds_);
    handles_[size_t(index)]->setCursor(QtCursor(HandleCursor(index, bounds_, true)));
    HoldCursor(QtCursor(HandleCursor(index, bounds_, true)));
    // With Shift the corner does not follow the pointer: the pointer goes to the corner.
    const FrameBounds where = HandlePlacement(bounds_)[size_t(index)];
    if (Contains(where, p.x(), p.y())) return;
    const QPoint corner(where.left + kHandleSize / 2, where.top + kHandleSize / 2);
    const QPoint to = Clamped(outline_->parentWidget()->mapToGlobal(corner));
    WarpCursor(global, to);
    press_ = ToParent(to);
}

void FrameTracker::HandleRelease(int, Qt::MouseButton button, Qt::KeyboardModifiers modifiers,
                                 QPoint global) {
    if (state_ == DragState::Resize) {
        RemoveFixedOutline();
        bounds_ = ReleasedBounds(bounds_);
        ShowOutlineAt(bounds_);
        if (target_) target_->setGeometry(ToQRect(bounds_));
        PlaceHandles();
        LiftConfinement();
    }
    state_ = DragState::None;
    activeHandle_ = -1;
    emit MouseUp(button, modifiers, ToParent(global));
}

void FrameTracker::PartLeft() {
    // The mouse is held by the part while a button is down; a leave then means the drag
    // could not go on.
    if (state_ != DragState::None) {
        RemoveFixedOutline();
        LiftConfinement();
    }
    state_ = DragState::None;
    activeHandle_ = -1;
    lock_ = AxisLock::None;
}

}  // namespace vellumo
