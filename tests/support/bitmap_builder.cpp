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

std::vector<int> IndicesOf(PackedBitmap bitmap) {
    BitmapLock header(bitmap);
    std::vector<int> indices;
    for (int y = 0; y < header->biHeight; ++y)
        for (int x = 0; x < header->biWidth; ++x) indices.push_back(IndexOf(bitmap, x, y));
    return indices;
}

std::vector<Rgb> TableOf(PackedBitmap bitmap) {
    BitmapLock header(bitmap);
    std::vector<Rgb> table;
    for (std::uint32_t i = 0; i < ImpliedColourCount(*header.data()); ++i) {
        const RGBQUAD q = ColourTable(header.data())[i];
        table.push_back(Rgb{q.rgbRed, q.rgbGreen, q.rgbBlue});
    }
    return table;
}

Bytes BlockBytes(PackedBitmap bitmap) {
    if (bitmap == nullptr) return {};
    BlockLock<BYTE> bytes(bitmap);
    return Bytes(bytes.data(), bytes.data() + GlobalSize(bitmap));
}

Rgb ColourOf(PackedBitmap bitmap, int x, int y) {
    if (BitmapLock(bitmap)->biBitCount == 24) return PixelOf(bitmap, x, y);
    const RGBQUAD q = ColourTable(BitmapLock(bitmap).data())[IndexOf(bitmap, x, y)];
    return Rgb{q.rgbRed, q.rgbGreen, q.rgbBlue};
}

std::vector<Rgb> Colours(int count) {
    std::vector<Rgb> palette;
    for (int i = 0; i < count; ++i)
        palette.push_back(Rgb{std::uint8_t(i), std::uint8_t(255 - i), std::uint8_t(i / 2)});
    return palette;
}
