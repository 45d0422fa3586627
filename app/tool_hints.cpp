// The hint window, class "QV ToolHint", and the thread timer that decides when it shows.
#include "app/tool_hints.h"

#include <string>
#include <string_view>
#include <vector>

#include "app/app_context.h"
#include "app/place_near_cursor.h"
#include "app/tool_hint_rules.h"

namespace {

constexpr char kClassName[] = "QV ToolHint";
constexpr UINT kTickMilliseconds = 100;
constexpr int kMargin = 3;
constexpr COLORREF kFill = RGB(255, 255, 128);

struct HintLine {
    std::string_view text;
    int width;
};

struct ToolHints {
    HWND owner = nullptr;
    ToolHintEntry* table = nullptr;
    UINT_PTR timer = 0;
    HintRest rest;
    HWND window = nullptr;
    RECT area{};  // the area the shown window was made for
    std::string text;
    std::vector<HintLine> lines;  // into `text`
    int widest = 0, lineHeight = 0;
    bool building = false, registered = false;
};

ToolHints g_hints;

HFONT CreateHintFont() {
    LOGFONTA font{};
    font.lfHeight = 12;
    font.lfCharSet = SHIFTJIS_CHARSET;
    font.lfOutPrecision = OUT_TT_PRECIS;
    font.lfPitchAndFamily = FF_MODERN | FIXED_PITCH;
    lstrcpynA(font.lfFaceName, "ＭＳ Ｐゴシック", LF_FACESIZE);
    return CreateFontIndirectA(&font);
}

PixelRect ToPixels(const RECT& rect) {
    return {rect.left, rect.top, rect.right, rect.bottom};
}

void DestroyHint() {
    if (g_hints.window != nullptr) DestroyWindow(g_hints.window);
    g_hints.rest.Forget();
}

// Measures the hint's lines in the owner's DC with the hint's font.
void MeasureLines(const char* text) {
    g_hints.text = text;
    g_hints.lines.clear();
    g_hints.widest = g_hints.lineHeight = 0;
    HDC dc = GetDC(g_hints.owner);
    HFONT font = CreateHintFont();
    HGDIOBJ previous = SelectObject(dc, font);
    for (std::string_view line : HintLines(g_hints.text)) {
        SIZE size{};
        if (!line.empty()) {
            GetTextExtentPoint32A(dc, line.data(), static_cast<int>(line.size()), &size);
            if (size.cx > g_hints.widest) g_hints.widest = size.cx;
            if (size.cy > g_hints.lineHeight) g_hints.lineHeight = size.cy;
        }
        g_hints.lines.push_back({line, static_cast<int>(size.cx)});
    }
    SelectObject(dc, previous);
    DeleteObject(font);
    ReleaseDC(g_hints.owner, dc);
}

void Paint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    HFONT font = CreateHintFont();
    HBRUSH fill = CreateSolidBrush(kFill);
    HPEN border = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
    HGDIOBJ oldFont = SelectObject(dc, font), oldBrush = SelectObject(dc, fill),
            oldPen = SelectObject(dc, border);
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
    SetBkMode(dc, TRANSPARENT);
    const int lines = static_cast<int>(g_hints.lines.size());
    Rectangle(dc, 0, 0, 2 * kMargin + g_hints.widest, 2 * kMargin + lines * g_hints.lineHeight);
    for (int i = 0; i < lines; ++i) {
        const HintLine& line = g_hints.lines[static_cast<std::size_t>(i)];
        if (line.width > 0) {
            ExtTextOutA(dc, kMargin, kMargin + i * g_hints.lineHeight, 0, nullptr, line.text.data(),
                        static_cast<UINT>(line.text.size()), nullptr);
        }
    }
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(border);
    DeleteObject(fill);
    DeleteObject(font);
    EndPaint(window, &paint);
}

LRESULT CALLBACK ToolHintWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            g_hints.window = window;
            SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
            return 0;
        case WM_PAINT:
            Paint(window);
            return 0;
        case WM_CLOSE:
            DestroyWindow(window);
            return 0;
        case WM_DESTROY:
            if (g_hints.window == window) {
                g_hints.window = nullptr;
                g_hints.area = RECT{};
            }
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

bool RegisterHintClass() {
    if (g_hints.registered) return true;
    WNDCLASSA type{};
    type.lpfnWndProc = ToolHintWndProc;
    type.hInstance = AppInstance();
    type.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    type.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    type.lpszClassName = kClassName;
    g_hints.registered = RegisterClassA(&type) != 0;
    return g_hints.registered;
}

PixelRect OwnerRect() {
    RECT rect{};
    GetWindowRect(g_hints.owner, &rect);
    return ToPixels(rect);
}

bool SameArea(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// Whether the pointer (screen coordinates) is over the row's control or the owner itself, not
// over a window that covers them.
bool Uncovered(const ToolHintEntry& row, POINT screen) {
    HWND under = WindowFromPoint(screen);
    return under != nullptr && (under == row.control || under == g_hints.owner);
}

void CALLBACK ToolHintTimerProc(HWND, UINT, UINT_PTR, DWORD) {
    if (g_hints.owner == nullptr || g_hints.table == nullptr) return;
    const bool buttonDown =
        (GetAsyncKeyState(VK_LBUTTON) & 0x8000) || (GetAsyncKeyState(VK_RBUTTON) & 0x8000);
    POINT screen{};
    GetCursorPos(&screen);
    POINT client = screen;
    ScreenToClient(g_hints.owner, &client);
    std::vector<PixelRect> areas;
    for (const ToolHintEntry* row = g_hints.table; row->controlId != 0; ++row)
        areas.push_back(ToPixels(row->area));
    const PixelPoint point{client.x, client.y};
    const DWORD now = GetTickCount();
    const HintRest::Step step = g_hints.rest.Tick(buttonDown, point, now, areas);
    if (step.hide && g_hints.window != nullptr) DestroyWindow(g_hints.window);
    if (!step.search) return;
    const int shown = g_hints.rest.Search(point, now, areas,
                                          [&](int row) { return Uncovered(g_hints.table[row], screen); });
    if (shown >= 0) ShowToolHint(g_hints.table[shown].text, g_hints.table[shown].area);
}

}  // namespace

void LayoutToolHints(HWND owner, ToolHintEntry* table) {
    for (ToolHintEntry* row = table; row->controlId != 0; ++row) {
        row->control = GetDlgItem(owner, row->controlId);
        RECT rect{};
        if (row->control != nullptr) GetWindowRect(row->control, &rect);
        POINT corner{rect.left, rect.top};
        ScreenToClient(owner, &corner);
        row->area = {corner.x, corner.y, corner.x + (rect.right - rect.left),
                     corner.y + (rect.bottom - rect.top)};
    }
}

void StartToolHints(HWND owner, ToolHintEntry* table) {
    DestroyHint();
    g_hints.owner = owner;
    g_hints.table = table;
    POINT pointer{};
    GetCursorPos(&pointer);
    ScreenToClient(owner, &pointer);
    g_hints.rest.Restart({pointer.x, pointer.y}, GetTickCount());
    if (g_hints.timer == 0) g_hints.timer = SetTimer(nullptr, 0, kTickMilliseconds, ToolHintTimerProc);
}

void ShowToolHint(const char* text, const RECT& area) {
    if (g_hints.building) return;
    g_hints.building = true;
    if (g_hints.window != nullptr) {
        if (SameArea(g_hints.area, area)) {
            g_hints.building = false;
            return;
        }
        DestroyWindow(g_hints.window);
    }
    g_hints.area = area;
    MeasureLines(text);
    if (g_hints.lines.empty() || g_hints.widest == 0 || g_hints.lineHeight == 0 || !RegisterHintClass()) {
        g_hints.building = false;
        return;
    }
    POINT origin{0, 0};
    ClientToScreen(g_hints.owner, &origin);
    const PixelRect onScreen{area.left + origin.x, area.top + origin.y, area.right + origin.x,
                             area.bottom + origin.y};
    const PixelRect place =
        PlaceToolHint(onScreen, g_hints.widest, static_cast<int>(g_hints.lines.size()), g_hints.lineHeight,
                      MonitorOfRect(OwnerRect(), MONITOR_DEFAULTTONEAREST));
    // Layered and transparent, the hint lets a click through to the control it covers; it shows
    // without taking the activation.
    HWND window =
        CreateWindowExA(WS_EX_LAYERED | WS_EX_TRANSPARENT, kClassName, "", WS_POPUP, place.left, place.top,
                        place.Width(), place.Height(), g_hints.owner, nullptr, AppInstance(), nullptr);
    if (window != nullptr) {
        SetLayeredWindowAttributes(window, 0, 255, LWA_ALPHA);
        ShowWindow(window, SW_SHOWNOACTIVATE);
    }
    g_hints.building = false;
}

void StopToolHints() {
    DestroyHint();
    if (g_hints.timer != 0) KillTimer(nullptr, g_hints.timer);
    g_hints.timer = 0;
    g_hints.owner = nullptr;
    g_hints.table = nullptr;
}
