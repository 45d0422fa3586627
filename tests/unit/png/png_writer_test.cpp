#include "codecs/png/png_writer.h"

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <random>

#include "codecs/gif/palette_reduction.h"
#include "tests/support/bitmap_builder.h"
#include "tests/support/files.h"
#include "tests/support/synthetic_picture.h"

namespace {

// libpng's own decoding of the file to RGB, top row first.
std::vector<Rgb> DecodedByLibpng(const std::string& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
    image.format = PNG_FORMAT_RGB;
    std::vector<Rgb> pixels(std::size_t{image.width} * image.height);
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return {};
    return pixels;
}

}  // namespace

// A picture of N colours goes through the exact palette, as the conversion sends it (in the fewest
// of 1, 4 or 8 bits, for up to 256 colours), and comes back from libpng pixel for pixel, as a
// palette of the smallest depth or as RGB. What it cannot write leaves no file.
TEST(PngWriter, RefusesWhatItCannotWriteLeavingNoFileAndWritesEveryPixelExactlyAtTheSmallestDepth) {
    TempFolder folder;
    GlobalBlock beyond =
        MakePaletteBitmap(8, 4, 2, {{1, 2, 3}, {4, 5, 6}}, [](int x, int) { return x == 3 ? 7 : 1; });
    GlobalBlock rgb = MakeBitmap24(4, 2, NaturalPicture(4, 2));
    EXPECT_EQ(WritePngFile(beyond.get(), folder.File("beyond.png").c_str()), kPngBadBitmap);
    EXPECT_EQ(WritePngFile(nullptr, folder.File("none.png").c_str()), kPngCannotLock);
    EXPECT_EQ(WritePngFile(rgb.get(), folder.File("missing/out.png").c_str()), kPngCannotOpen);
    EXPECT_EQ(FolderEntries(folder.path()), std::vector<std::string>{});
    const struct {
        int colours, paletteDepth, depth, colourType;
    } cases[] = {{2, 1, 1, 3},  {3, 4, 2, 3},  {4, 4, 2, 3},   {5, 4, 4, 3},
                 {16, 4, 4, 3}, {17, 8, 8, 3}, {256, 8, 8, 3}, {257, 0, 8, 2}};
    const int width = 37, height = 11;  // rows that end inside a byte at every depth
    for (const auto& c : cases) {
        SCOPED_TRACE(c.colours);
        GlobalBlock picture = MakeBitmap24(width, height, [&](int x, int y) {
            const int i = (x * 7 + y * 13) % c.colours;
            return Rgb{std::uint8_t(i), std::uint8_t(i * 7), std::uint8_t(i >> 8)};
        });
        GlobalBlock palette(ReduceToExactPalette(picture.get()));
        EXPECT_EQ(palette ? BitmapLock(palette.get())->biBitCount : 0, c.paletteDepth);
        const std::string path = folder.File("out.png");
        ASSERT_EQ(WritePngFile(palette ? palette.get() : picture.get(), path.c_str()), kPngWritten);
        const Bytes file = ReadBytes(path);
        ASSERT_GT(file.size(), 26u);
        EXPECT_EQ(file[24], c.depth);
        EXPECT_EQ(file[25], c.colourType);
        const std::vector<Rgb> decoded = DecodedByLibpng(path);
        ASSERT_EQ(decoded.size(), std::size_t(width * height));
        for (std::size_t i = 0; i < decoded.size(); ++i)
            ASSERT_EQ(decoded[i], PixelOf(picture.get(), int(i) % width, int(i) / width)) << i;
    }
}

// RGB pictures take the filters that compress smaller: none for flat colours and repeated
// shapes (text on a screen), libpng's adaptive choice for shading (a photograph).
TEST(PngWriter, CompressesRgbWithTheFiltersThatSuitThePicture) {
    TempFolder folder;
    std::mt19937 random(5);
    std::vector<std::uint32_t> glyphs(24);
    for (std::uint32_t& glyph : glyphs) glyph = std::uint32_t(random());
    std::vector<int> text(80 * 40);
    for (int& letter : text) letter = int(random() % glyphs.size());
    const ColourAt screen = [&](int x, int y) {
        if (x < 16 && y < 20) return Rgb{std::uint8_t(x * 16), std::uint8_t(y * 12), std::uint8_t(x * y)};
        const std::uint32_t glyph = glyphs[std::size_t(text[std::size_t(y / 8 * 80 + x / 5)])];
        return x % 5 < 4 && (glyph >> (y % 8 * 4 + x % 5) & 1) ? Rgb{20, 20, 30} : Rgb{250, 250, 245};
    };
    const auto size = [&](PackedBitmap picture, const PngCompression& compression) {
        const std::string path = folder.File("out.png");
        EXPECT_EQ(WritePngFile(picture, path.c_str(), compression), kPngWritten);
        return ReadBytes(path).size();
    };
    for (const auto& [name, picture] :
         {std::pair{"screen", MakeBitmap24(400, 240, screen)},
          std::pair{"photograph", MakeBitmap24(240, 160, NaturalPicture(240, 160))}}) {
        PngCompression unfiltered = kSmallPng, filtered = kSmallPng;
        unfiltered.colourFilters[0] = PNG_FILTER_NONE;
        filtered.colourFilters[1] = unfiltered.colourFilters[1] = 0;
        EXPECT_EQ(size(picture.get(), kSmallPng),
                  std::min(size(picture.get(), unfiltered), size(picture.get(), filtered)))
            << name;
    }
}
