// What the GIF reader and writer return, each status in words, and the exception that carries
// a failure from deep inside the writer back to it (it never leaves the writer).
#pragma once

#include <cstdint>

#include "core/reader_status.h"

// The results of ReadGifFile: the statuses every reader shares and the reader's own.
enum GifReadStatus : std::int32_t {
    kGifReadOk = kReaderOk,
    kGifCannotRead = kReaderCannotRead,        // the file cannot be read whole, or ends too soon
    kGifReadUnsupported = kReaderUnsupported,  // not GIF87a or GIF89a, or a picture above the size limit
    kGifReadOutOfMemory = kReaderOutOfMemory,
    kGifExtensionPastEnd = -20,  // an extension's sub-blocks run past the end
    kGifTrailerFirst = -21,      // the trailer comes before any image
    kGifStrayByte = -22,         // no block starts with this byte
    kGifNoImage = -24,           // the file ends before any image
    kGifNoColourTable = -25,     // neither a global nor a local table
    kGifZeroWidth = -26,
    kGifZeroHeight = -27,
    kGifBadCodeSize = -28,      // LZW minimum code size outside 2 to 11
    kGifBadFirstCode = -29,     // the first code after a clear is not a root
    kGifUndefinedPrefix = -30,  // a new entry would extend an undefined code
    kGifUndefinedCode = -31,    // a code beyond the table follows an undefined one
};

// The results of WriteGifFile.
enum GifWriteStatus : std::int32_t {
    kGifWritten = 0,
    kGifCannotWrite = -1,  // the file cannot be created or a write is short
    kGifNotWritable = -4,  // not a palette bitmap the writer takes, or no pixels
    kGifOutOfMemory = -6,  // locking or a buffer failed
};

// The status in words, for messages and logs: "not a GIF file", ...
const char* GifStatusText(GifReadStatus status);
const char* GifStatusText(GifWriteStatus status);

struct GifWriteFailure {
    GifWriteStatus status;
};
