// Attribute values as the HTML parser reads them: character references decoded, with a map back
// to the bytes of the page that each decoded byte came from.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct DecodedText {
    std::string text;
    // For each byte of `text`, the offset in the raw value where what it came from begins, and one
    // more entry: the raw value's length. Empty where each byte is itself (no reference, no NUL),
    // as in nearly every value, the longest (data URIs) among them.
    std::vector<std::size_t> origin;

    // The raw span of the decoded bytes [start, end).
    std::size_t RawStart(std::size_t start) const { return origin.empty() ? start : origin[start]; }
    std::size_t RawEnd(std::size_t end) const { return origin.empty() ? end : origin[end]; }
};

// The raw bytes of an attribute value (without its quotes) with every character reference
// decoded as in an attribute, a NUL as U+FFFD. Other bytes, also those of another character set
// than UTF-8, are kept; references give UTF-8.
DecodedText DecodeAttributeValue(std::string_view raw);
