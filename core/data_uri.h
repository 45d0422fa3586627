// A work file as a data URI inside the text around it, encoded straight into the text's
// destination, so that neither the file's bytes nor a second copy of the text is ever held whole.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

// The text around the data URI: the <img> element unless the caller asks for another form.
struct UriFrame {
    std::string before = "<img src=\"";
    std::string after = "\">";
};

// The destination of a text: room for exactly `length` characters (no terminator needed), or
// null when memory is short. It may also throw std::bad_alloc.
using TextBuffer = std::function<char*(std::size_t length)>;

enum class DataUriResult { kWritten, kCannotRead, kOutOfMemory };

// Writes frame.before, "data:", the MIME type, ";base64,", the file's bytes in base64 and
// frame.after into the buffer. An empty or unreadable file gives kCannotRead.
DataUriResult WriteDataUri(const char* path, const char* mimeType, const UriFrame& frame,
                           const TextBuffer& buffer);

// "data:", the MIME type, ";base64," and the bytes in base64, of bytes held in memory.
std::string DataUriOf(const unsigned char* bytes, std::size_t count, const char* mimeType);
