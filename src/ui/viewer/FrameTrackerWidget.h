#pragma once
// The viewer's frame tracker: attached to the crop frame, it draws a grey outline with the
// four corner grab handles over it, moves the outline with the left button (Shift locks the
// axis), resizes it at its corners (Shift keeps the ratio; dragged past the opposite corner
// the frame turns over), opens the frame's popup menu on a right press, and at the release
// gives the frame the new bounds, then reports the release. The frame itself keeps its place
// until the release.
//
// While a move or resize lasts, the control that took the press holds the mouse: the
// outline, a handle, or the frame itself for the press that attached the tracker (Qt gives
// every event of a press to the control that took it, also outside the window). The cursor
// is kept inside the screen rectangle of the scroll area that shows the frame: X11 has no
// general confinement of the pointer, so a pointer that goes past that rectangle is put back
// on its edge (QCursor::setPos) and the drag goes on from there.

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <array>
#include <optional>

#include "crop/FrameTracking.h"

class QMenu;
class QWidget;

namespace vellumo {

class TrackerPart;

class FrameTracker : public QObject {
    Q_OBJECT
  public:
    enum class DragState { None, Move, Resize };

    /// The mouse as it is at an attach: where the cursor is and what is held.
    struct HeldMouse {
        QPoint globalPos;
        Qt::MouseButtons buttons;
        Qt::KeyboardModifiers modifiers;
    };

    explicit FrameTracker(QObject* parent = nullptr);
    ~FrameTracker() override;

    /// The menu a right press on the outline opens at the cursor (not owned; may be null).
    QMenu* PopupMenu = nullptr;

    /// Attaches to `target`, a child control (a window is ignored): the outline takes the
    /// target's bounds (width and height at least 1) on the target's parent, with the
    /// handles. When the cursor of `held` lies inside the outline and a button is held, that
    /// press goes on as a press on the outline (middle, else right, else left), so the press
    /// that asked for the attach moves the frame or opens the popup without a second press.
    void Attach(QWidget* target, const HeldMouse& held);
    /// Attach with the mouse as the application sees it now.
    void Attach(QWidget* target);
    /// Forgets the target and removes the outline, the fixed outline and the handles.
    void Detach();

    QWidget* Target() const { return target_; }
    DragState State() const { return state_; }
    AxisLock Lock() const { return lock_; }
    /// The outline's bounds in the target's parent; while a resize lasts width and height
    /// may be negative (the frame turned over; the outline is drawn normalised).
    FrameBounds OutlineBounds() const { return bounds_; }
    /// The parts while attached (else null): the outline, handle 0 to 7, the fixed outline
    /// (only while a move or resize lasts).
    QWidget* Outline() const;
    QWidget* Handle(int index) const;
    QWidget* FixedOutline() const;
    /// The screen rectangle the cursor is kept in while a drag lasts.
    std::optional<QRect> Confinement() const { return confinement_; }

  signals:
    /// A press on the outline or a handle; `pos` in the target's parent's pixels.
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos);
    /// The release after a press on the outline or a handle, once the target has its new
    /// bounds.
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    friend class TrackerPart;
    enum class PartKind { Outline, Handle, Fixed };

    void CreateParts(QWidget* parent);
    void RemoveParts();
    void PlaceHandles();
    void ShowOutlineAt(const FrameBounds& bounds);
    void CreateFixedOutline();
    void RemoveFixedOutline();
    void ConfineCursor();
    void LiftConfinement();
    /// Shows `shape` from a press to its release, wherever the pointer goes: the control
    /// that holds the mouse meanwhile (the frame for the press that attached, a handle the
    /// pointer has left) would show its own.
    void HoldCursor(Qt::CursorShape shape);
    void ReleaseCursor();
    /// The cursor position kept inside the confinement (put back there when it was outside).
    QPoint Confined(QPoint global);
    /// `global` moved inside the confinement.
    QPoint Clamped(QPoint global) const;
    /// Puts the cursor, now at `from`, at `to`.
    void WarpCursor(QPoint from, QPoint to);
    QPoint ToParent(QPoint global) const;

    void OutlinePress(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint global);
    void OutlineMove(Qt::KeyboardModifiers modifiers, QPoint global);
    void OutlineRelease(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint global);
    void HandlePress(int index, Qt::MouseButton button, Qt::KeyboardModifiers modifiers,
                     QPoint global);
    void HandleMove(int index, Qt::KeyboardModifiers modifiers, QPoint global);
    void HandleRelease(int index, Qt::MouseButton button, Qt::KeyboardModifiers modifiers,
                       QPoint global);
    void PartLeft();

    QPointer<QWidget> target_;
    QPointer<TrackerPart> outline_;
    QPointer<TrackerPart> fixed_;
    std::array<QPointer<TrackerPart>, kHandleCount> handles_{};
    DragState state_ = DragState::None;
    FrameBounds bounds_;
    /// Where the left button went down: in outline pixels for a move, in the parent's
    /// pixels for a resize (moving on with each step).
    QPoint press_;
    AxisLock lock_ = AxisLock::None;
    double ratio_ = 1.0;
    int activeHandle_ = -1;
    std::optional<QRect> confinement_;
    /// Where the cursor was last put and has not been seen since.
    std::optional<QPoint> lastWarp_;
    bool cursorHeld_ = false;
};

}  // namespace vellumo
