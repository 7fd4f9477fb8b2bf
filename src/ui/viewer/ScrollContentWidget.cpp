#include "ui/viewer/ScrollContentWidget.h"

#include <QEvent>
#include <algorithm>

namespace vellumo {

ScrollContentWidget::ScrollContentWidget(QWidget* parent) : QWidget(parent) {}

void ScrollContentWidget::Follow(QWidget* child) {
    followed_.emplace_back(child);
    child->installEventFilter(this);
    FitChildren();
}

bool ScrollContentWidget::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        // Sent for every explicit show and hide, also while the window is not on screen.
        case QEvent::ShowToParent:
        case QEvent::HideToParent:
            FitChildren();
            break;
        default:
            break;
    }
    return QWidget::eventFilter(watched, event);
}

void ScrollContentWidget::FitChildren() {
    int right = 0;
    int bottom = 0;
    for (const QPointer<QWidget>& child : followed_) {
        if (!child || child->isHidden()) continue;
        const QRect r = child->geometry();
        if (r.isEmpty()) continue;
        right = std::max(right, r.x() + r.width());
        bottom = std::max(bottom, r.y() + r.height());
    }
    if (size() != QSize(right, bottom)) resize(right, bottom);
}

}  // namespace vellumo
