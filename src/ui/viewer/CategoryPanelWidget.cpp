#include "ui/viewer/CategoryPanelWidget.h"

#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace vellumo {

namespace {
constexpr int kHeaderHeight = 24;
}

CategoryPanel::CategoryPanel(const QString& caption, int contentHeight, QWidget* parent)
    : QWidget(parent), contentHeight_(contentHeight) {
    setAutoFillBackground(true);
    header_ = new QToolButton(this);
    header_->setText(caption);
    header_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    header_->setArrowType(Qt::DownArrow);
    header_->setAutoRaise(true);
    header_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    header_->setFixedHeight(kHeaderHeight);
    content_ = new QWidget(this);
    content_->setFixedHeight(contentHeight);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(header_);
    layout->addWidget(content_);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    SetExpanded(true);
    connect(header_, &QToolButton::clicked, this, &CategoryPanel::HeaderClicked);
}

int CategoryPanel::HeaderHeight() const { return kHeaderHeight; }

void CategoryPanel::SetExpanded(bool expanded) {
    expanded_ = expanded;
    content_->setVisible(expanded);
    header_->setArrowType(expanded ? Qt::DownArrow : Qt::RightArrow);
    setFixedHeight(expanded ? ExpandedHeight() : HeaderHeight());
}

void CategoryPanel::SetColor(const QColor& color) {
    QPalette p = palette();
    p.setColor(QPalette::Window, color);
    p.setColor(QPalette::Button, color);
    setPalette(p);
}

void CategoryPanel::HeaderClicked() {
    if (!isEnabled()) return;
    SetExpanded(!expanded_);
    if (expanded_)
        emit Expanding();
    else
        emit Collapsing();
}

CategoryPanelGroup::CategoryPanelGroup(QWidget* parent) : QScrollArea(parent) {
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    column_ = new QWidget(this);
    layout_ = new QVBoxLayout(column_);
    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->setSpacing(0);
    layout_->addStretch(1);
    setWidget(column_);
}

void CategoryPanelGroup::AddPanel(CategoryPanel* panel) {
    layout_->insertWidget(layout_->count() - 1, panel);
}

int CategoryPanelGroup::AvailableHeight() const { return height(); }

void CategoryPanelGroup::SetScrollBarShown(bool shown) {
    setVerticalScrollBarPolicy(shown ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
}

}  // namespace vellumo
