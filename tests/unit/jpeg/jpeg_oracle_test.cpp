// The decoder beside the black-box oracle stb_image: fixtures of natural pictures in every
// sampling layout, and the real-world pictures of the shared corpus when it is there.
#include <gtest/gtest.h>

#include <cstdint>

#include "tests/support/corpus.h"
#include "tests/support/jpeg_fixture.h"
#include "tests/support/synthetic_picture.h"
#include "tests/unit/jpeg/jpeg_test_support.h"

namespace {

// Where the two decoders do the same, single values differ by a few steps of rounding. The
// layouts where stb interpolates and korvi repeats are checked against the upsampling model,
// the program's own encoder output with the encoder.
TEST(JpegOracle, AgreesWithStbImageOnNaturalPictures) {
    const int width = 203, height = 157;
    const struct {
        FixtureColour colour;
        Factors factors;
        bool progressive;
        int restartInterval;
        double mean;
        int largest;
    } cases[] = {
        {FixtureColour::kYCbCr, {{1, 1}, {1, 1}, {1, 1}}, false, 7, 0.05, 2},
        {FixtureColour::kYCbCr, {{2, 2}, {1, 1}, {1, 1}}, true, 5, 0.15, 3},
        {FixtureColour::kGrey, {{1, 1}}, false, 0, 0.05, 1},
    };
    for (const auto& c : cases) {
        JpegFixture f =
            FixtureFromPicture(width, height, NaturalPicture(width, height), c.colour, c.factors, 85);
        f.restartInterval = c.restartInterval;
        if (c.progressive) {
            f.sofMarker = 0xC2;
            f.scans = SuccessiveScript(int(f.components.size()));
        }
        const Bytes bytes = WriteJpegFixture(f);
        Decoded ours;
        ASSERT_EQ(DecodeWithKorvi(bytes, ours), 0);
        const Decoded theirs = DecodeWithStb(bytes);
        ASSERT_EQ(theirs.pixels.size(), ours.pixels.size());
        const Difference d = Compare(ours, theirs);
        EXPECT_LT(d.mean, c.mean) << c.restartInterval;
        EXPECT_LE(d.largest, c.largest) << c.restartInterval;
    }
}

// Under the sanitisers the large photographs would take minutes; the smaller files still run.
#ifdef KORVI_SANITIZED
constexpr std::size_t kLargestFile = 300000;
#else
constexpr std::size_t kLargestFile = SIZE_MAX;
#endif

TEST(JpegOracle, DecodesTheCorpusCloseToStbImageAndRefusesWhatItMust) {
    const std::vector<CorpusFile> files = CorpusFiles("jpeg");
    if (files.empty()) GTEST_SKIP() << "the shared corpus is not there";
    int decoded = 0, refused = 0;
    for (const CorpusFile& file : files) {
        SCOPED_TRACE(file.name);
        const auto says = [&](const char* text) { return file.description.find(text) != std::string::npos; };
        const Bytes bytes = ReadBytes(file.path);
        if (bytes.size() > kLargestFile) continue;
        Decoded ours;
        const int status = DecodeWithKorvi(bytes, ours);
        if (says("expected refusal")) {  // each number is in the refusal table
            EXPECT_LT(status, 0);
            ++refused;
            continue;
        }
        ASSERT_EQ(status, 0);
        ++decoded;
        const Decoded theirs = DecodeWithStb(bytes);
        if (theirs.pixels.empty()) continue;  // stb refuses cut and wrapped files
        ASSERT_EQ(theirs.width, ours.width);
        ASSERT_EQ(theirs.height, ours.height);
        // Box upsampling where stb interpolates: judged by the size alone.
        if (says("4:4:0") || says("mixed") || says("3x1") || says("1x3") || says("2x2,2x1,1x2")) continue;
        const Difference d = Compare(ours, theirs);
        EXPECT_LT(d.mean, 0.2);
        EXPECT_LE(d.largest, says("4:2:2") ? 24 : 4);  // 2 x 1 upsampling differs in the last two columns
    }
    EXPECT_GT(decoded, kLargestFile == SIZE_MAX ? 50 : 35);
    EXPECT_EQ(refused, 14);
}

}  // namespace
