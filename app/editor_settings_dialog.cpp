// The dialog that chooses the editor program: its path in edit box 1020, a browse button 1000
// for "*.exe" files, OK storing the path (an empty one too) and Cancel.
#include <string>

#include "app/acquisition.h"
#include "app/app_context.h"
#include "app/editor.h"
#include "app/failure_message.h"
#include "app/place_near_cursor.h"
#include "app/source_path.h"
#include "core/messages.h"
#include "editor/editor_setting.h"
#include "resources/resource_ids.h"

namespace {

std::string ProgramText(HWND dialog) {
    HWND box = GetDlgItem(dialog, IDC_EDITOR_PROGRAM);
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(box)) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowTextA(box, &text[0], static_cast<int>(text.size()))));
    return text;
}

void Browse(HWND dialog) {
    // A path too long for the open-file dialog starts it from the pictures folder.
    char path[kDialogPathSize] = {};
    CopyIfFits(path, sizeof path, ProgramText(dialog).c_str());
    if (ChoosePictureFile(dialog, "画像編集アプリを選択する", "実行ファイル", "*.exe", path)) {
        SetDlgItemTextA(dialog, IDC_EDITOR_PROGRAM, path);
    }
}

INT_PTR CALLBACK EditorSettingsDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG: {
            PlaceNearCursor(dialog);
            HANDLE icon = LoadImageA(AppInstance(), MAKEINTRESOURCEA(IDI_BROWSE), IMAGE_ICON, 16, 16, 0);
            SendDlgItemMessageA(dialog, IDC_BROWSE_EDITOR, BM_SETIMAGE, IMAGE_ICON,
                                reinterpret_cast<LPARAM>(icon));
            SetDlgItemTextA(dialog, IDC_EDITOR_PROGRAM, ReadEditorProgram(Paths().settingsFile).c_str());
            return TRUE;
        }
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDC_BROWSE_EDITOR:
                    Browse(dialog);
                    return TRUE;
                case IDOK:
                    // A choice that could not be stored is said so, and the dialog stays open.
                    if (!StoreEditorProgram(Paths().settingsFile, ProgramText(dialog))) {
                        ReportFailure(dialog, kMsgCannotWriteFile);
                        return TRUE;
                    }
                    EndDialog(dialog, 0);
                    return TRUE;
                case IDCANCEL:
                    EndDialog(dialog, -1);
                    return TRUE;
                default:
                    return FALSE;
            }
        case WM_DESTROY:
            DestroyIcon(reinterpret_cast<HICON>(
                SendDlgItemMessageA(dialog, IDC_BROWSE_EDITOR, BM_GETIMAGE, IMAGE_ICON, 0)));
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

void ShowEditorSettings(HWND mainWindow) {
    DialogBoxParamA(AppInstance(), MAKEINTRESOURCEA(IDD_EDITOR_SETTINGS), mainWindow, EditorSettingsDialog,
                    0);
}
