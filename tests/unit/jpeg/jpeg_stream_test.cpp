// The bytes of a written file: segments, tables, entropy-coded data and trailer.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "codecs/jpeg/jpeg_writer.h"
#include "tests/support/synthetic_picture.h"
#include "tests/unit/jpeg/jpeg_test_support.h"

namespace {

Bytes Body(std::initializer_list<int> values) {
    return Bytes(values.begin(), values.end());
}

// The table values of a DQT body, in zigzag order.
std::vector<int> TableValues(const Bytes& body) {
    std::vector<int> values;
    const bool wide = body[0] >> 4 == 1;
    for (std::size_t i = 1; i < body.size(); i += wide ? 2 : 1)
        values.push_back(wide ? body[i] << 8 | body[i + 1] : body[i]);
    return values;
}

TEST(JpegStream, SegmentsAndTablesFollowTheQuality) {
    const struct {
        int quality;
        bool lumaWide, chromaWide;
        std::uint8_t frameMarker;
        std::vector<int> luma, chroma;  // leading zigzag entries
    } cases[] = {
        {75, false, false, 0xC0, {8, 6, 6, 7}, {9, 9, 9, 12}},
        {50, false, false, 0xC0, {16, 11, 12, 14}, {17, 18, 18, 24}},
        {100, false, false, 0xC0, std::vector<int>(64, 1), std::vector<int>(64, 1)},
        {24, false, false, 0xC0, {33, 23, 25, 29}, {35, 37, 37, 50}},
        {22, true, false, 0xC1, {36, 25, 27, 32}, {39, 41, 41, 54}},
        {10, true, true, 0xC1, {80, 55, 60, 70}, {85, 90, 90, 120}},
    };
    const int width = 21, height = 13;
    GlobalBlock bitmap = MakeBitmap24(width, height, NaturalPicture(width, height));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.quality);
        const Encoded encoded = EncodeJpeg(bitmap.get(), c.quality);
        ASSERT_EQ(encoded.result, 0);
        Stream stream;
        ASSERT_TRUE(ParseStream(encoded.bytes, stream));
        std::vector<int> markers;
        for (const Segment& s : stream.segments) markers.push_back(s.marker);
        EXPECT_EQ(markers, (std::vector<int>{0xE0, 0xDB, 0xDB, c.frameMarker, 0xC4, 0xC4, 0xC4, 0xC4, 0xDA}));
        ASSERT_EQ(markers.size(), 9u);
        const auto& s = stream.segments;
        EXPECT_EQ(s[0].body, Body({'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0}));

        const bool wide[2] = {c.lumaWide, c.chromaWide};
        const std::vector<int>* leading[2] = {&c.luma, &c.chroma};
        for (int t = 0; t < 2; ++t) {
            const Bytes& dqt = s[1 + t].body;
            ASSERT_EQ(dqt.size(), wide[t] ? 129u : 65u);
            EXPECT_EQ(dqt[0], (wide[t] ? 0x10 : 0x00) + t);
            const std::vector<int> values = TableValues(dqt);
            EXPECT_TRUE(std::equal(leading[t]->begin(), leading[t]->end(), values.begin())) << "table " << t;
        }
        EXPECT_EQ(s[3].body, Body({8, 0, height, 0, width, 3, 1, 0x22, 0, 2, 0x11, 1, 3, 0x11, 1}));
        const int dhtClass[4] = {0x00, 0x10, 0x01, 0x11};
        const std::size_t dhtSize[4] = {29, 179, 29, 179};
        for (int t = 0; t < 4; ++t) {
            EXPECT_EQ(s[4 + t].body.size(), dhtSize[t]);
            EXPECT_EQ(s[4 + t].body[0], dhtClass[t]);
        }
        EXPECT_EQ(s[8].body, Body({3, 1, 0x00, 2, 0x11, 3, 0x11, 0, 63, 0}));
        EXPECT_EQ(stream.trailer, Body({'c', '-', 'Q', 'V'}));
    }
}

TEST(JpegStream, QualityOutsideOneToHundredIsClamped) {
    GlobalBlock bitmap = MakeBitmap24(24, 20, NaturalPicture(24, 20));
    const struct {
        int quality, sameAs;
    } cases[] = {{0, 1}, {-5, 1}, {-2147483647 - 1, 1}, {150, 100}, {2147483647, 100}};
    for (const auto& c : cases) {
        const Encoded encoded = EncodeJpeg(bitmap.get(), c.quality),
                      expected = EncodeJpeg(bitmap.get(), c.sameAs);
        EXPECT_EQ(encoded.result, 0) << c.quality;
        EXPECT_EQ(encoded.bytes, expected.bytes) << c.quality;
    }
}

// A white pixel at quality 50: luminance DC 64 (category 7) in the first block and three
// copies of it, chrominance DC 0, every block ending at once; worked out by hand from the
// typical code tables.
TEST(JpegStream, OneWhitePixelCodesAsWorkedOut) {
    GlobalBlock bitmap = MakeBitmap24(1, 1, [](int, int) { return Rgb{255, 255, 255}; });
    const Encoded encoded = EncodeJpeg(bitmap.get(), 50);
    Stream stream;
    ASSERT_TRUE(ParseStream(encoded.bytes, stream));
    // 11110 1000000 1010 | 00 1010 | 00 1010 | 00 1010 | 00 00 | 00 00, then one-bits.
    EXPECT_EQ(stream.scan, Body({0xF4, 0x0A, 0x28, 0xA2, 0x80, 0x3F}));
}

TEST(JpegStream, EveryFFInTheScanIsStuffed) {
    const int width = 64, height = 48;
    GlobalBlock bitmap = MakeBitmap24(width, height, NaturalPicture(width, height));
    int stuffed = 0;
    for (int quality : {100, 75, 30}) {
        Stream stream;
        ASSERT_TRUE(ParseStream(EncodeJpeg(bitmap.get(), quality).bytes, stream));
        for (std::size_t i = 0; i < stream.scan.size(); ++i) {
            if (stream.scan[i] != 0xFF) continue;
            ASSERT_LT(i + 1, stream.scan.size());
            EXPECT_EQ(stream.scan[i + 1], 0x00) << "quality " << quality << " byte " << i;
            ++stuffed;
        }
    }
    EXPECT_GT(stuffed, 0);  // the pictures do produce 0xFF bytes
}

// Integer-only, so every build sees the same pixels: gradient, noise and a 4-pixel checker.
Rgb Mixed(int x, int y) {
    std::uint32_t h = static_cast<std::uint32_t>(x) * 2654435761u ^ static_cast<std::uint32_t>(y) * 40503u;
    h ^= h >> 15;
    return Rgb{std::uint8_t((x * 37 + y * 11) & 255), std::uint8_t(h & 255),
               std::uint8_t((x / 4 + y / 4) % 2 ? 200 : 40)};
}

std::uint64_t Fnv1a(const Bytes& bytes) {
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (std::uint8_t b : bytes) hash = (hash ^ b) * 0x100000001b3ull;
    return hash;
}

// Sizes and digests of the files that a separate, literal rendering of the algorithm (one
// pixel, one multiplication at a time) writes for these pictures; they pin the output byte
// for byte, dummy blocks, edge padding and 16-bit tables included.
TEST(JpegStream, KnownPicturesGiveKnownFiles) {
    const struct {
        int width, height, quality;
        std::size_t size;
        std::uint64_t digest;
    } cases[] = {
        {1, 1, 50, 635, 0xccea806733acb593ull},     {17, 9, 75, 781, 0x6557ed44e5faa022ull},
        {16, 16, 10, 787, 0x4c01b593c4beab07ull},   {33, 31, 22, 1009, 0x44863111e5e14246ull},
        {40, 24, 100, 2788, 0x439911a87f630879ull}, {23, 37, 1, 781, 0xf8a3ec0cc85a8ae2ull},
    };
    for (const auto& c : cases) {
        GlobalBlock bitmap = MakeBitmap24(c.width, c.height, Mixed);
        const Encoded encoded = EncodeJpeg(bitmap.get(), c.quality);
        EXPECT_EQ(encoded.bytes.size(), c.size) << c.width << " x " << c.height << " q" << c.quality;
        EXPECT_EQ(Fnv1a(encoded.bytes), c.digest) << c.width << " x " << c.height << " q" << c.quality;
    }
}

}  // namespace
