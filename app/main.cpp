// The process entry: one instance at a time, paths beside the executable, the settings word, OLE,
// then the main window until it closes.
#include <windows.h>

#include <commctrl.h>
#include <ole2.h>

#include <string>

#include "app/app_context.h"
#include "app/drop_target.h"
#include "app/failure_message.h"
#include "app/main_window.h"
#include "app/settings_file.h"
#include "app/single_instance.h"
#include "core/messages.h"

static_assert(kErrorAccessDenied == ERROR_ACCESS_DENIED && kErrorAlreadyExists == ERROR_ALREADY_EXISTS);

namespace {

// The executable's full path however long it is; empty when the system cannot give it.
std::string ExecutablePath() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = GetModuleFileNameA(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) return path.substr(0, length);
        if (path.size() >= 32768) return {};
        path.resize(path.size() * 2);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // Default security and no inheritance: no other process can change or inherit the mutex.
    HANDLE mutex = CreateMutexA(nullptr, TRUE, kAppCaption);
    const InstanceCheck check = CheckInstance(mutex != nullptr, GetLastError());
    if (check != InstanceCheck::kFirst) {
        if (mutex != nullptr) {
            ReleaseMutex(mutex);
            CloseHandle(mutex);
        }
        ReportFailure(nullptr,
                      check == InstanceCheck::kAlreadyRunning ? kMsgAlreadyRunning : kMsgSystemError);
        return 0;
    }
    const std::optional<AppPaths> paths = PathsBesideExecutable(ExecutablePath());
    if (!paths) {
        ReportFailure(nullptr, kMsgSystemError);
        ReleaseMutex(mutex);
        CloseHandle(mutex);
        return 0;
    }
    InitAppContext(instance, *paths, ReadSettingsWord(paths->settingsFile));

    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                        ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    OleInitialize(nullptr);
    RunMainWindow();
    ReleaseDroppedText();
    OleUninitialize();
    WriteSettingsWord(paths->settingsFile, SettingsWord());

    ReleaseMutex(mutex);
    CloseHandle(mutex);
    return 0;
}
