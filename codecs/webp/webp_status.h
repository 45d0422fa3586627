// What the WebP reader and writer return. The reader's failures that every reader shares keep
// the shared numbers (core/reader_status.h), so that a WebP status is also a ReaderStatus.
#pragma once

#include <cstdint>

enum WebpStatus : std::int32_t {
    kWebpOk = 0,
    kWebpCannotRead = -1,  // the file cannot be opened or read
    kWebpTooLarge = -3,    // above 65500 pixels a side or 2^26 pixels in all
    kWebpOutOfMemory = -6,
    kWebpNotWebp = -40,       // no RIFF....WEBP header
    kWebpTruncated = -41,     // the data ends before the picture does
    kWebpBroken = -42,        // libwebp finds the data invalid
    kWebpUnsupported = -43,   // a feature libwebp does not decode
    kWebpCannotWrite = -50,   // the output file cannot be created or written
    kWebpNotWritable = -51,   // not a 24-bit bitmap with pixels
    kWebpEncodeFailed = -52,  // libwebp refused the settings or the picture
};

// The status in words, for messages and logs: "not a WebP file", ...
const char* WebpStatusText(WebpStatus status);
