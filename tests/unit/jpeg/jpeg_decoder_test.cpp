// Decoding fixtures of known structure: exact samples, upsampling, colour models, progressive and
// multi-scan files against their sequential twins, restarts, truncation and wrapping.
#include <gtest/gtest.h>

#include <functional>

#include "codecs/jpeg/jpeg_reader.h"
#include "tests/unit/jpeg/jpeg_test_support.h"

namespace {

const Factors k420 = {{2, 2}, {1, 1}, {1, 1}}, k444 = {{1, 1}, {1, 1}, {1, 1}};

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
    } cases[] = {{8, 1, 129},   {-1024, 1, 0}, {1016, 1, 255}, {1024, 1, 255},
                 {-1032, 1, 0}, {5600, 1, 0},  {1000, 8, 104}, {-8180, 1, 130}};
    for (const auto& c : cases) {
        JpegFixture f = FlatFixture(8, 8, {{1, 1}}, [](int, int, int) { return 128; });
        f.quantTables[0].fill(std::uint16_t(c.quant));
        f.planes[0].At(0, 0)[0] = std::int16_t(c.coefficient);
        const std::uint8_t s = std::uint8_t(c.sample);
        EXPECT_EQ(Decode(WriteJpegFixture(f)).pixels, std::vector<Rgb>(64, Rgb{s, s, s})) << c.coefficient;
    }
}

// Component c upsampled to the picture the plain way, over whole planes, with neighbours clamped
// at the picture's edges: the triangle filter where the component is halved across (and maybe
// down) and more than 2 samples wide, repetition otherwise.
std::vector<int> Upsampled(const JpegFixture& f, int c) {
    int maxH = 1, maxV = 1;
    for (const FixtureComponent& other : f.components) {
        maxH = std::max(maxH, other.h);
        maxV = std::max(maxV, other.v);
    }
    const FixtureComponent& comp = f.components[c];
    const int w = (f.width * comp.h + maxH - 1) / maxH, h = (f.height * comp.v + maxV - 1) / maxV;
    const int across = maxH / comp.h, down = maxV / comp.v;
    // Its samples: its blocks decoded as a grey picture of its own size.
    JpegFixture grey = FlatFixture(w, h, {{1, 1}}, [](int, int, int) { return 128; });
    grey.quantTables = {f.quantTables[comp.quantTable]};
    grey.planes = {f.planes[c]};
    std::vector<int> samples;
    for (const Rgb p : Decode(WriteJpegFixture(grey)).pixels) samples.push_back(p.g);
    const auto s = [&](int x, int y) {
        return samples[std::size_t(std::clamp(y, 0, h - 1) * w + std::clamp(x, 0, w - 1))];
    };
    std::vector<int> out;
    for (int y = 0; y < f.height; ++y)
        for (int x = 0; x < f.width; ++x) {
            const int j = x / 2, other = x % 2 == 0 ? j - 1 : j + 1;
            if (across != 2 || down > 2 || w <= 2) {
                out.push_back(s(x / across, y / down));
            } else if (down == 1) {
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

TEST(JpegDecoder, UpsamplesEveryLayoutByItsMethodUpToThePictureEdges) {
    const Factors layouts[] = {k444,
                               k420,
                               {{2, 1}, {1, 1}, {1, 1}},
                               {{1, 2}, {1, 1}, {1, 1}},
                               {{4, 1}, {1, 1}, {1, 1}},
                               {{3, 1}, {1, 1}, {1, 1}},
                               {{2, 2}, {2, 1}, {1, 2}},
                               {{2, 2}}};
    // Odd sizes; chroma 2 samples wide; the last chroma row with a lower output row.
    const std::array<int, 2> sizes[] = {{1, 1}, {2, 65}, {3, 9}, {4, 21}, {17, 9}, {35, 37}, {64, 36}};
    for (const Factors& factors : layouts)
        for (const auto size : sizes) {
            SCOPED_TRACE(testing::Message() << factors.size() << " components, " << factors[0][0] << " x "
                                            << factors[0][1] << " first, " << size[0] << " x " << size[1]);
            JpegFixture f = RandomFixture(size[0], size[1], factors, unsigned(size[0] * size[1]));
            for (CoefficientPlane& plane : f.planes)  // mostly inside the range, where rounding shows
                for (QuantBlock& block : plane.blocks)
                    for (std::int16_t& coefficient : block) coefficient = std::int16_t(coefficient / 4);
            f.jfif = false;
            f.adobeTransform = 0;  // RGB-coded: each channel is one component
            const Decoded decoded = Decode(WriteJpegFixture(f));
            ASSERT_EQ(decoded.width, size[0]);
            ASSERT_EQ(decoded.height, size[1]);
            for (int c = 0; c < 3; ++c) {
                std::vector<int> channel;
                for (const Rgb p : decoded.pixels) channel.push_back(c == 0 ? p.r : c == 1 ? p.g : p.b);
                ASSERT_EQ(channel, Upsampled(f, std::min(c, int(factors.size()) - 1))) << "channel " << c;
            }
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
        JpegFixture f = FlatFixture(16, 8, k444, [](int comp, int, int) { return comp == 0 ? 60 : 128; });
        f.jfif = c.jfif;
        f.adobeTransform = c.adobeTransform;
        if (c.letterIds)
            for (int i = 0; i < 3; ++i) f.components[i].id = "RGB"[i];
        const Decoded decoded = Decode(WriteJpegFixture(f));
        ASSERT_FALSE(decoded.pixels.empty());
        EXPECT_EQ(decoded.pixels[0], c.rgb ? (Rgb{60, 128, 128}) : (Rgb{60, 60, 60})) << c.name;
    }
}

TEST(JpegFile, ReadsIntoAHeaderWithTheResolutionOnlyFromDotsPerCentimetreUnlessTooShort) {
    // The JFIF segment's unit and densities.
    const struct {
        Bytes density;
        LONG xPels, yPels;
    } cases[] = {{{2, 0, 40, 0, 20}, 4000, 2000}, {{1, 1, 44, 1, 44}, 0, 0}};
    TempFolder folder;
    for (const auto& c : cases) {
        // One grey pixel: three equal bytes and one of padding.
        Bytes bytes = WriteJpegFixture(FlatFixture(1, 1, {{1, 1}}, [](int, int, int) { return 77; }));
        std::copy(c.density.begin(), c.density.end(), bytes.begin() + 13);
        WriteBytes(folder.File("dot.jpg"), bytes);
        PackedBitmap picture = nullptr;
        ASSERT_EQ(ReadJpegFile(&picture, folder.File("dot.jpg").c_str()), 0);
        GlobalBlock owned(picture);
        ASSERT_EQ(GlobalSize(picture), 44u);
        BitmapLock header(picture);
        EXPECT_EQ(
            (std::array<LONG, 6>{header->biWidth, header->biHeight, header->biXPelsPerMeter,
                                 header->biYPelsPerMeter, header->biBitCount, LONG(header->biSizeImage)}),
            (std::array<LONG, 6>{1, 1, c.xPels, c.yPels, 24, 0}));
        const BYTE* row = PixelRows(header.data());
        EXPECT_EQ((Bytes{row[0], row[1], row[2], row[3]}), (Bytes{77, 77, 77, 0}));
    }
    // Four bytes, or no file, cannot be read.
    WriteBytes(folder.File("short.jpg"), {0xFF, 0xD8, 0xFF, 0xD9});
    PackedBitmap picture = nullptr;
    EXPECT_EQ(ReadJpegFile(&picture, folder.File("short.jpg").c_str()), -1);
    EXPECT_EQ(ReadJpegFile(&picture, folder.File("missing.jpg").c_str()), -1);
    EXPECT_EQ(picture, nullptr);
}

TEST(JpegDecoder, SeparateScansInAnyOrderDecodeLikeTheOneScanFileWithTheTablesOfTheirFirstScan) {
    // Slot 0, used by all, is redefined after component 1's first scan: components 2 and 3 keep
    // the new table, as in the twin with a table of its own for them.
    const std::vector<FixtureScan> bandsInAnyOrder = {
        {{0}, 0, 0, 0, 0},  {{2}, 0, 0, 0, 0},   {{1}, 0, 0, 0, 0}, {{2}, 9, 63, 0, 0},
        {{1}, 1, 63, 0, 0}, {{0}, 40, 63, 0, 0}, {{2}, 1, 8, 0, 0}, {{0}, 1, 39, 0, 0}};
    const struct {
        int marker;
        std::vector<FixtureScan> scans;
    } cases[] = {{0xC2, bandsInAnyOrder},
                 {0xC0, {{{0}, 0, 63, 0, 0}, {{2}, 0, 63, 0, 0}, {{1}, 0, 63, 0, 0}}}};
    QuantValues later;
    for (int k = 0; k < 64; ++k) later[std::size_t(k)] = std::uint16_t(2 + k % 5);
    JpegFixture twin = RandomFixture(61, 45, k420, 3);
    twin.quantTables[1] = later;
    const Decoded expected = Decode(WriteJpegFixture(twin));
    const Bytes dqt = Join({{0xFF, 0xDB, 0x00, 0x43, 0x00}, {later.begin(), later.end()}});
    for (const auto& c : cases) {
        JpegFixture f = RandomFixture(61, 45, k420, 3);
        for (FixtureComponent& component : f.components) component.quantTable = 0;
        f.sofMarker = c.marker;
        f.scans = c.scans;
        f.restartInterval = 2;
        const Bytes file = WriteJpegFixture(f);
        EXPECT_TRUE(Decode(Insert(file, Find(file, 0xDA, Find(file, 0xDA) + 2), dqt)).pixels ==
                    expected.pixels)
            << c.marker;
    }
}

TEST(JpegDecoder, ResynchronisesAtDamagedRestartMarkers) {
    // 4:4:4, 64 x 48: 48 MCUs of one block each, a restart every 4 MCUs.
    JpegFixture f = RandomFixture(64, 48, k444, 11);
    f.restartInterval = 4;
    const Bytes intact = WriteJpegFixture(f);
    const Decoded expected = Decode(intact);
    std::vector<std::size_t> markers;
    for (std::size_t i = 0; i + 1 < intact.size(); ++i)
        if (intact[i] == 0xFF && (intact[i + 1] & 0xF8) == 0xD0) markers.push_back(i);
    ASSERT_EQ(markers.size(), 11u);
    const struct {
        const char* name;
        std::function<void(Bytes&)> damage;
        std::array<int, 5> source;  // whose true content the first intervals show; -1 unchecked
    } cases[] = {
        {"RST1 missing",
         [&](Bytes& b) { b.erase(b.begin() + long(markers[1]), b.begin() + long(markers[1]) + 2); },
         {0, 1, -1, 3, 4}},
        {"RST1 replaced by RST5", [&](Bytes& b) { b[markers[1] + 1] = 0xD5; }, {0, 1, 2, 3, 4}},
        {"RST1 replaced by RST3, two ahead", [&](Bytes& b) { b[markers[1] + 1] = 0xD3; }, {0, 1, -1, -1, 2}},
        {"RST1 and RST2 swapped",
         [&](Bytes& b) { std::swap(b[markers[1] + 1], b[markers[2] + 1]); },
         {0, 1, -1, 2, 4}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes damaged = intact;
        c.damage(damaged);
        const Decoded decoded = Decode(damaged);
        ASSERT_EQ(decoded.pixels.size(), expected.pixels.size());
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x) {
                const int mcu = y / 8 * 8 + x / 8, interval = mcu / 4;
                const int source = interval < 5 ? c.source[std::size_t(interval)] : interval;
                const int shown = source * 4 + mcu % 4;  // the same place in the interval it shows
                if (source < 0) continue;
                ASSERT_EQ(decoded.At(x, y), expected.At(shown % 8 * 8 + x % 8, shown / 8 * 8 + y % 8))
                    << x << ", " << y;
            }
    }
}

TEST(JpegDecoder, CutFilesGiveTheWholePictureWithTheirDecodedPart) {
    for (int marker : {0xC0, 0xC2}) {
        JpegFixture f = RandomFixture(61, 16, k420, 5);
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
            ASSERT_EQ(decoded.pixels.size(), 61u * 16u);
        }
        // A sequential file cut late keeps its first MCU.
        Decoded late;
        ASSERT_EQ(DecodeWithKorvi(Bytes(whole.begin(), whole.end() - long(whole.size() / 5)), late), 0);
        for (int y = 0; marker == 0xC0 && y < 16; ++y)
            for (int x = 0; x < 14; ++x) ASSERT_EQ(late.At(x, y), full.At(x, y));
    }
}

}  // namespace
