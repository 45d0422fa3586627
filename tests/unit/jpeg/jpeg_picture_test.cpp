// Written files decoded again by stb_image (the known files pin the small ones), and palette input.
#include <gtest/gtest.h>

#include "codecs/jpeg/jpeg_writer.h"
#include "tests/support/synthetic_picture.h"
#include "tests/unit/jpeg/jpeg_test_support.h"

namespace {

TEST(JpegPicture, DecodesToItsSizeAndCloseToTheOriginal) {
    const struct {
        const char* name;
        int width, height;
        ColourAt picture;
        int quality;
        double mean;  // just above the measured differences; halved chroma and noise keep them high
        int largest;
    } cases[] = {
        {"natural", 430, 323, NaturalPicture(430, 323), 90, 3.8, 135},
        {"smooth", 160, 120, SmoothPicture(160, 120), 80, 0.85, 6},
        {"green", 19, 13,
         [](int, int) {
             return Rgb{0, 255, 0};
         },
         100, 1, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.name << " " << c.width << " x " << c.height << " q" << c.quality);
        GlobalBlock bitmap = MakeBitmap24(c.width, c.height, c.picture);
        const Encoded encoded = EncodeJpeg(bitmap.get(), c.quality);
        ASSERT_EQ(encoded.result, 0);
        const Decoded decoded = DecodeWithStb(encoded.bytes);
        ASSERT_EQ(decoded.width, c.width);
        ASSERT_EQ(decoded.height, c.height);
        Decoded original{c.width, c.height, {}};
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x) original.pixels.push_back(c.picture(x, y));
        const Difference d = Compare(decoded, original);
        EXPECT_LT(d.mean, c.mean);
        EXPECT_LE(d.largest, c.largest);
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
