// Files the decoder refuses, each with its number, and hostile files that must end in a picture
// without reading outside a buffer.
#include <gtest/gtest.h>

#include <functional>

#include "tests/support/jpeg_scan_bomb.h"
#include "tests/unit/jpeg/jpeg_test_support.h"

namespace {

// A small 4:2:0 colour file with real tables and data.
JpegFixture Base() {
    return RandomFixture(24, 16, {{2, 2}, {1, 1}, {1, 1}}, 1);
}

Bytes Written(const std::function<void(JpegFixture&)>& change) {
    JpegFixture f = Base();
    change(f);
    return WriteJpegFixture(f);
}

Bytes Progressive(const std::vector<FixtureScan>& scans) {
    return Written([&](JpegFixture& f) {
        f.sofMarker = 0xC2;
        f.scans = scans;
    });
}

// A Huffman table segment for a DC (0) or AC (0x10) slot with the given counts and symbols.
Bytes Dht(int index, const std::vector<int>& counts, const std::vector<int>& symbols) {
    Bytes body{std::uint8_t(index)};
    for (int length = 1; length <= 16; ++length)
        body.push_back(std::uint8_t(length <= int(counts.size()) ? counts[std::size_t(length - 1)] : 0));
    for (int s : symbols) body.push_back(std::uint8_t(s));
    return Join({{0xFF, 0xC4, std::uint8_t((body.size() + 2) >> 8), std::uint8_t(body.size() + 2)}, body});
}

// The bytes with the values at `at` replaced.
Bytes Patched(Bytes bytes, std::size_t at, const Bytes& values) {
    std::copy(values.begin(), values.end(), bytes.begin() + long(at));
    return bytes;
}

// The file behind a MacBinary header with a name of that length and that file type.
Bytes MacBinary(std::uint8_t nameLength, const char* type) {
    Bytes header(128, 0);
    header[1] = nameLength;
    std::copy(type, type + 4, header.begin() + 65);
    return Join({header, WriteJpegFixture(Base())});
}

TEST(JpegRefusal, RefusalsEndInTheirNumberAndHostileFilesInAPicture) {
    const Bytes good = WriteJpegFixture(Base());
    const std::size_t dqt = Find(good, 0xDB), sof = Find(good, 0xC0), sos = Find(good, 0xDA);
    // Tables placed just before the scan replace the fixture's own.
    const auto tablesBeforeScan = [&](const Bytes& tables, const Bytes& data) {
        return Join({{good.begin(), good.begin() + long(sos)},
                     tables,
                     {good.begin() + long(sos), good.begin() + long(sos) + 14},
                     data});
    };
    Bytes ones(600, 0xFF);
    for (std::size_t i = 1; i < ones.size(); i += 2) ones[i] = 0;  // stuffed 0xFF bytes: all one bits
    Bytes mixed(600);
    for (std::size_t i = 0; i < mixed.size(); ++i)
        mixed[i] = std::uint8_t(i * 73 + 11) == 0xFF ? 0 : std::uint8_t(i * 73 + 11);
    const Bytes overflowing = Dht(0x00, {3, 5}, {0, 1, 2, 3, 4, 5, 6, 7}),
                overflowingAc = Dht(0x10, {3, 5}, {0x01, 0x11, 0xF0, 0, 0x3F, 0xF1, 7, 8});
    const Bytes oneCode =
        Join({Dht(0x00, {1}, {200}), Dht(0x10, {1}, {0xF5}), Dht(0x01, {1}, {200}), Dht(0x11, {1}, {0xF5})});
    const Bytes longCodes =
        Join({Dht(0x10, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 255}, std::vector<int>(255, 0xE3)),
              Dht(0x11, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}, {0})});
    const struct {
        const char* name;
        Bytes bytes;
        int status;
    } cases[] = {
        {"JPG0 marker", Insert(good, dqt, {0xFF, 0xF0, 0x00, 0x02}), -22},
        {"EOI before any scan", {0xFF, 0xD8, 0xFF, 0xD9}, -24},
        {"empty after SOI", {0xFF, 0xD8, 0x00, 0x00, 0x00}, -24},
        {"second SOI", Insert(good, dqt, {0xFF, 0xD8}), -27},
        {"second frame header",
         Insert(good, sos, Bytes(good.begin() + long(sof), good.begin() + long(sof) + 19)), -28},
        {"height 0", Patched(good, sof + 5, {0, 0}), -29},
        {"frame header one byte long", Patched(good, sof + 3, {18}), -30},
        {"scan header one byte short", Patched(good, sos + 3, {11}), -30},
        {"restart interval segment of 5 bytes", Insert(good, dqt, {0xFF, 0xDD, 0x00, 0x05, 0x00, 0x01, 0x00}),
         -30},
        {"scan before frame header",
         Insert(good, sof, {0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x3F, 0x00}), -31},
        {"scan of an absent component", Patched(good, sos + 5, {9}), -32},
        {"DAC table 32", Insert(good, dqt, {0xFF, 0xCC, 0x00, 0x04, 0x20, 0x00}), -33},
        {"DAC bounds reversed", Insert(good, dqt, {0xFF, 0xCC, 0x00, 0x04, 0x00, 0x0F}), -34},
        {"DHT of 257 symbols", Insert(good, dqt, Dht(0, {0, 0, 0, 0, 0, 0, 0, 255, 2}, {})), -35},
        {"DHT longer than its segment", Insert(good, dqt, Dht(0, {0, 3}, {})), -35},
        {"DHT slot 4", Insert(good, dqt, Dht(4, {1}, {0})), -36},
        {"DQT slot 4", Written([](JpegFixture& f) { f.quantTables.resize(5); }), -37},
        {"not a JPEG file", {'G', 'I', 'F', '8', '9', 'a'}, -38},
        {"MacBinary of type PICT", MacBinary(12, "PICT"), -38},
        {"MacBinary without a name", MacBinary(0, "JPEG"), -38},
        {"MacBinary name of 64 bytes", MacBinary(64, "JPEG"), -38},
        {"MacBinary name of 63 bytes: read", MacBinary(63, "JPEG"), 0},
        {"lossless frame", Patched(good, sof + 1, {0xC3}), -39},
        {"width 65501", Patched(good, sof + 7, {0xFF, 0xDD}), -40},
        {"12-bit samples", Patched(good, sof + 4, {12}), -41},
        {"11 components", Written([](JpegFixture& f) {
             f.components.resize(11, {9, 1, 1, 0, 0, 0});
             AllocatePlanes(f);
             f.scans = {{{0}, 0, 63, 0, 0}};
         }),
         -42},
        {"sampling factor 5", Patched(good, sof + 11, {0x51}), -43},
        {"12 blocks in an MCU", Patched(good, sof + 14, {0x22, 1, 3, 0x22}), -44},
        {"undefined quantisation table", Written([](JpegFixture& f) { f.components[2].quantTable = 2; }),
         -45},
        {"a second scan of a one-scan file", Written([](JpegFixture& f) {
             f.scans = {{{0, 1, 2}, 0, 63, 0, 0}, {{0, 1, 2}, 0, 63, 0, 0}};
         }),
         -46},
        {"EOI after the frame header", Bytes(good.begin(), good.begin() + long(Find(good, 0xC4))), -47},
        {"segment running past the end",
         Insert(Bytes(good.begin(), good.begin() + long(sos)), sos, {0xFF, 0xE1, 0xFF, 0xF0, 1, 2}), -47},
        {"two components", Written([](JpegFixture& f) {
             f.components.resize(2);
             f.planes.resize(2);
         }),
         -50},
        {"four components", Written([](JpegFixture& f) {
             f.components.push_back({4, 1, 1, 0, 0, 0});
             AllocatePlanes(f);
         }),
         -50},
        {"more pixels than a picture may have", Patched(good, sof + 5, {0x04, 0x4C, 0xFF, 0xDC}), -54},
        {"arithmetic sequential", Patched(good, sof + 1, {0xC9}), -67},
        {"3 x 1 against 2 x 1", Patched(good, sof + 11, {0x31, 0, 2, 0x21}), -70},
        {"scan without its Huffman table", Patched(good, sos + 8, {0x33}), -75},
        {"Al of 14", Progressive({{{0, 1, 2}, 0, 0, 0, 14}}), -76},
        {"AC scan of two components", Progressive({{{0, 1, 2}, 0, 0, 0, 0}, {{0, 1}, 1, 63, 0, 0}}), -76},
        // Hostile tables and scans that still end in a picture.
        {"tables whose codes overflow", tablesBeforeScan(Join({overflowing, overflowingAc}), mixed), 0},
        {"one code, DC category 200", tablesBeforeScan(oneCode, mixed), 0},
        {"codes past 16 bits", tablesBeforeScan(longCodes, ones), 0},
        {"runs past the last coefficient",
         tablesBeforeScan(Join({Dht(0x10, {2}, {0xF5, 0xE1}), Dht(0x11, {2}, {0xF5, 0xE1})}), ones), 0},
        {"a table without codes", tablesBeforeScan(Join({Dht(0x00, {}, {}), Dht(0x01, {}, {})}), mixed), 0},
        {"refinement before first scans",
         Progressive({{{0, 1, 2}, 0, 0, 1, 0}, {{1}, 1, 63, 1, 0}, {{0}, 1, 63, 0, 1}}), 0},
        {"one-bit refinements", WriteScanBomb(ScanBomb::kOneBitRefinements, 24, 16, 64), 0},
        {"refinement of 13 bits",
         Progressive({{{0, 1, 2}, 0, 0, 0, 13}, {{0}, 1, 63, 0, 13}, {{0}, 1, 63, 13, 12}}), 0},
    };
    for (const auto& c : cases) {
        Decoded decoded;
        EXPECT_EQ(DecodeWithKorvi(c.bytes, decoded), c.status) << c.name;
    }
}

TEST(JpegRefusal, ScanWorkIsBoundedByTheFrame) {
    // Up to 64 passes over the frame's blocks decode, and after one pass decoded from missing
    // data, further scans without data change nothing.
    Decoded two, many;
    EXPECT_EQ(DecodeWithKorvi(WriteScanBomb(ScanBomb::kScansWithoutData, 64, 64, 2), two), 0);
    EXPECT_EQ(DecodeWithKorvi(WriteScanBomb(ScanBomb::kScansWithoutData, 64, 64, 64), many), 0);
    EXPECT_EQ(many.pixels, two.pixels);
    EXPECT_EQ(DecodeWithKorvi(WriteScanBomb(ScanBomb::kScansWithoutData, 64, 64, 65), many), -77);
}

}  // namespace
