// Decoding fixtures of known structure: exact samples, sizes, colour models, progressive and
// multi-scan files against their sequential twins, restarts, truncation and wrapping.
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "codecs/jpeg/jpeg_reader.h"
#include "tests/support/jpeg_fixture.h"
#include "tests/unit/jpeg/jpeg_test_support.h"

namespace {

using Factors = std::vector<std::array<int, 2>>;

// Quantisation by 1, so that a coefficient is its dequantised value.
QuantValues Ones() {
    QuantValues ones;
    ones.fill(1);
    return ones;
}

// Components 1, 2, ... with the factors, flat blocks: block (bx, by) of component c has every
// sample equal to sample(c, bx, by) (a DC of 8 (s - 128) gives exactly s).
JpegFixture Flat(int width, int height, const Factors& factors,
                 const std::function<int(int, int, int)>& sample) {
    JpegFixture f;
    f.width = width;
    f.height = height;
    for (std::size_t c = 0; c < factors.size(); ++c)
        f.components.push_back({int(c) + 1, factors[c][0], factors[c][1], 0, 0, 0});
    f.quantTables = {Ones()};
    AllocatePlanes(f);
    for (std::size_t c = 0; c < factors.size(); ++c)
        for (int by = 0; by < f.planes[c].blocksHigh; ++by)
            for (int bx = 0; bx < f.planes[c].blocksWide; ++bx)
                f.planes[c].At(bx, by)[0] = std::int16_t(8 * (sample(int(c), bx, by) - 128));
    return f;
}

// Coefficients as a photograph's might be: most high frequencies zero, some large values.
void Randomise(JpegFixture& f, unsigned seed) {
    std::mt19937 random(seed);
    for (CoefficientPlane& plane : f.planes)
        for (QuantBlock& block : plane.blocks) {
            block[0] = std::int16_t(int(random() % 1601) - 800);
            for (int i = 1; i < 64; ++i) {
                const unsigned roll = random() % 100;
                const int spread = int(roll) < 70 + i / 3 ? 0 : roll < 97 ? 40 : 600;
                block[i] = spread == 0 ? 0 : std::int16_t(int(random() % (2 * spread + 1)) - spread);
            }
        }
}

Decoded Decode(const Bytes& bytes) {
    Decoded decoded;
    EXPECT_EQ(DecodeWithKorvi(bytes, decoded), 0);
    return decoded;
}

TEST(JpegDecoder, FlatBlocksGiveTheirRangeLimitedSample) {
    // A block with only a DC coefficient, dequantised to d, is flat at R[((4 d + 16) >> 5) & 1023]:
    // saturating just out of range, wrapping far out of it.
    const struct {
        int coefficient, quant, sample;
    } cases[] = {{8, 1, 129},   {-1024, 1, 0}, {0, 1, 128},    {1016, 1, 255}, {1024, 1, 255},
                 {-1032, 1, 0}, {5600, 1, 0},  {8000, 1, 104}, {1000, 8, 104}, {-8180, 1, 130}};
    for (const auto& c : cases) {
        JpegFixture f = Flat(8, 8, {{1, 1}}, [](int, int, int) { return 128; });
        f.quantTables[0].fill(std::uint16_t(c.quant));
        f.planes[0].At(0, 0)[0] = std::int16_t(c.coefficient);
        const Decoded decoded = Decode(WriteJpegFixture(f));
        ASSERT_EQ(decoded.pixels.size(), 64u);
        for (const Rgb p : decoded.pixels)
            EXPECT_EQ(p, (Rgb{std::uint8_t(c.sample), std::uint8_t(c.sample), std::uint8_t(c.sample)}))
                << c.coefficient;
    }
}

// The samples of component c before upsampling: its blocks decoded as a grey picture of the
// component's own size.
std::vector<int> ComponentSamples(const JpegFixture& f, int c, int width, int height) {
    JpegFixture grey;
    grey.width = width;
    grey.height = height;
    grey.components = {{1, 1, 1, 0, 0, 0}};
    grey.quantTables = {f.quantTables[f.components[c].quantTable]};
    AllocatePlanes(grey);
    for (int by = 0; by < grey.planes[0].blocksHigh; ++by)
        for (int bx = 0; bx < grey.planes[0].blocksWide; ++bx)
            grey.planes[0].At(bx, by) = f.planes[c].At(bx, by);
    std::vector<int> samples;
    for (const Rgb p : Decode(WriteJpegFixture(grey)).pixels) samples.push_back(p.g);
    return samples;
}

// Component c upsampled to the picture the plain way, over whole planes: the method the layout
// calls for, with neighbours clamped at the picture's edges.
std::vector<int> Upsampled(const JpegFixture& f, int c, const std::string& method) {
    int maxH = 1, maxV = 1;
    for (const FixtureComponent& other : f.components) {
        maxH = std::max(maxH, other.h);
        maxV = std::max(maxV, other.v);
    }
    const FixtureComponent& comp = f.components[c];
    const int w = (f.width * comp.h + maxH - 1) / maxH, h = (f.height * comp.v + maxV - 1) / maxV;
    const std::vector<int> samples = ComponentSamples(f, c, w, h);
    const auto s = [&](int x, int y) {
        return samples[std::size_t(std::clamp(y, 0, h - 1) * w + std::clamp(x, 0, w - 1))];
    };
    std::vector<int> out;
    for (int y = 0; y < f.height; ++y)
        for (int x = 0; x < f.width; ++x) {
            const int j = x / 2, other = x % 2 == 0 ? j - 1 : j + 1;
            if (method == "box") {
                out.push_back(s(x * comp.h / maxH, y * comp.v / maxV));
            } else if (method == "triangle 2x1") {
                out.push_back(other < 0 || other >= w ? s(j, y)
                                                      : (3 * s(j, y) + s(other, y) + 1 + x % 2) >> 2);
            } else {
                const int farther = y % 2 == 0 ? y / 2 - 1 : y / 2 + 1;
                const auto column = [&](int i) { return 3 * s(i, y / 2) + s(i, farther); };
                out.push_back(other < 0 || other >= w ? (4 * column(j) + 8 - x % 2) >> 4
                                                      : (3 * column(j) + column(other) + 8 - x % 2) >> 4);
            }
        }
    return out;
}

TEST(JpegDecoder, UpsamplesEachLayoutByItsMethodUpToThePictureEdges) {
    // RGB-coded, so the green and blue channels are the upsampled samples themselves.
    const struct {
        const char* method;
        int width, height;
        Factors factors;
    } cases[] = {
        {"triangle 2x2", 35, 37, {{2, 2}, {1, 1}, {1, 1}}},  // odd sizes, context across iMCU rows
        {"triangle 2x2", 64, 36, {{2, 2}, {1, 1}, {1, 1}}},  // the last chroma row has a lower output row
        {"triangle 2x1", 35, 21, {{2, 1}, {1, 1}, {1, 1}}},
        {"box", 4, 21, {{2, 2}, {1, 1}, {1, 1}}},   // chroma 2 samples wide
        {"box", 3, 9, {{2, 1}, {1, 1}, {1, 1}}},    // chroma 2 samples wide
        {"box", 23, 30, {{1, 2}, {1, 1}, {1, 1}}},  // 4:4:0
        {"box", 25, 9, {{3, 1}, {1, 1}, {1, 1}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.method << " " << c.width << " x " << c.height);
        JpegFixture f = Flat(c.width, c.height, c.factors, [](int, int, int) { return 128; });
        Randomise(f, unsigned(c.width));
        for (CoefficientPlane& plane : f.planes)
            for (QuantBlock& block : plane.blocks)
                for (std::int16_t& coefficient : block) coefficient = std::int16_t(coefficient / 4);
        f.jfif = false;
        f.adobeTransform = 0;
        const Decoded decoded = Decode(WriteJpegFixture(f));
        ASSERT_EQ(decoded.width, c.width);
        ASSERT_EQ(decoded.height, c.height);
        const std::vector<int> green = Upsampled(f, 1, c.method), blue = Upsampled(f, 2, c.method);
        for (std::size_t i = 0; i < decoded.pixels.size(); ++i) {
            ASSERT_EQ(decoded.pixels[i].g, green[i]) << "pixel " << i % c.width << ", " << i / c.width;
            ASSERT_EQ(decoded.pixels[i].b, blue[i]) << "pixel " << i % c.width << ", " << i / c.width;
        }
    }
}

TEST(JpegDecoder, KeepsOddSizesInEverySamplingLayout) {
    const Factors layouts[] = {{{1, 1}, {1, 1}, {1, 1}}, {{2, 1}, {1, 1}, {1, 1}},
                               {{2, 2}, {1, 1}, {1, 1}}, {{4, 1}, {1, 1}, {1, 1}},
                               {{1, 2}, {1, 1}, {1, 1}}, {{3, 1}, {1, 1}, {1, 1}},
                               {{2, 2}, {2, 1}, {1, 2}}, {{2, 2}}};
    for (const Factors& factors : layouts)
        for (const auto size : {std::array<int, 2>{1, 1}, {17, 9}, {33, 31}, {2, 65}}) {
            const Decoded decoded = Decode(
                WriteJpegFixture(Flat(size[0], size[1], factors, [](int c, int, int) { return 100 + c; })));
            EXPECT_EQ(decoded.width, size[0]);
            EXPECT_EQ(decoded.height, size[1]);
        }
}

TEST(JpegDecoder, ChoosesRgbOrYCbCrByTheFileMarks) {
    // Samples (s, 128, 128) read as RGB stay as they are, read as YCbCr give the grey s.
    const struct {
        const char* name;
        bool jfif;
        int adobeTransform;
        bool letterIds, rgb;
    } cases[] = {
        {"Adobe transform 0", false, 0, false, true},     {"ids R, G, B", false, -1, true, true},
        {"ids R, G, B with JFIF", true, -1, true, false}, {"Adobe transform 1", false, 1, true, false},
        {"ids 1, 2, 3", false, -1, false, false},
    };
    for (const auto& c : cases) {
        JpegFixture f =
            Flat(16, 8, {{1, 1}, {1, 1}, {1, 1}}, [](int comp, int, int) { return comp == 0 ? 60 : 128; });
        f.jfif = c.jfif;
        f.adobeTransform = c.adobeTransform;
        if (c.letterIds)
            for (int i = 0; i < 3; ++i) f.components[i].id = "RGB"[i];
        const Decoded decoded = Decode(WriteJpegFixture(f));
        ASSERT_FALSE(decoded.pixels.empty());
        EXPECT_EQ(decoded.pixels[0], c.rgb ? (Rgb{60, 128, 128}) : (Rgb{60, 60, 60})) << c.name;
    }
}

TEST(JpegDecoder, WritesTheHeaderWithTheResolutionOnlyFromDotsPerCentimetre) {
    const struct {
        int unit, x, y;
        LONG xPels, yPels;
    } cases[] = {{2, 40, 20, 4000, 2000}, {1, 300, 300, 0, 0}, {0, 1, 1, 0, 0}};
    TempFolder folder;
    for (const auto& c : cases) {
        // One grey pixel: three equal bytes and one of padding.
        JpegFixture f = Flat(1, 1, {{1, 1}}, [](int, int, int) { return 77; });
        f.densityUnit = c.unit;
        f.xDensity = c.x;
        f.yDensity = c.y;
        WriteBytes(folder.File("dot.jpg"), WriteJpegFixture(f));
        PackedBitmap picture = nullptr;
        ASSERT_EQ(ReadJpegFile(&picture, folder.File("dot.jpg").c_str()), 0);
        GlobalBlock owned(picture);
        ASSERT_EQ(GlobalSize(picture), 44u);
        BitmapLock header(picture);
        EXPECT_EQ((std::array<LONG, 4>{header->biWidth, header->biHeight, header->biXPelsPerMeter,
                                       header->biYPelsPerMeter}),
                  (std::array<LONG, 4>{1, 1, c.xPels, c.yPels}));
        EXPECT_EQ(header->biBitCount, 24);
        EXPECT_EQ(header->biSizeImage, 0u);
        const BYTE* row = PixelRows(header.data());
        EXPECT_EQ((Bytes{row[0], row[1], row[2], row[3]}), (Bytes{77, 77, 77, 0}));
    }
}

TEST(JpegDecoder, ReadsMacBinaryWrappedFilesOfTypeJpegOnly) {
    const Bytes plain = WriteJpegFixture(
        Flat(16, 16, {{2, 2}, {1, 1}, {1, 1}}, [](int c, int x, int) { return 90 + c * 20 + x; }));
    const Decoded expected = Decode(plain);
    const struct {
        std::uint8_t nameLength;
        const char* type;
        int status;
    } cases[] = {{12, "JPEG", 0}, {63, "JPEG", 0}, {12, "PICT", -38}, {0, "JPEG", -38}, {64, "JPEG", -38}};
    for (const auto& c : cases) {
        Bytes wrapped(128 + plain.size(), 0);
        wrapped[1] = c.nameLength;
        std::copy(c.type, c.type + 4, wrapped.begin() + 65);
        std::copy(plain.begin(), plain.end(), wrapped.begin() + 128);
        Decoded decoded;
        EXPECT_EQ(DecodeWithKorvi(wrapped, decoded), c.status) << c.type << int(c.nameLength);
        if (c.status == 0) {
            EXPECT_EQ(decoded.pixels, expected.pixels);
        }
    }
}

// A 4:2:0 fixture of random coefficients, 61 x 45 (partial MCUs on both axes).
JpegFixture RandomFixture(unsigned seed) {
    JpegFixture f;
    f.width = 61;
    f.height = 45;
    f.components = {{1, 2, 2, 0, 0, 0}, {2, 1, 1, 1, 1, 1}, {3, 1, 1, 1, 1, 1}};
    QuantValues q;
    for (int k = 0; k < 64; ++k) q[k] = std::uint16_t(1 + k / 8);
    f.quantTables = {Ones(), q};
    AllocatePlanes(f);
    Randomise(f, seed);
    return f;
}

TEST(JpegDecoder, ProgressiveAndSeparateScansDecodeLikeTheSequentialFile) {
    const auto scan = [](std::vector<int> components, int ss, int se, int ah, int al) {
        return FixtureScan{std::move(components), ss, se, ah, al, {}};
    };
    std::vector<FixtureScan> dcPerComponent = {scan({0}, 0, 0, 0, 0), scan({1}, 0, 0, 0, 0),
                                               scan({2}, 0, 0, 0, 0)};
    for (int c = 0; c < 3; ++c) dcPerComponent.push_back(scan({c}, 1, 63, 0, 0));
    const std::vector<FixtureScan> reversed = {scan({0, 1, 2}, 0, 0, 0, 0), scan({2}, 9, 63, 0, 0),
                                               scan({1}, 1, 63, 0, 0),      scan({0}, 40, 63, 0, 0),
                                               scan({2}, 1, 8, 0, 0),       scan({0}, 1, 39, 0, 0)};
    // Refinement without a final pass leaves the lowest bit out.
    std::vector<FixtureScan> toBit1 = {scan({0, 1, 2}, 0, 0, 0, 3), scan({0, 1, 2}, 0, 0, 3, 2),
                                       scan({0, 1, 2}, 0, 0, 2, 1)};
    for (int c = 0; c < 3; ++c)
        for (const auto& s : {scan({c}, 1, 63, 0, 4), scan({c}, 1, 20, 4, 3), scan({c}, 21, 63, 4, 3),
                              scan({c}, 1, 63, 3, 2), scan({c}, 1, 63, 2, 1)})
            toBit1.push_back(s);
    const struct {
        const char* name;
        int marker;
        std::vector<FixtureScan> scans;
        int restartInterval;
        int lowBit;  // the bits below it never arrive
    } cases[] = {
        {"spectral selection", 0xC2, SpectralScript(3), 0, 0},
        {"successive approximation", 0xC2, SuccessiveScript(3), 0, 0},
        {"successive approximation with restarts", 0xC2, SuccessiveScript(3), 3, 0},
        {"DC scan per component", 0xC2, dcPerComponent, 0, 0},
        {"bands in any order", 0xC2, reversed, 2, 0},
        {"refined down to bit 1", 0xC2, toBit1, 0, 1},
        {"sequential, one scan per component",
         0xC0,
         {scan({0}, 0, 63, 0, 0), scan({2}, 0, 63, 0, 0), scan({1}, 0, 63, 0, 0)},
         4,
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        JpegFixture f = RandomFixture(7);
        f.sofMarker = c.marker;
        f.scans = c.scans;
        f.restartInterval = c.restartInterval;
        const Decoded decoded = Decode(WriteJpegFixture(f));
        JpegFixture sequential = RandomFixture(7);
        for (CoefficientPlane& plane : sequential.planes)
            for (QuantBlock& block : plane.blocks) block = Approximated(block, c.lowBit);
        const Decoded expected = Decode(WriteJpegFixture(sequential));
        ASSERT_EQ(decoded.pixels.size(), expected.pixels.size());
        EXPECT_TRUE(decoded.pixels == expected.pixels);
    }
}

TEST(JpegDecoder, ComponentsKeepTheQuantisationTableOfTheirFirstScan) {
    // Slot 0 is redefined after component 1's scan: components 2 and 3 get the new table.
    JpegFixture f = RandomFixture(3);
    f.sofMarker = 0xC2;
    for (FixtureComponent& c : f.components) c.quantTable = 0;
    QuantValues later;
    for (int k = 0; k < 64; ++k) later[k] = std::uint16_t(2 + k % 5);
    Bytes dqt = {0xFF, 0xDB, 0x00, 0x43, 0x00};
    dqt.insert(dqt.end(), later.begin(), later.end());
    f.scans = {{{0}, 0, 0, 0, 0, {}}, {{1}, 0, 0, 0, 0, dqt}, {{2}, 0, 0, 0, 0, {}}};
    for (int c = 0; c < 3; ++c) f.scans.push_back({{c}, 1, 63, 0, 0, {}});
    JpegFixture twin = RandomFixture(3);
    twin.quantTables[1] = later;
    twin.components[0].quantTable = 0;
    twin.components[1].quantTable = twin.components[2].quantTable = 1;
    EXPECT_TRUE(Decode(WriteJpegFixture(f)).pixels == Decode(WriteJpegFixture(twin)).pixels);
}

TEST(JpegDecoder, ProgressiveRowsWiderThan511BlocksDecode) {
    for (int width : {4088, 4089, 9000}) {
        JpegFixture f = Flat(width, 8, {{1, 1}}, [](int, int x, int) { return x % 256; });
        f.sofMarker = 0xC2;
        f.scans = SpectralScript(1);
        const Decoded decoded = Decode(WriteJpegFixture(f));
        ASSERT_EQ(decoded.width, width);
        EXPECT_EQ(decoded.At(width - 1, 7).g, ((width - 1) / 8) % 256);
    }
}

// The offsets of the restart markers of a file.
std::vector<std::size_t> RestartMarkers(const Bytes& bytes) {
    std::vector<std::size_t> at;
    for (std::size_t i = 0; i + 1 < bytes.size(); ++i)
        if (bytes[i] == 0xFF && bytes[i + 1] >= 0xD0 && bytes[i + 1] <= 0xD7) at.push_back(i);
    return at;
}

TEST(JpegDecoder, ResynchronisesAtDamagedRestartMarkers) {
    // 4:4:4, 64 x 48: 48 MCUs of one block each, a restart every 4 MCUs.
    JpegFixture f = RandomFixture(11);
    f.width = 64;
    f.height = 48;
    for (FixtureComponent& c : f.components) c.h = c.v = 1;
    AllocatePlanes(f);
    Randomise(f, 11);
    f.restartInterval = 4;
    const Bytes intact = WriteJpegFixture(f);
    const Decoded expected = Decode(intact);
    const std::vector<std::size_t> markers = RestartMarkers(intact);
    ASSERT_EQ(markers.size(), 11u);
    const auto interval = [](int x, int y) { return (y / 8 * 8 + x / 8) / 4; };

    const struct {
        const char* name;
        std::function<Bytes()> damage;
        std::function<int(int)> source;  // whose true content each interval shows; -1 unchecked
    } cases[] = {
        {"intact", [&] { return intact; }, [](int i) { return i; }},
        {"RST1 missing",
         [&] {
             Bytes b = intact;
             b.erase(b.begin() + long(markers[1]), b.begin() + long(markers[1]) + 2);
             return b;
         },
         [](int i) { return i == 2 ? -1 : i; }},
        {"RST1 replaced by RST5",
         [&] {
             Bytes b = intact;
             b[markers[1] + 1] = 0xD5;
             return b;
         },
         [](int i) { return i; }},
        {"RST1 replaced by RST3, two ahead",
         [&] {
             Bytes b = intact;
             b[markers[1] + 1] = 0xD3;
             return b;
         },
         [](int i) { return i == 2 || i == 3 ? -1
                            : i == 4         ? 2
                                             : i; }},
        {"RST1 and RST2 swapped",
         [&] {
             Bytes b = intact;
             std::swap(b[markers[1] + 1], b[markers[2] + 1]);
             return b;
         },
         [](int i) { return i == 2   ? -1
                            : i == 3 ? 2
                                     : i; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Decoded decoded = Decode(c.damage());
        ASSERT_EQ(decoded.pixels.size(), expected.pixels.size());
        int checked = 0;
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x) {
                const int own = interval(x, y), source = c.source(own);
                if (source < 0) continue;
                // The same place in the interval whose data it shows.
                const int mcu = source * 4 + (y / 8 * 8 + x / 8) % 4;
                ASSERT_EQ(decoded.At(x, y), expected.At(mcu % 8 * 8 + x % 8, mcu / 8 * 8 + y % 8))
                    << x << ", " << y;
                ++checked;
            }
        EXPECT_GT(checked, 64 * 48 / 2);
    }
}

TEST(JpegDecoder, CutFilesGiveTheWholePictureWithTheirDecodedPart) {
    for (int marker : {0xC0, 0xC2}) {
        JpegFixture f = RandomFixture(5);
        f.height = 16;
        AllocatePlanes(f);
        Randomise(f, 5);
        f.sofMarker = marker;
        if (marker == 0xC2) f.scans = SuccessiveScript(3);
        const Bytes whole = WriteJpegFixture(f);
        const Decoded full = Decode(whole);
        // Cuts in the entropy-coded data, from the end of each scan header up to the next marker;
        // a cut in a marker segment may end in that segment's refusal.
        bool inData = false;
        for (std::size_t cut = 0; cut < whole.size(); ++cut) {
            if (cut >= 2 && whole[cut - 2] == 0xFF && whole[cut - 1] == 0xDA) {
                cut += std::size_t(whole[cut]) << 8 | whole[cut + 1];
                inData = true;
            } else if (whole[cut] == 0xFF && whole[cut + 1] != 0 && (whole[cut + 1] & 0xF8) != 0xD0) {
                inData = false;
            }
            Decoded decoded;
            const int status = DecodeWithKorvi(Bytes(whole.begin(), whole.begin() + long(cut)), decoded);
            if (!inData) continue;
            ASSERT_EQ(status, 0) << "cut at " << cut;
            ASSERT_EQ(decoded.width, 61);
            ASSERT_EQ(decoded.height, 16);
        }
        // A sequential file cut late keeps its first MCU.
        Decoded late;
        ASSERT_EQ(DecodeWithKorvi(Bytes(whole.begin(), whole.end() - long(whole.size() / 5)), late), 0);
        for (int y = 0; marker == 0xC0 && y < 16; ++y)
            for (int x = 0; x < 14; ++x) ASSERT_EQ(late.At(x, y), full.At(x, y));
    }
}

}  // namespace
