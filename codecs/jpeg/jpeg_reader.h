// The JPEG decoder: baseline, extended and progressive Huffman-coded files of 8-bit grey or
// colour samples, into a 24-bit picture.
#pragma once

#include <cstdint>

#include "core/packed_bitmap.h"
#include "core/reader_status.h"

// The results of ReadJpegFile besides 0. Numbers marked "guard" watch the decoder's own calling
// order and fixed choices; no file reaches them.
enum JpegReadError : std::int32_t {
    kJpegReadCannotRead = -1,  // the file cannot be opened or read, or holds 4 bytes or fewer
    kJpegReadOutOfMemory = -6,
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

// Reads a JPEG file into a new bottom-up 24-bit picture in `result` and returns 0, or returns a
// negative JpegReadError with `result` null. A file cut short decodes as if the rest of its
// data were zero bits.
ReaderStatus ReadJpegFile(PackedBitmap* result, const char* path);
