#include "codecs/gif/gif_writer.h"

#include <gtest/gtest.h>

#include <string>

#include "codecs/gif/gif_layout.h"
#include "tests/unit/gif/gif_test_support.h"

namespace {

std::vector<Rgb> Greys(int count) {
    std::vector<Rgb> palette;
    for (int i = 0; i < count; ++i)
        palette.push_back(Rgb{std::uint8_t(i), std::uint8_t(255 - i), std::uint8_t(i / 2)});
    return palette;
}

// A sequence of indices in which no pair of neighbours repeats, so that every index after the
// first makes the coder emit one code and add one entry: 256 steps of +1, then of +3, ...
std::vector<int> FreshPairs(std::size_t length) {
    std::vector<int> sequence{0};
    for (int step = 1; sequence.size() < length; step += 2) {
        for (int i = 0; i < 256 && sequence.size() < length; ++i)
            sequence.push_back((sequence.back() + step) % 256);
    }
    return sequence;
}

}  // namespace

TEST(GifWriter, WritesSmallPicturesByteForByte) {
    const struct {
        const char* name;
        int depth, width;
        std::vector<Rgb> palette;
        std::vector<int> indices;
        Bytes expected;
    } cases[] = {
        // Clear, the pixel, end: three 3-bit codes. One colour still gets a 4-entry table.
        {"one pixel, one colour",
         1,
         1,
         {{0x12, 0x34, 0x56}},
         {0},
         {'G', 'I', 'F', '8', '7',  'a', 1, 0, 1, 0, 0xF1, 0, 0, 0x12, 0x34, 0x56, 0,    0,    0, 0,   0,
          0,   0,   0,   0,   0x2C, 0,   0, 0, 0, 1, 0,    1, 0, 0x40, 2,    2,    0x44, 0x01, 0, 0x3B}},
        // Two colours: a 2-entry table, still minimum code size 2.
        {"two colours", 1, 2, {{0, 0, 0}, {255, 255, 255}}, {0, 1}, {'G',  'I', 'F', '8',  '7',  'a',  2,
                                                                     0,    1,   0,   0xF0, 0,    0,    0,
                                                                     0,    0,   255, 255,  255,  0x2C, 0,
                                                                     0,    0,   0,   2,    0,    1,    0,
                                                                     0x40, 2,   2,   0x44, 0x0A, 0,    0x3B}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        GlobalBlock bitmap =
            MakePaletteBitmap(c.depth, c.width, 1, c.palette, [&](int x, int) { return c.indices[x]; });
        TempFolder folder;
        const WrittenGif gif = WriteAndRead(bitmap.get(), folder);
        EXPECT_EQ(gif.status, 0);
        EXPECT_EQ(gif.file, c.expected);
    }
}

TEST(GifWriter, SizesTheColourTableByTheColourCount) {
    const struct {
        int colours, packed, entries, minimumCodeSize;
    } cases[] = {
        {1, 0xF1, 4, 2},    {2, 0xF0, 2, 2},     {3, 0xF1, 4, 2},     {4, 0xF1, 4, 2},
        {5, 0xF2, 8, 3},    {8, 0xF2, 8, 3},     {9, 0xF3, 16, 4},    {17, 0xF4, 32, 5},
        {65, 0xF6, 128, 7}, {128, 0xF6, 128, 7}, {129, 0xF7, 256, 8}, {256, 0xF7, 256, 8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.colours);
        const std::vector<Rgb> palette = Greys(c.colours);
        // The rows right behind the colour table start with non-zero bytes, which must not
        // show up in the unused table entries.
        GlobalBlock bitmap =
            MakePaletteBitmap(8, 7, 3, palette, [&](int x, int) { return (x + 1) % c.colours; });
        TempFolder folder;
        const WrittenGif gif = WriteAndRead(bitmap.get(), folder);
        ASSERT_EQ(gif.status, 0);
        const std::optional<GifFileParts> parts = SplitGifFile(gif.file);
        ASSERT_TRUE(parts);
        EXPECT_EQ(parts->packed, c.packed);
        EXPECT_EQ(parts->minimumCodeSize, c.minimumCodeSize);
        EXPECT_EQ(parts->imageFlags, 0x40);
        ASSERT_EQ(parts->table.size(), std::size_t(c.entries));
        for (int i = 0; i < c.entries; ++i) {
            EXPECT_EQ(parts->table[i], (i < c.colours ? palette[i] : Rgb{0, 0, 0})) << "entry " << i;
        }
    }
}

TEST(GifWriter, CutsTheDataIntoSubBlocks) {
    // A row of distinct indices at minimum code size 8: clear, one 9-bit code per pixel, end.
    // 224 pixels make 2034 bits (255 bytes), 225 pixels 2043 bits (256 bytes).
    const struct {
        int width;
        std::vector<std::size_t> blocks;
    } cases[] = {{224, {255}}, {225, {255, 1}}};
    for (const auto& c : cases) {
        GlobalBlock bitmap = MakePaletteBitmap(8, c.width, 1, Greys(256), [](int x, int) { return x; });
        TempFolder folder;
        const WrittenGif gif = WriteAndRead(bitmap.get(), folder);
        ASSERT_EQ(gif.status, 0);
        const std::optional<GifFileParts> parts = SplitGifFile(gif.file);
        ASSERT_TRUE(parts) << c.width;
        EXPECT_EQ(parts->blockSizes, c.blocks) << c.width;
    }
}

TEST(GifWriter, ClearsTheTableBeforeCode4095) {
    // 3837 entries (258 to 4094) are added while the first 3838 pixels are emitted; the clear
    // code follows at once, and coding starts over.
    const std::vector<int> indices = FreshPairs(3840);
    GlobalBlock bitmap =
        MakePaletteBitmap(8, int(indices.size()), 1, Greys(256), [&](int x, int) { return indices[x]; });
    TempFolder folder;
    const WrittenGif gif = WriteAndRead(bitmap.get(), folder);
    ASSERT_EQ(gif.status, 0);
    const std::optional<GifFileParts> parts = SplitGifFile(gif.file);
    ASSERT_TRUE(parts);
    std::vector<int> expected{256};
    expected.insert(expected.end(), indices.begin(), indices.begin() + 3838);
    expected.push_back(256);
    expected.insert(expected.end(), indices.begin() + 3838, indices.end());
    expected.push_back(257);
    EXPECT_EQ(ReadCodes(parts->data, 8), expected);
}

TEST(GifWriter, InterlacesRows) {
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
        SCOPED_TRACE(c.height);
        std::vector<int> rows;
        ForEachInterlacedRow(c.height, [&](std::int32_t row) { rows.push_back(row); });
        EXPECT_EQ(rows, c.rows);

        // A column with a distinct index per row shows the order in the file: one code per row.
        GlobalBlock bitmap = MakePaletteBitmap(8, 1, c.height, Greys(256), [](int, int y) { return 10 + y; });
        TempFolder folder;
        const WrittenGif gif = WriteAndRead(bitmap.get(), folder);
        ASSERT_EQ(gif.status, 0);
        const std::optional<GifFileParts> parts = SplitGifFile(gif.file);
        ASSERT_TRUE(parts);
        std::vector<int> expected{256};
        for (int row : c.rows) expected.push_back(10 + row);
        expected.push_back(257);
        EXPECT_EQ(ReadCodes(parts->data, 8), expected);
    }
}

TEST(GifWriter, RefusesWhatItCannotWrite) {
    const auto withHeader = [](int depth, int width, int height, std::uint32_t colours, auto change) {
        GlobalBlock bitmap = AllocatePackedBitmap(width, height, depth, colours);
        change(*BitmapLock(bitmap.get()).data());
        return bitmap;
    };
    const auto keep = [](BITMAPINFOHEADER&) {};
    // A block holding just the header and the table of an 8-bit 100 x 100 picture.
    const auto headerOnly = [] {
        GlobalBlock block = GlobalBlock::Allocate(sizeof(BITMAPINFOHEADER) + 4 * 16);
        BITMAPINFOHEADER& h = *BitmapLock(block.get()).data();
        h = BITMAPINFOHEADER{40, 100, 100, 1, 8, 0, 0, 0, 0, 16, 16};
        return block;
    };
    const auto tooWide = [] {
        // 1-bit rows of 70000 pixels: 8752 bytes each.
        GlobalBlock block = GlobalBlock::Allocate(sizeof(BITMAPINFOHEADER) + 8 + 8752);
        BITMAPINFOHEADER& h = *BitmapLock(block.get()).data();
        h = BITMAPINFOHEADER{40, 70000, 1, 1, 1, 0, 0, 0, 0, 2, 2};
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
        {"16-bit", withHeader(16, 4, 4, 0, keep), -4},
        {"two planes", withHeader(8, 4, 4, 4, [](BITMAPINFOHEADER& h) { h.biPlanes = 2; }), -4},
        {"top-down", withHeader(8, 4, 4, 4, [](BITMAPINFOHEADER& h) { h.biHeight = -4; }), -4},
        {"more than 256 colours",
         withHeader(8, 4, 4, 256, [](BITMAPINFOHEADER& h) { h.biClrUsed = 0x40000001; }), -4},
        {"rows missing from the block", headerOnly(), -4},
        {"wider than a GIF holds", tooWide(), -4},
        {"index past the 4-entry table",
         MakePaletteBitmap(8, 3, 2, Greys(3), [](int x, int) { return x == 2 ? 4 : x; }), -4},
        {"index past the 2-entry table", MakePaletteBitmap(4, 3, 2, Greys(2), [](int x, int) { return x; }),
         -4},
        {"index past the unused entries",
         MakePaletteBitmap(8, 3, 2, Greys(3), [](int x, int) { return x + 1; }), 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        const std::string path = folder.File("refused.gif");
        EXPECT_EQ(WriteGifFile(c.bitmap.get(), path.c_str()), c.status);
        EXPECT_TRUE(FileExists(path));
        if (c.status != 0) {
            EXPECT_TRUE(ReadBytes(path).empty());
        }
    }

    GlobalBlock good = MakePaletteBitmap(1, 2, 2, Greys(2), [](int x, int) { return x; });
    TempFolder folder;
    EXPECT_EQ(WriteGifFile(good.get(), folder.File("no/such/folder.gif").c_str()), -1);
    EXPECT_EQ(WriteGifFile(nullptr, folder.File("null.gif").c_str()), -6);
}
