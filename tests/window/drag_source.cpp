// korvi-drag: a drag source between Windows programs. Shows a small window at (150, 200); a press
// of the left button on it prints "dragging" and starts DoDragDrop with the data of the command line,
// and the drop ends where the button is let go. Prints "drop EFFECT" or "cancel 0" and ends. The data,
// one argument each:
//   file=PATH       a file of the CF_HDROP list
//   text=TEXT       CF_TEXT in the system code page
//   unicode=TEXT    CF_UNICODETEXT
#include <windows.h>

#include <ole2.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Offer {
    CLIPFORMAT format;
    std::string bytes;
};

HGLOBAL BlockOf(const std::string& bytes) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (block != nullptr) {
        std::memcpy(GlobalLock(block), bytes.data(), bytes.size());
        GlobalUnlock(block);
    }
    return block;
}

std::string Bytes(const void* data, std::size_t size) {
    return std::string(static_cast<const char*>(data), size);
}

std::string Wide(const std::wstring& text) {
    return Bytes(text.c_str(), (text.size() + 1) * sizeof(wchar_t));
}

// The data of one drag and its source, living for the drag on the stack of the one who starts it.
class Drag final : public IDataObject, public IDropSource {
  public:
    explicit Drag(std::vector<Offer> offers) : offers_(std::move(offers)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDataObject)) {
            *object = static_cast<IDataObject*>(this);
        } else if (IsEqualIID(riid, IID_IDropSource)) {
            *object = static_cast<IDropSource*>(this);
        } else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
        const Offer* offer = Find(format);
        if (offer == nullptr) return DV_E_FORMATETC;
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = BlockOf(offer->bytes);
        medium->pUnkForRelease = nullptr;
        return medium->hGlobal != nullptr ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
        return Find(format) != nullptr ? S_OK : DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        out->ptd = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
        if (direction != DATADIR_GET) return E_NOTIMPL;
        std::vector<FORMATETC> formats;
        for (const Offer& offer : offers_)
            formats.push_back({offer.format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL});
        return SHCreateStdEnumFmtEtc(static_cast<UINT>(formats.size()), formats.data(), out);
    }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override {
        if (escape) return DRAGDROP_S_CANCEL;
        return (keys & MK_LBUTTON) ? S_OK : DRAGDROP_S_DROP;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

  private:
    const Offer* Find(const FORMATETC* format) const {
        if (!(format->tymed & TYMED_HGLOBAL) || format->dwAspect != DVASPECT_CONTENT) return nullptr;
        for (const Offer& offer : offers_)
            if (offer.format == format->cfFormat) return &offer;
        return nullptr;
    }

    std::vector<Offer> offers_;
};

std::vector<Offer> g_offers;

LRESULT CALLBACK SourceProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_LBUTTONDOWN) {
        Drag drag(g_offers);
        DWORD effect = DROPEFFECT_NONE;
        std::printf("dragging\n");
        std::fflush(stdout);
        const HRESULT result = DoDragDrop(&drag, &drag, DROPEFFECT_COPY | DROPEFFECT_LINK, &effect);
        std::printf("%s %lu\n", result == DRAGDROP_S_DROP ? "drop" : "cancel", effect);
        std::fflush(stdout);
        DestroyWindow(window);
        return 0;
    }
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int main(int, char** ansiArgs) {
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    std::wstring files;  // each path ended by a zero
    for (int i = 1; i < count; ++i) {
        const std::wstring arg = args[i];
        if (arg.find(L'=') == std::wstring::npos) return 2;
        const std::wstring kind = arg.substr(0, arg.find(L'=')), value = arg.substr(kind.size() + 1);
        if (kind == L"file") files += value + L'\0';
        // The runtime's arguments are the same in the system code page.
        if (kind == L"text")
            g_offers.push_back({CF_TEXT, std::string(std::strchr(ansiArgs[i], '=') + 1) + '\0'});
        if (kind == L"unicode") g_offers.push_back({CF_UNICODETEXT, Wide(value)});
    }
    const DROPFILES header{sizeof(DROPFILES), {0, 0}, FALSE, TRUE};
    if (!files.empty())
        g_offers.insert(g_offers.begin(), {CF_HDROP, Bytes(&header, sizeof header) + Wide(files)});
    OleInitialize(nullptr);
    WNDCLASSW type{};
    type.lpfnWndProc = SourceProc;
    type.hInstance = GetModuleHandleW(nullptr);
    type.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    type.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    type.lpszClassName = L"KorviDragSource";
    RegisterClassW(&type);
    CreateWindowExW(WS_EX_TOPMOST, type.lpszClassName, L"korvi-drag", WS_POPUP | WS_VISIBLE, 150, 200, 150,
                    100, nullptr, nullptr, type.hInstance, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    OleUninitialize();
    return 0;
}
