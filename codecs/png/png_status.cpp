#include "codecs/png/png_status.h"

const char* PngStatusText(PngReadStatus status) {
    switch (status) {
        case kPngReadOk:
            return "done";
        case kPngCannotRead:
            return "not a PNG file, or one that cannot be read, is damaged or ends before the picture does";
        case kPngReadUnsupported:
            return "larger than 65500 pixels a side or 2^26 pixels in all, or a PNG variant that is not read";
        case kPngReadOutOfMemory:
            return "out of memory";
    }
    return "an unknown status of the PNG reader";
}

const char* PngStatusText(PngWriteStatus status) {
    switch (status) {
        case kPngWritten:
            return "done";
        case kPngCannotOpen:
            return "the file cannot be created";
        case kPngCannotLock:
            return "the bitmap cannot be locked";
        case kPngBadBitmap:
            return "not a 1, 4 or 8-bit palette or a 24-bit bitmap, or an index beyond its colours";
        case kPngOutOfMemory:
            return "out of memory";
        case kPngFailed:
            return "libpng refused the picture";
        case kPngWriteFailed:
            return "the file cannot be written";
    }
    return "an unknown status of the PNG writer";
}
