// The fixed-size text buffers of the window: texts that do not fit are refused, never cut.
#pragma once

#include <cstddef>
#include <cstring>

// The source path of the current picture, terminating zero included.
constexpr std::size_t kSourcePathSize = 260;
// A clipboard text taken as a file name, and the open-file dialog's file name buffer.
constexpr std::size_t kClipboardPathSize = 256;
constexpr std::size_t kDialogPathSize = 256;

// Copies `text` with its terminating zero when it fits into `size` bytes; false (and the buffer
// untouched) when it does not.
inline bool CopyIfFits(char* buffer, std::size_t size, const char* text) {
    const std::size_t length = std::strlen(text);
    if (length >= size) return false;
    std::memcpy(buffer, text, length + 1);
    return true;
}
