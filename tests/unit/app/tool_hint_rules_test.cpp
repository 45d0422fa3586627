#include <gtest/gtest.h>

#include <string>

#include "app/tool_hint_rules.h"

TEST(HintLines, SplitsAtLineFeedsUpToForty) {
    EXPECT_EQ(HintLines("a\n\nb\r\nc"), (std::vector<std::string_view>{"a", "", "b\r", "c"}));
    EXPECT_EQ(HintLines("a\n"), std::vector<std::string_view>{"a"});
    std::string many;
    for (int i = 0; i < 45; ++i) many += "x" + std::to_string(i) + "\n";
    EXPECT_EQ(HintLines(many).size(), 40u);
}

TEST(PlaceToolHint, BelowTheControlOrAboveItInsideTheMonitor) {
    const PixelRect monitor{1280, 0, 2560, 1024};  // a second monitor: its own edges count
    const struct {
        PixelRect area;
        int widest, lines;
        PixelRect placed;
    } cases[] = {
        // 106 x 42 hint (3 lines of 12), centred 6 pixels below a 200 x 150 control.
        {{1380, 100, 1580, 250}, 100, 3, {1427, 256, 1533, 298}},
        // Near the right edge pulled left; wider than the monitor, to its left edge.
        {{2480, 10, 2560, 30}, 200, 1, {2354, 36, 2560, 54}},
        {{1280, 10, 1300, 30}, 1400, 1, {1280, 36, 2686, 54}},
        // Near the bottom above the control: the hint would end on the bottom edge (1024), not above it.
        {{1780, 970, 1880, 1000}, 94, 1, {1780, 946, 1880, 964}},
        {{1780, 969, 1880, 999}, 94, 1, {1780, 1005, 1880, 1023}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PlaceToolHint(c.area, c.widest, c.lines, 12, monitor), c.placed)
            << c.area.left << "," << c.area.top;
    }
}

TEST(HintRest, ShowsAfterARestAndMovesBetweenControlsAtOnce) {
    const std::vector<PixelRect> areas = {
        {0, 0, 50, 20}, {0, 30, 50, 50}, {60, 0, 100, 20}, {-10, 60, 0, 70}};
    bool covered = false;
    HintRest rest;
    // One timer tick: whether the shown hint goes, and the row shown then (-1 for none).
    const auto tick = [&](bool button, PixelPoint point, std::uint32_t now) {
        const HintRest::Step step = rest.Tick(button, point, now, areas);
        const int shown = step.search ? rest.Search(point, now, areas, [&](int) { return !covered; }) : -1;
        return std::make_pair(step.hide, shown);
    };
    rest.Restart({10, 10}, 1000);
    const struct {
        bool button;
        PixelPoint point;
        std::uint32_t now;
        bool hide;
        int show;
    } ticks[] = {
        {false, {12, 8}, 2200, false, 0},    // trembling by 2 pixels still rests 1200 ms
        {false, {40, 15}, 2300, false, -1},  // inside the shown area: kept
        {false, {10, 40}, 2400, true, 1},    // to the next control without a new delay
        {false, {55, 25}, 2500, true, -1},   // between controls: gone, the rest starts here
        {false, {70, 10}, 3800, false, -1}, {false, {70, 10}, 5000, false, 2},
        {true, {70, 10}, 5100, true, -1},    // a button removes it
        {false, {70, 10}, 6299, false, -1},  // and a new rest of 1200 ms is needed
        {false, {73, 10}, 6300, false, -1},  // 3 pixels restart the wait
        {false, {73, 10}, 7500, false, 2},
    };
    for (const auto& t : ticks)
        EXPECT_EQ(tick(t.button, t.point, t.now), std::make_pair(t.hide, t.show)) << t.now;

    // Across the wrap of the tick count.
    rest.Restart({5, 5}, 0xFFFFFF00u);
    EXPECT_EQ(tick(false, {5, 5}, 0x000003B0u).second, 0);
    // A covered control shows nothing, and the rest starts over.
    rest.Restart({5, 5}, 0);
    covered = true;
    EXPECT_EQ(tick(false, {5, 5}, 5000).second, -1);
    covered = false;
    EXPECT_EQ(tick(false, {5, 5}, 5100).second, -1);
    // Left of or above the owner's client area the pointer never rests.
    rest.Restart({-1, 65}, 0);
    EXPECT_EQ(tick(false, {-1, 65}, 5000).second, -1);
}
