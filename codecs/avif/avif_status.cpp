#include "codecs/avif/avif_status.h"

const char* AvifStatusText(AvifReadStatus status) {
    switch (status) {
        case kAvifReadOk:
            return "done";
        case kAvifCannotRead:
            return "cannot be read";
        case kAvifTooLarge:
            return "larger than 65500 pixels a side or 2^26 pixels in all";
        case kAvifReadOutOfMemory:
            return "out of memory";
        case kAvifNotAvif:
            return "not an AVIF file";
        case kAvifTruncated:
            return "the AVIF file ends before the picture does";
        case kAvifBroken:
            return "the AVIF data is broken";
        case kAvifUnsupported:
            return "the AVIF file uses a feature that cannot be decoded";
    }
    return "an unknown status of the AVIF reader";
}

const char* AvifStatusText(AvifWriteStatus status) {
    switch (status) {
        case kAvifWritten:
            return "done";
        case kAvifOutOfMemory:
            return "out of memory";
        case kAvifCannotWrite:
            return "the file cannot be created or written";
        case kAvifNotWritable:
            return "not a 24-bit bitmap with pixels";
        case kAvifEncodeFailed:
            return "the AV1 encoder refused the picture or its settings";
    }
    return "an unknown status of the AVIF writer";
}
