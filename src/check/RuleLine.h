#pragma once
// A line of the drawing check as a rule writes it: its text and its verdict, decided by the
// rule itself, so that nobody has to read the verdict back out of the text.

#include <string>
#include <vector>

namespace vellumo {

struct RuleLine {
    std::string text;
    /// The line confirms what it judges; its text then ends in 【確認】.
    bool confirmed = false;
    friend bool operator==(const RuleLine&, const RuleLine&) = default;
};

using RuleLines = std::vector<RuleLine>;

}  // namespace vellumo
