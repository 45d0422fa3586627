// What the BMP reader and writer return, and each status in words.
#pragma once

#include <cstdint>

#include "core/reader_status.h"

// The results of ReadBmpFile and ReadBmpBlock: only the statuses every reader shares.
enum BmpReadStatus : std::int32_t {
    kBmpReadOk = kReaderOk,
    kBmpCannotRead = kReaderCannotRead,  // cannot be opened, or ends before its header, table or rows
    // A header of other than 12 or 40 bytes, a compression or depth that is not read, more than
    // 256 colours, or a size outside the accepted one.
    kBmpReadUnsupported = kReaderUnsupported,
    kBmpReadOutOfMemory = kReaderOutOfMemory,
};

// The results of WriteBmpFile.
enum BmpWriteStatus : std::int32_t {
    kBmpWritten = 0,
    kBmpCannotWrite = -1,  // the file cannot be created or written
    kBmpCannotLock = -2,   // the block is not a complete bitmap or cannot be locked
};

// The status in words, for messages and logs: "not a BMP file, ...".
const char* BmpStatusText(BmpReadStatus status);
const char* BmpStatusText(BmpWriteStatus status);
