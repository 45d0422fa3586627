#include "page/character_references.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>

#include "page/ascii_text.h"
#include "page/named_references.h"

namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD
constexpr std::size_t kLongestName = 32;

// What the numbers 0x80 to 0x9F stand for in a numeric reference (windows-1252); 0 for those
// that stay themselves.
constexpr std::uint16_t kC1Replacements[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

std::uint32_t NumericReferenceValue(std::uint32_t number) {
    if (number == 0 || number > 0x10FFFF || (number >= 0xD800 && number <= 0xDFFF)) return 0xFFFD;
    if (number >= 0x80 && number <= 0x9F && kC1Replacements[number - 0x80] != 0)
        return kC1Replacements[number - 0x80];
    return number;
}

const NamedReference* FindName(std::string_view name) {
    const NamedReference* end = std::end(kNamedReferences);
    const NamedReference* found = std::lower_bound(std::begin(kNamedReferences), end, name,
                                                   [](const NamedReference& entry, std::string_view wanted) {
                                                       return std::string_view(entry.name) < wanted;
                                                   });
    return found != end && std::string_view(found->name) == name ? found : nullptr;
}

// A reference that begins at raw[at] == '&': how many bytes it takes and what it gives, or 0
// bytes when the "&" stands for itself.
struct Reference {
    std::size_t length = 0;
    std::string text;
};

Reference NumericReference(std::string_view raw, std::size_t at) {
    std::size_t i = at + 2;
    const bool hex = i < raw.size() && (raw[i] == 'x' || raw[i] == 'X');
    if (hex) ++i;
    const std::size_t digits = i;
    std::uint32_t number = 0;
    for (; i < raw.size() && (hex ? HexDigitValue(raw[i]) >= 0 : IsAsciiDigit(raw[i])); ++i) {
        const std::uint32_t next = number * (hex ? 16 : 10) + std::uint32_t(HexDigitValue(raw[i]));
        number = next > 0x10FFFF ? 0x110000 : next;  // stays out of range once it is
    }
    if (i == digits) return {};
    if (i < raw.size() && raw[i] == ';') ++i;
    Reference reference{i - at, {}};
    AppendUtf8(NumericReferenceValue(number), reference.text);
    return reference;
}

// The longest name of the table that follows; a name without ";" (a legacy one) is not taken
// where "=" or a letter or digit follows it, as in an attribute.
Reference NamedReferenceAt(std::string_view raw, std::size_t at) {
    std::size_t end = at + 1;
    while (end < raw.size() && IsAsciiAlphanumeric(raw[end])) ++end;
    if (end < raw.size() && raw[end] == ';') {
        if (const NamedReference* entry = FindName(raw.substr(at + 1, end + 1 - at - 1)))
            return {end + 1 - at, entry->text};
    }
    for (std::size_t length = std::min(end - at - 1, kLongestName); length > 0; --length) {
        const NamedReference* entry = FindName(raw.substr(at + 1, length));
        if (entry == nullptr) continue;
        const std::size_t next = at + 1 + length;
        if (next < raw.size() && (raw[next] == '=' || IsAsciiAlphanumeric(raw[next]))) return {};
        return {length + 1, entry->text};
    }
    return {};
}

}  // namespace

DecodedText DecodeAttributeValue(std::string_view raw) {
    if (raw.find_first_of(std::string_view("&\0", 2)) == std::string_view::npos)
        return {std::string(raw), {}};
    DecodedText decoded;
    decoded.text.reserve(raw.size());
    decoded.origin.reserve(raw.size() + 1);
    auto add = [&decoded](std::string_view text, std::size_t from) {
        decoded.text.append(text.data(), text.size());
        decoded.origin.insert(decoded.origin.end(), text.size(), from);
    };
    for (std::size_t i = 0; i < raw.size();) {
        if (raw[i] == '\0') {
            add(kReplacement, i++);
            continue;
        }
        if (raw[i] != '&') {
            add(raw.substr(i, 1), i);
            ++i;
            continue;
        }
        const bool numeric = i + 1 < raw.size() && raw[i + 1] == '#';
        const Reference reference = numeric ? NumericReference(raw, i) : NamedReferenceAt(raw, i);
        if (reference.length == 0) {
            add("&", i++);
            continue;
        }
        add(reference.text, i);
        i += reference.length;
    }
    decoded.origin.push_back(raw.size());
    return decoded;
}
