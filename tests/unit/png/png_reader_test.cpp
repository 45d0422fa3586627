#include "codecs/png/png_reader.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>

#include "tests/support/png_fixture.h"

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF;

struct ReadResult {
    ReaderStatus status;
    GlobalBlock bitmap;
};

ReadResult ReadPng(const Bytes& file, std::uint32_t background = kWhite) {
    TempFolder folder;
    WriteBytes(folder.File("in.png"), file);
    PackedBitmap read = reinterpret_cast<PackedBitmap>(8);
    const ReaderStatus status = ReadPngFile(&read, folder.File("in.png").c_str(), background);
    return ReadResult{status, GlobalBlock(read)};
}

// The file with an sRGB chunk put in behind its header.
Bytes WithSrgb(const Bytes& file) {
    const Bytes chunk = {0, 0, 0, 1, 's', 'R', 'G', 'B', 0};
    const uLong crc = crc32(0, chunk.data() + 4, 5);
    return Join(
        {Bytes(file.begin(), file.begin() + 33), chunk,
         Bytes{std::uint8_t(crc >> 24), std::uint8_t(crc >> 16), std::uint8_t(crc >> 8), std::uint8_t(crc)},
         Bytes(file.begin() + 33, file.end())});
}

// One row of the samples, with a bKGD, a tRNS of a grey level or colour, and a gAMA where given.
Bytes Row(int colourType, int depth, std::vector<std::uint16_t> samples,
          std::vector<std::uint16_t> background = {}, std::vector<std::uint16_t> transparent = {},
          double gamma = 0) {
    PngFixture f;
    f.colourType = colourType;
    f.depth = depth;
    f.width = int(samples.size()) / PngChannels(colourType);
    f.samples = std::move(samples);
    f.background = std::move(background);
    f.transparent = std::move(transparent);
    f.gamma = gamma;
    return BuildPng(f);
}

Rgb Grey(int v) {
    return Rgb{std::uint8_t(v), std::uint8_t(v), std::uint8_t(v)};
}

}  // namespace

// Transparency is composed over the file's background or else the caller's. Without gAMA, or with
// sRGB, colours stay as stored; with gAMA they are corrected from the file's gamma to 2.2, the
// background never. Every colour type and depth at gAMA 1, over white, is in the oracle test, and
// corrupt and truncated files among the corpus's.
TEST(PngReader, ShowsTheColoursTheFileMeansOverTheBackgroundOrRefusesTheFile) {
    const Rgb white{255, 255, 255}, green{0, 255, 0};
    PngFixture palette;
    palette.colourType = 3;
    palette.width = 3;
    palette.samples = {0, 1, 2};
    palette.palette = {{255, 0, 0}, green, {0, 0, 255}};
    palette.paletteAlpha = {0, 255, 128};
    PngFixture ownBackground = palette;
    ownBackground.background = {1};
    PngFixture paletteGamma = palette;
    paletteGamma.palette[1] = {128, 128, 128};
    paletteGamma.gamma = 0.35;
    const std::vector<std::uint16_t> rgba = {10, 20, 30, 0, 10, 20, 30, 255, 200, 100, 0, 128};
    const struct {
        const char* name;
        Bytes file;
        std::uint32_t background;  // COLORREF
        std::vector<Rgb> expected;
    } cases[] = {
        {"palette over white", BuildPng(palette), kWhite, {white, green, {127, 127, 255}}},
        {"palette, own background", BuildPng(ownBackground), kWhite, {green, green}},
        {"RGBA over green", Row(6, 8, rgba), 0x00FF00, {green, {10, 20, 30}, {100, 177, 0}}},
        {"RGBA, own background", Row(6, 8, rgba, {1, 2, 3}), kWhite, {{1, 2, 3}, {10, 20, 30}}},
        {"16-bit grey and alpha", Row(4, 16, {9, 0, 0xFFFF, 0xFFFF}, {0x8080}), kWhite, {Grey(128), white}},
        {"2-bit grey, tRNS, own background", Row(0, 2, {3, 1}, {2}, {3}), kWhite, {Grey(170), Grey(85)}},
        {"RGB, tRNS",
         Row(2, 8, {1, 2, 3, 1, 2, 4}, {}, {1, 2, 3}),
         0x123456,
         {{0x56, 0x34, 0x12}, {1, 2, 4}}},
        {"2-bit grey without gAMA",
         Row(0, 2, {0, 1, 2, 3}),
         kWhite,
         {Grey(0), Grey(85), Grey(170), Grey(255)}},
        {"sRGB and gAMA 1",
         WithSrgb(Row(2, 8, {128, 64, 200, 0, 255, 1}, {}, {}, 1)),
         kWhite,
         {{128, 64, 200}, {0, 255, 1}}},
        // 255 (128 / 255)^(1 / (0.35 x 2.2)) = 104.2; the background stays exact; half of
        // white in linear light is 255 (127 / 255)^(1 / 2.2) = 185.8.
        {"RGBA, gAMA 0.35",
         Row(6, 8, {128, 128, 128, 255, 0, 0, 0, 0}, {}, {}, 0.35),
         0x804020,
         {Grey(104), {0x20, 0x40, 0x80}}},
        {"grey, tRNS, gAMA 0.35",
         Row(0, 8, {128, 3}, {}, {3}, 0.35),
         0x804020,
         {Grey(104), {0x20, 0x40, 0x80}}},
        {"palette, gAMA 0.35", BuildPng(paletteGamma), kWhite, {white, Grey(104), {186, 186, 255}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ReadResult read = ReadPng(c.file, c.background);
        ASSERT_EQ(read.status, 0);
        for (int x = 0; x < int(c.expected.size()); ++x) {
            const Rgb got = ColourOf(read.bitmap.get(), x, 0), want = c.expected[std::size_t(x)];
            EXPECT_TRUE(std::abs(got.r - want.r) <= 1 && std::abs(got.g - want.g) <= 1 &&
                        std::abs(got.b - want.b) <= 1)
                << "pixel " << x << ": " << int(got.r) << "," << int(got.g) << "," << int(got.b);
        }
    }
    EXPECT_EQ(ReadPng({}).status, kReaderCannotRead);
    const ReadResult wide = ReadPng(Row(0, 8, std::vector<std::uint16_t>(65501)));
    EXPECT_EQ(wide.status, kReaderUnsupported);
    EXPECT_FALSE(wide.bitmap);
    PackedBitmap read = nullptr;
    EXPECT_EQ(ReadPngFile(&read, "no such file.png", kWhite), kReaderCannotRead);
}
