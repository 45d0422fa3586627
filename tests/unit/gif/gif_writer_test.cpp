#include "codecs/gif/gif_writer.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "codecs/gif/gif_output.h"
#include "tests/support/bitmap_builder.h"
#include "tests/support/files.h"

// What it writes is read back by giflib in the oracle test; that takes files that lose their end,
// so the end of one pixel's codes is checked here.
TEST(GifWriter, EndsTheCodesOfOnePixelInTheirSecondByteAndRefusesWhatItCannotWrite) {
    TempFolder folder;
    GlobalBlock pixel = MakePaletteBitmap(1, 1, 1, {{0x12, 0x34, 0x56}}, [](int, int) { return 0; });
    ASSERT_EQ(WriteGifFile(pixel.get(), folder.File("pixel.gif").c_str()), 0);
    const Bytes file = ReadBytes(folder.File("pixel.gif"));
    // Code size 2, a sub-block of two bytes: clear (100), the pixel (000), end (101); the trailer.
    EXPECT_EQ(Bytes(file.end() - 6, file.end()), (Bytes{2, 2, 0x44, 0x01, 0, 0x3B}));
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
        const std::string path = folder.File("out.gif");
        EXPECT_EQ(WriteGifFile(c.bitmap.get(), path.c_str()), c.status) << c.name;
        // A refused bitmap leaves the file there, empty.
        EXPECT_TRUE(FileExists(path)) << c.name;
        EXPECT_EQ(ReadBytes(path).empty(), c.status != 0) << c.name;
    }
    EXPECT_EQ(WriteGifFile(AllocatePackedBitmap(2, 2, 1, 2).get(), folder.File("no/folder.gif").c_str()), -1);
    EXPECT_EQ(WriteGifFile(nullptr, folder.File("null.gif").c_str()), -6);
}

TEST(GifOutput, CutsImageDataIntoFullSubBlocksAndOneZeroLengthBlock) {
    for (std::size_t bytes : {1, 254, 255, 256, 510, 511}) {
        GifOutput output;
        output.Reserve(3 + bytes);
        for (std::size_t i = 0; i < 3 + bytes; ++i) output.end()[i] = BYTE(i < 3 ? 0xEE : i % 251);
        output.Advance(3 + bytes);
        output.CutIntoSubBlocks(3);
        Bytes expected(3, 0xEE);
        for (std::size_t at = 0; at < bytes; at += 255) {
            expected.push_back(BYTE(std::min<std::size_t>(255, bytes - at)));
            for (std::size_t i = at; i < std::min(bytes, at + 255); ++i)
                expected.push_back(BYTE((i + 3) % 251));
        }
        expected.push_back(0);
        EXPECT_EQ(Bytes(output.data(), output.data() + output.size()), expected) << bytes;
    }
}
