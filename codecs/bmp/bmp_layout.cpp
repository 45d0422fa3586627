#include "codecs/bmp/bmp_layout.h"

#include <algorithm>

#include "core/packed_bitmap.h"

namespace {

constexpr std::uint32_t kFileHeaderBytes = 14;
constexpr std::uint32_t kCoreHeaderBytes = 12;
constexpr std::uint32_t kV4HeaderBytes = 108;
constexpr std::uint32_t kLargestHeaderBytes = 124;

// The compressions of the information header; OS/2 gives 3 and 4 meanings of its own.
enum : std::uint32_t {
    kRgb = 0,
    kRle8 = 1,
    kRle4 = 2,
    kBitFieldsOrHuffman = 3,
    kJpegOrRle24 = 4,
    kAlphaBitFields = 6,
};

std::uint32_t Le16(const std::uint8_t* bytes) {
    return std::uint32_t(bytes[0]) | std::uint32_t(bytes[1]) << 8;
}

std::uint32_t Le32(const std::uint8_t* bytes) {
    return Le16(bytes) | Le16(bytes + 2) << 16;
}

// Windows' BITMAPINFOHEADER and its V2 to V5 successors, OS/2's 12-byte header and its 2.x
// header of 16 to 64 bytes, whose fields behind the given size are zero.
bool IsKnownHeaderSize(std::uint32_t size) {
    return size == kCoreHeaderBytes || (size >= 16 && size <= 64) || size == kV4HeaderBytes ||
           size == kLargestHeaderBytes;
}

bool IsOs2Header(std::uint32_t size) {
    return size != 40 && size != 52 && size != 56 && size >= 16 && size <= 64;
}

// How the pixels are stored, or false for a variant that is not read. `maskWords` tells how
// many masks follow a 40-byte header.
bool ClassifyPixels(std::uint32_t compression, int depth, bool os2, BmpLayout* layout, int* maskWords) {
    const bool bitFieldDepth = depth == 16 || depth == 32;
    switch (compression) {
        case kRgb:
            if (depth == 1 || depth == 2 || depth == 4 || depth == 8) {
                layout->pixels = BmpPixels::kPalette;
            } else if (depth == 24) {
                layout->pixels = BmpPixels::kRgb24;
            } else if (bitFieldDepth) {
                layout->pixels = BmpPixels::kBitFields;
                layout->masks =
                    depth == 16 ? BmpMasks{0x7C00, 0x03E0, 0x001F, 0} : BmpMasks{0xFF0000, 0xFF00, 0xFF, 0};
            } else {
                return false;
            }
            return true;
        case kRle8:
            layout->pixels = BmpPixels::kRle8;
            return depth == 8;
        case kRle4:
            layout->pixels = BmpPixels::kRle4;
            return depth == 4;
        case kBitFieldsOrHuffman:
        case kAlphaBitFields:
            layout->pixels = BmpPixels::kBitFields;
            *maskWords = compression == kAlphaBitFields ? 4 : 3;
            return !os2 && bitFieldDepth;
        case kJpegOrRle24:
            layout->pixels = BmpPixels::kRle24;
            return os2 && depth == 24;
    }
    return false;
}

bool UsesPalette(BmpPixels pixels) {
    return pixels == BmpPixels::kPalette || pixels == BmpPixels::kRle4 || pixels == BmpPixels::kRle8;
}

}  // namespace

BmpDecodeStatus ReadBmpLayout(ClassicFile& file, BmpLayout* layout) {
    std::uint8_t fileHeader[kFileHeaderBytes];
    if (!file.ReadExactly(fileHeader, kFileHeaderBytes)) return kBmpHeaderCut;
    const bool hasFileHeader = fileHeader[0] == 'B' && fileHeader[1] == 'M';
    const std::uint32_t headerStart = hasFileHeader ? kFileHeaderBytes : 0;
    if (!file.Seek(headerStart)) return kBmpHeaderCut;

    std::uint8_t info[kLargestHeaderBytes] = {};
    if (!file.ReadExactly(info, 4)) return kBmpHeaderCut;
    const std::uint32_t headerSize = Le32(info);
    if (!IsKnownHeaderSize(headerSize)) return kBmpUnknownHeader;
    if (!file.ReadExactly(info + 4, headerSize - 4)) return kBmpHeaderCut;

    const bool core = headerSize == kCoreHeaderBytes, os2 = IsOs2Header(headerSize);
    std::int64_t width, height;
    if (core) {
        width = Le16(info + 4);
        height = Le16(info + 6);
        layout->depth = int(Le16(info + 10));
    } else {
        width = std::int32_t(Le32(info + 4));
        height = std::int32_t(Le32(info + 8));
        layout->depth = int(Le16(info + 14));
        // Zero beyond a short OS/2 header, as `info` is.
        layout->pixelsPerMetre[0] = std::int32_t(Le32(info + 24));
        layout->pixelsPerMetre[1] = std::int32_t(Le32(info + 28));
    }
    int maskWords = 0;
    if (!ClassifyPixels(Le32(info + 16), layout->depth, os2, layout, &maskWords)) return kBmpUnreadVariant;
    if (width <= 0 || height == 0) return kBmpNoPixels;
    layout->topDown = height < 0;
    height = std::abs(height);
    if (!IsPictureSizeAccepted(width, height)) return kBmpDecodeTooLarge;
    layout->width = int(width);
    layout->height = int(height);

    // Masks lie in a header of 52 bytes or more (alpha from 56), else behind a 40-byte one.
    if (maskWords > 0) {
        std::uint8_t behind[16];
        const std::uint8_t* masks = info + 40;
        if (headerSize == 40) {
            if (!file.ReadExactly(behind, 4 * maskWords)) return kBmpHeaderCut;
            masks = behind;
        }
        const bool alpha = headerSize == 40 ? maskWords == 4 : headerSize >= 56;
        layout->masks = {Le32(masks), Le32(masks + 4), Le32(masks + 8), alpha ? Le32(masks + 12) : 0};
    } else if (layout->depth == 32 && headerSize >= kV4HeaderBytes) {
        // Uncompressed 32-bit pixels of a V4 or V5 header keep their colours but take its alpha mask.
        layout->masks.alpha = Le32(info + 52);
    }

    // The colour table: what the header names (all the depth allows when it names none), cut
    // to the entries that fit before the rows.
    const std::uint32_t entryBytes = core ? 3 : 4;
    const std::uint32_t tableStart = headerStart + headerSize + (headerSize == 40 ? 4 * maskWords : 0);
    const std::uint32_t offBits = hasFileHeader ? Le32(fileHeader + 10) : 0;
    const bool palette = UsesPalette(layout->pixels);
    std::uint64_t named = core ? 0 : Le32(info + 32);
    if (named == 0 && palette) named = std::uint64_t{1} << layout->depth;
    std::uint64_t entries = palette ? std::min<std::uint64_t>(named, std::uint64_t{1} << layout->depth) : 0;
    if (offBits > tableStart) entries = std::min<std::uint64_t>(entries, (offBits - tableStart) / entryBytes);
    std::uint8_t table[256 * 4];
    if (!file.ReadExactly(table, std::uint32_t(entries * entryBytes))) return kBmpHeaderCut;
    for (std::uint64_t i = 0; i < entries; ++i) std::copy_n(table + i * entryBytes, 3, layout->palette[i]);

    const std::uint64_t behindTable = tableStart + named * entryBytes;
    if (offBits == 0 && behindTable > UINT32_MAX) return kBmpHeaderCut;
    layout->rowsOffset = offBits != 0 ? offBits : std::uint32_t(behindTable);
    return kBmpDecodeOk;
}
