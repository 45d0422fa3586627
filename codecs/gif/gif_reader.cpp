#include "codecs/gif/gif_reader.h"

#include <cstring>

#include "codecs/gif/lzw_decoder.h"
#include "core/whole_file.h"

namespace {

constexpr std::uint32_t kScreenDescriptorEnd = 13;
constexpr std::uint32_t kImageDescriptorBytes = 10;
constexpr BYTE kImageSeparator = 0x2C, kExtensionIntroducer = 0x21, kTrailer = 0x3B;
constexpr BYTE kColourTableFlag = 0x80, kInterlacedFlag = 0x40;

// The file's bytes; every read is checked against the end.
struct GifBytes {
    const BYTE* data;
    std::uint32_t size;

    bool Holds(std::uint32_t at, std::uint32_t count) const { return at <= size && count <= size - at; }
    std::int32_t Word(std::uint32_t at) const { return data[at] | data[at + 1] << 8; }
};

struct GifImage {
    std::int32_t width = 0, height = 0;
    bool interlaced = false;
    int tableBits = 0;
    const BYTE* table = nullptr;  // red, green, blue triples in the file; null when none
    std::uint32_t dataStart = 0;  // the LZW minimum code size
};

bool IsGifSignature(const BYTE* data) {
    return std::memcmp(data, "GIF8", 4) == 0 && (data[4] == '7' || data[4] == '9') && data[5] == 'a';
}

// The colour table of 2^bits entries at `*at`, moving past it; false when the file ends first.
bool TakeColourTable(const GifBytes& file, BYTE flags, std::uint32_t* at, GifImage* image) {
    image->tableBits = (flags & 7) + 1;
    const std::uint32_t bytes = 3u << image->tableBits;
    if (!file.Holds(*at, bytes)) return false;
    image->table = file.data + *at;
    *at += bytes;
    return true;
}

// Moves past an extension: introducer, label, then sub-blocks up to the zero-length one.
bool SkipExtension(const GifBytes& file, std::uint32_t* at) {
    std::uint32_t position = *at + 2;
    for (;;) {
        if (position >= file.size) return false;
        const BYTE length = file.data[position];
        if (length == 0) break;
        if (!file.Holds(position + 1, length)) return false;
        position += 1 + length;
    }
    *at = position + 1;
    return true;
}

// Walks the blocks up to the first image descriptor and takes its size and colour table.
GifReadStatus FindFirstImage(const GifBytes& file, GifImage* image) {
    const BYTE screenFlags = file.data[10];
    std::uint32_t at = kScreenDescriptorEnd;
    if ((screenFlags & kColourTableFlag) && !TakeColourTable(file, screenFlags, &at, image)) {
        return kGifCannotRead;
    }
    for (;;) {
        if (at >= file.size) return kGifNoImage;
        const BYTE introducer = file.data[at];
        if (introducer == kImageSeparator) break;
        if (introducer == kTrailer) return kGifTrailerFirst;
        if (introducer != kExtensionIntroducer) return kGifStrayByte;
        if (!SkipExtension(file, &at)) return kGifExtensionPastEnd;
    }
    if (!file.Holds(at, kImageDescriptorBytes)) return kGifCannotRead;
    image->width = file.Word(at + 5);
    image->height = file.Word(at + 7);
    const BYTE flags = file.data[at + 9];
    image->interlaced = (flags & kInterlacedFlag) != 0;
    at += kImageDescriptorBytes;
    if ((flags & kColourTableFlag) && !TakeColourTable(file, flags, &at, image)) return kGifCannotRead;
    if (image->table == nullptr) return kGifNoColourTable;
    if (image->width == 0) return kGifZeroWidth;
    if (image->height == 0) return kGifZeroHeight;
    if (!IsPictureSizeAccepted(image->width, image->height)) return kGifReadUnsupported;
    // Without image data there is no pixel to show.
    if (at >= file.size) return kGifCannotRead;
    image->dataStart = at;
    return kGifReadOk;
}

GifReadStatus ReadGif(const GifBytes& file, GlobalBlock* result) {
    if (file.size <= 10) return kGifCannotRead;
    if (!IsGifSignature(file.data)) return kGifReadUnsupported;
    GifImage image;
    if (GifReadStatus status = FindFirstImage(file, &image)) return status;

    const std::uint32_t colours = 1u << image.tableBits;
    GlobalBlock block = AllocatePackedBitmap(image.width, image.height, 8, colours);
    BitmapLock header(block.get());
    if (!header) return kGifReadOutOfMemory;
    RGBQUAD* table = ColourTable(header.data());
    for (std::uint32_t i = 0; i < colours; ++i) {
        const BYTE* entry = image.table + 3 * i;
        table[i] = RGBQUAD{entry[2], entry[1], entry[0], 0};
    }
    const GifImageRows rows{PixelRows(header.data()), RowBytes(8, image.width), image.width, image.height,
                            image.interlaced};
    if (GifReadStatus status = DecodeGifImage(file.data, file.size, image.dataStart, rows)) return status;
    *result = std::move(block);
    return kGifReadOk;
}

}  // namespace

GifReadStatus ReadGifFile(PackedBitmap* result, const char* path) {
    *result = nullptr;
    std::uint32_t size = 0;
    GlobalBlock file(LoadFileToGlobal(path, &size));
    if (!file) return kGifCannotRead;
    BlockLock<BYTE> bytes(file.get());
    if (!bytes) return kGifReadOutOfMemory;
    GlobalBlock bitmap;
    const GifReadStatus status = ReadGif(GifBytes{bytes.data(), size}, &bitmap);
    if (status == kGifReadOk) *result = bitmap.release();
    return status;
}
