#include <gtest/gtest.h>

#include <climits>
#include <tuple>

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
        {false, {-900, -700}, 300, 400, {1280, 0}, second},
        {false, {10, 10}, 2000, 2000, {0, 0}, monitor},
        {false, {INT_MAX, INT_MIN}, 300, 400, {980, 0}, monitor},
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
    EXPECT_EQ(WorkspaceToScreen({10, 20, 310, 420}, {-1280, 0, 0, 1024}, {-1220, 40, 0, 1024}),
              (PixelRect{70, 60, 370, 460}));
}

TEST(MessageLines, CountsEveryEndedLineAndANonEmptyRest) {
    EXPECT_EQ(MessageLines("a\r\n\r\nb\nc"), (std::vector<std::string_view>{"a", "", "b\nc"}));
    EXPECT_EQ(MessageLines("a\r\n"), std::vector<std::string_view>{"a"});
}

TEST(LayoutNotification, GrowsByTwoThirdsOfTheEditHeightPerExtraLine) {
    const NotificationFrame frame{90, {8, 8, 170, 29}, {52, 40, 122, 63}};
    const auto laidOut = [&](int widest, int lines) {
        const NotificationLayout layout = LayoutNotification(frame, widest, lines);
        return std::make_tuple(layout.windowWidth, layout.windowHeight, layout.edit, layout.button);
    };
    EXPECT_EQ(laidOut(150, 1),
              std::make_tuple(210, 90, PixelRect{8, 8, 168, 29}, PixelRect{55, 40, 125, 63}));
    // Two more lines: (2 * 3 - 2) * 21 / 3 = 28 pixels.
    EXPECT_EQ(laidOut(150, 3),
              std::make_tuple(210, 118, PixelRect{8, 8, 168, 57}, PixelRect{55, 68, 125, 91}));
    EXPECT_EQ(laidOut(0, 1), std::make_tuple(0, 90, frame.edit, frame.button));
}

TEST(MenuGuard, AClosingClickDoesNotReopenWithinASecond) {
    MenuGuard guard;
    EXPECT_TRUE(guard.MayOpen(100));
    guard.ClosedByClick(1000);
    EXPECT_FALSE(guard.MayOpen(1999));
    EXPECT_TRUE(guard.MayOpen(2000));  // the remembered close is used once
    guard.ClosedByClick(0xFFFFFF00u);
    EXPECT_TRUE(guard.MayOpen(0x000002E8u));  // a second later, across the wrap
    guard.ClosedByClick(0xFFFFFF00u);
    EXPECT_FALSE(guard.MayOpen(0x00000010u));
}

TEST(IsCommand, AControlCountsWithItsClickOnly) {
    constexpr unsigned kDoubleClick = 5, kSelectionChange = 1;
    const struct {
        unsigned code;
        bool fromControl, counts;
    } cases[] = {
        {kClickedCode, true, true},  // a button, Enter on the default button, a menu item, Esc
        {kAcceleratorCode, false, true},
        {kDoubleClick, true, false},      // BN_DBLCLK of the owner-drawn preview
        {kSelectionChange, true, false},  // a combo box's CBN_SELCHANGE has an accelerator's code
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsCommand(c.code, c.fromControl), c.counts) << c.code << c.fromControl;
}

TEST(MovedFarEnoughToDrag, NeedsMoreThanTwoPixelsEitherWay) {
    const std::pair<PixelPoint, bool> cases[] = {
        {{2, 2}, false}, {{-2, -2}, false}, {{3, 0}, true}, {{0, -3}, true}, {{2, 3}, true}};
    for (const auto& [now, drags] : cases)
        EXPECT_EQ(MovedFarEnoughToDrag({0, 0}, now), drags) << now.x << "," << now.y;
}
