// The COM drop target of the main window: it takes the first dropped file or the dropped text,
// keeps it, and posts the window a notification; the window does the loading.
#include "app/drop_target.h"

#include <ole2.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <string>

#include "app/drop_rules.h"
#include "core/global_block.h"

namespace {

struct FreeText {
    void operator()(char* text) const { std::free(text); }
};

char g_droppedItem[kDroppedItemSize] = {};
std::unique_ptr<char, FreeText> g_droppedText;

// Reads one format of the data object as a global memory block; the medium is released with it.
class DroppedMedium {
  public:
    DroppedMedium(IDataObject* data, CLIPFORMAT format) {
        FORMATETC wanted{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        taken_ = data->GetData(&wanted, &medium_) == S_OK;
        if (taken_ && (medium_.tymed != TYMED_HGLOBAL || medium_.hGlobal == nullptr)) {
            ReleaseStgMedium(&medium_);
            taken_ = false;
        }
    }
    DroppedMedium(const DroppedMedium&) = delete;
    DroppedMedium& operator=(const DroppedMedium&) = delete;
    ~DroppedMedium() {
        if (taken_) ReleaseStgMedium(&medium_);
    }

    explicit operator bool() const { return taken_; }
    HGLOBAL block() const { return medium_.hGlobal; }

  private:
    STGMEDIUM medium_{};
    bool taken_ = false;
};

// `wide` in the system code page; nothing when a character has no exact spelling there (a near
// one could name another file or address).
std::optional<std::string> ToAnsi(const wchar_t* wide, int length) {
    if (length == 0) return std::string();
    BOOL lossy = FALSE;
    const int size =
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, length, nullptr, 0, nullptr, &lossy);
    if (size <= 0 || lossy) return std::nullopt;
    std::string text(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, length, &text[0], size, nullptr, nullptr);
    return text;
}

// The first file's full path, or empty when it does not fit the item or cannot be spelt.
std::string FirstFile(HGLOBAL block) {
    auto* drop = static_cast<HDROP>(block);
    const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
    if (length == 0 || length >= kDroppedItemSize) return {};
    std::wstring path(length + 1, L'\0');
    if (DragQueryFileW(drop, 0, &path[0], length + 1) != length) return {};
    std::optional<std::string> ansi = ToAnsi(path.c_str(), static_cast<int>(length));
    return ansi && ansi->size() < kDroppedItemSize ? *ansi : std::string();
}

// The text up to its first zero inside the block; nothing when the block holds no zero.
template <typename Char>
std::optional<std::basic_string<Char>> TerminatedText(HGLOBAL block) {
    BlockLock<const Char> text(block);
    if (!text) return std::nullopt;
    const std::size_t count = GlobalSize(block) / sizeof(Char);
    for (std::size_t i = 0; i < count; ++i) {
        if (text.data()[i] == Char()) return std::basic_string<Char>(text.data(), i);
    }
    return std::nullopt;
}

// The dropped text as CF_TEXT, else CF_UNICODETEXT in the system code page.
std::optional<std::string> DroppedTextOf(IDataObject* data) {
    if (DroppedMedium ansi{data, CF_TEXT}) return TerminatedText<char>(ansi.block());
    DroppedMedium unicode{data, CF_UNICODETEXT};
    if (!unicode) return std::nullopt;
    const std::optional<std::wstring> wide = TerminatedText<wchar_t>(unicode.block());
    // A text this long could not be kept whatever its spelling.
    if (!wide || wide->size() >= kDroppedTextLimit) return std::nullopt;
    return ToAnsi(wide->c_str(), static_cast<int>(wide->size()));
}

class DropIE final : public IDropTarget {
  public:
    DropIE(HWND window, UINT message) : window_(window), message_(message) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (object == nullptr) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDropTarget)) {
            *object = static_cast<IDropTarget*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        return static_cast<ULONG>(InterlockedIncrement(&references_));
    }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left > 0) return static_cast<ULONG>(left);
        delete this;
        return 0;
    }

    // Every drag is welcome, with the effect its source proposes.
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD, POINTL, DWORD*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DragLeave() override { return S_OK; }

    // A drop too large for the memory left is ignored, as an unusable one is: no exception may
    // reach OLE.
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL, DWORD*) override {
        try {
            return Take(data);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
    }

  private:
    HRESULT Take(IDataObject* data) {
        if (data == nullptr) return S_OK;
        if (DroppedMedium files{data, CF_HDROP}) {
            g_droppedText.reset();
            const std::string path = FirstFile(files.block());
            std::memcpy(g_droppedItem, path.c_str(), path.size() + 1);
            Notify(DropKind::kFiles);
            return S_OK;
        }
        std::optional<std::string> text = DroppedTextOf(data);
        if (!text) return S_OK;
        g_droppedText.reset();
        const std::string trimmed(TrimDroppedText(*text));
        const std::optional<DropKind> kind =
            ClassifyDroppedText(trimmed, PathIsURLA(trimmed.c_str()) != FALSE);
        if (kind == DropKind::kUrl) {
            std::memcpy(g_droppedItem, trimmed.c_str(), trimmed.size() + 1);
        } else if (kind == DropKind::kText) {
            g_droppedText.reset(_strdup(trimmed.c_str()));
        }
        if (kind) Notify(*kind);
        return S_OK;
    }

    void Notify(DropKind kind) const {
        if (window_ != nullptr) PostMessageA(window_, message_, static_cast<WPARAM>(kind), 0);
    }

    HWND window_;
    UINT message_;
    LONG references_ = 0;
};

}  // namespace

void RegisterDropTarget(HWND window, UINT message) {
    auto* target = new (std::nothrow) DropIE(window, message);
    IDropTarget* registered = nullptr;
    if (target == nullptr ||
        target->QueryInterface(IID_IDropTarget, reinterpret_cast<void**>(&registered)) != S_OK)
        return;
    // The registration keeps its own reference; a failed one leaves the object to this release.
    RegisterDragDrop(window, registered);
    registered->Release();
}

void RevokeDropTarget(HWND window) {
    RevokeDragDrop(window);
}

const char* DroppedItem() {
    return g_droppedItem;
}

const char* DroppedText() {
    return g_droppedText.get();
}

void ReleaseDroppedText() {
    g_droppedText.reset();
}
