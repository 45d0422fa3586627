#include "app/screen_geometry.h"

namespace {

// Wide arithmetic, so a stored corner near the int limits cannot overflow.
long long PullBefore(long long start, int size, int edge) {
    return start + size > edge ? static_cast<long long>(edge) - size : start;
}

long long PullAfter(long long start, int edge) {
    return start < edge ? edge : start;
}

}  // namespace

PixelPoint PlaceStoredWindow(PixelPoint stored, int width, int height, const PixelRect& monitor) {
    const long long left = PullAfter(PullBefore(stored.x, width, monitor.right), monitor.left);
    const long long top = PullAfter(PullBefore(stored.y, height, monitor.bottom), monitor.top);
    return {static_cast<int>(left), static_cast<int>(top)};
}

PixelPoint PlaceCentredOn(PixelPoint cursor, int width, int height, const PixelRect& monitor) {
    const long long left = PullAfter(
        PullBefore(static_cast<long long>(cursor.x) - width / 2, width, monitor.right), monitor.left);
    const long long top = PullBefore(PullAfter(static_cast<long long>(cursor.y) - height / 2, monitor.top),
                                     height, monitor.bottom);
    return {static_cast<int>(left), static_cast<int>(top)};
}

PixelRect WorkspaceToScreen(const PixelRect& rect, const PixelRect& monitor, const PixelRect& workArea) {
    const int dx = workArea.left - monitor.left, dy = workArea.top - monitor.top;
    return {rect.left + dx, rect.top + dy, rect.right + dx, rect.bottom + dy};
}
