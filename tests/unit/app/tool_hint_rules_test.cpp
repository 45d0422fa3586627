#include <gtest/gtest.h>

#include <string>

#include "app/tool_hint_rules.h"

TEST(HintLines, SplitsAtLineFeedsUpToForty) {
    const struct {
        std::string text;
        std::vector<std::string_view> lines;
    } cases[] = {
        {"one", {"one"}}, {"a\nb\nc", {"a", "b", "c"}}, {"a\n", {"a"}}, {"a\n\nb", {"a", "", "b"}},
        {"", {}},         {"a\r\nb", {"a\r", "b"}},
    };
    for (const auto& c : cases) EXPECT_EQ(HintLines(c.text), c.lines) << c.text;
    std::string many;
    for (int i = 0; i < 45; ++i) many += "x" + std::to_string(i) + "\n";
    const std::vector<std::string_view> forty = HintLines(many);
    ASSERT_EQ(forty.size(), 40u);
    EXPECT_EQ(forty.back(), "x39");
}

TEST(PlaceToolHint, BelowTheControlOrAboveItInsideTheMonitor) {
    const PixelRect monitor{0, 0, 1280, 1024};
    const struct {
        PixelRect area;
        int widest, lines;
        PixelRect placed;
    } cases[] = {
        // 106 x 42 hint (3 lines of 12), centred 6 pixels below a 200 x 150 control.
        {{100, 100, 300, 250}, 100, 3, {147, 256, 253, 298}},
        {{100, 100, 301, 251}, 101, 3, {147, 256, 254, 298}},  // halves truncated
        // Near the right edge pulled left; wider than the monitor, to its left edge.
        {{1200, 10, 1280, 30}, 200, 1, {1074, 36, 1280, 54}},
        {{0, 10, 20, 30}, 1400, 1, {0, 36, 1406, 54}},
        // Near the bottom above the control: the hint would end on the bottom edge (1024), not above it.
        {{500, 970, 600, 1000}, 94, 1, {500, 946, 600, 964}},
        {{500, 969, 600, 999}, 94, 1, {500, 1005, 600, 1023}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PlaceToolHint(c.area, c.widest, c.lines, 12, monitor), c.placed)
            << c.area.left << "," << c.area.top;
    }
    // On a second monitor, its own edges count.
    EXPECT_EQ(PlaceToolHint({2500, 10, 2560, 30}, 94, 1, 12, {1280, 0, 2560, 1024}),
              (PixelRect{2460, 36, 2560, 54}));
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
        {false, {10, 10}, 2199, false, -1},  // not yet 1200 ms
        {false, {12, 8}, 2200, false, 0},    // trembling by 2 pixels still rests
        {false, {40, 15}, 2300, false, -1},  // inside the shown area: kept
        {false, {10, 40}, 2400, true, 1},    // to the next control without a new delay
        {false, {55, 25}, 2500, true, -1},   // between controls: gone, the rest starts here
        {false, {55, 25}, 3700, false, -1},  // resting on no control shows nothing and starts over
        {false, {70, 10}, 3800, false, -1}, {false, {70, 10}, 5000, false, 2},
        {true, {70, 10}, 5100, true, -1},    // a button removes it
        {false, {70, 10}, 6299, false, -1},  // and a new rest is needed
        {false, {73, 10}, 6300, false, -1},  // 3 pixels restart the wait
        {false, {73, 10}, 7500, false, 2},
    };
    for (const auto& t : ticks)
        EXPECT_EQ(tick(t.button, t.point, t.now), std::make_pair(t.hide, t.show)) << t.now;
    EXPECT_EQ(rest.shown(), 2);

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
