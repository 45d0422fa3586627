#include "codecs/gif/gif_writer.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/unit/gif/gif_test_support.h"

namespace {

std::vector<Rgb> Palette(int count) {
    std::vector<Rgb> palette;
    for (int i = 0; i < count; ++i)
        palette.push_back(Rgb{std::uint8_t(i), std::uint8_t(255 - i), std::uint8_t(i / 2)});
    return palette;
}

// The codes of an 8-bit, 256-colour picture of one row or one column.
std::vector<int> CodesOf(const std::vector<int>& indices, bool column,
                         std::vector<std::size_t>* blocks = nullptr) {
    const int length = int(indices.size());
    GlobalBlock bitmap = MakePaletteBitmap(8, column ? 1 : length, column ? length : 1, Palette(256),
                                           [&](int x, int y) { return indices[std::size_t(x + y)]; });
    const WrittenGif gif = WriteAndRead(bitmap.get());
    const std::optional<GifFileParts> parts = SplitGifFile(gif.file);
    if (gif.status != 0 || !parts) return {};
    if (blocks) *blocks = parts->blockSizes;
    return ReadCodes(parts->data, 8);
}

}  // namespace

TEST(GifWriter, SizesTheColourTableByTheColourCount) {
    // One pixel: clear, the pixel, end, three 3-bit codes; one colour still gets 4 entries.
    GlobalBlock pixel = MakePaletteBitmap(1, 1, 1, {{0x12, 0x34, 0x56}}, [](int, int) { return 0; });
    EXPECT_EQ(WriteAndRead(pixel.get()).file,
              (Bytes{'G',  'I',  'F', '8', '7', 'a', 1,    0, 1, 0,    0xF1, 0,    0,   0x12,
                     0x34, 0x56, 0,   0,   0,   0,   0,    0, 0, 0,    0,    0x2C, 0,   0,
                     0,    0,    1,   0,   1,   0,   0x40, 2, 2, 0x44, 0x01, 0,    0x3B}));
    const struct {
        int colours, packed, minimumCodeSize;
    } cases[] = {{2, 0xF0, 2}, {3, 0xF1, 2},  {4, 0xF1, 2},   {5, 0xF2, 3},   {8, 0xF2, 3},
                 {9, 0xF3, 4}, {17, 0xF4, 5}, {128, 0xF6, 7}, {129, 0xF7, 8}, {256, 0xF7, 8}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.colours);
        // The rows behind the colour table start with non-zero bytes, which must not leak into
        // the unused entries.
        GlobalBlock bitmap =
            MakePaletteBitmap(8, 7, 3, Palette(c.colours), [&](int x, int) { return (x + 1) % c.colours; });
        const std::optional<GifFileParts> parts = SplitGifFile(WriteAndRead(bitmap.get()).file);
        ASSERT_TRUE(parts);
        EXPECT_EQ(parts->packed, c.packed);
        EXPECT_EQ(parts->imageFlags, 0x40);
        EXPECT_EQ(parts->minimumCodeSize, c.minimumCodeSize);
        std::vector<Rgb> table = Palette(c.colours);
        table.resize(std::size_t{2} << (c.packed & 7), Rgb{0, 0, 0});
        EXPECT_EQ(parts->table, table);
    }
    GlobalBlock two = MakePaletteBitmap(1, 2, 1, Palette(2), [](int x, int) { return x; });
    EXPECT_EQ(ReadCodes(SplitGifFile(WriteAndRead(two.get()).file)->data, 2), (std::vector<int>{4, 0, 1, 5}));
}

TEST(GifWriter, CodesRowsInInterlacedOrder) {
    const struct {
        int height;
        std::vector<int> rows;
    } cases[] = {
        {1, {0}},
        {2, {0, 1}},
        {5, {0, 4, 2, 1, 3}},
        {20, {0, 8, 16, 4, 12, 2, 6, 10, 14, 18, 1, 3, 5, 7, 9, 11, 13, 15, 17, 19}},
    };
    for (const auto& c : cases) {
        // A distinct index per row: one code per row in the file's order.
        std::vector<int> indices, expected{256};
        for (int y = 0; y < c.height; ++y) indices.push_back(10 + y);
        for (int row : c.rows) expected.push_back(10 + row);
        expected.push_back(257);
        EXPECT_EQ(CodesOf(indices, true), expected) << c.height;
    }
}

TEST(GifWriter, CutsSubBlocksAndClearsBeforeCode4095) {
    // Distinct indices at code size 8: clear, a 9-bit code per pixel, end. 224 pixels make
    // 2034 bits (255 bytes), 225 pixels 2043 bits (256 bytes).
    for (int width : {224, 225}) {
        std::vector<int> indices;
        for (int x = 0; x < width; ++x) indices.push_back(x);
        std::vector<std::size_t> blocks;
        EXPECT_EQ(CodesOf(indices, false, &blocks).size(), std::size_t(width) + 2);
        EXPECT_EQ(blocks, (width == 224 ? std::vector<std::size_t>{255} : std::vector<std::size_t>{255, 1}));
    }
    // No pair of neighbours repeats (256 steps of +1, then of +3, ...), so each pixel emits a
    // code and adds an entry. Entries 258 to 4094 come with the first 3838 codes; the clear
    // follows at once.
    std::vector<int> indices{0};
    for (int step = 1; indices.size() < 3840; step += 2) {
        for (int i = 0; i < 256 && indices.size() < 3840; ++i)
            indices.push_back((indices.back() + step) % 256);
    }
    std::vector<int> expected{256};
    expected.insert(expected.end(), indices.begin(), indices.begin() + 3838);
    expected.insert(expected.end(), {256, indices[3838], indices[3839], 257});
    EXPECT_EQ(CodesOf(indices, false), expected);
}

TEST(GifWriter, RefusesWhatItCannotWrite) {
    const auto changed = [](GlobalBlock bitmap, auto change) {
        change(*BitmapLock(bitmap.get()).data());
        return bitmap;
    };
    const auto bare = [](std::size_t tableAndRows, BITMAPINFOHEADER header) {
        GlobalBlock block = GlobalBlock::Allocate(sizeof header + tableAndRows);
        *BitmapLock(block.get()).data() = header;
        return block;
    };
    const struct {
        const char* name;
        GlobalBlock bitmap;
        std::int32_t status;
    } cases[] = {
        {"24-bit",
         MakeBitmap24(4, 4,
                      [](int, int) {
                          return Rgb{1, 2, 3};
                      }),
         -4},
        {"16-bit", AllocatePackedBitmap(4, 4, 16, 0), -4},
        {"two planes", changed(AllocatePackedBitmap(4, 4, 8, 4), [](BITMAPINFOHEADER& h) { h.biPlanes = 2; }),
         -4},
        {"top-down", changed(AllocatePackedBitmap(4, 4, 8, 4), [](BITMAPINFOHEADER& h) { h.biHeight = -4; }),
         -4},
        {"300 colours", bare(1200 + 16, {40, 4, 4, 1, 8, 0, 0, 0, 0, 300, 300}), -4},
        {"table past the block", bare(1024 + 16, {40, 4, 4, 1, 8, 0, 0, 0, 0, 0x40000001, 0}), -4},
        {"rows past the block", bare(64, {40, 100, 100, 1, 8, 0, 0, 0, 0, 16, 16}), -4},
        {"70000 wide", bare(8 + 8752, {40, 70000, 1, 1, 1, 0, 0, 0, 0, 2, 2}), -4},
        {"index past 4 entries", MakePaletteBitmap(8, 3, 2, Palette(3), [](int x, int) { return 2 * x; }),
         -4},
        {"index past 2 entries", MakePaletteBitmap(4, 3, 2, Palette(2), [](int x, int) { return x; }), -4},
        {"index of an unused entry", MakePaletteBitmap(8, 3, 2, Palette(3), [](int x, int) { return x + 1; }),
         0},
    };
    for (const auto& c : cases) {
        const WrittenGif gif = WriteAndRead(c.bitmap.get());
        EXPECT_EQ(gif.status, c.status) << c.name;
        // The file was created, and is left empty.
        EXPECT_TRUE(gif.created) << c.name;
        EXPECT_EQ(gif.file.empty(), c.status != 0) << c.name;
    }
    TempFolder folder;
    EXPECT_EQ(WriteGifFile(AllocatePackedBitmap(2, 2, 1, 2).get(), folder.File("no/folder.gif").c_str()), -1);
    EXPECT_EQ(WriteGifFile(nullptr, folder.File("null.gif").c_str()), -6);
}
