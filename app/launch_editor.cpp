// The editor round trip: the command line from the settings or the .bmp association, the editor
// started on the hand-over file, and the wait with the main window minimised.
#include <io.h>

#include "app/app_context.h"
#include "app/editor.h"
#include "editor/editor_command.h"
#include "editor/editor_setting.h"
#include "editor/editor_wait.h"
#include "editor/read_key_default.h"

namespace {

std::optional<std::string> ClassKeyText(const std::string& name) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, name.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::string text = ReadKeyDefault(key);
    RegCloseKey(key);
    return text;
}

class ProcessWatch final : public EditorWatch {
  public:
    ProcessWatch(HWND mainWindow, HANDLE process) : mainWindow_(mainWindow), process_(process) {}

    bool WaitReady(unsigned milliseconds) override {
        return WaitForInputIdle(process_, milliseconds) != WAIT_TIMEOUT;
    }
    // The process handle tells the end, also of an editor whose exit code is STILL_ACTIVE.
    bool WaitEnded(unsigned milliseconds) override {
        return WaitForSingleObject(process_, milliseconds) != WAIT_TIMEOUT;
    }
    // Looking at the queue also delivers the messages sent to the window, a restore among them.
    bool QuitPending() override {
        MSG message;
        return PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != 0;
    }
    bool MainWindowMinimised() override { return IsIconic(mainWindow_) != 0; }

  private:
    HWND mainWindow_;
    HANDLE process_;
};

}  // namespace

int LaunchEditor(HWND mainWindow, const char* path) {
    EditorSources sources;
    sources.editBitmap = ReadEditorProgram(Paths().settingsFile);
    sources.fileExists = [](const std::string& file) { return _access(file.c_str(), 0) == 0; };
    sources.keyText = ClassKeyText;
    std::optional<std::string> command = EditorCommandLine(sources, path);
    if (!command) return 0;

    ShowWindow(mainWindow, SW_SHOWMINIMIZED);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (CreateProcessA(nullptr, command->data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &process)) {
        CloseHandle(process.hThread);
        ProcessWatch watch(mainWindow, process.hProcess);
        WaitForEditor(watch);
        CloseHandle(process.hProcess);
    }
    if (IsIconic(mainWindow)) ShowWindow(mainWindow, SW_RESTORE);
    return 1;
}
