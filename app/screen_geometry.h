// Rectangles in screen pixels and the rules that keep a window on a monitor.
#pragma once

struct PixelPoint {
    int x = 0, y = 0;
    bool operator==(const PixelPoint& other) const { return x == other.x && y == other.y; }
};

struct PixelRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool operator==(const PixelRect& other) const {
        return left == other.left && top == other.top && right == other.right && bottom == other.bottom;
    }
};

// Where a window of this size goes when it reopens at a stored top-left corner: pulled back over the
// monitor's right and then left edge, its bottom and then top edge.
PixelPoint PlaceStoredWindow(PixelPoint storedTopLeft, int width, int height, const PixelRect& monitor);

// Where a window of this size goes to be centred on the cursor: pulled back over the monitor's right
// and then left edge, its top and then bottom edge (a taller window ends aligned to the bottom).
PixelPoint PlaceCentredOn(PixelPoint cursor, int width, int height, const PixelRect& monitor);

// A rectangle of GetWindowPlacement, in workspace coordinates (relative to the work area of the
// window's monitor, which leaves out the taskbar), in screen coordinates.
PixelRect WorkspaceToScreen(const PixelRect& rect, const PixelRect& monitor, const PixelRect& workArea);
