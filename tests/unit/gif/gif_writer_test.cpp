#include "codecs/gif/gif_writer.h"

#include <gtest/gtest.h>

#include "tests/unit/gif/gif_test_support.h"

namespace {

// The codes of an 8-bit, 256-colour picture of one row.
std::vector<int> CodesOf(const std::vector<int>& indices, std::vector<std::size_t>* blocks = nullptr) {
    GlobalBlock bitmap = MakePaletteBitmap(8, int(indices.size()), 1, Colours(256),
                                           [&](int x, int) { return indices[std::size_t(x)]; });
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
        // Non-zero row bytes behind the table must not leak into the unused entries.
        GlobalBlock bitmap =
            MakePaletteBitmap(8, 7, 3, Colours(c.colours), [&](int x, int) { return (x + 1) % c.colours; });
        const std::optional<GifFileParts> parts = SplitGifFile(WriteAndRead(bitmap.get()).file);
        ASSERT_TRUE(parts);
        EXPECT_EQ(parts->packed, c.packed);
        EXPECT_EQ(parts->imageFlags, 0x40);
        EXPECT_EQ(parts->minimumCodeSize, c.minimumCodeSize);
        std::vector<Rgb> table = Colours(c.colours);
        table.resize(std::size_t{2} << (c.packed & 7), Rgb{0, 0, 0});
        EXPECT_EQ(parts->table, table);
    }
}

TEST(GifWriter, CutsSubBlocksAndClearsBeforeCode4095) {
    // Clear, a 9-bit code per distinct pixel, end: 224 pixels fill 255 bytes, 225 one more.
    for (int width : {224, 225}) {
        std::vector<int> indices;
        for (int x = 0; x < width; ++x) indices.push_back(x);
        std::vector<std::size_t> blocks;
        EXPECT_EQ(CodesOf(indices, &blocks).size(), std::size_t(width) + 2);
        EXPECT_EQ(blocks, (width == 224 ? std::vector<std::size_t>{255} : std::vector<std::size_t>{255, 1}));
    }
    // No pair of neighbours repeats (steps of +1, then +3, ...): each pixel adds an entry, and
    // the clear follows the code that adds entry 4094.
    std::vector<int> indices{0};
    for (int step = 1; indices.size() < 3840; step += 2) {
        for (int i = 0; i < 256 && indices.size() < 3840; ++i)
            indices.push_back((indices.back() + step) % 256);
    }
    std::vector<int> expected{256};
    expected.insert(expected.end(), indices.begin(), indices.begin() + 3838);
    expected.insert(expected.end(), {256, indices[3838], indices[3839], 257});
    EXPECT_EQ(CodesOf(indices), expected);
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
        {"24-bit", AllocatePackedBitmap(4, 4, 24, 0), -4},
        {"16-bit", AllocatePackedBitmap(4, 4, 16, 0), -4},
        {"two planes", changed(AllocatePackedBitmap(4, 4, 8, 4), [](BITMAPINFOHEADER& h) { h.biPlanes = 2; }),
         -4},
        {"top-down", changed(AllocatePackedBitmap(4, 4, 8, 4), [](BITMAPINFOHEADER& h) { h.biHeight = -4; }),
         -4},
        {"300 colours", bare(1200 + 16, {40, 4, 4, 1, 8, 0, 0, 0, 0, 300, 300}), -4},
        {"table past the block", bare(1024 + 16, {40, 4, 4, 1, 8, 0, 0, 0, 0, 0x40000001, 0}), -4},
        {"rows past the block", bare(64, {40, 100, 100, 1, 8, 0, 0, 0, 0, 16, 16}), -4},
        {"70000 wide", bare(8 + 8752, {40, 70000, 1, 1, 1, 0, 0, 0, 0, 2, 2}), -4},
        {"index past 4 entries", MakePaletteBitmap(8, 3, 2, Colours(3), [](int x, int) { return 2 * x; }),
         -4},
        {"index past 2 entries", MakePaletteBitmap(4, 3, 2, Colours(2), [](int x, int) { return x; }), -4},
        {"index of an unused entry", MakePaletteBitmap(8, 3, 2, Colours(3), [](int x, int) { return x + 1; }),
         0},
    };
    for (const auto& c : cases) {
        const WrittenGif gif = WriteAndRead(c.bitmap.get());
        EXPECT_EQ(gif.status, c.status) << c.name;
        // A refused bitmap leaves the file there, empty.
        EXPECT_TRUE(gif.created) << c.name;
        EXPECT_EQ(gif.file.empty(), c.status != 0) << c.name;
    }
    TempFolder folder;
    EXPECT_EQ(WriteGifFile(AllocatePackedBitmap(2, 2, 1, 2).get(), folder.File("no/folder.gif").c_str()), -1);
    EXPECT_EQ(WriteGifFile(nullptr, folder.File("null.gif").c_str()), -6);
}
