// Written files decoded again: sizes, colours, fidelity and palette input.
#include <gtest/gtest.h>

#include <cstdlib>

#include "codecs/jpeg/jpeg_writer.h"
#include "tests/support/synthetic_picture.h"
#include "tests/unit/jpeg/jpeg_test_support.h"

namespace {

TEST(JpegPicture, DecodesToItsSizeAndCloseToTheOriginal) {
    const struct {
        int width, height;
        double minPsnr;  // at quality 90, just under the measured value; chroma stripes and noise keep it low
    } cases[] = {{1, 1, 49.5}, {17, 9, 21}, {16, 16, 21.5}, {33, 31, 24.5}, {8, 40, 21.5}, {430, 323, 32.5}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        const ColourAt picture = NaturalPicture(c.width, c.height);
        GlobalBlock bitmap = MakeBitmap24(c.width, c.height, picture);
        const Encoded encoded = EncodeJpeg(bitmap.get(), 90);
        ASSERT_EQ(encoded.result, 0);
        const Decoded decoded = DecodeJpeg(encoded.bytes);
        ASSERT_FALSE(decoded.pixels.empty());
        EXPECT_EQ(decoded.width, c.width);
        EXPECT_EQ(decoded.height, c.height);
        EXPECT_GT(Psnr(decoded, c.width, c.height, picture), c.minPsnr);
    }
}

TEST(JpegPicture, FlatColoursComeBackWithinTwo) {
    const Rgb colours[] = {{255, 255, 255}, {0, 0, 0},   {128, 128, 128}, {255, 0, 0},
                           {0, 255, 0},     {0, 0, 255}, {230, 200, 40},  {12, 99, 201}};
    for (const Rgb colour : colours) {
        for (int quality : {75, 100}) {
            GlobalBlock bitmap = MakeBitmap24(19, 13, [&](int, int) { return colour; });
            const Decoded decoded = DecodeJpeg(EncodeJpeg(bitmap.get(), quality).bytes);
            ASSERT_EQ(decoded.pixels.size(), 19u * 13u);
            for (const Rgb got : decoded.pixels) {
                EXPECT_LE(std::abs(got.r - colour.r), 2);
                EXPECT_LE(std::abs(got.g - colour.g), 2);
                EXPECT_LE(std::abs(got.b - colour.b), 2);
            }
        }
    }
}

TEST(JpegPicture, SmoothPictureKeepsItsFidelity) {
    const int width = 160, height = 120;
    const ColourAt picture = SmoothPicture(width, height);
    GlobalBlock bitmap = MakeBitmap24(width, height, picture);
    const struct {
        int quality;
        double minPsnr;
    } cases[] = {{100, 48.0}, {80, 47.3}};
    for (const auto& c : cases) {
        const Decoded decoded = DecodeJpeg(EncodeJpeg(bitmap.get(), c.quality).bytes);
        ASSERT_FALSE(decoded.pixels.empty());
        EXPECT_GT(Psnr(decoded, width, height, picture), c.minPsnr) << "quality " << c.quality;
    }
}

TEST(JpegPicture, PaletteInputEncodesLikeItsTrueColourTwin) {
    std::vector<Rgb> palette;
    for (int i = 0; i < 256; ++i)
        palette.push_back(Rgb{std::uint8_t(i), std::uint8_t(255 - i), std::uint8_t(i * 7)});
    const struct {
        int colours, width, height;
        int outOfTable;  // index used beyond the table, or -1
    } cases[] = {{256, 37, 21, -1}, {16, 5, 3, -1}, {2, 3, 2, 200}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.colours);
        const std::vector<Rgb> colours(palette.begin(), palette.begin() + c.colours);
        const IndexAt index = [&](int x, int y) {
            return x == 1 && c.outOfTable >= 0 ? c.outOfTable : (x * 5 + y * 3) % c.colours;
        };
        GlobalBlock indexed = MakePaletteBitmap(8, c.width, c.height, colours, index);
        // An index beyond the table reads as black.
        GlobalBlock twin = MakeBitmap24(c.width, c.height, [&](int x, int y) {
            const int i = index(x, y);
            return i < c.colours ? colours[i] : Rgb{0, 0, 0};
        });
        const Encoded fromPalette = EncodeJpeg(indexed.get(), 80), fromTwin = EncodeJpeg(twin.get(), 80);
        EXPECT_EQ(fromPalette.result, 0);
        EXPECT_EQ(fromPalette.bytes, fromTwin.bytes);
    }
}

}  // namespace
