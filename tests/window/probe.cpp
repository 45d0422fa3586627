// korvi-probe: what the window tests cannot do from X. Reads commands, one a line with tab-separated
// arguments in UTF-8, from standard input and answers each with one line: "ok" and the result, or
// "error" and the reason. Windows are named by their handle in decimal.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Args = std::vector<std::wstring>;

std::wstring FromUtf8(const std::string& text) {
    std::wstring wide(text.size(), L'\0');
    wide.resize(std::max(0, MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                                &wide[0], static_cast<int>(wide.size()))));
    return wide;
}

std::string ToUtf8(const std::wstring& text) {
    std::string narrow(text.size() * 4, '\0');
    narrow.resize(
        std::max(0, WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &narrow[0],
                                        static_cast<int>(narrow.size()), nullptr, nullptr)));
    return narrow;
}

HWND Handle(const std::wstring& text) {
    return reinterpret_cast<HWND>(static_cast<INT_PTR>(std::stoll(text)));
}

HWND Window(const std::wstring& text) {
    HWND window = Handle(text);
    if (!IsWindow(window)) throw std::runtime_error("no such window");
    return window;
}

HWND Control(const Args& args) {
    HWND control = GetDlgItem(Window(args.at(1)), std::stoi(args.at(2)));
    if (control == nullptr) throw std::runtime_error("no such control");
    return control;
}

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result)) {
        throw std::runtime_error("the window does not answer");
    }
    return static_cast<LRESULT>(result);
}

// The caption is the one the system keeps, read without a message, so that a window whose thread
// is busy (a download, say) is listed at once.
BOOL CALLBACK AddTopLevel(HWND window, LPARAM param) {
    if (!IsWindowVisible(window)) return TRUE;
    wchar_t name[256] = {}, caption[512] = {};
    GetClassNameW(window, name, 256);
    GetWindowTextW(window, caption, 512);
    *reinterpret_cast<std::wstring*>(param) +=
        std::to_wstring(reinterpret_cast<INT_PTR>(window)) + L"\t" +
        std::to_wstring(reinterpret_cast<INT_PTR>(GetWindow(window, GW_OWNER))) + L"\t" + name + L"\t" +
        caption + L"\x1f";
    return TRUE;
}

// One entry per visible top-level window: handle, owner, class, caption.
std::wstring ListWindows(const Args&) {
    std::wstring out;
    EnumWindows(AddTopLevel, reinterpret_cast<LPARAM>(&out));
    return out;
}

std::wstring Rect(const Args& args) {
    RECT rect;
    GetWindowRect(args.size() > 2 ? Control(args) : Window(args.at(1)), &rect);
    return std::to_wstring(rect.left) + L" " + std::to_wstring(rect.top) + L" " +
           std::to_wstring(rect.right) + L" " + std::to_wstring(rect.bottom);
}

std::wstring Styles(const Args& args) {
    HWND window = args.size() > 2 ? Control(args) : Window(args.at(1));
    return std::to_wstring(static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE))) + L" " +
           std::to_wstring(static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE)));
}

// Opens the clipboard, retrying while another program holds it.
struct OpenedClipboard {
    OpenedClipboard() {
        for (int attempt = 0; !OpenClipboard(nullptr); ++attempt) {
            if (attempt == 100) throw std::runtime_error("the clipboard stays busy");
            Sleep(20);
        }
    }
    ~OpenedClipboard() { CloseClipboard(); }
};

// Puts bytes given in hexadecimal on the clipboard in the format of the number given.
std::wstring Place(const Args& args) {
    const std::wstring& hex = args.at(2);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, hex.size() / 2);
    if (block == nullptr) throw std::runtime_error("out of memory");
    auto* bytes = static_cast<unsigned char*>(GlobalLock(block));
    for (std::size_t i = 0; i < hex.size() / 2; ++i) bytes[i] = std::stoi(hex.substr(2 * i, 2), nullptr, 16);
    GlobalUnlock(block);
    OpenedClipboard clipboard;
    EmptyClipboard();
    if (!SetClipboardData(std::stoi(args.at(1)), block)) throw std::runtime_error("not placed");
    return {};
}

std::wstring ClearClipboard(const Args&) {
    OpenedClipboard clipboard;
    EmptyClipboard();
    return {};
}

// The words "shown", "enabled" and "iconic" that apply to the window, none when it is gone; sends
// the window nothing.
std::wstring State(const Args& args) {
    HWND window = Handle(args.at(1));
    std::wstring out;
    if (!IsWindow(window)) return out;
    if (IsWindowVisible(window)) out += L"shown ";
    if (IsWindowEnabled(window)) out += L"enabled ";
    if (IsIconic(window)) out += L"iconic ";
    return out;
}

// Keeps the clipboard open, so that nobody else can open it, until released.
std::wstring HoldClipboard(const Args&) {
    if (!OpenClipboard(nullptr)) throw std::runtime_error("the clipboard is busy");
    return {};
}

std::wstring ReleaseClipboard(const Args&) {
    CloseClipboard();
    return {};
}

std::wstring ClipboardFormats(const Args&) {
    OpenedClipboard clipboard;
    std::wstring out;
    for (UINT format = EnumClipboardFormats(0); format != 0; format = EnumClipboardFormats(format)) {
        out += std::to_wstring(format) + L" ";
    }
    return out;
}

// The length of the clipboard's text, for texts too long to pass whole.
std::wstring ClipboardTextLength(const Args&) {
    OpenedClipboard clipboard;
    HANDLE block = GetClipboardData(CF_TEXT);
    if (block == nullptr) throw std::runtime_error("no text");
    const long long length = static_cast<long long>(std::strlen(static_cast<const char*>(GlobalLock(block))));
    GlobalUnlock(block);
    return std::to_wstring(length);
}

std::wstring ControlText(const Args& args) {
    HWND control = Control(args);
    std::wstring text(static_cast<std::size_t>(Send(control, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(Send(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]))));
    return text;
}

std::wstring SetControlText(const Args& args) {
    Send(Control(args), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(args.at(3).c_str()));
    return {};
}

std::wstring Checked(const Args& args) {
    return std::to_wstring(Send(Control(args), BM_GETCHECK, 0, 0));
}

// Clicks a button without waiting for what the click starts.
std::wstring Press(const Args& args) {
    PostMessageW(Control(args), BM_CLICK, 0, 0);
    return {};
}

// Restores a minimised window as the task bar would, without waiting for its thread.
std::wstring Restore(const Args& args) {
    ShowWindowAsync(Window(args.at(1)), SW_RESTORE);
    return {};
}

// Posts a message with a number as its wParam: a command, a close, a system command.
std::wstring Post(const Args& args) {
    PostMessageW(Window(args.at(1)), std::stoul(args.at(2)), std::stoul(args.at(3)), 0);
    return {};
}

const std::map<std::wstring, std::wstring (*)(const Args&)> kCommands = {
    {L"windows", ListWindows},
    {L"rect", Rect},
    {L"styles", Styles},
    {L"text", ControlText},
    {L"set-text", SetControlText},
    {L"checked", Checked},
    {L"press", Press},
    {L"restore", Restore},
    {L"post", Post},
    {L"place", Place},
    {L"clear-clipboard", ClearClipboard},
    {L"formats", ClipboardFormats},
    {L"clipboard-length", ClipboardTextLength},
    {L"state", State},
    {L"hold-clipboard", HoldClipboard},
    {L"release-clipboard", ReleaseClipboard},
};

std::string Answer(const std::string& line) {
    Args args;
    std::wstring field;
    std::wistringstream fields(FromUtf8(line));
    while (std::getline(fields, field, L'\t')) args.push_back(field);
    if (args.empty()) return "error\tempty command";
    const auto command = kCommands.find(args[0]);
    if (command == kCommands.end()) return "error\tunknown command";
    try {
        std::string result = ToUtf8(command->second(args));
        // One answer, one line: line breaks inside texts travel as control characters.
        for (char& c : result) c = c == '\n' ? '\x1e' : c == '\r' ? '\x1d' : c;
        return "ok\t" + result;
    } catch (const std::exception& failure) {
        return std::string("error\t") + failure.what();
    }
}

}  // namespace

int main() {
    _setmode(_fileno(stdout), _O_BINARY);
    for (std::string line; std::getline(std::cin, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::cout << Answer(line) << std::endl;
    }
    return 0;
}
