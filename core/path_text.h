// Character searches in ANSI paths that never take the second byte of a double-byte
// character for the character searched.
#pragma once

#include <string>

#include "platform/kernel.h"

// The last occurrence of `wanted` in `text`, or null.
inline const char* FindLastChar(const char* text, char wanted) {
    const char* found = nullptr;
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p == wanted) {
            found = p;
        } else if (IsDBCSLeadByte(static_cast<BYTE>(*p)) && p[1] != '\0') {
            ++p;
        }
    }
    return found;
}

// The first character after the last "." in lower case, which chooses the reader; 0 without a ".".
inline char ExtensionLetter(const char* path) {
    const char* dot = FindLastChar(path, '.');
    if (dot == nullptr) return '\0';
    const char letter = dot[1];
    return letter >= 'A' && letter <= 'Z' ? static_cast<char>(letter - 'A' + 'a') : letter;
}

// The path up to and with its last folder separator ("/", on Windows "\\" too); empty without one.
inline std::string FolderOf(const std::string& path) {
    const char* separator = FindLastChar(path.c_str(), '/');
#ifdef _WIN32
    const char* backslash = FindLastChar(path.c_str(), '\\');
    if (backslash != nullptr && (separator == nullptr || backslash > separator)) separator = backslash;
#endif
    return separator == nullptr ? std::string() : path.substr(0, std::size_t(separator - path.c_str()) + 1);
}
