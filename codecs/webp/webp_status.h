// What the WebP reader and writer return, and each status in words.
#pragma once

#include <cstdint>

#include "core/reader_status.h"

// The results of ReadWebpFile and DecodeWebp: the statuses every reader shares and the
// reader's own.
enum WebpReadStatus : std::int32_t {
    kWebpReadOk = kReaderOk,
    kWebpCannotRead = kReaderCannotRead,  // the file cannot be opened or read
    kWebpTooLarge = kReaderUnsupported,   // above 65500 pixels a side or 2^26 pixels in all
    kWebpReadOutOfMemory = kReaderOutOfMemory,
    kWebpNotWebp = -40,      // no RIFF....WEBP header
    kWebpTruncated = -41,    // the data ends before the picture does
    kWebpBroken = -42,       // libwebp finds the data invalid
    kWebpUnsupported = -43,  // a feature libwebp does not decode
};

// The results of WriteWebpFile and EncodeWebp.
enum WebpWriteStatus : std::int32_t {
    kWebpWritten = 0,
    kWebpOutOfMemory = -6,
    kWebpCannotWrite = -50,   // the output file cannot be created or written
    kWebpNotWritable = -51,   // not a 24-bit bitmap with pixels
    kWebpEncodeFailed = -52,  // libwebp refused the settings or the picture
    kWebpTooWide = -53,       // a side longer than WebP's 16383 pixels
};

// The status in words, for messages and logs: "not a WebP file", ...
const char* WebpStatusText(WebpReadStatus status);
const char* WebpStatusText(WebpWriteStatus status);
