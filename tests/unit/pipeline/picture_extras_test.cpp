#include "pipeline/picture_extras.h"

#include <gtest/gtest.h>

#include "tests/support/gif_fixture.h"
#include "tests/support/png_fixture.h"
#include "tests/support/webp_fixture.h"

namespace {

Bytes Png(int colourType, std::vector<std::uint8_t> paletteAlpha = {},
          std::vector<std::uint16_t> transparent = {}) {
    PngFixture png;
    png.width = png.height = 2;
    png.colourType = colourType;
    png.samples.assign(std::size_t(4 * PngChannels(colourType)), 0);
    if (colourType == 3) png.palette = {{1, 2, 3}};
    png.paletteAlpha = std::move(paletteAlpha);
    png.transparent = std::move(transparent);
    return BuildPng(png);
}

// An animation control chunk put after IHDR: an APNG, which browsers animate.
Bytes Animated(const Bytes& png) {
    const Bytes actl = {0, 0, 0, 8, 'a', 'c', 'T', 'L', 0, 0, 0, 2, 0, 0, 0, 0, 0x12, 0x34, 0x56, 0x78};
    return Join({Bytes(png.begin(), png.begin() + 33), actl, Bytes(png.begin() + 33, png.end())});
}

Bytes Gif(const Bytes& blocks) {
    return Join({GifHeader("GIF89a", 1, 1, {{0, 0, 0}, {9, 9, 9}}), blocks, {0x3B}});
}

}  // namespace

// What a page shows of a file that its opaque still picture would lose, as the files state it.
TEST(HasTransparencyOrAnimation, ReadsTheChunksAndBlocksThatStateIt) {
    const Bytes image = Join({GifImageDescriptor(0, 0, 1, 1, false, {}), GifImageData(2, {4, 0, 5})});
    const Rgba opaque{1, 2, 3, 255}, clear{1, 2, 3, 0};
    const Bytes rgb = Png(2);
    const struct {
        const char* what;
        Bytes file;
        bool extras;
    } cases[] = {
        {"PNG RGB", rgb, false},
        {"PNG RGB with alpha", Png(6), true},
        {"PNG grey with alpha", Png(4), true},
        {"PNG palette with tRNS", Png(3, {0}), true},
        {"PNG RGB with a transparent colour", Png(2, {}, {0, 0, 0}), true},
        {"APNG", Animated(rgb), true},
        {"PNG cut after its signature", Bytes(rgb.begin(), rgb.begin() + 12), false},
        {"GIF", Gif(Join({GifExtension(0xFE, {'h', 'i'}), image})), false},
        {"GIF with a transparent colour", Gif(Join({GifExtension(0xF9, {1, 0, 0, 0}), image})), true},
        {"GIF with a control block but no transparency", Gif(Join({GifExtension(0xF9, {0, 0, 0, 0}), image})),
         false},
        {"GIF of two images", Gif(Join({image, image})), true},
        {"lossy WebP", EncodeRgbaWebp({opaque, opaque}, 2, true), false},
        {"lossless WebP", EncodeRgbaWebp({opaque, opaque}, 2), false},
        {"lossless WebP with alpha", EncodeRgbaWebp({opaque, clear}, 2), true},
        {"lossy WebP with alpha", EncodeRgbaWebp({opaque, clear}, 2, true), true},
        {"WebP animation",
         WebpAnimation(2, 2, {{0, 0, 2, 2, EncodeRgbaWebp(std::vector<Rgba>(4, opaque), 2)}}), true},
        {"JPEG", {0xFF, 0xD8, 0xFF, 0xE0}, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HasTransparencyOrAnimation(c.file.data(), c.file.size()), c.extras) << c.what;
}

// A browser shows a file by its first bytes, but not a JPEG behind a MacBinary header.
TEST(ShownFormat, IsTheFormatOfTheFirstBytesThatBrowsersRead) {
    Bytes macBinary(128, 0);
    macBinary[1] = 4;
    std::copy_n("JPEG", 4, macBinary.begin() + 65);
    const Bytes jpeg = {0xFF, 0xD8, 0xFF, 0xE0};
    macBinary.insert(macBinary.end(), jpeg.begin(), jpeg.end());
    EXPECT_EQ(ShownFormat(jpeg.data(), jpeg.size())->id, OutputFormat::kJpeg);
    EXPECT_EQ(ShownFormat(macBinary.data(), macBinary.size()), nullptr);
    const Bytes text = {'t', 'e', 'x', 't'};
    EXPECT_EQ(ShownFormat(text.data(), text.size()), nullptr);
}
