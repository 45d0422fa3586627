#include "core/bmp_status.h"

const char* BmpStatusText(BmpReadStatus status) {
    switch (status) {
        case kBmpReadOk:
            return "done";
        case kBmpCannotRead:
            return "cannot be read, or ends before the picture does";
        case kBmpReadUnsupported:
            return "not a BMP file, a BMP variant that is not read, or larger than 65500 pixels a side "
                   "or 2^26 pixels in all";
        case kBmpReadOutOfMemory:
            return "out of memory";
    }
    return "an unknown status of the BMP reader";
}

const char* BmpStatusText(BmpWriteStatus status) {
    switch (status) {
        case kBmpWritten:
            return "done";
        case kBmpCannotWrite:
            return "the file cannot be created or written";
        case kBmpCannotLock:
            return "not a complete bitmap, or it cannot be locked";
    }
    return "an unknown status of the BMP writer";
}
