#include "app/main_window.h"

#include <new>

#include "app/acquisition.h"
#include "app/app_context.h"
#include "app/clipboard_output.h"
#include "app/download_picture.h"
#include "app/drop_rules.h"
#include "app/drop_target.h"
#include "app/editor.h"
#include "app/failure_message.h"
#include "app/format_buttons.h"
#include "app/main_menu.h"
#include "app/main_window_state.h"
#include "app/place_near_cursor.h"
#include "app/preview_image.h"
#include "app/settings_file.h"
#include "app/show_test_page.h"
#include "app/tool_hints.h"
#include "core/bmp_file.h"
#include "core/messages.h"
#include "resources/resource_ids.h"

static_assert(kClickedCode == BN_CLICKED);

namespace {

constexpr const char* kResizeMethods[] = {"そのまま表示する", "幅に制限する", "幅に固定する",
                                          "正方形に収める"};
constexpr int kIconButtons[][2] = {
    {IDC_MENU, IDI_MENU}, {IDC_TEST_PAGE_SETTINGS, IDI_SETTINGS}, {IDC_EDITOR_SETTINGS, IDI_SETTINGS}};

void PlaceAtStoredRect(HWND window, const PixelRect& stored) {
    if (stored.IsEmpty()) {
        PlaceNearCursor(window);
        return;
    }
    RECT rect;
    GetWindowRect(window, &rect);
    const PixelPoint place = PlaceStoredWindow({stored.left, stored.top}, rect.right - rect.left,
                                               rect.bottom - rect.top, MonitorOfRect(stored));
    SetWindowPos(window, nullptr, place.x, place.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void CreatePreview(HWND window, MainWindowState& state) {
    RECT box;
    GetWindowRect(GetDlgItem(window, IDC_PREVIEW), &box);
    state.previewBlock = CreatePreviewImage(box.right - box.left, box.bottom - box.top);
    if (state.previewBlock) state.preview = std::make_unique<BitmapLock>(state.previewBlock.get());
    if (state.preview && !*state.preview) state.preview.reset();
}

void Initialise(HWND window, MainWindowState& state) {
    const WindowSettings settings = ReadWindowSettings(Paths().settingsFile);
    state.smallIcon =
        static_cast<HICON>(LoadImageA(AppInstance(), MAKEINTRESOURCEA(IDI_KORVI), IMAGE_ICON,
                                      GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(state.smallIcon));
    PlaceAtStoredRect(window, settings.rect);
    RegisterDropTarget(window, WM_DROPNOTIFY);
    StartMainWindowHints(window);

    state.current = CurrentPicture{};
    CreatePreview(window, state);
    for (const auto& [control, icon] : kIconButtons) {
        HANDLE image = LoadImageA(AppInstance(), MAKEINTRESOURCEA(icon), IMAGE_ICON, 16, 16, 0);
        SendDlgItemMessageA(window, control, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(image));
    }
    state.drag.LoadCursors(AppInstance());

    CopyIfFits(state.current.sourcePath, kSourcePathSize, settings.inputFile.c_str());
    LoadPicture(window, state, Paths().savedCopy.c_str(), PictureOrigin::kSavedCopy);
    state.backColor = settings.backColor;

    for (const char* method : kResizeMethods) {
        SendDlgItemMessageA(window, IDC_RESIZE_METHOD, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(method));
    }
    SendDlgItemMessageA(window, IDC_RESIZE_METHOD, CB_SETCURSEL, settings.sizeChange, 0);
    CheckRadioButton(window, FormatButton(0), FormatButton(kWindowFormatCount - 1),
                     FormatButton(settings.format));
    SetDlgItemInt(window, IDC_JPEG_QUALITY, settings.jpegQuality, FALSE);
    SetDlgItemInt(window, IDC_SIDE_LENGTH, settings.pixel, FALSE);
}

void Destroy(HWND window, MainWindowState& state) {
    StoreWindowRect(Paths().settingsFile, RestoredWindowRect(window));
    DestroyIcon(state.smallIcon);
    RevokeDropTarget(window);
    StopToolHints();
    for (const auto& [control, icon] : kIconButtons) {
        (void)icon;
        DestroyIcon(
            reinterpret_cast<HICON>(SendDlgItemMessageA(window, control, BM_GETIMAGE, IMAGE_ICON, 0)));
    }
    state.drag.Destroy(window);
    state.preview.reset();
    state.previewBlock.reset();
    state.current.picture.reset();
}

// Ends a busy time. Drops that arrived meanwhile are ignored, also those whose notification
// waited in the queue while the command ran without looking at it.
void EndBusy(HWND window, MainWindowState& state) {
    state.busy = false;
    MSG drop;
    while (PeekMessageA(&drop, window, WM_DROPNOTIFY, WM_DROPNOTIFY, PM_REMOVE)) {
    }
}

// After an acquisition: a successful one converts at once when the box asks for it.
void FinishAcquisition(HWND window, MainWindowState& state, bool acquired) {
    EndBusy(window, state);
    if (acquired && IsDlgButtonChecked(window, IDC_AUTO_OUTPUT) == BST_CHECKED) {
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_OUTPUT, BN_CLICKED), 0);
    }
}

void EditPicture(HWND window, MainWindowState& state) {
    const char* path = Paths().editorFile.c_str();
    if (!state.current.picture || WriteBmpFile(state.current.picture.get(), path) != kBmpWritten) return;
    state.busy = true;
    if (LaunchEditor(window, path) == 1) LoadPicture(window, state, path, PictureOrigin::kEditor);
    EndBusy(window, state);
}

bool IsExistingFile(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void TakeDrop(HWND window, MainWindowState& state, WPARAM kind) {
    if (state.busy) return;
    const DropPlan plan = PlanDrop(static_cast<DropKind>(kind), DroppedItem(), DroppedText(), IsExistingFile);
    if (plan.action == DropPlan::kIgnore) return;
    state.busy = true;
    bool acquired = false;
    if (plan.action == DropPlan::kDownload) {
        const std::string path = DownloadPicture(window, plan.target.c_str());
        acquired = !path.empty() && LoadPicture(window, state, path.c_str(), PictureOrigin::kSourceFile);
    } else if (plan.action == DropPlan::kLoad) {
        acquired = LoadPicture(window, state, plan.target.c_str(), PictureOrigin::kSourceFile);
    } else {
        MessageBeep(0);
    }
    FinishAcquisition(window, state, acquired);
}

void Command(HWND window, MainWindowState& state, int id) {
    switch (id) {
        case IDC_PREVIEW:
            if (state.busy) return;
            state.busy = true;
            FinishAcquisition(window, state, AcquirePicture(window, state));
            return;
        case IDC_OUTPUT:
            if (state.busy) return;
            state.busy = true;
            CopyToClipboard(window, state.current);
            EndBusy(window, state);
            return;
        case IDC_EDIT_PICTURE:
            if (!state.busy) EditPicture(window, state);
            return;
        case IDC_TEST_PAGE:
            ShowTestPage(window, state.current);
            return;
        case IDC_MENU:
            RunMainMenu(window, state.menuGuard);
            return;
        case IDC_TEST_PAGE_SETTINGS:
            ShowTestPageSettings(window);
            return;
        case IDC_EDITOR_SETTINGS:
            ShowEditorSettings(window);
            return;
        case IDCANCEL:
            EndDialog(window, -1);
            return;
        default:
            return;
    }
}

// Runs a command; memory too short for it ends it in the conversion's failure message, since no
// exception may leave the window procedure.
template <typename Action>
void Guarded(HWND window, MainWindowState& state, Action action) {
    try {
        action();
    } catch (const std::bad_alloc&) {
        EndBusy(window, state);
        ReportFailure(window, kMsgConversionError);
    }
}

void DrawPreviewBox(const MainWindowState& state, const DRAWITEMSTRUCT& item) {
    if (!state.preview || !(item.itemAction & (ODA_DRAWENTIRE | ODA_SELECT)) ||
        (item.itemState & ODS_SELECTED)) {
        return;
    }
    const BITMAPINFOHEADER* header = state.preview->data();
    SetStretchBltMode(item.hDC, COLORONCOLOR);
    StretchDIBits(item.hDC, 0, 0, header->biWidth, header->biHeight, 0, 0, header->biWidth, header->biHeight,
                  PixelRows(header), reinterpret_cast<const BITMAPINFO*>(header), DIB_RGB_COLORS, SRCCOPY);
}

INT_PTR CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrA(window, GWLP_USERDATA, lParam);
    auto* state = reinterpret_cast<MainWindowState*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (state == nullptr) return FALSE;
    state->drag.Handle(window, message, wParam, lParam);
    switch (message) {
        case WM_INITDIALOG:
            Initialise(window, *state);
            return TRUE;
        case WM_DRAWITEM:
            if (wParam != IDC_PREVIEW) return FALSE;
            DrawPreviewBox(*state, *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_COMMAND:
            if (IsCommand(HIWORD(wParam), lParam != 0)) {
                Guarded(window, *state, [&] { Command(window, *state, LOWORD(wParam)); });
            }
            return TRUE;
        case WM_DROPNOTIFY:
            Guarded(window, *state, [&] { TakeDrop(window, *state, wParam); });
            return TRUE;
        case WM_DESTROY:
            Destroy(window, *state);
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

void RunMainWindow() {
    MainWindowState state;
    DialogBoxParamA(AppInstance(), MAKEINTRESOURCEA(IDD_MAIN), nullptr, MainWindowProc,
                    reinterpret_cast<LPARAM>(&state));
}
