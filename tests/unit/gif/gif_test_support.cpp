#include "tests/unit/gif/gif_test_support.h"

std::vector<int> IndicesOf(PackedBitmap bitmap) {
    BitmapLock header(bitmap);
    std::vector<int> indices;
    for (int y = 0; y < header->biHeight; ++y)
        for (int x = 0; x < header->biWidth; ++x) indices.push_back(IndexOf(bitmap, x, y));
    return indices;
}

std::vector<Rgb> TableOf(PackedBitmap bitmap) {
    std::vector<Rgb> table;
    for (int i = 0; i < int(ImpliedColourCount(*BitmapLock(bitmap).data())); ++i)
        table.push_back(TableColour(bitmap, i));
    return table;
}

std::vector<Rgb> Colours(int count) {
    std::vector<Rgb> palette;
    for (int i = 0; i < count; ++i)
        palette.push_back(Rgb{std::uint8_t(i), std::uint8_t(255 - i), std::uint8_t(i / 2)});
    return palette;
}
