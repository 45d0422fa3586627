#include "core/normalise.h"

#include <algorithm>

namespace {

// The index of pixel x in a row of 1, 4 or 8 bits per pixel.
int IndexAt(const BYTE* row, int depth, int x) {
    switch (depth) {
        case 1:
            return row[x / 8] >> (7 - x % 8) & 1;
        case 4:
            return x % 2 ? row[x / 2] & 0x0F : row[x / 2] >> 4;
        default:
            return row[x];
    }
}

void ConvertRows(const BITMAPINFOHEADER& header, const BYTE* rows, const RGBQUAD* table, BYTE* target) {
    const int width = header.biWidth, depth = header.biBitCount;
    const std::uint32_t sourceStride = RowBytes(depth, width), targetStride = RowBytes(24, width);
    for (int y = 0; y < header.biHeight; ++y) {
        const BYTE* in = rows + std::size_t{sourceStride} * y;
        BYTE* out = target + std::size_t{targetStride} * y;
        for (int x = 0; x < width; ++x, out += 3) {
            if (depth == 32) {
                std::copy_n(in + 4 * x, 3, out);
            } else {
                const RGBQUAD& colour = table[IndexAt(in, depth, x)];
                out[0] = colour.rgbBlue;
                out[1] = colour.rgbGreen;
                out[2] = colour.rgbRed;
            }
        }
    }
}

PackedBitmap Convert(HGLOBAL input) {
    if (!IsCompleteBitmap(input)) return nullptr;
    BitmapLock header(input);
    if (!header) return nullptr;
    const int depth = header->biBitCount;
    if (depth != 1 && depth != 4 && depth != 8 && depth != 32) return nullptr;
    // 32-bit rows follow the header directly.
    const std::uint32_t colours = depth == 32 ? 0 : ImpliedColourCount(*header.data());
    const std::uint32_t rowsOffset = sizeof(BITMAPINFOHEADER) + 4 * colours;
    // Entries beyond the table stay black.
    RGBQUAD table[256] = {};
    std::copy_n(ColourTable(header.data()), colours, table);

    GlobalBlock output = AllocatePackedBitmap(header->biWidth, header->biHeight, 24, 0);
    BitmapLock target(output.get());
    if (!target) return nullptr;
    ConvertRows(*header.data(), reinterpret_cast<const BYTE*>(header.data()) + rowsOffset, table,
                PixelRows(target.data()));
    return output.release();
}

}  // namespace

PackedBitmap NormaliseTo24(PackedBitmap bitmap) {
    if (bitmap == nullptr) return nullptr;
    {
        BitmapLock header(bitmap);
        if (header && header->biBitCount == 24) return bitmap;
    }
    PackedBitmap result = Convert(bitmap);
    GlobalFree(bitmap);
    return result;
}
