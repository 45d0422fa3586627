#include "pipeline/faithful_choice.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "pipeline/output_settings.h"

namespace {

// log(1 - SSIM), which falls nearly linearly with the quality where faithfulness is decided.
double Shortfall(double ssim) {
    return std::log(std::max(1e-6, 1 - ssim));
}

// The fall of Shortfall per quality step around SSIM 0.97 on the corpus photographs, and the
// furthest a guess from one side goes.
constexpr double kTypicalSlope = -0.07;
constexpr double kLongestStep = 15;

}  // namespace

std::optional<int> LowestFaithfulQuality(const std::function<std::optional<double>(int quality)>& ssimAt,
                                         double minSsim, int firstGuess) {
    const double target = Shortfall(minSsim);
    std::map<int, double> shortfall;
    // The nearest qualities known to fall short and to reach minSsim; beyond the range at first.
    int failing = kMinJpegQuality - 1, passing = kMaxJpegQuality + 1;
    int quality = std::clamp(firstGuess, kMinJpegQuality, kMaxJpegQuality), previous = 0;
    int width = passing - failing, stalled = 0;
    for (;;) {
        const std::optional<double> ssim = ssimAt(quality);
        if (!ssim) return std::nullopt;
        shortfall[quality] = Shortfall(*ssim);
        (*ssim >= minSsim ? passing : failing) = quality;
        if (passing - failing <= 1) break;
        // While one side is still beyond the range, the range does not tell how well guesses do.
        const bool bothSides = failing >= kMinJpegQuality && passing <= kMaxJpegQuality;
        stalled = bothSides && 2 * (passing - failing) > width ? stalled + 1 : 0;
        width = passing - failing;

        double guess;
        if (stalled >= 2) {
            guess = (failing + passing) / 2.0;
            stalled = 0;
        } else if (bothSides && shortfall[passing] < shortfall[failing]) {
            guess = failing + (shortfall[failing] - target) * (passing - failing) /
                                  (shortfall[failing] - shortfall[passing]);
        } else {
            double slope = kTypicalSlope;
            if (previous != 0) {
                const double measured = (shortfall[quality] - shortfall[previous]) / (quality - previous);
                if (measured < 0) slope = measured;
            }
            const double step = (target - shortfall[quality]) / slope;
            guess = quality + std::clamp(step, -kLongestStep, kLongestStep);
        }
        previous = quality;
        quality = static_cast<int>(std::lround(std::clamp(guess, failing + 1.0, passing - 1.0)));
    }
    if (passing > kMaxJpegQuality) return std::nullopt;
    return passing;
}

TrialChoice ChooseTrial(const std::vector<Trial>& trials, double minSsim,
                        std::optional<std::uint64_t> maxBytes) {
    const Trial *shortest = nullptr, *truest = nullptr;
    for (const Trial& trial : trials) {
        if (maxBytes && trial.lineBytes > *maxBytes) continue;
        if (trial.ssim >= minSsim && (shortest == nullptr || trial.lineBytes < shortest->lineBytes))
            shortest = &trial;
        if (truest == nullptr || trial.ssim > truest->ssim ||
            (trial.ssim == truest->ssim && trial.lineBytes < truest->lineBytes))
            truest = &trial;
    }
    if (shortest != nullptr) return {*shortest, true};
    if (truest != nullptr) return {*truest, false};
    return {};
}
