#include "pipeline/candidate_measuring.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>

#include "codecs/avif/avif_writer.h"
#include "pipeline/quality_search.h"
#include "tests/support/bitmap_builder.h"
#include "tests/support/files.h"
#include "tests/support/synthetic_picture.h"

// Lossy lines are searched where the score can judge them, at most eight a format, and JPEG,
// whose lines are longer than WebP's here, only until its line cannot come below WebP's; AVIF only
// when asked for and a faithful line found is longer than any AVIF file; lossless lines give back
// every pixel (100), and a lossy line no shorter than one of them goes unscored.
TEST(MeasureCandidates, ScoresWhatMayBeChosenAndKeepsLosslessLinesExact) {
    TempFolder folder;
    const struct {
        const char* what;
        GlobalBlock picture;
        bool lossyScored, losslessWebp;
        int mostJpegTrials = kMostQualitiesSearched;
        bool avif = false;
    } cases[] = {
        {"photograph", MakeBitmap24(200, 150, NaturalPicture(200, 150)), true, false, 3},
        {"photograph, AVIF asked for", MakeBitmap24(200, 150, NaturalPicture(200, 150)), true, false, 3,
         true},
        {"checkerboard of two colours, AVIF asked for",
         MakeBitmap24(96, 96,
                      [](int x, int y) {
                          return (x / 12 + y / 12) % 2 ? Rgb{200, 30, 40} : Rgb{250, 250, 250};
                      }),
         false, true, kMostQualitiesSearched, true},
        {"too narrow for a score", MakeBitmap24(6, 40, NaturalPicture(6, 40)), false, true},
    };
    for (const auto& c : cases) {
        EncodingTrials trials(c.picture.get(), folder.path(), UriFrame());
        FaithfulGoal goal;
        goal.avif = c.avif;
        MeasureCandidates(trials, goal);
        ASSERT_EQ(trials.failure(), nullptr) << c.what;
        std::map<OutputFormat, int> lossy;
        std::size_t shortestLossless = SIZE_MAX;
        bool lossyScored = false, losslessWebp = false;
        for (const Trial& trial : trials.made()) {
            const bool isLossy = FormatOf(trial.encoding.format).hasQuality && !trial.encoding.lossless;
            if (!isLossy) {
                EXPECT_EQ(trial.score, 100.0) << c.what << " " << FormatWord(trial.encoding.format);
                shortestLossless = std::min(shortestLossless, trial.lineBytes);
                losslessWebp = losslessWebp || trial.encoding.format == OutputFormat::kWebp;
                continue;
            }
            ++lossy[trial.encoding.format];
            lossyScored = lossyScored || trial.score.has_value();
            if (trial.encoding.format == OutputFormat::kAvif) {
                std::vector<std::uint8_t> quick;
                ASSERT_EQ(EncodeAvif(c.picture.get(), AvifEncoding::Lossy(trial.encoding.quality), &quick,
                                     kQuickAvif),
                          kAvifWritten);
                EXPECT_EQ(trial.fileBytes, quick.size()) << c.what << ": AVIF searched at the quick speed";
            }
        }
        for (const Trial& trial : trials.made()) {
            if (!trial.score) {
                EXPECT_GE(trial.lineBytes, shortestLossless) << c.what << " unscored";
            }
        }
        for (const auto& [format, count] : lossy) EXPECT_LE(count, kMostQualitiesSearched) << c.what;
        EXPECT_LE(lossy[OutputFormat::kJpeg], c.mostJpegTrials) << c.what;
        EXPECT_EQ(lossy.count(OutputFormat::kAvif) == 1, c.avif && c.lossyScored) << c.what;
        EXPECT_EQ(lossyScored, c.lossyScored) << c.what;
        EXPECT_EQ(losslessWebp, c.losslessWebp) << c.what;
    }
}
