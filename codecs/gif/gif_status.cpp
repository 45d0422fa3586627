#include "codecs/gif/gif_status.h"

const char* GifStatusText(GifReadStatus status) {
    switch (status) {
        case kGifReadOk:
            return "done";
        case kGifCannotRead:
            return "cannot be read, or ends before the picture does";
        case kGifReadUnsupported:
            return "not a GIF file, or larger than 65500 pixels a side or 2^26 pixels in all";
        case kGifReadOutOfMemory:
            return "out of memory";
        case kGifExtensionPastEnd:
            return "an extension runs past the end of the file";
        case kGifTrailerFirst:
            return "a trailer before any image";
        case kGifStrayByte:
            return "a byte that starts no GIF block";
        case kGifNoImage:
            return "the GIF file ends before any image";
        case kGifNoColourTable:
            return "an image without a colour table";
        case kGifZeroWidth:
            return "an image of width 0";
        case kGifZeroHeight:
            return "an image of height 0";
        case kGifBadCodeSize:
            return "an LZW code size outside 2 to 11";
        case kGifBadFirstCode:
            return "image data that starts with a code beyond the colours";
        case kGifUndefinedPrefix:
        case kGifUndefinedCode:
            return "image data with an undefined code";
    }
    return "an unknown status of the GIF reader";
}

const char* GifStatusText(GifWriteStatus status) {
    switch (status) {
        case kGifWritten:
            return "done";
        case kGifCannotWrite:
            return "the file cannot be created or written";
        case kGifNotWritable:
            return "not a 1, 4 or 8-bit palette bitmap with pixels";
        case kGifOutOfMemory:
            return "out of memory";
    }
    return "an unknown status of the GIF writer";
}
