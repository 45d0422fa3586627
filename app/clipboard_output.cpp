#include "app/clipboard_output.h"

#include <cstring>
#include <string>

#include "app/app_context.h"
#include "app/failure_message.h"
#include "app/main_window.h"
#include "app/notification.h"
#include "app/settings_file.h"
#include "core/conversion.h"
#include "core/messages.h"
#include "resources/resource_ids.h"

namespace {

std::string ControlText(HWND window, int id) {
    char text[64] = {};
    GetDlgItemTextA(window, id, text, sizeof text);
    return text;
}

OutputFormat CheckedFormat(HWND window) {
    if (IsDlgButtonChecked(window, IDC_FORMAT_JPEG) == BST_CHECKED) return OutputFormat::kJpeg;
    if (IsDlgButtonChecked(window, IDC_FORMAT_GIF) == BST_CHECKED) return OutputFormat::kGif;
    return OutputFormat::kBmp;
}

// Hands the text to the clipboard as CF_TEXT; false when the clipboard cannot be opened or
// does not take the text.
bool PlaceText(HWND owner, const std::string& text) {
    if (!OpenClipboard(owner)) return false;
    EmptyClipboard();
    bool placed = false;
    if (HGLOBAL block = GlobalAlloc(GMEM_DDESHARE | GMEM_MOVEABLE | GMEM_ZEROINIT, text.size() + 8)) {
        if (void* bytes = GlobalLock(block)) {
            std::memcpy(bytes, text.c_str(), text.size() + 1);
            GlobalUnlock(block);
            placed = SetClipboardData(CF_TEXT, block) != nullptr;
        }
        if (!placed) GlobalFree(block);
    }
    CloseClipboard();
    return placed;
}

}  // namespace

bool CopyToClipboard(HWND mainWindow) {
    const CurrentPicture& current = StateOf(mainWindow).current;
    ConversionRequest request;
    request.picture = current.picture.get();
    request.width = current.width;
    request.height = current.height;
    request.sourcePath = current.sourcePath;
    request.resizeMethod =
        static_cast<int>(SendDlgItemMessageA(mainWindow, IDC_RESIZE_METHOD, CB_GETCURSEL, 0, 0));
    request.format = CheckedFormat(mainWindow);
    request.qualityText = ControlText(mainWindow, IDC_JPEG_QUALITY);
    request.sideText = ControlText(mainWindow, IDC_SIDE_LENGTH);
    request.workFolder = Paths().folder;

    const ConversionOutcome outcome = ConvertPicture(request);
    if (outcome.settings)
        StoreConversionSettings(Paths().settingsFile, *outcome.settings, request.sourcePath);
    if (!outcome.succeeded) {
        ReportFailure(mainWindow, outcome.message);
        return false;
    }
    if (!PlaceText(mainWindow, outcome.text)) {
        ReportFailure(mainWindow, kMsgClipboardUnavailable);
        return false;
    }
    ShowNotification(mainWindow, kAppCaption, kMsgCopied);
    return true;
}
