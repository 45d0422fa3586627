// The character classes and case rule that HTML, CSS and URLs share (ASCII only; every other
// byte is none of them), and code points written as UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

inline bool IsAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

inline bool IsAsciiAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

inline bool IsAsciiAlphanumeric(char c) {
    return IsAsciiDigit(c) || IsAsciiAlpha(c);
}

// 0 to 15 for a hexadecimal digit, -1 for any other character.
inline int HexDigitValue(char c) {
    if (IsAsciiDigit(c)) return c - '0';
    if ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')) return (c | 0x20) - 'a' + 10;
    return -1;
}

// Tab, line feed, form feed, carriage return and space.
inline bool IsAsciiWhitespace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

inline char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? char(c + 32) : c;
}

// Whether the text is `lower` (in lower case) but for the case of its ASCII letters.
bool EqualsIgnoringAsciiCase(std::string_view text, std::string_view lower);

void AppendUtf8(std::uint32_t code, std::string& out);
