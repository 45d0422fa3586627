#include "app/preview_image.h"

#include <algorithm>
#include <cstring>

#include "core/resample.h"

namespace {

void FillPreviewBackground(BITMAPINFOHEADER* preview) {
    BYTE* rows = PixelRows(preview);
    const std::uint32_t stride = RowBytes(24, preview->biWidth);
    for (int x = 0; x < preview->biWidth; ++x) std::memcpy(rows + 3 * x, kPreviewBackground, 3);
    for (int y = 1; y < preview->biHeight; ++y) std::memcpy(rows + std::size_t{stride} * y, rows, stride);
}

}  // namespace

PreviewPlacement PlacePreview(int pictureWidth, int pictureHeight, int boxWidth, int boxHeight) {
    const double ratio = std::max(static_cast<double>(pictureWidth) / boxWidth,
                                  static_cast<double>(pictureHeight) / boxHeight);
    PreviewPlacement placement{pictureWidth, pictureHeight, 0, 0, ratio > 1.0};
    if (placement.scaled) {
        placement.width = std::clamp(static_cast<int>(pictureWidth / ratio), 1, boxWidth);
        placement.height = std::clamp(static_cast<int>(pictureHeight / ratio), 1, boxHeight);
    }
    placement.x = (boxWidth - placement.width) / 2;
    placement.y = (boxHeight - placement.height) / 2;
    return placement;
}

GlobalBlock CreatePreviewImage(int boxWidth, int boxHeight) {
    GlobalBlock preview = AllocatePackedBitmap(boxWidth, boxHeight, 24, 0);
    if (BitmapLock header{preview.get()}) FillPreviewBackground(header.data());
    return preview;
}

bool DrawPreview(BITMAPINFOHEADER* preview, PackedBitmap picture, int width, int height) {
    const int boxWidth = preview->biWidth, boxHeight = preview->biHeight;
    const PreviewPlacement placement = PlacePreview(width, height, boxWidth, boxHeight);
    GlobalBlock scaled;
    if (placement.scaled) {
        scaled.reset(ResizeBitmap(picture, placement.width, placement.height));
        if (!scaled) return false;
    }
    BitmapLock shown(scaled ? scaled.get() : picture);
    if (!shown || shown->biBitCount != 24 || shown->biWidth <= 0 || shown->biHeight <= 0) return false;
    FillPreviewBackground(preview);
    const int w = std::min<int>(shown->biWidth, boxWidth - placement.x);
    const int h = std::min<int>(shown->biHeight, boxHeight - placement.y);
    const std::uint32_t sourceStride = RowBytes(24, shown->biWidth), targetStride = RowBytes(24, boxWidth);
    const BYTE* source = PixelRows(shown.data());
    BYTE* target = PixelRows(preview);
    // Rows are stored bottom-up in both bitmaps.
    for (int t = 0; t < h; ++t) {
        const BYTE* from = source + std::size_t{sourceStride} * (shown->biHeight - 1 - t);
        BYTE* to = target + std::size_t{targetStride} * (boxHeight - 1 - (placement.y + t)) + 3 * placement.x;
        std::memcpy(to, from, 3 * std::size_t(w));
    }
    return true;
}
