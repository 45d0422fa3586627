#include "pipeline/first_bytes.h"

#include <cstring>
#include <limits>

#include "codecs/avif/avif_container.h"
#include "codecs/webp/webp_reader.h"

namespace {

bool StartsWith(const std::uint8_t* bytes, std::size_t count, const char* prefix, std::size_t length) {
    return count >= length && std::memcmp(bytes, prefix, length) == 0;
}

bool IsJpegStart(const std::uint8_t* bytes, std::size_t count) {
    return count >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF;
}

// Version 0, a name of 1 to 63 characters, the type "JPEG" at 65, the data fork at 128.
bool IsMacBinaryJpeg(const std::uint8_t* bytes, std::size_t count) {
    return count >= kSignatureBytes && bytes[0] == 0 && bytes[1] >= 1 && bytes[1] <= 63 &&
           std::memcmp(bytes + 65, "JPEG", 4) == 0 && IsJpegStart(bytes + 128, count - 128);
}

std::int32_t BigEndian16(const std::uint8_t* p) {
    return p[0] << 8 | p[1];
}

std::int32_t LittleEndian16(const std::uint8_t* p) {
    return p[0] | p[1] << 8;
}

std::int32_t LittleEndian32(const std::uint8_t* p) {
    return static_cast<std::int32_t>(p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t{p[3]} << 24);
}

PictureHeader Placed(std::int32_t width, std::int32_t height) {
    return PictureHeader{PictureHeader::kPlaced, width, height};
}

bool IsFrameHeader(std::uint8_t code) {
    return code == 0xC0 || code == 0xC1 || code == 0xC2 || code == 0xC9 || code == 0xCA;
}

// The bytes of an OS/2 bitmap's header, whose sides are 16 bits.
constexpr std::int32_t kCoreHeaderBytes = 12;

}  // namespace

bool StartsJpeg(const std::uint8_t* bytes, std::size_t count) {
    return IsJpegStart(bytes, count) || IsMacBinaryJpeg(bytes, count);
}

bool StartsGif(const std::uint8_t* bytes, std::size_t count) {
    return StartsWith(bytes, count, "GIF87a", 6) || StartsWith(bytes, count, "GIF89a", 6);
}

bool StartsBmp(const std::uint8_t* bytes, std::size_t count) {
    return StartsWith(bytes, count, "BM", 2);
}

bool StartsPng(const std::uint8_t* bytes, std::size_t count) {
    return StartsWith(bytes, count, "\x89PNG\r\n\x1A\n", 8);
}

// "RIFF", the size, "WEBP".
bool StartsWebp(const std::uint8_t* bytes, std::size_t count) {
    return count >= 12 && StartsWith(bytes, count, "RIFF", 4) && std::memcmp(bytes + 8, "WEBP", 4) == 0;
}

// Walks the segments from the first marker behind the start of image to the frame header.
PictureHeader SniffJpeg(ArrivingBytes& bytes) {
    if (bytes.data()[0] != 0xFF || bytes.data()[1] != 0xD8) return {};
    const PictureHeader unplaced{PictureHeader::kUnplaced};
    if (bytes.data()[2] != 0xFF) return unplaced;
    std::size_t p = 2;
    for (;;) {
        if (!bytes.Ensure(p + 2)) return unplaced;
        if (IsFrameHeader(bytes.data()[p + 1])) {
            if (!bytes.Ensure(p + 9)) return unplaced;
            const std::uint8_t* frame = bytes.data() + p;
            return Placed(BigEndian16(frame + 7), BigEndian16(frame + 5));
        }
        if (!bytes.Ensure(p + 4)) return unplaced;
        const std::size_t length = static_cast<std::size_t>(BigEndian16(bytes.data() + p + 2));
        if (length < 2) return unplaced;
        p += length + 2;
        if (!bytes.Ensure(p + 1) || bytes.data()[p] != 0xFF) return unplaced;
    }
}

PictureHeader SniffGif(ArrivingBytes& bytes) {
    const std::uint8_t* data = bytes.data();
    if (std::memcmp(data, "GIF8", 4) != 0) return {};
    return Placed(LittleEndian16(data + 6), LittleEndian16(data + 8));
}

PictureHeader SniffBmp(ArrivingBytes& bytes) {
    const std::uint8_t* data = bytes.data();
    if (!StartsBmp(data, bytes.size())) return {};
    if (LittleEndian32(data + 14) == kCoreHeaderBytes) {
        return Placed(LittleEndian16(data + 18), LittleEndian16(data + 20));
    }
    std::int32_t height = LittleEndian32(data + 22);
    if (height < 0) height = height == std::numeric_limits<std::int32_t>::min() ? height : -height;
    return Placed(LittleEndian32(data + 18), height);
}

// The header chunk is looked for within the first bytes; its sides are 32-bit.
PictureHeader SniffPng(ArrivingBytes& bytes) {
    const std::uint8_t* data = bytes.data();
    if (!StartsPng(data, bytes.size())) return {};
    for (std::size_t at = 8; at <= 239; ++at) {
        if (std::memcmp(data + at, "IHDR", 4) != 0) continue;
        const std::uint8_t* width = data + at + 4;
        const std::uint8_t* height = data + at + 8;
        if (width[0] != 0 || width[1] != 0 || height[0] != 0 || height[1] != 0) {
            return PictureHeader{PictureHeader::kTooLarge};
        }
        return Placed(BigEndian16(width + 2), BigEndian16(height + 2));
    }
    return PictureHeader{PictureHeader::kUnplaced};
}

// The canvas, as the file's first chunk states it.
PictureHeader SniffWebp(ArrivingBytes& bytes) {
    if (!StartsWebp(bytes.data(), bytes.size())) return {};
    int width = 0, height = 0;
    if (!WebpCanvasSize(bytes.data(), bytes.size(), &width, &height))
        return PictureHeader{PictureHeader::kUnplaced};
    if (width > 0xFFFF || height > 0xFFFF) return PictureHeader{PictureHeader::kTooLarge};
    return Placed(width, height);
}

// An AVIF's size lies in its item properties, which need more than the first bytes: it is taken
// as they show it, and its size checked once it is read.
PictureHeader SniffAvif(ArrivingBytes& bytes) {
    return IsAvifStart(bytes.data(), bytes.size()) ? PictureHeader{PictureHeader::kUnplaced}
                                                   : PictureHeader{};
}
