#include "core/normalise.h"

#include <gtest/gtest.h>

#include "tests/support/bitmap_builder.h"
#include "tests/support/files.h"

namespace {

// A one-row bitmap given by its raw row bytes; entry i of its table is the colour Entry(i), as is
// the 32-bit pixel of bytes i, i + 1, i + 2.
GlobalBlock RawBitmap(int depth, int width, std::uint32_t colours, const Bytes& row) {
    GlobalBlock block = AllocatePackedBitmap(width, 1, depth, colours);
    BitmapLock header(block.get());
    for (std::uint32_t i = 0; i < colours; ++i)
        ColourTable(header.data())[i] = RGBQUAD{BYTE(i), BYTE(i + 1), BYTE(i + 2), 0xAA};
    std::copy(row.begin(), row.end(), PixelRows(header.data()));
    return block;
}

Rgb Entry(int i) {
    return Rgb{std::uint8_t(i + 2), std::uint8_t(i + 1), std::uint8_t(i)};
}

}  // namespace

TEST(NormaliseTo24, TurnsPaletteAnd32BitPixelsIntoColoursAndRefusesShortBlocks) {
    const struct {
        const char* name;
        int depth, width;
        std::uint32_t colours;
        Bytes row;
        std::vector<int> entries;  // -1: black
    } cases[] = {
        {"1 bit", 1, 9, 2, {0x80, 0x80}, {1, 0, 0, 0, 0, 0, 0, 0, 1}},
        {"4 bits, odd width", 4, 3, 16, {0x12, 0x3F}, {1, 2, 3}},
        {"8 bits behind a short table, black beyond it", 8, 3, 16, {15, 200, 7}, {15, -1, 7}},
        {"32 bits lose the fourth byte", 32, 2, 0, {1, 2, 3, 0xFF, 4, 5, 6, 0x7F}, {1, 4}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        GlobalBlock result(NormaliseTo24(RawBitmap(c.depth, c.width, c.colours, c.row).release()));
        ASSERT_TRUE(result);
        for (int x = 0; x < c.width; ++x) {
            EXPECT_EQ(PixelOf(result.get(), x, 0), (c.entries[x] < 0 ? Rgb{0, 0, 0} : Entry(c.entries[x])))
                << x;
        }
        BitmapLock header(result.get());
        EXPECT_EQ(header->biBitCount, 24);
        EXPECT_EQ(header->biClrUsed, 0u);
        EXPECT_EQ(header->biSizeImage, RowBytes(24, c.width));
    }
    GlobalBlock truncated = GlobalBlock::Allocate(40 + 8);  // header and table of an 8-bit 100 x 100
    *BitmapLock(truncated.get()).data() = BITMAPINFOHEADER{40, 100, 100, 1, 8, 0, 0, 0, 0, 2, 0};
    EXPECT_EQ(NormaliseTo24(truncated.release()), nullptr);
}
