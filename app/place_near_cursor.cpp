#include "app/place_near_cursor.h"

namespace {

// The monitor functions, looked up at run time as on systems that lack them.
struct MonitorApi {
    decltype(&MonitorFromPoint) fromPoint = nullptr;
    decltype(&MonitorFromRect) fromRect = nullptr;
    decltype(&MonitorFromWindow) fromWindow = nullptr;
    decltype(&GetMonitorInfoA) info = nullptr;

    MonitorApi() {
        if (HMODULE user32 = GetModuleHandleA("user32.dll")) {
            fromPoint = reinterpret_cast<decltype(fromPoint)>(
                reinterpret_cast<void*>(GetProcAddress(user32, "MonitorFromPoint")));
            fromRect = reinterpret_cast<decltype(fromRect)>(
                reinterpret_cast<void*>(GetProcAddress(user32, "MonitorFromRect")));
            fromWindow = reinterpret_cast<decltype(fromWindow)>(
                reinterpret_cast<void*>(GetProcAddress(user32, "MonitorFromWindow")));
            info = reinterpret_cast<decltype(info)>(
                reinterpret_cast<void*>(GetProcAddress(user32, "GetMonitorInfoA")));
        }
    }
};

const MonitorApi& Api() {
    static const MonitorApi api;
    return api;
}

PixelRect PrimaryScreen() {
    return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

PixelRect ToPixels(const RECT& rect) {
    return {rect.left, rect.top, rect.right, rect.bottom};
}

PixelRect RectOfMonitor(HMONITOR monitor) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (monitor == nullptr || !Api().info(monitor, &info)) return PrimaryScreen();
    return ToPixels(info.rcMonitor);
}

}  // namespace

PixelRect MonitorOfRect(const PixelRect& rect, DWORD fallback) {
    if (Api().fromRect == nullptr || Api().info == nullptr) return PrimaryScreen();
    const RECT area{rect.left, rect.top, rect.right, rect.bottom};
    return RectOfMonitor(Api().fromRect(&area, fallback));
}

PixelRect RestoredWindowRect(HWND window) {
    RECT rect;
    GetWindowRect(window, &rect);
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (!IsIconic(window) || !GetWindowPlacement(window, &placement)) return ToPixels(rect);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (Api().fromWindow == nullptr || Api().info == nullptr ||
        !Api().info(Api().fromWindow(window, MONITOR_DEFAULTTOPRIMARY), &info)) {
        info.rcMonitor = info.rcWork = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &info.rcWork, 0);
    }
    return WorkspaceToScreen(ToPixels(placement.rcNormalPosition), ToPixels(info.rcMonitor),
                             ToPixels(info.rcWork));
}

void PlaceNearCursor(HWND window) {
    RECT rect;
    POINT cursor;
    GetWindowRect(window, &rect);
    GetCursorPos(&cursor);
    const PixelRect monitor = Api().fromPoint != nullptr && Api().info != nullptr
                                  ? RectOfMonitor(Api().fromPoint(cursor, MONITOR_DEFAULTTOPRIMARY))
                                  : PrimaryScreen();
    const PixelPoint place =
        PlaceCentredOn({cursor.x, cursor.y}, rect.right - rect.left, rect.bottom - rect.top, monitor);
    SetWindowPos(window, nullptr, place.x, place.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}
