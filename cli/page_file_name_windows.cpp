#include <windows.h>

#include <algorithm>

#include "cli/page_file_name.h"

namespace {

UINT CodePageOf(PageCharset charset) {
    return charset == PageCharset::kUtf8 ? CP_UTF8 : 932;
}

// The text in another code page; nothing where it is not text of `from` or `to` lacks one of
// its characters (which would become "?" or a look-alike: another file, or none).
std::optional<std::string> Converted(const std::string& text, UINT from, UINT to) {
    const bool ascii = std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; });
    if (ascii || from == to) return text;
    const int size = int(text.size());
    const int wide = MultiByteToWideChar(from, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
    if (wide <= 0) return std::nullopt;
    std::wstring unicode(std::size_t(wide), L'\0');
    MultiByteToWideChar(from, MB_ERR_INVALID_CHARS, text.data(), size, &unicode[0], wide);
    BOOL lacking = FALSE;
    const DWORD flags = to == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL* lacks = to == CP_UTF8 ? nullptr : &lacking;
    const int length = WideCharToMultiByte(to, flags, unicode.data(), wide, nullptr, 0, nullptr, lacks);
    if (length <= 0 || lacking) return std::nullopt;
    std::string converted(std::size_t(length), '\0');
    WideCharToMultiByte(to, flags, unicode.data(), wide, &converted[0], length, nullptr, lacks);
    return converted;
}

}  // namespace

std::string PathInPage(const std::string& path, PageCharset charset) {
    return Converted(path, GetACP(), CodePageOf(charset)).value_or(path);
}

std::optional<std::string> PageFileName(const std::string& path, PageCharset charset) {
    return Converted(path, CodePageOf(charset), GetACP());
}
