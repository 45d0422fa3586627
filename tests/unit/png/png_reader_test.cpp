#include "codecs/png/png_reader.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cmath>

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

Bytes BigEndian(std::uint32_t value) {
    return {std::uint8_t(value >> 24), std::uint8_t(value >> 16), std::uint8_t(value >> 8),
            std::uint8_t(value)};
}

// A chunk with its length and CRC.
Bytes Chunk(const char* type, const Bytes& data) {
    const Bytes body = Join({Bytes(type, type + 4), data});
    return Join({BigEndian(std::uint32_t(data.size())), body,
                 BigEndian(std::uint32_t(crc32(crc32(0, nullptr, 0), body.data(), uInt(body.size()))))});
}

// The file with a chunk put in at `offset`.
Bytes Inserted(const Bytes& file, std::size_t offset, const Bytes& chunk) {
    return Join({Bytes(file.begin(), file.begin() + std::ptrdiff_t(offset)), chunk,
                 Bytes(file.begin() + std::ptrdiff_t(offset), file.end())});
}

PngFixture Pixels(int colourType, int depth, std::vector<std::uint16_t> samples) {
    PngFixture f;
    f.colourType = colourType;
    f.depth = depth;
    f.width = int(samples.size()) / PngChannels(colourType);
    f.samples = std::move(samples);
    return f;
}

PngFixture Background(PngFixture f, std::vector<std::uint16_t> background) {
    f.background = std::move(background);
    return f;
}

PngFixture Transparent(PngFixture f, std::vector<std::uint16_t> transparent) {
    f.transparent = std::move(transparent);
    return f;
}

PngFixture Gamma(PngFixture f, double gamma) {
    f.gamma = gamma;
    return f;
}

// The signature, a header of that size (8-bit grey) and an empty data chunk.
Bytes Header(std::uint32_t width, std::uint32_t height) {
    const Bytes header = Join({BigEndian(width), BigEndian(height), Bytes{8, 0, 0, 0, 0}});
    return Join(
        {Bytes{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}, Chunk("IHDR", header), Chunk("IDAT", {})});
}

}  // namespace

// Transparency is composed over the file's background or else the caller's. Without gAMA, or with
// sRGB, colours stay as stored; with gAMA they are corrected from the file's gamma to 2.2, the
// background never. Every colour type and depth at gAMA 1, over white, is in the oracle test.
TEST(PngReader, ShowsTheColoursTheFileMeansOverTheBackground) {
    const auto corrected = [](int value, double gamma) {
        return std::uint8_t(std::floor(255 * std::pow(value / 255.0, 1 / (gamma * 2.2)) + 0.5));
    };
    const auto grey = [](int v) { return Rgb{std::uint8_t(v), std::uint8_t(v), std::uint8_t(v)}; };
    const Rgb white{255, 255, 255}, blue{0, 0, 255};
    PngFixture palette = Pixels(3, 8, {0, 1, 2});
    palette.palette = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    palette.paletteAlpha = {0, 255, 128};
    const PngFixture rgba = Pixels(6, 8, {10, 20, 30, 0, 10, 20, 30, 255, 200, 100, 0, 128});
    const PngFixture greyAlpha = Pixels(4, 8, {50, 0, 50, 255});
    const PngFixture rgb = Pixels(2, 8, {128, 64, 200, 0, 255, 1});
    const struct {
        const char* name;
        Bytes file;
        std::uint32_t background;  // COLORREF
        std::vector<Rgb> expected;
    } cases[] = {
        {"palette over white", BuildPng(palette), kWhite, {white, {0, 255, 0}, {127, 127, 255}}},
        {"palette with its own background",
         BuildPng(Background(palette, {1})),
         kWhite,
         {{0, 255, 0}, {0, 255, 0}}},
        {"RGBA over green", BuildPng(rgba), 0x00FF00, {{0, 255, 0}, {10, 20, 30}, {100, 177, 0}}},
        {"RGBA with its own background",
         BuildPng(Background(rgba, {1, 2, 3})),
         kWhite,
         {{1, 2, 3}, {10, 20, 30}}},
        {"grey and alpha over yellow", BuildPng(greyAlpha), 0x00FFFF, {{255, 255, 0}, {50, 50, 50}}},
        {"grey and alpha with its own background",
         BuildPng(Background(greyAlpha, {64})),
         0x00FFFF,
         {{64, 64, 64}, {50, 50, 50}}},
        {"16-bit grey and alpha with its own background",
         BuildPng(Background(Pixels(4, 16, {9, 0, 0xFFFF, 0xFFFF}), {0x8080})),
         kWhite,
         {{128, 128, 128}, white}},
        {"2-bit grey, transparent level, own background at level 2",
         BuildPng(Background(Transparent(Pixels(0, 2, {3, 1}), {3}), {2})),
         kWhite,
         {{170, 170, 170}, {85, 85, 85}}},
        {"grey with a transparent level over blue",
         BuildPng(Transparent(Pixels(0, 8, {7, 8}), {7})),
         0xFF0000,
         {blue, {8, 8, 8}}},
        {"RGB with a transparent colour",
         BuildPng(Transparent(Pixels(2, 8, {1, 2, 3, 1, 2, 4}), {1, 2, 3})),
         0x123456,
         {{0x56, 0x34, 0x12}, {1, 2, 4}}},
        {"2-bit grey without gAMA",
         BuildPng(Pixels(0, 2, {0, 1, 2, 3})),
         kWhite,
         {grey(0), grey(85), grey(170), grey(255)}},
        {"sRGB before gAMA 1",
         Inserted(BuildPng(Gamma(rgb, 1)), 33, Chunk("sRGB", {0})),
         kWhite,
         {{128, 64, 200}, {0, 255, 1}}},
        {"sRGB behind gAMA 1",
         Inserted(BuildPng(Gamma(rgb, 1)), 49, Chunk("sRGB", {0})),
         kWhite,
         {{128, 64, 200}, {0, 255, 1}}},
        {"RGB with gAMA 1/2.2", BuildPng(Gamma(rgb, 0.45455)), kWhite, {{128, 64, 200}, {0, 255, 1}}},
        {"RGBA with gAMA 0.35 keeps the background exact",
         BuildPng(Gamma(Pixels(6, 8, {128, 128, 128, 255, 0, 0, 0, 0}), 0.35)),
         0x804020,
         {grey(corrected(128, 0.35)), {0x20, 0x40, 0x80}}},
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
}

TEST(PngReader, RefusesBrokenFiles) {
    PngFixture noise = Pixels(2, 8, {});
    noise.width = noise.height = 64;
    for (std::uint32_t i = 0; i < 64 * 64 * 3; ++i)
        noise.samples.push_back(std::uint16_t(i * 2654435761u >> 24));
    const Bytes good = BuildPng(noise);
    Bytes badCrc = good;
    badCrc[good.size() - 40] ^= 0x10;  // inside the image data
    const struct {
        const char* name;
        Bytes file;
        ReaderStatus status;
    } cases[] = {
        {"truncated in the image data", Bytes(good.begin(), good.end() - 40), kReaderCannotRead},
        {"a CRC error", badCrc, kReaderCannotRead},
        {"only the signature", Bytes(good.begin(), good.begin() + 8), kReaderCannotRead},
        {"another signature", Join({Bytes{0x89, 'P', 'N', 'X'}, Bytes(good.begin() + 4, good.end())}),
         kReaderCannotRead},
        {"empty", {}, kReaderCannotRead},
        {"wider than 65500", Header(65501, 1), kReaderUnsupported},
        {"more pixels than the limit", Header(65500, 2000), kReaderUnsupported},
    };
    for (const auto& c : cases) {
        const ReadResult read = ReadPng(c.file);
        EXPECT_EQ(read.status, c.status) << c.name;
        EXPECT_FALSE(read.bitmap) << c.name;
    }
    PackedBitmap read = nullptr;
    EXPECT_EQ(ReadPngFile(&read, "no such file.png", kWhite), kReaderCannotRead);
}
