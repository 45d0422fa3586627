#include <gif_lib.h>
#include <gtest/gtest.h>

#include <string>

#include "codecs/gif/gif_writer.h"
#include "codecs/gif/palette_reduction.h"
#include "tests/support/synthetic_picture.h"
#include "tests/unit/gif/gif_test_support.h"

namespace {

// Writes the palette bitmap, decodes the file with giflib and compares every index and the
// colour table, whose entries past the bitmap's are black.
void ExpectRoundTrip(PackedBitmap bitmap) {
    const BITMAPINFOHEADER header = *BitmapLock(bitmap).data();
    const int width = header.biWidth, height = header.biHeight, colours = int(ImpliedColourCount(header));
    TempFolder folder;
    const std::string path = folder.File("round.gif");
    ASSERT_EQ(WriteGifFile(bitmap, path.c_str()), 0);
    int error = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
    ASSERT_NE(gif, nullptr);
    ASSERT_EQ(DGifSlurp(gif), GIF_OK);
    ASSERT_EQ(gif->ImageCount, 1);
    const SavedImage& image = gif->SavedImages[0];
    ASSERT_TRUE(image.ImageDesc.Width == width && image.ImageDesc.Height == height &&
                image.ImageDesc.Interlace);
    for (int i = 0; i < gif->SColorMap->ColorCount; ++i) {
        const GifColorType c = gif->SColorMap->Colors[i];
        EXPECT_EQ((Rgb{c.Red, c.Green, c.Blue}), (i < colours ? TableColour(bitmap, i) : Rgb{0, 0, 0}))
            << "entry " << i;
    }
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            ASSERT_EQ(image.RasterBits[std::size_t(y) * width + x], IndexOf(bitmap, x, y)) << x << "," << y;
        }
    }
    DGifCloseFile(gif, &error);
}

}  // namespace

TEST(GifRoundTrip, GiflibReadsBackEveryIndex) {
    const struct {
        const char* name;
        int depth, colours, width, height;
        IndexAt index;
    } cases[] = {
        {"1-bit, two colours", 1, 2, 37, 23, [](int x, int y) { return (x * y + x) % 2; }},
        {"1-bit, one colour", 1, 1, 9, 9, [](int, int) { return 0; }},
        {"4-bit, three colours", 4, 3, 31, 17, [](int x, int y) { return (x + y) % 3; }},
        {"4-bit, sixteen colours", 4, 16, 50, 41, [](int x, int y) { return (x ^ y) % 16; }},
        {"8-bit, 129 colours", 8, 129, 64, 64, [](int x, int y) { return x * y % 129; }},
        {"8-bit noise, several clears", 8, 256, 300, 200,
         [](int x, int y) {
             return int((std::uint32_t(x) * 2654435761u ^ std::uint32_t(y) * 40503u) >> 7 & 0xFF);
         }},
        {"one column", 8, 200, 1, 700, [](int, int y) { return y % 200; }},
        {"wider than 32767", 1, 2, 40000, 3, [](int x, int y) { return (x / 3 + y) % 2; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<Rgb> palette;
        for (int i = 0; i < c.colours; ++i)
            palette.push_back(Rgb{std::uint8_t(i * 37), std::uint8_t(i), std::uint8_t(255 - i)});
        ExpectRoundTrip(MakePaletteBitmap(c.depth, c.width, c.height, palette, c.index).get());
    }
}

TEST(GifRoundTrip, ReducedPicturesSurvive) {
    for (const auto& size : {std::pair<int, int>{430, 323}, std::pair<int, int>{97, 1201}}) {
        SCOPED_TRACE(size.first);
        GlobalBlock photo = MakeBitmap24(size.first, size.second, NaturalPicture(size.first, size.second));
        ExpectRoundTrip(GlobalBlock(QuantizeWithDither(photo.get())).get());
        GlobalBlock fewColours = MakeBitmap24(size.first, size.second, [](int x, int y) {
            return Rgb{std::uint8_t(x / 3 % 11 * 20), 9, std::uint8_t(y % 7)};
        });
        ExpectRoundTrip(GlobalBlock(ReduceToExactPalette(fewColours.get())).get());
    }
}
