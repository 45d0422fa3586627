// The character set a page or style sheet is read in: UTF-8, or else Shift_JIS, whose second
// bytes may be ASCII characters such as "\" that must not be taken for themselves.
#pragma once

#include <cstddef>
#include <string_view>

enum class PageCharset { kUtf8, kShiftJis };

// UTF-8 when every byte belongs to a well-formed UTF-8 sequence, else Shift_JIS.
PageCharset CharsetOf(std::string_view text);

// The bytes of the character at text[at]: 2 for a Shift_JIS lead byte with a byte after it,
// else 1.
inline std::size_t CharacterBytes(std::string_view text, std::size_t at, PageCharset charset) {
    const unsigned char first = static_cast<unsigned char>(text[at]);
    const bool lead = (first >= 0x81 && first <= 0x9F) || (first >= 0xE0 && first <= 0xFC);
    return charset == PageCharset::kShiftJis && lead && at + 1 < text.size() ? 2 : 1;
}
