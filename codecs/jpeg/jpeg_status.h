// What the JPEG reader and writer return, and each status in words.
#pragma once

#include <cstdint>

#include "core/reader_status.h"

// The results of ReadJpegFile: the statuses every reader shares and the decoder's own. Numbers
// marked "guard" watch the decoder's own calling order and fixed choices; no file reaches them.
enum JpegReadStatus : std::int32_t {
    kJpegReadOk = kReaderOk,
    kJpegReadCannotRead = kReaderCannotRead,  // the file cannot be opened or read, or holds 4 bytes or fewer
    kJpegReadOutOfMemory = kReaderOutOfMemory,
    kJpegReadBadMarker = -22,            // a marker code the decoder does not know
    kJpegReadBadState = -23,             // guard: a step called in the wrong state
    kJpegReadNoImage = -24,              // EOI before any SOS
    kJpegReadTooFewRows = -25,           // guard: decoding finished before the last row
    kJpegReadSecondSoi = -27,            // SOI again before EOI
    kJpegReadSecondSof = -28,            // a second frame header
    kJpegReadEmptyImage = -29,           // width, height or component count 0
    kJpegReadBadLength = -30,            // the length of SOF, SOS or DRI does not fit its contents
    kJpegReadSosBeforeSof = -31,         // a scan before the frame header
    kJpegReadUnknownComponent = -32,     // a scan names a component the frame does not have
    kJpegReadBadDacIndex = -33,          // arithmetic conditioning for a table above 31
    kJpegReadBadDacBounds = -34,         // arithmetic DC conditioning with lower bound above upper
    kJpegReadBadHuffmanTable = -35,      // more than 256 symbols, or more than the segment holds
    kJpegReadBadHuffmanSlot = -36,       // a Huffman table number above 3
    kJpegReadBadQuantSlot = -37,         // a quantisation table number above 3
    kJpegReadNotJpeg = -38,              // neither SOI nor a MacBinary header followed by SOI
    kJpegReadUnsupportedProcess = -39,   // lossless, hierarchical or other unsupported frames
    kJpegReadSideTooLong = -40,          // width or height above 65500
    kJpegReadBadPrecision = -41,         // samples of other than 8 bits
    kJpegReadTooManyComponents = -42,    // more than 10 components
    kJpegReadBadSampling = -43,          // a sampling factor outside 1 to 4
    kJpegReadMcuTooLarge = -44,          // more than 10 blocks in one MCU
    kJpegReadMissingQuantTable = -45,    // a scan component whose quantisation table is undefined
    kJpegReadExtraScan = -46,            // a further scan after one that held every component
    kJpegReadNoScan = -47,               // EOI after the frame header without any scan
    kJpegReadUnsupportedColour = -50,    // neither grey nor colour (2, 4 or more components)
    kJpegReadTooManyPixels = -54,        // more pixels than any picture of the program may have
    kJpegReadArithmetic = -67,           // arithmetic-coded frames
    kJpegReadFractionalSampling = -70,   // sampling factors that do not divide the largest ones
    kJpegReadColourMismatch = -73,       // guard: colour space and component count disagree
    kJpegReadNoConversion = -74,         // guard: no conversion between the colour spaces
    kJpegReadMissingHuffmanTable = -75,  // a scan needs an undefined Huffman table
    kJpegReadBadProgression = -76,       // progressive scan parameters out of range
    kJpegReadTooMuchScanWork = -77,      // the scans would decode far more blocks than any real file
};

// The results of WriteJpegFile: -1 and -2 before the encoder starts, then the positive number
// of the failing step. Numbers marked "guard" watch the encoder's own calling order and fixed
// choices; no bitmap reaches them.
enum JpegWriteStatus : std::int32_t {
    kJpegWritten = 0,
    kJpegCannotOpen = -1,          // the file could not be created
    kJpegCannotLock = -2,          // the bitmap block could not be locked
    kJpegMcuTooLarge = 7,          // guard: more than 10 blocks in an MCU
    kJpegBadSampling = 9,          // guard: a sampling factor outside 1 to 4
    kJpegBadState = 10,            // guard: an internal step called out of order
    kJpegBadDepth = 13,            // biBitCount is neither 8 nor 24
    kJpegTooManyColours = 14,      // more than 256 colour-table entries
    kJpegBadPlanes = 15,           // biPlanes is not 1
    kJpegCompressed = 16,          // biCompression is not BI_RGB
    kJpegEmptyImage = 23,          // width or height is 0
    kJpegWriteFailed = 24,         // a write or the closing of the file failed
    kJpegFractionalSampling = 25,  // guard
    kJpegNoHuffmanCode = 26,       // guard: a symbol without a code in its Huffman table
    kJpegImageTooBig = 27,         // width or height above 65500 (or negative)
    kJpegBadHuffmanTable = 31,     // guard
    kJpegBadQuantTable = 32,       // guard
    kJpegOutOfMemory = 33,
    kJpegTooFewRows = 37,   // guard: compression finished before the last row
    kJpegTooManyRows = 42,  // guard: a row after the last one
};

// The status in words, for messages and logs: "not a JPEG file", "arithmetic coding is not read".
const char* JpegStatusText(JpegReadStatus status);
const char* JpegStatusText(JpegWriteStatus status);
