#include "codecs/png/png_reader.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cmath>
#include <cstring>
#include <string>

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

int Channels(int colourType) {
    return colourType == 2 ? 3 : colourType == 4 ? 2 : colourType == 6 ? 4 : 1;
}

std::vector<Rgb> Palette(int count) {
    std::vector<Rgb> palette;
    for (int i = 0; i < count; ++i)
        palette.push_back(Rgb{std::uint8_t(i * 41), std::uint8_t(255 - i * 3), std::uint8_t(i)});
    return palette;
}

// Samples from a hash of the position; alpha is only ever 0 or full, so that composition is exact.
PngFixture Pattern(int colourType, int depth, int width = 13, int height = 11) {
    PngFixture f;
    f.width = width;
    f.height = height;
    f.colourType = colourType;
    f.depth = depth;
    const int channels = Channels(colourType), top = colourType == 3 ? (1 << depth) - 1 : (1 << depth) - 1;
    if (colourType == 3) f.palette = Palette(1 << depth);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            for (int c = 0; c < channels; ++c) {
                const std::uint32_t hash =
                    (std::uint32_t(x) * 73856093u ^ std::uint32_t(y * 4 + c) * 19349663u) * 2654435761u;
                const bool alpha = (colourType & 4) && c == channels - 1;
                f.samples.push_back(std::uint16_t(alpha ? (hash >> 20 & 1) * top : (hash >> 8) % (top + 1)));
            }
        }
    }
    return f;
}

// 8-bit display value of a sample in the file's scale.
int Level(const PngFixture& f, int sample) {
    return f.depth == 16 ? sample >> 8 : sample * 255 / ((1 << f.depth) - 1);
}

Rgb Expected(const PngFixture& f, int x, int y, Rgb background) {
    const int channels = Channels(f.colourType);
    const std::uint16_t* s = &f.samples[std::size_t(y * f.width + x) * channels];
    if (f.colourType == 3) return f.palette[s[0]];
    if ((f.colourType & 4) && s[channels - 1] == 0) return background;
    if (f.colourType & 2)
        return Rgb{std::uint8_t(Level(f, s[0])), std::uint8_t(Level(f, s[1])), std::uint8_t(Level(f, s[2]))};
    const std::uint8_t grey = std::uint8_t(Level(f, s[0]));
    return Rgb{grey, grey, grey};
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

Bytes BlockBytes(PackedBitmap bitmap) {
    BlockLock<BYTE> bytes(bitmap);
    return Bytes(bytes.data(), bytes.data() + GlobalSize(bitmap));
}

}  // namespace

TEST(PngReader, ReadsEveryColourTypeAndDepthInterlacedOrNot) {
    const struct {
        int colourType, depth, bitCount, colours;
    } cases[] = {
        {0, 1, 8, 2},   {0, 2, 8, 4},   {0, 4, 8, 16},  {0, 8, 8, 256}, {0, 16, 8, 256},
        {2, 8, 24, 0},  {2, 16, 24, 0}, {3, 1, 8, 2},   {3, 2, 8, 4},   {3, 4, 8, 16},
        {3, 8, 8, 256}, {4, 8, 24, 0},  {4, 16, 24, 0}, {6, 8, 24, 0},  {6, 16, 24, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("colour type " + std::to_string(c.colourType) + ", " + std::to_string(c.depth) +
                     " bits");
        PngFixture fixture = Pattern(c.colourType, c.depth);
        const ReadResult plain = ReadPng(BuildPng(fixture));
        ASSERT_EQ(plain.status, 0);
        {
            BitmapLock header(plain.bitmap.get());
            EXPECT_EQ(header->biBitCount, c.bitCount);
            EXPECT_EQ(header->biClrUsed, std::uint32_t(c.colours));
        }
        for (int y = 0; y < fixture.height; ++y)
            for (int x = 0; x < fixture.width; ++x)
                ASSERT_EQ(ColourOf(plain.bitmap.get(), x, y), Expected(fixture, x, y, Rgb{255, 255, 255}))
                    << x << "," << y;
        fixture.interlaced = true;
        const ReadResult interlaced = ReadPng(BuildPng(fixture));
        ASSERT_EQ(interlaced.status, 0);
        EXPECT_EQ(BlockBytes(interlaced.bitmap.get()), BlockBytes(plain.bitmap.get()));
    }
}

namespace {

PngFixture Pixels(int colourType, int depth, std::vector<std::uint16_t> samples) {
    PngFixture f;
    f.colourType = colourType;
    f.depth = depth;
    f.width = int(samples.size()) / Channels(colourType);
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

struct ColourCase {
    const char* name;
    Bytes file;
    std::uint32_t background;  // COLORREF
    std::vector<Rgb> expected;
};

void ExpectColours(const ColourCase& c) {
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

}  // namespace

TEST(PngReader, ComposesTransparencyOverTheFilesOrTheCallersBackground) {
    const Rgb white{255, 255, 255}, blue{0, 0, 255};
    PngFixture palette = Pixels(3, 8, {0, 1, 2});
    palette.palette = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    palette.paletteAlpha = {0, 255, 128};
    const PngFixture rgba = Pixels(6, 8, {10, 20, 30, 0, 10, 20, 30, 255, 200, 100, 0, 128});
    const PngFixture greyAlpha = Pixels(4, 8, {50, 0, 50, 255});
    const ColourCase cases[] = {
        {"palette over white", BuildPng(palette), kWhite, {white, {0, 255, 0}, {127, 127, 255}}},
        {"palette over blue", BuildPng(palette), 0xFF0000, {blue, {0, 255, 0}, {0, 0, 255}}},
        {"palette with its own background",
         BuildPng(Background(palette, {1})),
         kWhite,
         {{0, 255, 0}, {0, 255, 0}}},
        {"RGBA over green", BuildPng(rgba), 0x00FF00, {{0, 255, 0}, {10, 20, 30}, {100, 177, 0}}},
        {"RGBA with its own background",
         BuildPng(Background(rgba, {1, 2, 3})),
         kWhite,
         {{1, 2, 3}, {10, 20, 30}}},
        {"16-bit RGBA",
         BuildPng(Pixels(6, 16, {1000, 2000, 3000, 0, 65535, 0, 32768, 65535})),
         kWhite,
         {white, {255, 0, 128}}},
        {"grey and alpha over white", BuildPng(greyAlpha), kWhite, {white, {50, 50, 50}}},
        {"grey and alpha over grey", BuildPng(greyAlpha), 0x808080, {{128, 128, 128}, {50, 50, 50}}},
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
    };
    for (const ColourCase& c : cases) ExpectColours(c);
}

// Without gAMA, or with sRGB, colours stay as stored; with gAMA they are corrected from the
// file's gamma to 2.2, for every colour type alike and at full precision for low-bit greys.
TEST(PngReader, CorrectsOnlyWhatTheFileSaysIsNotForTheScreen) {
    const auto corrected = [](int value, double gamma) {
        return std::uint8_t(std::floor(255 * std::pow(value / 255.0, 1 / (gamma * 2.2)) + 0.5));
    };
    const auto grey = [](int v) { return Rgb{std::uint8_t(v), std::uint8_t(v), std::uint8_t(v)}; };
    const PngFixture rgb = Pixels(2, 8, {128, 64, 200, 0, 255, 1});
    const PngFixture grey8 = Pixels(0, 8, {128, 254, 1});
    const PngFixture grey2 = Pixels(0, 2, {0, 1, 2, 3});
    PngFixture palette = Pixels(3, 8, {0});
    palette.palette = {{128, 64, 200}};
    const PngFixture rgba = Pixels(6, 8, {128, 128, 128, 255, 0, 0, 0, 0});
    const double g = 1.0;
    const ColourCase cases[] = {
        {"RGB without gAMA", BuildPng(rgb), kWhite, {{128, 64, 200}, {0, 255, 1}}},
        {"grey without gAMA", BuildPng(grey8), kWhite, {grey(128), grey(254), grey(1)}},
        {"2-bit grey without gAMA", BuildPng(grey2), kWhite, {grey(0), grey(85), grey(170), grey(255)}},
        {"palette without gAMA", BuildPng(palette), kWhite, {{128, 64, 200}}},
        {"sRGB before gAMA 1",
         Inserted(BuildPng(Gamma(rgb, g)), 33, Chunk("sRGB", {0})),
         kWhite,
         {{128, 64, 200}, {0, 255, 1}}},
        {"sRGB behind gAMA 1",
         Inserted(BuildPng(Gamma(rgb, g)), 49, Chunk("sRGB", {0})),
         kWhite,
         {{128, 64, 200}, {0, 255, 1}}},
        {"RGB with gAMA 1/2.2", BuildPng(Gamma(rgb, 0.45455)), kWhite, {{128, 64, 200}, {0, 255, 1}}},
        {"grey with gAMA 1/2.2", BuildPng(Gamma(grey8, 0.45455)), kWhite, {grey(128), grey(254), grey(1)}},
        {"RGB with gAMA 1",
         BuildPng(Gamma(rgb, g)),
         kWhite,
         {{corrected(128, g), corrected(64, g), corrected(200, g)}, {0, 255, corrected(1, g)}}},
        {"grey with gAMA 1",
         BuildPng(Gamma(grey8, g)),
         kWhite,
         {grey(186), grey(corrected(254, g)), grey(corrected(1, g))}},
        {"2-bit grey with gAMA 1",
         BuildPng(Gamma(grey2, g)),
         kWhite,
         {grey(0), grey(155), grey(212), grey(255)}},
        {"16-bit grey with gAMA 1", BuildPng(Gamma(Pixels(0, 16, {0x8000}), g)), kWhite, {grey(186)}},
        {"palette with gAMA 1",
         BuildPng(Gamma(palette, g)),
         kWhite,
         {{corrected(128, g), corrected(64, g), corrected(200, g)}}},
        {"RGBA with gAMA 0.35 keeps the background exact",
         BuildPng(Gamma(rgba, 0.35)),
         0x804020,
         {grey(corrected(128, 0.35)), {0x20, 0x40, 0x80}}},
    };
    for (const ColourCase& c : cases) ExpectColours(c);
}

namespace {

// The signature, a header of that size (8-bit grey) and an empty data chunk.
Bytes Header(std::uint32_t width, std::uint32_t height) {
    const Bytes header = Join({BigEndian(width), BigEndian(height), Bytes{8, 0, 0, 0, 0}});
    return Join(
        {Bytes{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}, Chunk("IHDR", header), Chunk("IDAT", {})});
}

}  // namespace

TEST(PngReader, RefusesBrokenFiles) {
    const Bytes good = BuildPng(Pattern(2, 8, 64, 64));
    Bytes badCrc = good;
    badCrc[good.size() - 40] ^= 0x10;  // inside the image data
    const struct {
        const char* name;
        Bytes file;
        ReaderStatus status;
    } cases[] = {
        {"truncated in the image data", Bytes(good.begin(), good.end() - 40), kReaderCannotRead},
        {"a CRC error", badCrc, kReaderCannotRead},
        {"only the first signature bytes", Bytes(good.begin(), good.begin() + 4), kReaderCannotRead},
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
