#include <gif_lib.h>
#include <gtest/gtest.h>

#include <string>

#include "codecs/gif/gif_writer.h"
#include "codecs/gif/palette_reduction.h"
#include "tests/support/synthetic_picture.h"
#include "tests/unit/gif/gif_test_support.h"

namespace {

struct Decoded {
    int width = 0, height = 0;
    std::vector<Rgb> colours;  // the global colour table
    std::vector<int> indices;  // row by row from the top
};

// The file as giflib's decoder reads it; nothing when it refuses.
std::optional<Decoded> DecodeWithGiflib(const std::string& path) {
    int error = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
    if (gif == nullptr) return std::nullopt;
    std::optional<Decoded> decoded;
    if (DGifSlurp(gif) == GIF_OK && gif->ImageCount == 1 && gif->SColorMap != nullptr) {
        const SavedImage& image = gif->SavedImages[0];
        decoded.emplace();
        decoded->width = image.ImageDesc.Width;
        decoded->height = image.ImageDesc.Height;
        for (int i = 0; i < gif->SColorMap->ColorCount; ++i) {
            const GifColorType c = gif->SColorMap->Colors[i];
            decoded->colours.push_back(Rgb{c.Red, c.Green, c.Blue});
        }
        decoded->indices.assign(image.RasterBits,
                                image.RasterBits + std::size_t(decoded->width) * decoded->height);
    }
    DGifCloseFile(gif, &error);
    return decoded;
}

// Writes the palette bitmap, decodes it and compares every pixel's index and the table.
void ExpectRoundTrip(PackedBitmap bitmap) {
    int width, height;
    std::uint32_t colours;
    {
        BitmapLock header(bitmap);
        width = header->biWidth;
        height = header->biHeight;
        colours = ImpliedColourCount(*header.data());
    }
    TempFolder folder;
    const std::string path = folder.File("round.gif");
    ASSERT_EQ(WriteGifFile(bitmap, path.c_str()), 0);
    const std::optional<Decoded> decoded = DecodeWithGiflib(path);
    ASSERT_TRUE(decoded);
    ASSERT_EQ(decoded->width, width);
    ASSERT_EQ(decoded->height, height);
    ASSERT_GE(decoded->colours.size(), colours);
    for (std::size_t i = 0; i < decoded->colours.size(); ++i) {
        EXPECT_EQ(decoded->colours[i], (i < colours ? TableColour(bitmap, int(i)) : Rgb{0, 0, 0}))
            << "entry " << i;
    }
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            ASSERT_EQ(decoded->indices[std::size_t(y) * width + x], IndexOf(bitmap, x, y)) << x << "," << y;
        }
    }
}

std::vector<Rgb> Spread(int count) {
    std::vector<Rgb> palette;
    for (int i = 0; i < count; ++i)
        palette.push_back(Rgb{std::uint8_t(i * 37), std::uint8_t(i), std::uint8_t(255 - i)});
    return palette;
}

int Scatter(int x, int y) {
    std::uint32_t h = std::uint32_t(x) * 2654435761u ^ std::uint32_t(y) * 40503u;
    return int((h ^ h >> 15) & 0xFF);
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
        {"8-bit noise, several clears", 8, 256, 300, 200, Scatter},
        {"one column", 8, 200, 1, 700, [](int, int y) { return y % 200; }},
        {"one row", 4, 5, 900, 1, [](int x, int) { return x / 7 % 5; }},
        {"wider than 32767", 1, 2, 40000, 3, [](int x, int y) { return (x / 3 + y) % 2; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        GlobalBlock bitmap = MakePaletteBitmap(c.depth, c.width, c.height, Spread(c.colours), c.index);
        ExpectRoundTrip(bitmap.get());
    }
}

TEST(GifRoundTrip, QuantisedPhotographsSurvive) {
    for (const auto& size : {std::pair<int, int>{430, 323}, std::pair<int, int>{97, 1201}}) {
        SCOPED_TRACE(size.first);
        GlobalBlock picture = MakeBitmap24(size.first, size.second, NaturalPicture(size.first, size.second));
        GlobalBlock mapped(QuantizeWithDither(picture.get()));
        ASSERT_TRUE(mapped);
        ExpectRoundTrip(mapped.get());
    }
}

TEST(GifRoundTrip, ExactPalettePicturesKeepTheirColours) {
    const int width = 123, height = 77;
    for (int colours : {2, 11, 200, 256}) {
        SCOPED_TRACE(colours);
        const ColourAt colour = [&](int x, int y) {
            const int i = (x / 3 + y * 5) % colours;
            return Rgb{std::uint8_t(i), std::uint8_t(i * 3), std::uint8_t(255 - i)};
        };
        GlobalBlock picture = MakeBitmap24(width, height, colour);
        GlobalBlock exact(ReduceToExactPalette(picture.get()));
        ASSERT_TRUE(exact);
        ExpectRoundTrip(exact.get());
        TempFolder folder;
        const std::string path = folder.File("exact.gif");
        ASSERT_EQ(WriteGifFile(exact.get(), path.c_str()), 0);
        const std::optional<Decoded> decoded = DecodeWithGiflib(path);
        ASSERT_TRUE(decoded);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                ASSERT_EQ(decoded->colours[decoded->indices[std::size_t(y) * width + x]], colour(x, y))
                    << x << "," << y;
            }
        }
    }
}
