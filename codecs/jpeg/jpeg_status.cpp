#include "codecs/jpeg/jpeg_status.h"

const char* JpegStatusText(JpegReadStatus status) {
    switch (status) {
        case kJpegReadOk:
            return "done";
        case kJpegReadCannotRead:
            return "cannot be read, or holds 4 bytes or fewer";
        case kJpegReadOutOfMemory:
            return "out of memory";
        case kJpegReadBadMarker:
            return "a marker the JPEG reader does not know";
        case kJpegReadBadState:
            return "the JPEG decoder's steps came out of order";
        case kJpegReadNoImage:
            return "the JPEG file ends before any scan";
        case kJpegReadTooFewRows:
            return "the JPEG decoder delivered fewer rows than the picture has";
        case kJpegReadSecondSoi:
            return "a second start of image";
        case kJpegReadSecondSof:
            return "a second frame header";
        case kJpegReadEmptyImage:
            return "a frame without width, height or components";
        case kJpegReadBadLength:
            return "a segment whose length does not fit its contents";
        case kJpegReadSosBeforeSof:
            return "a scan before the frame header";
        case kJpegReadUnknownComponent:
            return "a scan names a component the frame does not have";
        case kJpegReadBadDacIndex:
            return "arithmetic conditioning for a table above 31";
        case kJpegReadBadDacBounds:
            return "arithmetic conditioning with a lower bound above the upper";
        case kJpegReadBadHuffmanTable:
            return "a Huffman table of more symbols than 256 or than its segment holds";
        case kJpegReadBadHuffmanSlot:
            return "a Huffman table number above 3";
        case kJpegReadBadQuantSlot:
            return "a quantisation table number above 3";
        case kJpegReadNotJpeg:
            return "not a JPEG file";
        case kJpegReadUnsupportedProcess:
            return "lossless and hierarchical coding are not read";
        case kJpegReadSideTooLong:
            return "wider or taller than 65500 pixels";
        case kJpegReadBadPrecision:
            return "samples of other than 8 bits are not read";
        case kJpegReadTooManyComponents:
            return "more than 10 components";
        case kJpegReadBadSampling:
            return "a sampling factor outside 1 to 4";
        case kJpegReadMcuTooLarge:
            return "more than 10 blocks in one MCU";
        case kJpegReadMissingQuantTable:
            return "a scan needs an undefined quantisation table";
        case kJpegReadExtraScan:
            return "a further scan after one that held every component";
        case kJpegReadNoScan:
            return "a frame without any scan";
        case kJpegReadUnsupportedColour:
            return "CMYK, YCCK and 2-component pictures are not read";
        case kJpegReadTooManyPixels:
            return "more than 2^26 pixels";
        case kJpegReadArithmetic:
            return "arithmetic coding is not read";
        case kJpegReadFractionalSampling:
            return "sampling factors that do not divide the largest ones";
        case kJpegReadColourMismatch:
            return "the colour space does not fit the number of components";
        case kJpegReadNoConversion:
            return "no conversion between the colour spaces";
        case kJpegReadMissingHuffmanTable:
            return "a scan needs an undefined Huffman table";
        case kJpegReadBadProgression:
            return "progressive scan parameters out of range";
        case kJpegReadTooMuchScanWork:
            return "the scans would decode far more than any real file needs";
    }
    return "an unknown status of the JPEG reader";
}

const char* JpegStatusText(JpegWriteStatus status) {
    switch (status) {
        case kJpegWritten:
            return "done";
        case kJpegCannotOpen:
            return "the file cannot be created";
        case kJpegCannotLock:
            return "the bitmap cannot be locked";
        case kJpegMcuTooLarge:
            return "more than 10 blocks in one MCU";
        case kJpegBadSampling:
            return "a sampling factor outside 1 to 4";
        case kJpegBadState:
            return "the JPEG encoder's steps came out of order";
        case kJpegBadDepth:
            return "not an 8 or 24-bit bitmap";
        case kJpegTooManyColours:
            return "more than 256 colours in the colour table";
        case kJpegBadPlanes:
            return "a bitmap of other than one plane";
        case kJpegCompressed:
            return "a compressed bitmap";
        case kJpegEmptyImage:
            return "a picture without pixels";
        case kJpegWriteFailed:
            return "the file cannot be written";
        case kJpegFractionalSampling:
            return "sampling factors that do not divide the largest ones";
        case kJpegNoHuffmanCode:
            return "a symbol without a Huffman code";
        case kJpegImageTooBig:
            return "wider or taller than 65500 pixels";
        case kJpegBadHuffmanTable:
            return "a component names a missing Huffman table";
        case kJpegBadQuantTable:
            return "a component names a missing quantisation table";
        case kJpegOutOfMemory:
            return "out of memory";
        case kJpegTooFewRows:
            return "the JPEG encoder finished before the last row";
        case kJpegTooManyRows:
            return "the JPEG encoder was given a row after the last";
    }
    return "an unknown status of the JPEG writer";
}
