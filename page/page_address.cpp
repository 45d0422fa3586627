#include "page/page_address.h"

#include <vector>

#include "core/path_text.h"
#include "page/ascii_text.h"

namespace {

// Without leading and trailing C0 controls and spaces, and without tabs and line breaks.
std::string Trimmed(std::string_view url) {
    std::size_t start = 0, end = url.size();
    while (start < end && static_cast<unsigned char>(url[start]) <= 0x20) ++start;
    while (end > start && static_cast<unsigned char>(url[end - 1]) <= 0x20) --end;
    std::string trimmed;
    for (std::size_t i = start; i < end; ++i)
        if (url[i] != '\t' && url[i] != '\n' && url[i] != '\r') trimmed += url[i];
    return trimmed;
}

// The scheme before the first ":", in lower case; empty without one.
std::string SchemeOf(const std::string& url) {
    if (url.empty() || !IsAsciiAlpha(url[0])) return {};
    std::size_t end = 1;
    while (end < url.size() &&
           (IsAsciiAlphanumeric(url[end]) || url[end] == '+' || url[end] == '-' || url[end] == '.'))
        ++end;
    if (end == url.size() || url[end] != ':') return {};
    std::string scheme = url.substr(0, end);
    for (char& c : scheme) c = AsciiLower(c);
    return scheme;
}

bool IsSlash(char c) {
    return c == '/' || c == '\\';
}

bool IsSingleDot(std::string_view segment) {
    return segment == "." || EqualsIgnoringAsciiCase(segment, "%2e");
}

bool IsDoubleDot(std::string_view segment) {
    return segment == ".." || EqualsIgnoringAsciiCase(segment, ".%2e") ||
           EqualsIgnoringAsciiCase(segment, "%2e.") || EqualsIgnoringAsciiCase(segment, "%2e%2e");
}

// The path's segments between slashes (a "\" that is the second byte of a Shift_JIS
// character is none).
std::vector<std::string_view> Segments(std::string_view path, PageCharset charset) {
    std::vector<std::string_view> segments;
    std::size_t start = 0;
    for (std::size_t at = 0; at < path.size(); at += CharacterBytes(path, at, charset)) {
        if (!IsSlash(path[at])) continue;
        segments.push_back(path.substr(start, at - start));
        start = at + 1;
    }
    segments.push_back(path.substr(start));
    return segments;
}

// The segment with its percent-escapes decoded; false where one gives a separator or NUL.
bool Decoded(std::string_view segment, std::string& out) {
    for (std::size_t i = 0; i < segment.size(); ++i) {
        const int high = i + 2 < segment.size() ? HexDigitValue(segment[i + 1]) : -1;
        const int low = i + 2 < segment.size() ? HexDigitValue(segment[i + 2]) : -1;
        if (segment[i] != '%' || high < 0 || low < 0) {
            out += segment[i];
            continue;
        }
        const char decoded = char(high * 16 + low);
        if (decoded == '/' || decoded == '\\' || decoded == '\0') return false;
        out += decoded;
        i += 2;
    }
    return true;
}

Address Unresolvable(std::string why) {
    return Address{AddressKind::kUnresolvable, {}, std::move(why)};
}

// The address resolved; `folder` tells a path that ends in a separator.
Address Resolve(std::string_view written, const AddressBase& base, PageCharset charset, bool* folder) {
    const std::string url = Trimmed(written);
    const std::string scheme = SchemeOf(url);
    if (scheme == "data") return Address{AddressKind::kData, {}, {}};
    if (scheme == "http" || scheme == "https") return Address{AddressKind::kRemote, {}, {}};
    if (!scheme.empty()) return Unresolvable("a " + scheme + ": address, not a file of the page");
    if (url.size() >= 2 && IsSlash(url[0]) && IsSlash(url[1])) return Address{AddressKind::kRemote, {}, {}};
    const std::string_view path = std::string_view(url).substr(0, url.find_first_of("?#"));
    if (path.empty()) return Address{AddressKind::kSelf, {}, {}};
    if (base.remote) return Address{AddressKind::kRemote, {}, {}};

    const bool fromRoot = IsSlash(path[0]);
    std::vector<std::string_view> segments = Segments(fromRoot ? path.substr(1) : path, charset);
    std::vector<std::string> resolved;
    std::size_t above = 0;  // ".." past the page's folder, which the file system takes
    for (std::size_t i = 0; i < segments.size(); ++i) {
        const bool last = i + 1 == segments.size();
        if (IsDoubleDot(segments[i])) {
            if (!resolved.empty()) {
                resolved.pop_back();
            } else if (!fromRoot) {
                ++above;
            }
            if (last) resolved.emplace_back();
        } else if (IsSingleDot(segments[i])) {
            if (last) resolved.emplace_back();
        } else {
            std::string segment;
            if (!Decoded(segments[i], segment))
                return Unresolvable("an escaped separator or NUL in its path");
            resolved.push_back(std::move(segment));
        }
    }
    Address address{AddressKind::kLocal, fromRoot ? base.root : base.folder, {}};
    for (std::size_t i = 0; i < above; ++i) address.path += "../";
    for (std::size_t i = 0; i < resolved.size(); ++i) address.path += (i > 0 ? "/" : "") + resolved[i];
    *folder = resolved.back().empty();
    return address;
}

}  // namespace

AddressBase FileBase(const std::string& path, const std::string& root) {
    AddressBase base;
    base.folder = FolderOf(path);
    base.root = root.empty() ? base.folder : root;
    if (!base.root.empty() && !IsSlash(base.root.back())) base.root += '/';
    return base;
}

Address ResolveAddress(std::string_view url, const AddressBase& base, PageCharset charset) {
    bool folder = false;
    Address address = Resolve(url, base, charset, &folder);
    return folder ? Unresolvable("a folder, not a file") : address;
}

AddressBase BaseOfHref(std::string_view href, const AddressBase& page, PageCharset charset) {
    AddressBase base = page;
    bool folder = false;
    const Address address = Resolve(href, page, charset, &folder);
    if (address.kind == AddressKind::kRemote) {
        base.remote = true;
    } else if (address.kind == AddressKind::kLocal) {
        base.folder = FileBase(address.path, page.root).folder;
    }
    return base;
}
