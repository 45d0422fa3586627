#include "pipeline/lossless_estimate.h"

#include <cstring>
#include <new>

#include "codecs/webp/webp_writer.h"

namespace {

// Bands of this many rows, one in this many, from this many rows up (four bands at least).
constexpr int kBandRows = 16, kBandEvery = 4, kLeastRows = kBandRows * kBandEvery * kBandEvery;

}  // namespace

std::optional<std::size_t> FastLosslessWebpBytes(PackedBitmap picture) {
    WebpTuning fastest = kSmallWebp;
    fastest.losslessMethod = 0;
    fastest.losslessEffort = 0;
    WebpBytes bytes;
    const WebpWriteStatus status = EncodeWebp(picture, WebpEncoding::Lossless(), &bytes, fastest);
    if (status == kWebpOutOfMemory) throw std::bad_alloc();
    if (status != kWebpWritten) return std::nullopt;
    return bytes.size;
}

std::optional<std::size_t> FastLosslessEstimate(PackedBitmap picture) {
    BitmapLock header(picture);
    if (!header) throw std::bad_alloc();
    const int width = header->biWidth, height = header->biHeight;
    if (height < kLeastRows) return FastLosslessWebpBytes(picture);
    auto sampled = [](int y) { return y / kBandRows % kBandEvery == 0; };
    int rows = 0;
    for (int y = 0; y < height; ++y) rows += sampled(y);
    const GlobalBlock bands = AllocatePackedBitmap(width, rows, 24, 0);
    BitmapLock to(bands.get());
    if (!to) throw std::bad_alloc();
    // Rows are stored bottom-up in both; y counts from the top.
    const std::size_t stride = RowBytes(24, width);
    for (int y = 0, row = 0; y < height; ++y)
        if (sampled(y))
            std::memcpy(PixelRows(to.data()) + stride * std::size_t(rows - 1 - row++),
                        PixelRows(header.data()) + stride * std::size_t(height - 1 - y), stride);
    const std::optional<std::size_t> bytes = FastLosslessWebpBytes(bands.get());
    if (!bytes) return std::nullopt;
    return std::size_t(double(*bytes) * height / rows);
}
