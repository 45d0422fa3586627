// The decoder beside the black-box oracle stb_image: fixtures of natural pictures in every
// sampling layout, and the real-world pictures of the shared corpus when it is there.
#include <gtest/gtest.h>

#include <cstdint>

#include "codecs/jpeg/jpeg_writer.h"
#include "tests/support/corpus.h"
#include "tests/support/jpeg_fixture.h"
#include "tests/support/synthetic_picture.h"
#include "tests/unit/jpeg/jpeg_test_support.h"

namespace {

// Where the two decoders do the same, single values differ by a few steps of rounding; stb
// rounds the last two columns of 2 x 1 upsampling its own way. The other layouts, where stb
// interpolates and korvi repeats, are checked against the upsampling model.
TEST(JpegOracle, AgreesWithStbImageOnNaturalPictures) {
    const int width = 203, height = 157;
    const ColourAt picture = NaturalPicture(width, height);
    const struct {
        const char* name;
        FixtureColour colour;
        Factors factors;
        bool progressive;
        int restartInterval;
        double mean;
        int largest;
    } cases[] = {
        {"4:4:4", FixtureColour::kYCbCr, {{1, 1}, {1, 1}, {1, 1}}, false, 0, 0.05, 2},
        {"4:2:2", FixtureColour::kYCbCr, {{2, 1}, {1, 1}, {1, 1}}, false, 0, 0.1, 14},
        {"4:2:0", FixtureColour::kYCbCr, {{2, 2}, {1, 1}, {1, 1}}, false, 7, 0.15, 3},
        {"4:2:0 progressive with restarts",
         FixtureColour::kYCbCr,
         {{2, 2}, {1, 1}, {1, 1}},
         true,
         5,
         0.15,
         3},
        {"grey", FixtureColour::kGrey, {{1, 1}}, false, 0, 0.05, 1},
        {"RGB", FixtureColour::kRgb, {{1, 1}, {1, 1}, {1, 1}}, false, 0, 0.05, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        JpegFixture f = FixtureFromPicture(width, height, picture, c.colour, c.factors, 85);
        f.restartInterval = c.restartInterval;
        if (c.colour == FixtureColour::kRgb) f.adobeTransform = 0;
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
        EXPECT_LT(d.mean, c.mean);
        EXPECT_LE(d.largest, c.largest);
    }
    // And the program's own encoder's output, with 8- and 16-bit tables.
    GlobalBlock bitmap = MakeBitmap24(width, height, picture);
    for (int quality : {80, 10}) {
        const Bytes encoded = EncodeJpeg(bitmap.get(), quality).bytes;
        Decoded ours;
        ASSERT_EQ(DecodeWithKorvi(encoded, ours), 0);
        const Difference d = Compare(ours, DecodeWithStb(encoded));
        EXPECT_LT(d.mean, 0.15) << quality;
        EXPECT_LE(d.largest, 3) << quality;
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
        const std::string& name = file.name;
        const std::string& description = file.description;
        SCOPED_TRACE(name);
        const Bytes bytes = ReadBytes(file.path);
        if (bytes.size() > kLargestFile) continue;
        Decoded ours;
        const int status = DecodeWithKorvi(bytes, ours);
        if (description.find("expected refusal") !=
            std::string::npos) {  // each number is in the refusal table
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
        const bool box = description.find("4:4:0") != std::string::npos ||
                         description.find("mixed") != std::string::npos ||
                         description.find("3x1") != std::string::npos ||
                         description.find("1x3") != std::string::npos ||
                         description.find("2x2,2x1,1x2") != std::string::npos;
        if (box) continue;
        const Difference d = Compare(ours, theirs);
        EXPECT_LT(d.mean, 0.2);
        // 2 x 1 upsampling differs in the last two columns.
        EXPECT_LE(d.largest, description.find("4:2:2") != std::string::npos ? 24 : 4);
    }
    EXPECT_GT(decoded, kLargestFile == SIZE_MAX ? 50 : 35);
    EXPECT_EQ(refused, 14);
}

}  // namespace
