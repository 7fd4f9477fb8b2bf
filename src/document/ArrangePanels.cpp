#include "document/ArrangePanels.h"

namespace vellumo {

PanelArrangement ArrangePanels(int groupHeight, std::array<ToolPanelState, kToolPanelCount> panels,
                               int expandedIndex) {
    static constexpr std::array<int, kToolPanelCount> kCandidates = {4, 1, 2, 3, 0};
    PanelArrangement result;
    for (int candidate : kCandidates) {
        int sum = 0;
        for (const ToolPanelState& p : panels) sum += p.Height();
        const bool fits = groupHeight >= sum;
        if (!fits && candidate != expandedIndex && panels[candidate].expanded)
            panels[candidate].expanded = false;
    }
    // Shown when the panels still do not fit at the end (measured after the last pass, so
    // a bar never stands beside panels that fit).
    int sum = 0;
    for (const ToolPanelState& p : panels) sum += p.Height();
    result.scrollBarVisible = groupHeight < sum;
    for (int i = 0; i < kToolPanelCount; ++i) result.expanded[i] = panels[i].expanded;
    return result;
}

}  // namespace vellumo
