#include "codecs/bmp/bmp_decode_status.h"

const char* BmpDecodeStatusText(BmpDecodeStatus status) {
    switch (status) {
        case kBmpDecodeOk:
            return "done";
        case kBmpDecodeCannotRead:
            return "cannot be read";
        case kBmpDecodeTooLarge:
            return "larger than 65500 pixels a side or 2^26 pixels in all";
        case kBmpDecodeOutOfMemory:
            return "out of memory";
        case kBmpHeaderCut:
            return "the BMP file ends inside its headers or colour table";
        case kBmpUnknownHeader:
            return "not a BMP file: no BMP version has a header of this size";
        case kBmpNoPixels:
            return "the BMP file claims a width or height of 0, or a negative width";
        case kBmpUnreadVariant:
            return "a BMP variant browsers do not show (64-bit, embedded JPEG or PNG, Huffman, "
                   "or an unknown depth or compression)";
        case kBmpNoCompleteRow:
            return "the BMP file ends before its first row of pixels is complete";
    }
    return "an unknown status of the BMP decoder";
}
