#include "pipeline/picture_extras.h"

#include <cstring>

#include "pipeline/first_bytes.h"

namespace {

std::uint32_t BigEndian32(const std::uint8_t* at) {
    return std::uint32_t(at[0]) << 24 | std::uint32_t(at[1]) << 16 | std::uint32_t(at[2]) << 8 | at[3];
}

std::uint32_t LittleEndian32(const std::uint8_t* at) {
    return std::uint32_t(at[3]) << 24 | std::uint32_t(at[2]) << 16 | std::uint32_t(at[1]) << 8 | at[0];
}

// The colour type in IHDR, then the chunks before the first IDAT.
bool PngHasExtras(const std::uint8_t* bytes, std::size_t size) {
    constexpr std::size_t kColourType = 25;
    if (size <= kColourType) return false;
    if (bytes[kColourType] == 4 || bytes[kColourType] == 6) return true;
    for (std::size_t at = 8; at + 8 <= size;) {
        const std::uint32_t length = BigEndian32(bytes + at);
        const std::uint8_t* type = bytes + at + 4;
        if (std::memcmp(type, "IDAT", 4) == 0) return false;
        if (std::memcmp(type, "tRNS", 4) == 0 || std::memcmp(type, "acTL", 4) == 0) return true;
        if (length > size - at - 8) return false;
        at += std::size_t(length) + 12;
    }
    return false;
}

// Past the data sub-blocks that begin at `at`; `size` when they run past the end.
std::size_t PastSubBlocks(const std::uint8_t* bytes, std::size_t size, std::size_t at) {
    while (at < size && bytes[at] != 0) at += std::size_t(bytes[at]) + 1;
    return at < size ? at + 1 : size;
}

std::size_t ColourTableBytes(std::uint8_t packed) {
    return packed & 0x80 ? 3 * (std::size_t{2} << (packed & 7)) : 0;
}

// The blocks after the screen descriptor: a graphic control extension with its transparency
// flag, or a second image descriptor.
bool GifHasExtras(const std::uint8_t* bytes, std::size_t size) {
    constexpr std::size_t kScreenEnd = 13;
    if (size < kScreenEnd) return false;
    int images = 0;
    for (std::size_t at = kScreenEnd + ColourTableBytes(bytes[10]); at < size;) {
        if (bytes[at] == 0x21 && at + 1 < size) {
            if (bytes[at + 1] == 0xF9 && at + 3 < size && (bytes[at + 3] & 1) != 0) return true;
            at = PastSubBlocks(bytes, size, at + 2);
        } else if (bytes[at] == 0x2C && at + 10 < size) {
            if (++images > 1) return true;
            at = PastSubBlocks(bytes, size, at + 10 + ColourTableBytes(bytes[at + 9]) + 1);
        } else {
            return false;  // the trailer, or a block no reader would pass
        }
    }
    return false;
}

// The first chunk: VP8X with its flags, VP8L with its alpha bit, or VP8 (never either).
bool WebpHasExtras(const std::uint8_t* bytes, std::size_t size) {
    constexpr std::size_t kChunk = 12, kPayload = 20;
    if (size <= kPayload + 4) return false;
    const std::uint8_t* chunk = bytes + kChunk;
    if (std::memcmp(chunk, "VP8X", 4) == 0) return (bytes[kPayload] & (0x10 | 0x02)) != 0;
    if (std::memcmp(chunk, "VP8L", 4) == 0) return (LittleEndian32(bytes + kPayload + 1) >> 28 & 1) != 0;
    return false;
}

}  // namespace

bool HasTransparencyOrAnimation(const std::uint8_t* bytes, std::size_t size) {
    if (StartsPng(bytes, size)) return PngHasExtras(bytes, size);
    if (StartsGif(bytes, size)) return GifHasExtras(bytes, size);
    if (StartsWebp(bytes, size)) return WebpHasExtras(bytes, size);
    return false;
}

const PictureFormat* ShownFormat(const std::uint8_t* bytes, std::size_t size) {
    const PictureFormat* format = FormatForFirstBytes(bytes, size);
    if (format != nullptr && format->id == OutputFormat::kJpeg && bytes[0] != 0xFF) return nullptr;
    return format;
}
