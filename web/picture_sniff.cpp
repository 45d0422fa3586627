#include "web/picture_sniff.h"

#include <cstring>
#include <limits>

#include "web/fetch_context.h"

namespace {

std::uint32_t BigEndian16(const std::uint8_t* p) {
    return std::uint32_t{p[0]} << 8 | p[1];
}

std::int32_t LittleEndian16(const std::uint8_t* p) {
    return p[0] | p[1] << 8;
}

std::int32_t LittleEndian32(const std::uint8_t* p) {
    return static_cast<std::int32_t>(p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t{p[3]} << 24);
}

PictureHeader Placed(int type, std::int32_t width, std::int32_t height) {
    return PictureHeader{PictureHeader::kPlaced, type, width, height};
}

PictureHeader Unplaced() {
    return PictureHeader{PictureHeader::kUnplaced, kFetchUnknown, 0, 0};
}

bool IsFrameHeader(std::uint8_t code) {
    return code == 0xC0 || code == 0xC1 || code == 0xC2 || code == 0xC9 || code == 0xCA;
}

// Walks the segments from the first marker behind the start of image to the frame header.
PictureHeader SniffJpeg(ArrivingBytes& bytes) {
    if (bytes.data()[2] != 0xFF) return Unplaced();
    std::size_t p = 2;
    for (;;) {
        if (!bytes.Ensure(p + 2)) return Unplaced();
        if (IsFrameHeader(bytes.data()[p + 1])) {
            if (!bytes.Ensure(p + 9)) return Unplaced();
            const std::uint8_t* frame = bytes.data() + p;
            return Placed(FetchTypeOf(OutputFormat::kJpeg), static_cast<std::int32_t>(BigEndian16(frame + 7)),
                          static_cast<std::int32_t>(BigEndian16(frame + 5)));
        }
        if (!bytes.Ensure(p + 4)) return Unplaced();
        const std::uint32_t length = BigEndian16(bytes.data() + p + 2);
        if (length < 2) return Unplaced();
        p += length + 2;
        if (!bytes.Ensure(p + 1) || bytes.data()[p] != 0xFF) return Unplaced();
    }
}

PictureHeader SniffPng(const std::uint8_t* data) {
    for (std::size_t at = 8; at <= 239; ++at) {
        if (std::memcmp(data + at, "IHDR", 4) != 0) continue;
        const std::uint8_t* width = data + at + 4;
        const std::uint8_t* height = data + at + 8;
        if (width[0] != 0 || width[1] != 0 || height[0] != 0 || height[1] != 0) {
            return PictureHeader{PictureHeader::kTooLarge, FetchTypeOf(OutputFormat::kPng), 0, 0};
        }
        return Placed(FetchTypeOf(OutputFormat::kPng), static_cast<std::int32_t>(BigEndian16(width + 2)),
                      static_cast<std::int32_t>(BigEndian16(height + 2)));
    }
    return Unplaced();
}

}  // namespace

PictureHeader SniffPicture(ArrivingBytes& bytes) {
    const std::uint8_t* data = bytes.data();
    if (data[0] == 0xFF && data[1] == 0xD8) return SniffJpeg(bytes);
    if (std::memcmp(data, "GIF8", 4) == 0)
        return Placed(FetchTypeOf(OutputFormat::kGif), LittleEndian16(data + 6), LittleEndian16(data + 8));
    if (data[0] == 'B' && data[1] == 'M') {
        std::int32_t height = LittleEndian32(data + 22);
        if (height < 0) height = height == std::numeric_limits<std::int32_t>::min() ? height : -height;
        return Placed(FetchTypeOf(OutputFormat::kBmp), LittleEndian32(data + 18), height);
    }
    static const std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (std::memcmp(data, kPngSignature, 8) == 0) return SniffPng(data);
    return PictureHeader{};
}
