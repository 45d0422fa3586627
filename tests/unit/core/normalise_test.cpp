#include "core/normalise.h"

#include <gtest/gtest.h>

#include "tests/support/bitmap_builder.h"
#include "tests/support/files.h"

namespace {

// A palette bitmap given by its raw bottom row bytes and colour count.
GlobalBlock RawPaletteBitmap(int depth, int width, std::uint32_t colours, const Bytes& row) {
    GlobalBlock block = AllocatePackedBitmap(width, 1, depth, colours);
    BitmapLock header(block.get());
    for (std::uint32_t i = 0; i < colours; ++i) {
        ColourTable(header.data())[i] = RGBQUAD{BYTE(i), BYTE(i + 1), BYTE(i + 2), 0xAA};
    }
    std::copy(row.begin(), row.end(), PixelRows(header.data()));
    return block;
}

std::vector<int> BlueOfRow(PackedBitmap bitmap) {
    BitmapLock header(bitmap);
    std::vector<int> blue;
    for (int x = 0; x < header->biWidth; ++x) blue.push_back(PixelOf(bitmap, x, 0).b);
    return blue;
}

}  // namespace

TEST(NormaliseTo24, TurnsPaletteDepthsIntoColours) {
    const struct {
        const char* name;
        int depth, width;
        std::uint32_t colours;
        Bytes row;
        std::vector<int> blue;  // blue is the entry's index in these tables
    } cases[] = {
        {"1 bit", 1, 8, 2, {0x80}, {1, 0, 0, 0, 0, 0, 0, 0}},
        {"4 bits, odd width", 4, 3, 16, {0x12, 0x30}, {1, 2, 3}},
        {"8 bits behind a short table", 8, 3, 16, {15, 0, 7}, {15, 0, 7}},
        {"index beyond the table is black", 8, 2, 16, {200, 1}, {0, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PackedBitmap result = NormaliseTo24(RawPaletteBitmap(c.depth, c.width, c.colours, c.row).release());
        ASSERT_NE(result, nullptr);
        GlobalBlock owned(result);
        EXPECT_EQ(BlueOfRow(result), c.blue);
        BitmapLock header(result);
        EXPECT_EQ(header->biBitCount, 24);
        EXPECT_EQ(header->biClrUsed, 0u);
        EXPECT_EQ(header->biSizeImage, RowBytes(24, c.width));
    }
}

TEST(NormaliseTo24, DropsTheFourthByteOf32BitPixels) {
    GlobalBlock block = AllocatePackedBitmap(2, 1, 32, 0);
    {
        BitmapLock header(block.get());
        const Bytes row = {1, 2, 3, 0xFF, 4, 5, 6, 0x7F};
        std::copy(row.begin(), row.end(), PixelRows(header.data()));
    }
    GlobalBlock result(NormaliseTo24(block.release()));
    ASSERT_TRUE(result);
    EXPECT_EQ(PixelOf(result.get(), 0, 0), (Rgb{3, 2, 1}));
    EXPECT_EQ(PixelOf(result.get(), 1, 0), (Rgb{6, 5, 4}));
}

TEST(NormaliseTo24, KeepsTwentyFourBitsAndRefusesTheRest) {
    PackedBitmap rgb = MakeBitmap24(2, 2, [](int, int) { return Rgb{1, 2, 3}; }).release();
    EXPECT_EQ(NormaliseTo24(rgb), rgb);
    GlobalFree(rgb);
    EXPECT_EQ(NormaliseTo24(nullptr), nullptr);

    GlobalBlock sixteen = AllocatePackedBitmap(2, 2, 16, 0);
    EXPECT_EQ(NormaliseTo24(sixteen.release()), nullptr);

    GlobalBlock truncated = GlobalBlock::Allocate(40 + 8);  // header and table of an 8-bit 100 x 100
    {
        BitmapLock header(truncated.get());
        *header.data() = BITMAPINFOHEADER{40, 100, 100, 1, 8, 0, 0, 0, 0, 2, 0};
    }
    EXPECT_EQ(NormaliseTo24(truncated.release()), nullptr);
}
