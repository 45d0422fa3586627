#include "app/clipboard_output.h"

#include <memory>
#include <string>

#include "app/app_context.h"
#include "app/failure_message.h"
#include "app/format_buttons.h"
#include "app/main_window_state.h"
#include "app/notification.h"
#include "app/settings_file.h"
#include "core/global_block.h"
#include "core/messages.h"
#include "pipeline/conversion.h"
#include "resources/resource_ids.h"

namespace {

std::string ControlText(HWND window, int id) {
    char text[64] = {};
    GetDlgItemTextA(window, id, text, sizeof text);
    return text;
}

// The format of the first checked button; the last when no other is checked.
OutputFormat CheckedFormat(HWND window) {
    int number = 0;
    while (number + 1 < kWindowFormatCount && IsDlgButtonChecked(window, FormatButton(number)) != BST_CHECKED)
        ++number;
    return FormatForWindowNumber(number)->id;
}

// The clipboard's text block, which the conversion writes the text into directly, so that the
// text is never held twice.
class ClipboardText {
  public:
    char* Allocate(std::size_t length) {
        block_.reset(GlobalAlloc(GMEM_DDESHARE | GMEM_MOVEABLE | GMEM_ZEROINIT, length + 8));
        lock_ = std::make_unique<BlockLock<char>>(block_.get());
        return lock_->data();
    }

    // Hands the text to the clipboard as CF_TEXT; false when the clipboard cannot be opened or
    // does not take the text.
    bool Place(HWND owner) {
        lock_.reset();
        if (!OpenClipboard(owner)) return false;
        EmptyClipboard();
        const bool placed = block_ && SetClipboardData(CF_TEXT, block_.get()) != nullptr;
        if (placed) block_.release();
        CloseClipboard();
        return placed;
    }

  private:
    GlobalBlock block_;
    std::unique_ptr<BlockLock<char>> lock_;
};

}  // namespace

bool CopyToClipboard(HWND mainWindow, const CurrentPicture& current) {
    ConversionRequest request;
    request.picture = current.picture.get();
    request.width = current.width;
    request.height = current.height;
    request.sourcePath = current.sourcePath;
    request.resizeMethod =
        static_cast<int>(SendDlgItemMessageA(mainWindow, IDC_RESIZE_METHOD, CB_GETCURSEL, 0, 0));
    request.format = CheckedFormat(mainWindow);
    request.quality = ClampJpegQuality(ControlText(mainWindow, IDC_JPEG_QUALITY).c_str());
    request.side = ClampSideLength(ControlText(mainWindow, IDC_SIDE_LENGTH).c_str());
    request.workFolder = Paths().folder;

    ClipboardText text;
    const ConversionOutcome outcome =
        ConvertPicture(request, [&text](std::size_t length) { return text.Allocate(length); });
    if (outcome.settings)
        StoreConversionSettings(Paths().settingsFile, *outcome.settings, request.sourcePath);
    if (!outcome.succeeded) {
        ReportFailure(mainWindow, outcome.message);
        return false;
    }
    if (!text.Place(mainWindow)) {
        ReportFailure(mainWindow, kMsgClipboardUnavailable);
        return false;
    }
    ShowNotification(mainWindow, kAppCaption, kMsgCopied);
    return true;
}
