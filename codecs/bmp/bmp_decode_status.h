// What the BMP decoder returns, and each status in words.
#pragma once

#include <cstdint>

#include "core/reader_status.h"

// The results of DecodeBmpFile: the statuses every reader shares and the decoder's own.
enum BmpDecodeStatus : std::int32_t {
    kBmpDecodeOk = kReaderOk,
    kBmpDecodeCannotRead = kReaderCannotRead,  // the file cannot be opened or read
    kBmpDecodeTooLarge = kReaderUnsupported,   // above 65500 pixels a side or 2^26 pixels in all
    kBmpDecodeOutOfMemory = kReaderOutOfMemory,
    kBmpHeaderCut = -60,      // the file ends inside its headers or colour table
    kBmpUnknownHeader = -61,  // an information header of a size no BMP version has
    kBmpNoPixels = -62,       // a width or height of 0, or a negative width
    kBmpUnreadVariant = -63,  // a depth and compression browsers do not show (64-bit, JPEG, PNG, Huffman)
    kBmpNoCompleteRow = -64,  // the file ends before its first row is complete
};

// The status in words, for messages and logs: "the BMP file ends inside its headers", ...
const char* BmpDecodeStatusText(BmpDecodeStatus status);
