#include "app/acquisition.h"

#include <commdlg.h>
#include <io.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "app/app_context.h"
#include "app/dialog_start.h"
#include "app/download_picture.h"
#include "app/main_window.h"
#include "app/preview_image.h"
#include "core/bmp_file.h"
#include "core/picture_loader.h"
#include "resources/resource_ids.h"

namespace {

bool FileExists(const char* path) {
    return _access(path, 0) == 0;
}

// The clipboard's text when it is terminated inside its block, else empty.
std::string ClipboardText() {
    HANDLE block = GetClipboardData(CF_TEXT);
    if (block == nullptr) return {};
    BlockLock<const char> text(block);
    if (!text) return {};
    const SIZE_T size = GlobalSize(block);
    const void* end = std::memchr(text.data(), '\0', size);
    return end != nullptr ? std::string(text.data(), static_cast<const char*>(end)) : std::string();
}

// The clipboard's bitmap read by the BMP reader's rules, so that core headers, 16 and 32 bits, bit
// fields and top-down rows convert; null when there is none or it cannot be read.
PackedBitmap ReadClipboardBitmap() {
    HANDLE block = GetClipboardData(CF_DIB);
    if (block == nullptr) return nullptr;
    BlockLock<const BYTE> bytes(block);
    if (!bytes) return nullptr;
    PackedBitmap picture = nullptr;
    ReadBmpBlock(&picture, bytes.data(), GlobalSize(block));
    return picture;
}

void ShowPictureSize(HWND mainWindow, int width, int height) {
    char text[32];
    std::snprintf(text, sizeof text, "%d x %d", width, height);
    SetDlgItemTextA(mainWindow, IDC_PICTURE_SIZE, text);
}

}  // namespace

bool LoadPicture(HWND mainWindow, const char* path, bool saveCopy) {
    MainWindowState& state = StateOf(mainWindow);
    if (!state.preview) return false;
    BITMAPINFOHEADER* preview = state.preview->data();
    FillPreviewBackground(preview);

    CurrentPicture& current = state.current;
    const char* savedCopy = saveCopy ? Paths().savedCopy.c_str() : nullptr;
    if (path != nullptr) {
        current.picture.reset();
        current.picture.reset(LoadPictureFile(path, savedCopy, nullptr, state.backColor));
    } else {
        current.picture.reset(PreparePicture(current.picture.release(), savedCopy));
    }
    if (!current.picture) return false;
    {
        BitmapLock header(current.picture.get());
        if (!header) return false;
        current.width = header->biWidth;
        current.height = header->biHeight;
    }
    ShowPictureSize(mainWindow, current.width, current.height);
    const bool drawn = DrawPreview(preview, current.picture.get(), current.width, current.height);
    InvalidateRect(GetDlgItem(mainWindow, IDC_PREVIEW), nullptr, FALSE);
    UpdateWindow(mainWindow);
    return drawn;
}

namespace {

// The open-file dialog, then the chosen file; true when a file was chosen, whatever it gave.
bool ChooseAndLoad(HWND mainWindow, CurrentPicture& current) {
    if (!ChoosePictureFile(mainWindow, "元の画像ファイルを選択する", "画像ファイル",
                           "*.jpg;*.gif;*.bmp;*.png", current.sourcePath)) {
        return false;
    }
    LoadPicture(mainWindow, current.sourcePath, true);
    return true;
}

}  // namespace

bool AcquirePicture(HWND mainWindow) {
    CurrentPicture& current = StateOf(mainWindow).current;
    if (!OpenClipboard(mainWindow)) return ChooseAndLoad(mainWindow, current);
    const std::string text = IsClipboardFormatAvailable(CF_TEXT) ? ClipboardText() : std::string();
    if (!text.empty() && PathIsURLA(text.c_str())) {
        // The clipboard stays free for other programs while the picture downloads.
        CloseClipboard();
        if (DownloadPicture(mainWindow, text.c_str()) != 0) {
            if (OpenClipboard(mainWindow)) {
                EmptyClipboard();
                CloseClipboard();
            }
            return false;
        }
        if (!OpenClipboard(mainWindow)) return ChooseAndLoad(mainWindow, current);
    } else if (!text.empty() && text.size() < kClipboardPathSize && FileExists(text.c_str())) {
        std::memcpy(current.sourcePath, text.c_str(), text.size() + 1);
        if (LoadPicture(mainWindow, current.sourcePath, true)) {
            EmptyClipboard();
            CloseClipboard();
            return false;
        }
    }
    // A bitmap that cannot be read leaves the current picture as it was.
    if (PackedBitmap picture = IsClipboardFormatAvailable(CF_DIB) ? ReadClipboardBitmap() : nullptr) {
        current.picture.reset(picture);
        current.sourcePath[0] = '\0';
        EmptyClipboard();
        CloseClipboard();
        LoadPicture(mainWindow, nullptr, true);
        return false;
    }
    CloseClipboard();
    return ChooseAndLoad(mainWindow, current);
}

bool ChoosePictureFile(HWND owner, const char* title, const char* description, const char* pattern,
                       char* path) {
    char picturesFolder[MAX_PATH] = {};
    SHGetSpecialFolderPathA(owner, picturesFolder, CSIDL_MYPICTURES, FALSE);
    const DialogStart start = PlanDialogStart(path, picturesFolder);

    char file[kDialogPathSize] = {};
    char fileTitle[kDialogPathSize] = {};
    CopyIfFits(file, sizeof file, start.file.c_str());
    const std::string filter = std::string(description) + '\0' + pattern + '\0' + '\0';
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.hInstance = AppInstance();
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file;
    dialog.nMaxFile = sizeof file;
    dialog.lpstrFileTitle = fileTitle;
    dialog.nMaxFileTitle = sizeof fileTitle;
    dialog.lpstrInitialDir = start.folder.c_str();
    dialog.lpstrTitle = title;
    dialog.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    if (!GetOpenFileNameA(&dialog) || !FileExists(file)) return false;
    std::memcpy(path, file, std::strlen(file) + 1);
    return true;
}
