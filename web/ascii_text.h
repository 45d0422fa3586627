// Comparisons of ASCII words inside texts of any code page, without regard to case.
#pragma once

#include <cstddef>

inline char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Whether `text` starts with `word` (lower-case ASCII).
inline bool StartsWithNoCase(const char* text, const char* word) {
    for (; *word != '\0'; ++text, ++word) {
        if (AsciiLower(*text) != *word) return false;
    }
    return true;
}

// The first place in the zero-terminated `text` where `word` (lower-case ASCII) starts, or null.
inline const char* FindNoCase(const char* text, const char* word) {
    for (; *text != '\0'; ++text) {
        if (StartsWithNoCase(text, word)) return text;
    }
    return nullptr;
}
