#pragma once
// The scroll box's content in the viewer: the image control at its top-left corner and the
// crop frame over it, with the frame tracker's parts. It is as large as the image control
// and the frame together (from its own origin), so a frame that reaches beyond the picture's
// right or bottom edge widens the scroll range and can be scrolled to, as it can in a scroll
// box that holds both controls directly.

#include <QPointer>
#include <QWidget>
#include <vector>

namespace vellumo {

class ScrollContentWidget : public QWidget {
  public:
    explicit ScrollContentWidget(QWidget* parent = nullptr);

    /// Makes the content's size follow `child`'s bounds while the child is not hidden. The
    /// child must be a child of this widget; it is followed until it is destroyed.
    void Follow(QWidget* child);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void FitChildren();
    std::vector<QPointer<QWidget>> followed_;
};

}  // namespace vellumo
