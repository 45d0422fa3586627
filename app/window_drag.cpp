#include "app/window_drag.h"

#include <windowsx.h>

#include "app/pointer_rules.h"
#include "resources/resource_ids.h"

namespace {

bool LeftButtonDown() {
    return GetAsyncKeyState(VK_LBUTTON) < 0;
}

bool CursorInside(HWND window, POINT* cursor) {
    RECT rect;
    GetCursorPos(cursor);
    GetWindowRect(window, &rect);
    return PtInRect(&rect, *cursor) != FALSE;
}

}  // namespace

void WindowDrag::LoadCursors(HINSTANCE instance) {
    dragCursor_ = LoadCursorA(instance, MAKEINTRESOURCEA(IDCUR_DRAG));
    moveCursor_ = LoadCursorA(instance, MAKEINTRESOURCEA(IDCUR_MOVE));
}

void WindowDrag::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    POINT cursor;
    switch (message) {
        case WM_LBUTTONDOWN:
            // Where the button went down, not where the pointer is by the time the press is handled.
            press_ = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            ClientToScreen(window, &press_);
            if (timerPending_) {
                KillTimer(window, kTimerId);
                timerPending_ = false;
            } else if (CursorInside(window, &cursor)) {
                timerPending_ = SetTimer(window, kTimerId, kDragDelayMilliseconds, nullptr) != 0;
            }
            break;
        case WM_MOUSEMOVE:
            GetCursorPos(&cursor);
            if (timerPending_ && LeftButtonDown() &&
                MovedFarEnoughToDrag({press_.x, press_.y}, {cursor.x, cursor.y})) {
                Start(window);
            }
            if (!dragging_) {
                SetCursor(moveCursor_);
            } else if (LeftButtonDown()) {
                SetCursor(dragCursor_);
                const int dx = cursor.x - last_.x, dy = cursor.y - last_.y;
                if (dx != 0 || dy != 0) {
                    SetWindowPos(window, nullptr, windowRect_.left + dx, windowRect_.top + dy, 0, 0,
                                 SWP_NOSIZE | SWP_NOZORDER);
                    last_ = cursor;
                    GetWindowRect(window, &windowRect_);
                }
            } else {
                Stop();
            }
            break;
        case WM_TIMER:
            if (wParam == kTimerId) Start(window);
            break;
        case WM_LBUTTONUP:
            if (dragging_) Stop();
            break;
        default:
            break;
    }
}

void WindowDrag::Start(HWND window) {
    if (timerPending_) {
        KillTimer(window, kTimerId);
        timerPending_ = false;
    }
    POINT cursor;
    if (!LeftButtonDown() || dragging_ || !CursorInside(window, &cursor)) return;
    GetWindowRect(window, &windowRect_);
    // The window follows the pointer from the press on, so a drag noticed late loses no movement.
    last_ = press_;
    dragging_ = true;
    SetCursor(dragCursor_);
    SetCapture(window);
}

void WindowDrag::Stop() {
    dragging_ = false;
    ReleaseCapture();
}

void WindowDrag::Destroy(HWND window) {
    if (timerPending_) KillTimer(window, kTimerId);
    timerPending_ = false;
    if (dragging_) Stop();
    DestroyCursor(moveCursor_);
    DestroyCursor(dragCursor_);
    moveCursor_ = dragCursor_ = nullptr;
}
