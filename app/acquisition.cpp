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
#include "app/drop_rules.h"
#include "app/main_window_state.h"
#include "app/preview_image.h"
#include "core/bmp_file.h"
#include "pipeline/picture_loader.h"
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

// Makes a picture as a reader gives it the current one once it is prepared and drawn; its saved
// copy is written aside and put in place only then. `sourcePath` null keeps the source path.
bool ReplacePicture(HWND mainWindow, MainWindowState& state, PackedBitmap read, bool saveCopy,
                    const char* sourcePath) {
    const std::string pendingCopy = Paths().savedCopy + ".new";
    GlobalBlock picture(PreparePicture(read, saveCopy ? pendingCopy.c_str() : nullptr));
    int width = 0, height = 0;
    if (BitmapLock header{picture.get()}) width = header->biWidth, height = header->biHeight;
    const bool drawn = state.preview && width > 0 && height > 0 &&
                       DrawPreview(state.preview->data(), picture.get(), width, height);
    if (!drawn) {
        if (saveCopy) DeleteFileA(pendingCopy.c_str());
        return false;
    }
    if (saveCopy) MoveFileExA(pendingCopy.c_str(), Paths().savedCopy.c_str(), MOVEFILE_REPLACE_EXISTING);
    CurrentPicture& current = state.current;
    current.picture = std::move(picture);
    current.width = width;
    current.height = height;
    if (sourcePath != nullptr) CopyIfFits(current.sourcePath, kSourcePathSize, sourcePath);
    ShowPictureSize(mainWindow, width, height);
    InvalidateRect(GetDlgItem(mainWindow, IDC_PREVIEW), nullptr, FALSE);
    UpdateWindow(mainWindow);
    return true;
}

}  // namespace

bool LoadPicture(HWND mainWindow, MainWindowState& state, const char* path, PictureOrigin origin) {
    const bool atStart = origin == PictureOrigin::kSavedCopy;
    const char* sourcePath = origin == PictureOrigin::kSourceFile ? path : nullptr;
    const bool fits = sourcePath == nullptr || std::strlen(sourcePath) < kSourcePathSize;
    const bool loaded =
        fits && ReplacePicture(mainWindow, state, ReadPictureByExtension(path, nullptr, state.backColor),
                               !atStart, sourcePath);
    if (!loaded && !atStart) MessageBeep(0);
    return loaded;
}

namespace {

// The open-file dialog, then the chosen file; true when a file was chosen, whatever it gave.
bool ChooseAndLoad(HWND mainWindow, MainWindowState& state) {
    char path[kSourcePathSize];
    std::memcpy(path, state.current.sourcePath, sizeof path);
    if (!ChoosePictureFile(mainWindow, "元の画像ファイルを選択する", "画像ファイル",
                           ReadableFilePattern().c_str(), path)) {
        return false;
    }
    LoadPicture(mainWindow, state, path, PictureOrigin::kSourceFile);
    return true;
}

// Empties the clipboard unless another program has put something on it since `taken`.
void EmptyClipboardTaken(HWND mainWindow, DWORD taken) {
    if (!OpenClipboard(mainWindow)) return;
    if (GetClipboardSequenceNumber() == taken) EmptyClipboard();
    CloseClipboard();
}

}  // namespace

bool AcquirePicture(HWND mainWindow, MainWindowState& state) {
    if (!OpenClipboard(mainWindow)) return ChooseAndLoad(mainWindow, state);
    const std::string text(IsClipboardFormatAvailable(CF_TEXT) ? TrimClipboardText(ClipboardText())
                                                               : std::string_view());
    if (!text.empty() && PathIsURLA(text.c_str())) {
        // The clipboard stays free for other programs while the picture downloads.
        const DWORD taken = GetClipboardSequenceNumber();
        CloseClipboard();
        const std::string path = DownloadPicture(mainWindow, text.c_str());
        if (!path.empty() && LoadPicture(mainWindow, state, path.c_str(), PictureOrigin::kSourceFile)) {
            EmptyClipboardTaken(mainWindow, taken);
            return false;
        }
        if (!OpenClipboard(mainWindow)) return ChooseAndLoad(mainWindow, state);
    } else if (!text.empty() && text.size() < kClipboardPathSize && FileExists(text.c_str())) {
        if (LoadPicture(mainWindow, state, text.c_str(), PictureOrigin::kSourceFile)) {
            EmptyClipboard();
            CloseClipboard();
            return false;
        }
    }
    // A bitmap that cannot be read leaves the current picture as it was.
    if (PackedBitmap picture = IsClipboardFormatAvailable(CF_DIB) ? ReadClipboardBitmap() : nullptr) {
        EmptyClipboard();
        CloseClipboard();
        if (!ReplacePicture(mainWindow, state, picture, true, "")) MessageBeep(0);
        return false;
    }
    CloseClipboard();
    return ChooseAndLoad(mainWindow, state);
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
