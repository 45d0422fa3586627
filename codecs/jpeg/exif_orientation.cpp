#include "codecs/jpeg/exif_orientation.h"

#include <cstddef>
#include <cstring>

namespace {

class TiffReader {
  public:
    TiffReader(const std::uint8_t* data, std::size_t size, bool bigEndian)
        : data_(data), size_(size), big_(bigEndian) {}
    bool Has(std::size_t at, std::size_t count) const { return at <= size_ && count <= size_ - at; }
    std::uint32_t Get16(std::size_t at) const {
        return big_ ? std::uint32_t{data_[at]} << 8 | data_[at + 1]
                    : std::uint32_t{data_[at + 1]} << 8 | data_[at];
    }
    std::uint32_t Get32(std::size_t at) const {
        return big_ ? Get16(at) << 16 | Get16(at + 2) : Get16(at + 2) << 16 | Get16(at);
    }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    bool big_;
};

// The orientation tag of the first image directory of a TIFF structure.
int TiffOrientation(const std::uint8_t* tiff, std::size_t size) {
    if (size < 8 || (std::memcmp(tiff, "II", 2) != 0 && std::memcmp(tiff, "MM", 2) != 0)) return 1;
    const TiffReader r(tiff, size, tiff[0] == 'M');
    if (r.Get16(2) != 42) return 1;
    const std::uint32_t directory = r.Get32(4);
    if (!r.Has(directory, 2)) return 1;
    const std::uint32_t entries = r.Get16(directory);
    for (std::uint32_t i = 0; i < entries; ++i) {
        const std::size_t entry = directory + 2 + std::size_t{12} * i;
        if (!r.Has(entry, 12)) return 1;
        // Tag 0x0112, one SHORT held in the entry itself.
        if (r.Get16(entry) != 0x0112) continue;
        if (r.Get16(entry + 2) != 3 || r.Get32(entry + 4) != 1) return 1;
        const std::uint32_t value = r.Get16(entry + 8);
        return value >= 1 && value <= 8 ? int(value) : 1;
    }
    return 1;
}

}  // namespace

int ExifOrientation(const std::uint8_t* data, std::size_t size) {
    std::size_t at = 0;
    if (size >= 130 && data[0] == 0 && data[1] >= 1 && data[1] <= 63 &&
        std::memcmp(data + 65, "JPEG", 4) == 0)
        at = 128;  // MacBinary header
    if (size < at + 2 || data[at] != 0xFF || data[at + 1] != 0xD8) return 1;
    at += 2;
    // Segments up to the first scan or frame header; Exif comes before both.
    while (at + 4 <= size && data[at] == 0xFF) {
        const int marker = data[at + 1];
        if (marker == 0xFF) {
            ++at;
            continue;
        }
        if (marker == 0xDA || marker == 0xD9 ||
            (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xCC))
            return 1;
        const std::size_t length = std::size_t{data[at + 2]} << 8 | data[at + 3];
        if (length < 2 || length > size - at - 2) return 1;
        const std::uint8_t* body = data + at + 4;
        if (marker == 0xE1 && length >= 8 && std::memcmp(body, "Exif\0\0", 6) == 0)
            return TiffOrientation(body + 6, length - 8);
        at += 2 + length;
    }
    return 1;
}

namespace {

// The picture of a 24-bit header turned from `orientation` (2 to 8); empty when memory is short.
GlobalBlock Turned(const BITMAPINFOHEADER* source, int orientation) {
    const int width = source->biWidth, height = source->biHeight;
    const bool quarter = orientation >= 5;
    const int outWidth = quarter ? height : width, outHeight = quarter ? width : height;
    GlobalBlock turned = AllocatePackedBitmap(outWidth, outHeight, 24, 0);
    BitmapLock target(turned.get());
    if (!target) return {};
    target->biXPelsPerMeter = quarter ? source->biYPelsPerMeter : source->biXPelsPerMeter;
    target->biYPelsPerMeter = quarter ? source->biXPelsPerMeter : source->biYPelsPerMeter;
    const std::ptrdiff_t sourceStride = RowBytes(24, width), targetStride = RowBytes(24, outWidth);
    // Where pixel (x, y) of the source goes, both counted from the top left; stored rows run
    // bottom-up. The place is affine in x and y, so three points give it everywhere.
    const auto place = [&](int x, int y) {
        int tx = x, ty = y;
        switch (orientation) {
            case 2:
                tx = width - 1 - x;
                break;
            case 3:
                tx = width - 1 - x, ty = height - 1 - y;
                break;
            case 4:
                ty = height - 1 - y;
                break;
            case 5:
                tx = y, ty = x;
                break;
            case 6:
                tx = height - 1 - y, ty = x;
                break;
            case 7:
                tx = height - 1 - y, ty = width - 1 - x;
                break;
            default:
                tx = y, ty = width - 1 - x;
                break;
        }
        return targetStride * (outHeight - 1 - ty) + 3 * std::ptrdiff_t{tx};
    };
    const std::ptrdiff_t origin = place(0, 0), stepX = place(1, 0) - origin, stepY = place(0, 1) - origin;
    const BYTE* in = PixelRows(source);
    BYTE* out = PixelRows(target.data()) + origin;
    for (int y = 0; y < height; ++y, out += stepY) {
        const BYTE* row = in + sourceStride * (height - 1 - y);
        BYTE* to = out;
        for (int x = 0; x < width; ++x, to += stepX) std::memcpy(to, row + 3 * x, 3);
    }
    return turned;
}

}  // namespace

PackedBitmap TurnUpright(PackedBitmap picture, int orientation) {
    if (picture == nullptr || orientation < 2 || orientation > 8) return picture;
    GlobalBlock turned;
    {
        BitmapLock source(picture);
        if (!source || source->biBitCount != 24) return picture;
        turned = Turned(source.data(), orientation);
    }
    if (!turned) return picture;
    GlobalFree(picture);
    return turned.release();
}
