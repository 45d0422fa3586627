#include "app/main_menu.h"

#include <shellapi.h>

#include "app/app_context.h"
#include "app/failure_message.h"
#include "app/place_near_cursor.h"
#include "core/messages.h"
#include "platform/replace_file.h"
#include "resources/resource_ids.h"

namespace {

enum MenuItem { kCloseMenu = 0, kOpenHelp = 2, kAbout = 4 };

constexpr char kVersionText[] = "1.02";
constexpr char kHelpPageName[] = "korvi_help.html";

INT_PTR CALLBACK AboutProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            SetDlgItemTextA(window, IDC_VERSION, kVersionText);
            PlaceNearCursor(window);
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK) EndDialog(window, 0);
            return TRUE;
        default:
            return FALSE;
    }
}

// Writes the help page that ships inside the program beside it and opens it in the browser.
void OpenHelpPage(HWND mainWindow) {
    HRSRC found = FindResourceA(AppInstance(), MAKEINTRESOURCEA(IDR_HELP_PAGE), MAKEINTRESOURCEA(23));
    HGLOBAL loaded = found != nullptr ? LoadResource(AppInstance(), found) : nullptr;
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (bytes == nullptr) return;
    const std::string path = Paths().folder + kHelpPageName;
    if (!ReplaceFileContents(path.c_str(), bytes, SizeofResource(AppInstance(), found))) {
        ReportFailure(mainWindow, kMsgCannotWriteFile);
        return;
    }
    ShellExecuteA(mainWindow, "open", path.c_str(), nullptr, nullptr, SW_SHOW);
}

// Whether a press closed the menu: a button still down, or a press the menu left in the queue for
// the window under the pointer (a quick tap is up again before the menu has returned).
bool ClosedByClick() {
    MSG pending;
    return GetAsyncKeyState(VK_LBUTTON) < 0 || GetAsyncKeyState(VK_RBUTTON) < 0 ||
           PeekMessageA(&pending, nullptr, WM_LBUTTONDOWN, WM_LBUTTONDOWN, PM_NOREMOVE) ||
           PeekMessageA(&pending, nullptr, WM_RBUTTONDOWN, WM_RBUTTONDOWN, PM_NOREMOVE);
}

}  // namespace

void RunMainMenu(HWND mainWindow, MenuGuard& guard) {
    if (!guard.MayOpen(GetTickCount())) return;
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, kOpenHelp, "『絵送(KORVI)』の説明を開く");
    AppendMenuA(menu, MF_STRING, kAbout, "『絵送(KORVI)』について");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, kCloseMenu, "メニューを閉じる");
    POINT cursor;
    GetCursorPos(&cursor);
    const int chosen =
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, mainWindow, nullptr);
    if (ClosedByClick()) guard.ClosedByClick(GetTickCount());
    DestroyMenu(menu);
    if (chosen == kOpenHelp) {
        OpenHelpPage(mainWindow);
    } else if (chosen == kAbout) {
        DialogBoxParamA(AppInstance(), MAKEINTRESOURCEA(IDD_ABOUT), mainWindow, AboutProc, 0);
    }
}
