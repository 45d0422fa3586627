#include "tests/support/bitmap_builder.h"

GlobalBlock MakeBitmap24(int width, int height, const ColourAt& colour) {
    GlobalBlock block = AllocatePackedBitmap(width, height, 24, 0);
    BitmapLock header(block.get());
    const std::uint32_t stride = RowBytes(24, width);
    for (int y = 0; y < height; ++y) {
        BYTE* row = PixelRows(header.data()) + std::size_t{stride} * (height - 1 - y);
        for (int x = 0; x < width; ++x) {
            const Rgb c = colour(x, y);
            row[3 * x] = c.b;
            row[3 * x + 1] = c.g;
            row[3 * x + 2] = c.r;
        }
    }
    return block;
}

GlobalBlock MakePaletteBitmap(int depth, int width, int height, const std::vector<Rgb>& palette,
                              const IndexAt& index) {
    GlobalBlock block =
        AllocatePackedBitmap(width, height, depth, static_cast<std::uint32_t>(palette.size()));
    BitmapLock header(block.get());
    RGBQUAD* table = ColourTable(header.data());
    for (std::size_t i = 0; i < palette.size(); ++i)
        table[i] = RGBQUAD{palette[i].b, palette[i].g, palette[i].r, 0};
    const std::uint32_t stride = RowBytes(depth, width);
    for (int y = 0; y < height; ++y) {
        BYTE* row = PixelRows(header.data()) + std::size_t{stride} * (height - 1 - y);
        for (int x = 0; x < width; ++x) {
            const int value = index(x, y);
            const int perByte = 8 / depth, bit = (perByte - 1 - x % perByte) * depth;
            row[x / perByte] = static_cast<BYTE>(row[x / perByte] | value << bit);
        }
    }
    return block;
}

Rgb PixelOf(PackedBitmap bitmap, int x, int y) {
    BitmapLock header(bitmap);
    const BYTE* p = PixelRows(header.data()) +
                    std::size_t{RowBytes(24, header->biWidth)} * (header->biHeight - 1 - y) + 3 * x;
    return Rgb{p[2], p[1], p[0]};
}

int IndexOf(PackedBitmap bitmap, int x, int y) {
    BitmapLock header(bitmap);
    const int depth = header->biBitCount, perByte = 8 / depth;
    const BYTE* row =
        PixelRows(header.data()) + std::size_t{RowBytes(depth, header->biWidth)} * (header->biHeight - 1 - y);
    return row[x / perByte] >> ((perByte - 1 - x % perByte) * depth) & ((1 << depth) - 1);
}

Rgb TableColour(PackedBitmap bitmap, int index) {
    const RGBQUAD q = ColourTable(BitmapLock(bitmap).data())[index];
    return Rgb{q.rgbRed, q.rgbGreen, q.rgbBlue};
}

Rgb ColourOf(PackedBitmap bitmap, int x, int y) {
    const int depth = BitmapLock(bitmap)->biBitCount;
    return depth == 24 ? PixelOf(bitmap, x, y) : TableColour(bitmap, IndexOf(bitmap, x, y));
}
