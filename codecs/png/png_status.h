// What the PNG reader and writer return, and each status in words.
#pragma once

#include <cstdint>

#include "core/reader_status.h"

// The results of ReadPngFile: only the statuses every reader shares.
enum PngReadStatus : std::int32_t {
    kPngReadOk = kReaderOk,
    // Cannot be opened, not PNG, or libpng finds it broken or cut short.
    kPngCannotRead = kReaderCannotRead,
    kPngReadUnsupported = kReaderUnsupported,  // above the size limit, or a variant that is not read
    kPngReadOutOfMemory = kReaderOutOfMemory,
};

// The results of WritePngFile.
enum PngWriteStatus : std::int32_t {
    kPngWritten = 0,
    kPngCannotOpen = -1,  // the file could not be created
    kPngCannotLock = -2,  // the bitmap block could not be locked
    kPngBadBitmap = 3,    // not a 1, 4 or 8-bit palette or a 24-bit bitmap, or an index beyond its colours
    kPngOutOfMemory = 4,
    kPngFailed = 5,       // libpng refused the picture
    kPngWriteFailed = 6,  // a write or the closing of the file failed
};

// The status in words, for messages and logs: "not a PNG file, ...".
const char* PngStatusText(PngReadStatus status);
const char* PngStatusText(PngWriteStatus status);
