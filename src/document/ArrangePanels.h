#pragma once
// How the viewer's tool column makes room when a tool panel is expanded: panels are
// collapsed in a fixed order until the five fit the column, and the column scrolls when
// even that is not enough.

#include <array>

namespace vellumo {

inline constexpr int kToolPanelCount = 5;
/// The tool column's width in pixels, the panels' own width (a scroll bar comes beside it).
inline constexpr int kToolColumnWidth = 116;

/// One tool panel: its height expanded and collapsed (its header alone), and its state.
struct ToolPanelState {
    int expandedHeight = 0;
    int collapsedHeight = 0;
    bool expanded = false;
    int Height() const { return expanded ? expandedHeight : collapsedHeight; }
};

struct PanelArrangement {
    std::array<bool, kToolPanelCount> expanded{};
    bool scrollBarVisible = false;
};

/// `ArrangePanels` for the panel at `expandedIndex` (0 to 4, already expanded in
/// `panels`): five passes whose candidates are, in order, the panels 4 ("ファイル"),
/// 1 ("減色編集"), 2 ("画像切出"), 3 ("印刷") and 0 ("表示"). In each pass, when the panels'
/// heights add up to more than `groupHeight`, the pass's candidate is collapsed unless it
/// is the expanded panel. The scroll bar shows exactly when the panels still do not fit.
PanelArrangement ArrangePanels(int groupHeight, std::array<ToolPanelState, kToolPanelCount> panels,
                               int expandedIndex);

}  // namespace vellumo
