#include "app/notification.h"

#include <algorithm>
#include <string>

#include "app/app_context.h"
#include "app/notification_layout.h"
#include "app/place_near_cursor.h"
#include "resources/resource_ids.h"

namespace {

constexpr UINT_PTR kTimerId = 1;
constexpr UINT kTickMilliseconds = 500;
constexpr int kLastTick = 6;

struct Notification {
    const char* caption;
    const char* message;
    int ticks;
};

// The widest line in pixels, measured in the popup's fixed font.
int WidestLine(HWND edit, const std::vector<std::string_view>& lines) {
    HDC editDc = GetDC(edit);
    HDC dc = CreateCompatibleDC(editDc);
    int widest = 0;
    for (std::string_view line : lines) {
        if (line.empty()) continue;
        HFONT font = CreateFontA(12, 0, 0, 0, 0, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_TT_PRECIS, 0, 0,
                                 FF_MODERN, "ＭＳ Ｐゴシック");
        HGDIOBJ previous = SelectObject(dc, font);
        SIZE size{};
        GetTextExtentPoint32A(dc, line.data(), static_cast<int>(line.size()), &size);
        widest = std::max(widest, static_cast<int>(size.cx));
        SelectObject(dc, previous);
        DeleteObject(font);
    }
    DeleteDC(dc);
    ReleaseDC(edit, editDc);
    return widest;
}

RECT ClientRectOf(HWND window, HWND control) {
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void Layout(HWND window, const Notification& notification) {
    SetWindowTextA(window, notification.caption);
    HWND edit = GetDlgItem(window, IDC_NOTIFICATION_TEXT);
    HWND button = GetDlgItem(window, IDCANCEL);
    const RECT editRect = ClientRectOf(window, edit), buttonRect = ClientRectOf(window, button);
    RECT windowRect;
    GetWindowRect(window, &windowRect);
    SetWindowTextA(edit, notification.message);

    const std::vector<std::string_view> lines = MessageLines(notification.message);
    const NotificationFrame frame{static_cast<int>(windowRect.bottom - windowRect.top),
                                  {editRect.left, editRect.top, editRect.right, editRect.bottom},
                                  {buttonRect.left, buttonRect.top, buttonRect.right, buttonRect.bottom}};
    const int widest = WidestLine(edit, lines);
    if (widest > 0 && !lines.empty()) {
        const NotificationLayout layout = LayoutNotification(frame, widest, static_cast<int>(lines.size()));
        SetWindowPos(window, HWND_TOPMOST, 0, 0, layout.windowWidth, layout.windowHeight, SWP_NOMOVE);
        MoveWindow(edit, layout.edit.left, layout.edit.top, layout.edit.Width(), layout.edit.Height(), TRUE);
        MoveWindow(button, layout.button.left, layout.button.top, layout.button.Width(),
                   layout.button.Height(), TRUE);
        InvalidateRect(window, nullptr, TRUE);
        UpdateWindow(window);
    }
    PlaceNearCursor(window);
}

INT_PTR CALLBACK NotificationProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* notification = reinterpret_cast<Notification*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrA(window, GWLP_USERDATA, lParam);
            notification = reinterpret_cast<Notification*>(lParam);
            Layout(window, *notification);
            SetTimer(window, kTimerId, kTickMilliseconds, nullptr);
            // The button holds the focus, so the message is not shown selected.
            SetFocus(GetDlgItem(window, IDCANCEL));
            return FALSE;
        case WM_TIMER: {
            if (wParam != kTimerId) break;
            RECT rect;
            POINT cursor;
            GetWindowRect(window, &rect);
            GetCursorPos(&cursor);
            if (++notification->ticks > kLastTick || !PtInRect(&rect, cursor)) EndDialog(window, -1);
            return TRUE;
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDCANCEL) EndDialog(window, -1);
            return TRUE;
        case WM_DESTROY:
            KillTimer(window, kTimerId);
            return TRUE;
        default:
            break;
    }
    return FALSE;
}

}  // namespace

void ShowNotification(HWND owner, const char* caption, const char* message) {
    Notification notification{caption, message, 0};
    DialogBoxParamA(AppInstance(), MAKEINTRESOURCEA(IDD_NOTIFICATION), owner, NotificationProc,
                    reinterpret_cast<LPARAM>(&notification));
}
