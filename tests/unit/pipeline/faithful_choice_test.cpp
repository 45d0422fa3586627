#include "pipeline/faithful_choice.h"

#include <gtest/gtest.h>

// A trial without a score (a lossy line no shorter than a lossless one) is never chosen.
TEST(ChooseTrial, TakesTheShortestFaithfulLineThatFitsElseTheTruest) {
    const std::vector<Trial> trials = {
        {{OutputFormat::kJpeg, 60}, 0, 900, 81}, {{OutputFormat::kJpeg, 90}, 0, 6000, std::nullopt},
        {{OutputFormat::kWebp, 50}, 0, 700, 79}, {{OutputFormat::kWebp, 20}, 0, 400, 60},
        {{OutputFormat::kJpeg, 10}, 0, 400, 40}, {{OutputFormat::kPng}, 0, 5000, 100}};
    const struct {
        double minScore;
        std::optional<std::uint64_t> maxBytes;
        std::size_t chosenLine;  // 0: none
        bool faithful;
    } cases[] = {
        {78, std::nullopt, 700, true},  {78, 800, 700, true}, {78, 600, 400, false},
        {90, std::nullopt, 5000, true}, {30, 400, 400, true}, {78, 300, 0, false},
    };
    for (const auto& c : cases) {
        const TrialChoice choice = ChooseTrial(trials, {c.minScore, c.maxBytes});
        EXPECT_EQ(choice.trial ? choice.trial->lineBytes : 0, c.chosenLine)
            << c.minScore << " " << c.chosenLine;
        EXPECT_EQ(choice.faithful, c.faithful) << c.minScore << " " << c.chosenLine;
    }
    EXPECT_EQ(ChooseTrial(trials, {30, 400}).trial->encoding.format, OutputFormat::kWebp)
        << "the first of equals";
}
