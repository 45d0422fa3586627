#include "codecs/webp/webp_status.h"

const char* WebpStatusText(WebpStatus status) {
    switch (status) {
        case kWebpOk:
            return "done";
        case kWebpCannotRead:
            return "the file cannot be opened or read";
        case kWebpTooLarge:
            return "the picture is larger than 65500 pixels a side or 2^26 pixels";
        case kWebpOutOfMemory:
            return "out of memory";
        case kWebpNotWebp:
            return "not a WebP file";
        case kWebpTruncated:
            return "the WebP file ends before its picture";
        case kWebpBroken:
            return "the WebP data is broken";
        case kWebpUnsupported:
            return "the WebP file uses a feature that cannot be decoded";
        case kWebpCannotWrite:
            return "the file cannot be created or written";
        case kWebpNotWritable:
            return "not a 24-bit picture";
        case kWebpEncodeFailed:
            return "the WebP encoder refused the picture or its settings";
    }
    return "unknown status";
}
