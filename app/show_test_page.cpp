// The test page from the main window: built from the current picture, written beside the program
// and handed to the browser.
#include <windows.h>
// shellapi.h needs windows.h first.
#include <shellapi.h>

#include <string>

#include "app/app_context.h"
#include "app/failure_message.h"
#include "app/main_window_state.h"
#include "app/show_test_page.h"
#include "core/messages.h"
#include "platform/replace_file.h"
#include "resources/resource_ids.h"
#include "testpage/page_text.h"

namespace {

std::string SideText(HWND mainWindow) {
    char text[64] = {};
    GetDlgItemTextA(mainWindow, IDC_SIDE_LENGTH, text, sizeof text);
    return text;
}

}  // namespace

int ShowTestPage(HWND mainWindow, const CurrentPicture& current) {
    if (!current.picture) {
        ReportFailure(mainWindow, kMsgNoPicture);
        return 0;
    }
    PageOptions options;
    options.method = static_cast<int>(SendDlgItemMessageA(mainWindow, IDC_RESIZE_METHOD, CB_GETCURSEL, 0, 0));
    options.side = ClampSideLength(SideText(mainWindow).c_str());
    options.flags = SettingsWord();
    // One after another: every work file stays beside the program, where korvi.exe keeps its files
    // (a worker thread would need a folder elsewhere); the page takes a fraction of a second.
    options.workers = 1;

    // The page goes straight into its file; a page that could not be written whole is not
    // opened, as the browser would show an earlier picture's.
    const std::string path = Paths().folder + "$korvi2.html";
    FileReplacement file(path.c_str());
    if (!file.is_open()) {
        ReportFailure(mainWindow, kMsgCannotWriteFile);
        return 0;
    }
    const HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    const WrittenPage page = StreamTestPage(
        PageSource{current.picture.get(), current.width, current.height}, options, Paths().folder,
        [&file](const std::string& piece) { return file.Write(piece.data(), piece.size()); });
    SetCursor(previous);
    for (const char* message : page.messages) ReportFailure(mainWindow, message);
    if (!page.complete) return 0;
    if (!page.written || !file.Commit()) {
        ReportFailure(mainWindow, kMsgCannotWriteFile);
        return 0;
    }
    ShellExecuteA(mainWindow, "open", path.c_str(), nullptr, nullptr, SW_SHOW);
    return 1;
}
