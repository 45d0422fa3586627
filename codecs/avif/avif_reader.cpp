#include "codecs/avif/avif_reader.h"

#include <algorithm>
#include <memory>
#include <new>
#include <vector>

#include "codecs/avif/av1_decoding.h"
#include "codecs/avif/av1_samples.h"
#include "core/classic_file.h"

namespace {

// What the frames of one plane may cost to decode: twice the largest picture, which leaves room
// for grid tiles reaching beyond the picture and a hidden frame before the first shown one.
constexpr std::uint64_t kPixelBudget = 2 * std::uint64_t(kMaxPicturePixels);

// Where each tile goes: its rectangle of the picture, rows counted from the top.
struct TileRegion {
    int left, top, width, height;
};

// Decodes every tile of the plane and hands it over with its rectangle.
template <typename Place>
AvifReadStatus DecodePlane(const AvifPlane& plane, const AvifLayout& layout, Place place) {
    Av1PictureDecoder decoder;
    std::uint64_t budget = kPixelBudget;
    for (std::size_t i = 0; i < plane.tiles.size(); ++i) {
        const aom_image_t* picture = nullptr;
        const AvifReadStatus status = decoder.Decode(plane.tiles[i], &budget, &picture);
        if (status != kAvifReadOk) return status;
        if (picture->d_w < plane.tileWidth || picture->d_h < plane.tileHeight) return kAvifBroken;
        const int left = int(i % std::size_t(plane.columns) * plane.tileWidth);
        const int top = int(i / std::size_t(plane.columns) * plane.tileHeight);
        place(*picture, TileRegion{left, top, std::min(int(plane.tileWidth), int(layout.width) - left),
                                   std::min(int(plane.tileHeight), int(layout.height) - top)});
    }
    return kAvifReadOk;
}

AvifReadStatus DecodeInto(const AvifLayout& layout, BITMAPINFOHEADER* header, std::uint32_t background) {
    const std::size_t stride = RowBytes(24, header->biWidth);
    BYTE* const rows = PixelRows(header);
    auto pixel = [&](int x, int y) {
        return rows + stride * std::size_t(header->biHeight - 1 - y) + std::size_t(x) * 3;
    };
    AvifReadStatus status =
        DecodePlane(layout.colour, layout, [&](const aom_image_t& picture, TileRegion tile) {
            ConvertToBgr(picture, CodingOf(picture, layout.colour.coding), tile.width, tile.height,
                         [&](int y) { return pixel(tile.left, tile.top + y); });
        });
    if (status != kAvifReadOk || !layout.alpha) return status;

    const std::size_t width = layout.width;
    std::vector<std::uint8_t> opacity(width * layout.height);
    status = DecodePlane(*layout.alpha, layout, [&](const aom_image_t& picture, TileRegion tile) {
        ConvertToOpacity(
            picture, CodingOf(picture, layout.alpha->coding).fullRange, tile.width, tile.height,
            [&](int y) { return &opacity[(std::size_t(tile.top) + std::size_t(y)) * width + tile.left]; });
    });
    if (status != kAvifReadOk) return status;
    const int under[3] = {int(background >> 16 & 0xFF), int(background >> 8 & 0xFF), int(background & 0xFF)};
    for (std::size_t y = 0; y < layout.height; ++y) {
        BYTE* to = pixel(0, int(y));
        const std::uint8_t* alpha = &opacity[y * width];
        for (std::size_t x = 0; x < width; ++x, to += 3) {
            const int a = alpha[x];
            for (int c = 0; c < 3; ++c) to[c] = BYTE((to[c] * a + under[c] * (255 - a) + 127) / 255);
        }
    }
    return kAvifReadOk;
}

// Enough of the file's start for its file type box to name its brands.
constexpr std::uint32_t kHeadBytes = 256;

}  // namespace

AvifReadStatus DecodeAvif(PackedBitmap* result, const std::uint8_t* data, std::size_t size,
                          std::uint32_t background) {
    *result = nullptr;
    try {
        AvifLayout layout;
        const AvifReadStatus parsed = ParseAvif(data, size, &layout);
        if (parsed != kAvifReadOk) return parsed;
        GlobalBlock bitmap = AllocatePackedBitmap(int(layout.width), int(layout.height), 24, 0);
        if (!bitmap) return kAvifReadOutOfMemory;
        AvifReadStatus status;
        {
            BitmapLock header(bitmap.get());
            if (!header) return kAvifReadOutOfMemory;
            status = DecodeInto(layout, header.data(), background);
        }
        if (status == kAvifReadOk) *result = bitmap.release();
        return status;
    } catch (const std::bad_alloc&) {
        return kAvifReadOutOfMemory;
    }
}

AvifReadStatus ReadAvifFile(PackedBitmap* result, const char* path, std::uint32_t background) {
    *result = nullptr;
    ClassicFile file = ClassicFile::OpenForReading(path);
    if (!file.is_open()) return kAvifCannotRead;
    const LONG length = file.SeekToEnd();
    if (length < 0 || !file.Seek(0)) return kAvifCannotRead;
    const std::size_t size = std::size_t(length);
    std::uint8_t head[kHeadBytes];
    const std::uint32_t headBytes = std::uint32_t(std::min<std::size_t>(size, kHeadBytes));
    if (!file.ReadExactly(head, headBytes)) return kAvifCannotRead;
    if (!IsAvifStart(head, headBytes)) return kAvifNotAvif;
    std::unique_ptr<std::uint8_t[]> data(new (std::nothrow) std::uint8_t[size]);
    if (!data) return kAvifReadOutOfMemory;
    std::copy(head, head + headBytes, data.get());
    if (!file.ReadExactly(data.get() + headBytes, std::uint32_t(size - headBytes))) return kAvifCannotRead;
    return DecodeAvif(result, data.get(), size, background);
}
