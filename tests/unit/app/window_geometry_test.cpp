#include <gtest/gtest.h>

#include <climits>

#include "app/notification_layout.h"
#include "app/pointer_rules.h"
#include "app/preview_image.h"
#include "app/screen_geometry.h"

TEST(PlaceStoredWindow, PullsTheWindowOntoTheMonitor) {
    const PixelRect monitor{0, 0, 1280, 1024};
    const struct {
        PixelPoint stored;
        int width, height;
        PixelPoint placed;
    } cases[] = {
        {{100, 200}, 300, 400, {100, 200}}, {{5000, 6000}, 300, 400, {980, 624}},
        {{-900, -700}, 300, 400, {0, 0}},   {{1270, 10}, 300, 400, {980, 10}},
        {{10, 10}, 2000, 2000, {0, 0}},     {{INT_MAX, INT_MIN}, 300, 400, {980, 0}},
    };
    for (const auto& c : cases) {
        const PixelPoint placed = PlaceStoredWindow(c.stored, c.width, c.height, monitor);
        EXPECT_EQ(placed, c.placed) << c.stored.x << "," << c.stored.y;
    }
    EXPECT_EQ(PlaceStoredWindow({3000, 50}, 300, 400, {1280, 0, 2560, 1024}), (PixelPoint{2260, 50}));
}

TEST(WorkspaceToScreen, MovesByWhatTheTaskbarTakesFromTheMonitorsTopOrLeft) {
    const PixelRect placed{10, 20, 310, 420};
    EXPECT_EQ(WorkspaceToScreen(placed, {0, 0, 1280, 1024}, {0, 0, 1280, 984}), placed);
    EXPECT_EQ(WorkspaceToScreen(placed, {0, 0, 1280, 1024}, {0, 40, 1280, 1024}),
              (PixelRect{10, 60, 310, 460}));
    EXPECT_EQ(WorkspaceToScreen(placed, {-1280, 0, 0, 1024}, {-1220, 0, 0, 1024}),
              (PixelRect{70, 20, 370, 420}));
}

TEST(PlaceCentredOn, CentresOnTheCursorInsideTheMonitor) {
    const PixelRect monitor{0, 0, 1280, 1024};
    const struct {
        PixelPoint cursor;
        int width, height;
        PixelPoint placed;
    } cases[] = {
        {{640, 512}, 201, 100, {540, 462}},
        {{5, 5}, 200, 100, {0, 0}},
        {{1279, 1023}, 200, 100, {1080, 924}},
        // Wider than the monitor: left edge; taller: bottom edge.
        {{640, 512}, 1400, 1100, {0, -76}},
    };
    for (const auto& c : cases) EXPECT_EQ(PlaceCentredOn(c.cursor, c.width, c.height, monitor), c.placed);
}

TEST(PlacePreview, ScalesDownLargePicturesAndCentresAll) {
    const struct {
        int width, height;
        PreviewPlacement placed;
    } cases[] = {
        {1000, 500, {200, 100, 0, 25, true}}, {100, 80, {100, 80, 50, 35, false}},
        {200, 150, {200, 150, 0, 0, false}},  {201, 150, {200, 149, 0, 0, true}},
        {300, 900, {50, 150, 75, 0, true}},   {2000, 3, {200, 1, 0, 74, true}},
        {1, 65500, {1, 150, 99, 0, true}},
    };
    for (const auto& c : cases) {
        const PreviewPlacement p = PlacePreview(c.width, c.height, 200, 150);
        EXPECT_EQ(
            (std::vector<int>{p.width, p.height, p.x, p.y, p.scaled}),
            (std::vector<int>{c.placed.width, c.placed.height, c.placed.x, c.placed.y, c.placed.scaled}))
            << c.width << "x" << c.height;
    }
}

TEST(MessageLines, CountsEveryEndedLineAndANonEmptyRest) {
    const struct {
        const char* message;
        std::vector<std::string_view> lines;
    } cases[] = {
        {"one", {"one"}}, {"a\r\nb\r\nc", {"a", "b", "c"}},
        {"a\r\n", {"a"}}, {"a\r\n\r\n", {"a", ""}},
        {"", {}},         {"a\nb", {"a\nb"}},
    };
    for (const auto& c : cases) EXPECT_EQ(MessageLines(c.message), c.lines) << c.message;
}

TEST(LayoutNotification, GrowsByTwoThirdsOfTheEditHeightPerExtraLine) {
    const NotificationFrame frame{90, {8, 8, 170, 29}, {52, 40, 122, 63}};
    const NotificationLayout one = LayoutNotification(frame, 150, 1);
    EXPECT_EQ(one.windowWidth, 210);
    EXPECT_EQ(one.windowHeight, 90);
    EXPECT_EQ(one.edit, (PixelRect{8, 8, 168, 29}));
    EXPECT_EQ(one.button, (PixelRect{55, 40, 125, 63}));
    const NotificationLayout three = LayoutNotification(frame, 150, 3);
    EXPECT_EQ(three.windowHeight, 90 + 28);  // (2 * 3 - 2) * 21 / 3
    EXPECT_EQ(three.edit.Height(), 21 + 28);
    EXPECT_EQ(three.button.top, 40 + 28);
    const NotificationLayout empty = LayoutNotification(frame, 0, 0);
    EXPECT_EQ(empty.windowHeight, 90);
    EXPECT_EQ(empty.edit, frame.edit);
    EXPECT_EQ(empty.button, frame.button);
}

TEST(MenuGuard, AClosingClickDoesNotReopenWithinASecond) {
    MenuGuard guard;
    EXPECT_TRUE(guard.MayOpen(100));
    guard.ClosedByClick(1000);
    EXPECT_FALSE(guard.MayOpen(1999));
    EXPECT_TRUE(guard.MayOpen(2000));  // the remembered close is used once
    guard.ClosedByClick(0xFFFFFF00u);
    EXPECT_TRUE(guard.MayOpen(0x000003F0u));  // 1264 ms later, across the wrap
    guard.ClosedByClick(0xFFFFFF00u);
    EXPECT_FALSE(guard.MayOpen(0x00000010u));
}

TEST(IsCommand, AControlCountsWithItsClickOnly) {
    constexpr unsigned kDoubleClick = 5, kSelectionChange = 1, kEditChange = 0x300;
    const struct {
        unsigned code;
        bool fromControl, counts;
    } cases[] = {
        {kClickedCode, true, true},   // a button, Enter on the default button
        {kClickedCode, false, true},  // a menu item, Esc, a posted command
        {kAcceleratorCode, false, true}, {kDoubleClick, true, false},  // BN_DBLCLK of the owner-drawn preview
        {kSelectionChange, true, false},  // a combo box's CBN_SELCHANGE has an accelerator's code
        {kEditChange, true, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsCommand(c.code, c.fromControl), c.counts) << c.code << c.fromControl;
}

TEST(MovedFarEnoughToDrag, NeedsMoreThanTwoPixelsEitherWay) {
    const struct {
        PixelPoint now;
        bool drags;
    } cases[] = {{{2, 2}, false}, {{-2, -2}, false}, {{3, 0}, true}, {{0, -3}, true}, {{2, 3}, true}};
    for (const auto& c : cases)
        EXPECT_EQ(MovedFarEnoughToDrag({0, 0}, c.now), c.drags) << c.now.x << "," << c.now.y;
}
