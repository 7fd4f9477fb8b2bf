#pragma once
// The viewer's collapsible tool panels: a header that expands or collapses the panel, and
// the group that stacks them in the tool column and scrolls when they do not fit.

#include <QScrollArea>
#include <QWidget>

class QToolButton;
class QVBoxLayout;

namespace vellumo {

class CategoryPanel : public QWidget {
    Q_OBJECT
  public:
    /// A panel whose controls take `contentHeight` pixels below the header.
    CategoryPanel(const QString& caption, int contentHeight, QWidget* parent = nullptr);

    /// The area the panel's controls are placed on (absolute positions, as designed).
    QWidget* Content() const { return content_; }
    bool Expanded() const { return expanded_; }
    /// Expands or collapses; emits Expanding / CollapsedByUser only for user clicks, so
    /// the window's arrangement does not run again for its own changes.
    void SetExpanded(bool expanded);
    int HeaderHeight() const;
    int ExpandedHeight() const { return HeaderHeight() + contentHeight_; }
    /// The panel's background colour.
    void SetColor(const QColor& color);

  signals:
    /// The user expanded the panel (it is already expanded when this arrives).
    void Expanding();
    /// The user collapsed the panel.
    void Collapsing();

  private:
    void HeaderClicked();
    QToolButton* header_ = nullptr;
    QWidget* content_ = nullptr;
    int contentHeight_ = 0;
    bool expanded_ = true;
};

/// The column of panels, top to bottom in the order added.
class CategoryPanelGroup : public QScrollArea {
    Q_OBJECT
  public:
    explicit CategoryPanelGroup(QWidget* parent = nullptr);
    void AddPanel(CategoryPanel* panel);
    /// The height the panels may take without scrolling.
    int AvailableHeight() const;
    void SetScrollBarShown(bool shown);

  private:
    QWidget* column_ = nullptr;
    QVBoxLayout* layout_ = nullptr;
};

}  // namespace vellumo
