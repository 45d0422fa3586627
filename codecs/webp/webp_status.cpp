#include "codecs/webp/webp_status.h"

const char* WebpStatusText(WebpReadStatus status) {
    switch (status) {
        case kWebpReadOk:
            return "done";
        case kWebpCannotRead:
            return "cannot be read";
        case kWebpTooLarge:
            return "larger than 65500 pixels a side or 2^26 pixels in all";
        case kWebpReadOutOfMemory:
            return "out of memory";
        case kWebpNotWebp:
            return "not a WebP file";
        case kWebpTruncated:
            return "the WebP file ends before the picture does";
        case kWebpBroken:
            return "the WebP data is broken";
        case kWebpUnsupported:
            return "the WebP file uses a feature that cannot be decoded";
    }
    return "an unknown status of the WebP reader";
}

const char* WebpStatusText(WebpWriteStatus status) {
    switch (status) {
        case kWebpWritten:
            return "done";
        case kWebpOutOfMemory:
            return "out of memory";
        case kWebpCannotWrite:
            return "the file cannot be created or written";
        case kWebpNotWritable:
            return "not a 24-bit bitmap with pixels";
        case kWebpEncodeFailed:
            return "the WebP encoder refused the picture or its settings";
        case kWebpTooWide:
            return "a side longer than WebP's limit of 16383 pixels";
    }
    return "an unknown status of the WebP writer";
}
