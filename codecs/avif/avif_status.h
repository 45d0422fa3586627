// What the AVIF reader and writer return, and each status in words.
#pragma once

#include <cstdint>

#include "core/reader_status.h"

// The results of ReadAvifFile and DecodeAvif: the statuses every reader shares and the
// reader's own.
enum AvifReadStatus : std::int32_t {
    kAvifReadOk = kReaderOk,
    kAvifCannotRead = kReaderCannotRead,  // the file cannot be opened or read
    kAvifTooLarge = kReaderUnsupported,   // above 65500 pixels a side or 2^26 pixels in all
    kAvifReadOutOfMemory = kReaderOutOfMemory,
    kAvifNotAvif = -40,      // no file type box naming AVIF
    kAvifTruncated = -41,    // the data ends before the picture does
    kAvifBroken = -42,       // the boxes or the AV1 data are invalid
    kAvifUnsupported = -43,  // a kind of item or coding the reader does not take
};

// The results of WriteAvifFile and EncodeAvif.
enum AvifWriteStatus : std::int32_t {
    kAvifWritten = 0,
    kAvifOutOfMemory = -6,
    kAvifCannotWrite = -50,   // the output file cannot be created or written
    kAvifNotWritable = -51,   // not a 24-bit bitmap with pixels
    kAvifEncodeFailed = -52,  // libaom refused the settings or the picture
};

// The status in words, for messages and logs: "not an AVIF file", ...
const char* AvifStatusText(AvifReadStatus status);
const char* AvifStatusText(AvifWriteStatus status);
