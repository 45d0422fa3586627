// The download of a picture by its web address, with the progress window, into the work file of
// its type beside the program.
#include <windows.h>

#include <commctrl.h>

#include "app/app_context.h"
#include "app/download_picture.h"
#include "app/failure_message.h"
#include "app/place_near_cursor.h"
#include "resources/resource_ids.h"
#include "web/download.h"
#include "web/fetch_context.h"

namespace {

constexpr char kProgressCaption[] = "絵送(KORVI) [ダウンロード]";

// The progress window while it exists.
HWND g_progressWindow = nullptr;

INT_PTR CALLBACK ProgressProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            PlaceNearCursor(window);
            SetWindowTextA(window, reinterpret_cast<const char*>(lParam));
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) != IDCANCEL) return FALSE;
            g_fetchCancelled = 1;
            return TRUE;
        case WM_DESTROY:
            g_progressWindow = nullptr;
            return FALSE;
        default:
            return FALSE;
    }
}

// Draws the window now: no message loop runs while the download blocks this thread.
void ShowProgress(int percent) {
    if (g_progressWindow == nullptr) return;
    SendDlgItemMessageA(g_progressWindow, IDC_PROGRESS_BAR, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
    RedrawWindow(g_progressWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    MSG peeked;
    PeekMessageA(&peeked, nullptr, 0, 0, PM_NOREMOVE);
}

void CloseProgress() {
    if (g_progressWindow != nullptr) DestroyWindow(g_progressWindow);
}

}  // namespace

std::string DownloadPicture(HWND mainWindow, const char* url) {
    g_progressWindow = CreateDialogParamA(AppInstance(), MAKEINTRESOURCEA(IDD_PROGRESS), mainWindow,
                                          ProgressProc, reinterpret_cast<LPARAM>(kProgressCaption));
    if (g_progressWindow != nullptr) {
        SendDlgItemMessageA(g_progressWindow, IDC_PROGRESS_BAR, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
        EnableWindow(GetDlgItem(g_progressWindow, IDCANCEL), FALSE);
        ShowWindow(g_progressWindow, SW_SHOW);
        ShowProgress(0);
    }
    const DownloadOutcome download =
        DownloadToFolder(url, Paths().folder, Program::kWindow, [] { ShowProgress(20); });
    CloseProgress();
    if (download.path.empty()) ReportFailure(mainWindow, download.failure.c_str());
    return download.path;
}
