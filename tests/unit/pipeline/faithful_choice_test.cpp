#include "pipeline/faithful_choice.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

TEST(LowestFaithfulQuality, FindsTheLowestPassingQualityAskingEachOnce) {
    const struct {
        const char* what;
        std::function<double(int)> ssim;
        int firstGuess;
        std::optional<int> lowest;
    } cases[] = {
        {"steep", [](int q) { return 1 - std::exp(-q / 12.0); }, 80, 43},
        {"gentle", [](int q) { return 1 - 0.5 * std::exp(-q / 40.0); }, 75, std::nullopt},
        {"wavering", [](int q) { return 0.9 + q * 0.001 - (q % 7 == 0 ? 0.004 : 0); }, 80, 71},
        {"every quality", [](int) { return 0.99; }, 80, 10},
    };
    for (const auto& c : cases) {
        std::set<int> asked;
        const std::optional<int> lowest = LowestFaithfulQuality(
            [&](int quality) -> std::optional<double> {
                EXPECT_TRUE(asked.insert(quality).second) << c.what << " asked twice about " << quality;
                return c.ssim(quality);
            },
            0.97, c.firstGuess);
        EXPECT_EQ(lowest, c.lowest) << c.what;
        if (lowest && *lowest > 10) {
            EXPECT_LT(c.ssim(*lowest - 1), 0.97) << c.what;
        }
        EXPECT_LE(asked.size(), 8u) << c.what;
    }
}

TEST(ChooseTrial, TakesTheShortestFaithfulLineThatFitsElseTheTruest) {
    const std::vector<Trial> trials = {{{OutputFormat::kJpeg, 60}, 0, 900, 0.975},
                                       {{OutputFormat::kWebp, 50}, 0, 700, 0.972},
                                       {{OutputFormat::kWebp, 20}, 0, 400, 0.93},
                                       {{OutputFormat::kJpeg, 10}, 0, 400, 0.91},
                                       {{OutputFormat::kPng}, 0, 5000, 1}};
    const struct {
        double minSsim;
        std::optional<std::uint64_t> maxBytes;
        std::size_t chosenLine;  // 0: none
        bool faithful;
    } cases[] = {
        {0.97, std::nullopt, 700, true},  {0.97, 800, 700, true}, {0.97, 600, 400, false},
        {0.99, std::nullopt, 5000, true}, {0.9, 400, 400, true},  {0.97, 300, 0, false},
    };
    for (const auto& c : cases) {
        const TrialChoice choice = ChooseTrial(trials, c.minSsim, c.maxBytes);
        EXPECT_EQ(choice.trial ? choice.trial->lineBytes : 0, c.chosenLine)
            << c.minSsim << " " << c.chosenLine;
        EXPECT_EQ(choice.faithful, c.faithful) << c.minSsim << " " << c.chosenLine;
    }
    EXPECT_EQ(ChooseTrial(trials, 0.9, 400).trial->encoding.format, OutputFormat::kWebp)
        << "the first of equals";
}
