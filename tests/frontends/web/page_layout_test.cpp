// The page's words and numbers that need no browser.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "frontends/web/PageLayout.h"
#include "window/ControlIds.h"

namespace kinpath::web {
namespace {

// The strip while answering: each table's three highest totals, equal ones
// in the table's order (a stable sort of its rows), rows without points or
// not shown left out.
TEST(PageLayout, TheLeadersAreEachTablesThreeHighest) {
    std::mt19937 random(7);
    for (int round = 0; round < 500; ++round) {
        Screen shown;
        PointValues totals{};
        std::vector<std::pair<int, int>> tables[2];  // total, bar
        for (int b = 0; b < BarCount; ++b) {
            ControlView& label = shown.controls[ControlIndex(IdFirstLabel + b)];
            label.text = "R" + std::to_string(b);
            label.visible = random() % 5 != 0;
            const int total = static_cast<int>(random() % 7) - 2;
            totals[SlotForBarIndex(b)] = total;
            if (total > 0 && label.visible) tables[b >= BarCount / 2].push_back({total, b});
        }
        std::string expected;
        for (auto& rows : tables) {
            std::stable_sort(rows.begin(), rows.end(),
                             [](auto& a, auto& b) { return a.first > b.first; });
            std::string group;
            for (std::size_t i = 0; i < rows.size() && i < 3; ++i) {
                group += (i ? ", R" : "R") + std::to_string(rows[i].second) + " " +
                         std::to_string(rows[i].first);
            }
            if (!group.empty()) expected += (expected.empty() ? "" : " \u00b7 ") + group;
        }
        EXPECT_EQ(LeadersText(shown, totals), expected.empty() ? "" : "Leading now: " + expected);
    }
}

// A standing's bar grows with its score and is full at its table's highest,
// on a scale of 100 while no score is higher.
TEST(PageLayout, TheStandingsAreScaledToTheHighestScore) {
    for (const std::int32_t top : {0, 60, 100, 126, INT32_MAX}) {
        EXPECT_EQ(StandingPermille(std::max(top, 100), top), 1000);
        for (std::int32_t score = -3; score < 300; ++score)
            EXPECT_LE(StandingPermille(score, top), StandingPermille(score + 1, top));
    }
    EXPECT_EQ(StandingPermille(50, 60), 500);
    EXPECT_EQ(StandingPermille(63, 126), 500);
    EXPECT_EQ(StandingPermille(INT32_MIN, INT32_MAX), 0);
}

}  // namespace
}  // namespace kinpath::web
