#include <gtest/gtest.h>

#include <climits>

#include "app/notification_layout.h"
#include "app/pointer_rules.h"
#include "app/screen_geometry.h"

TEST(PlaceWindow, KeepsAStoredOrCursorCentredWindowOnItsMonitor) {
    const PixelRect monitor{0, 0, 1280, 1024}, second{1280, 0, 2560, 1024};
    const struct {
        bool centred;  // else at a stored top-left corner
        PixelPoint point;
        int width, height;
        PixelPoint placed;
        PixelRect monitor;
    } cases[] = {
        {false, {100, 200}, 300, 400, {100, 200}, monitor},
        {false, {5000, 6000}, 300, 400, {980, 624}, monitor},
        {false, {-900, -700}, 300, 400, {0, 0}, monitor},
        {false, {10, 10}, 2000, 2000, {0, 0}, monitor},
        {false, {INT_MAX, INT_MIN}, 300, 400, {980, 0}, monitor},
        {false, {3000, 50}, 300, 400, {2260, 50}, second},
        {true, {640, 512}, 201, 100, {540, 462}, monitor},
        {true, {5, 5}, 200, 100, {0, 0}, monitor},
        {true, {1279, 1023}, 200, 100, {1080, 924}, monitor},
        {true, {640, 512}, 1400, 1100, {0, -76}, monitor},  // too wide: left edge; too tall: bottom edge
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.centred ? PlaceCentredOn(c.point, c.width, c.height, c.monitor)
                            : PlaceStoredWindow(c.point, c.width, c.height, c.monitor),
                  c.placed)
            << c.point.x << "," << c.point.y;
    }
}

TEST(WorkspaceToScreen, MovesByWhatTheTaskbarTakesFromTheMonitorsTopOrLeft) {
    const PixelRect placed{10, 20, 310, 420};
    EXPECT_EQ(WorkspaceToScreen(placed, {0, 0, 1280, 1024}, {0, 0, 1280, 984}), placed);
    EXPECT_EQ(WorkspaceToScreen(placed, {-1280, 0, 0, 1024}, {-1220, 40, 0, 1024}),
              (PixelRect{70, 60, 370, 460}));
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
