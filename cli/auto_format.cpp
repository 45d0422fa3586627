#include "cli/auto_format.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <functional>
#include <system_error>
#include <thread>

#include "cli/quality_budget.h"
#include "codecs/gif/palette_reduction.h"
#include "codecs/webp/webp_writer.h"
#include "core/messages.h"
#include "pipeline/encoding_trials.h"

namespace {

// Where each quality search starts: about where the corpus photographs become faithful.
constexpr Encoding kWebpSearch{OutputFormat::kWebp, 75}, kJpegSearch{OutputFormat::kJpeg, 80};
constexpr Encoding kLossySearches[] = {kWebpSearch, kJpegSearch};

// Tries the qualities of the search's format down to the lowest faithful one.
void SearchLowestFaithful(EncodingTrials& trials, const Encoding& search, double minSsim) {
    LowestFaithfulQuality(
        [&](int quality) -> std::optional<double> {
            const std::optional<Trial> trial = trials.Try({search.format, quality});
            return trial ? std::optional<double>(trial->ssim) : std::nullopt;
        },
        minSsim, search.quality);
}

// Runs `aside` on another thread while `here` runs on this one; both here when no thread starts.
// What `aside` throws is thrown here once both are done.
void InParallel(const std::function<void()>& aside, const std::function<void()>& here) {
    std::exception_ptr thrown;
    std::thread thread;
    try {
        thread = std::thread([&] {
            try {
                aside();
            } catch (...) {
                thrown = std::current_exception();
            }
        });
    } catch (const std::system_error&) {
        aside();
    }
    here();
    if (thread.joinable()) thread.join();
    if (thrown) std::rethrow_exception(thrown);
}

// Lossless lines are tried only where they may be the shortest. Over the shared corpus at 430
// wide and the icons and screenshots, no picture of 64 x 64 pixels or more came to less than
// 0.41 of the bytes of libwebp's fastest lossless encoding, as PNG or lossless WebP, when it
// had more than 256 colours (a screenshot; photographs 0.8 to 0.9), nor to less than 0.37 of
// its PNG file as lossless WebP when its colours fitted a palette. So a faithful lossy file
// below 0.3 of those bytes is shorter than any lossless one, and the lossless encoders, which
// take 5 to 10 times as long as a lossy one on a photograph, are left out.
constexpr double kLosslessFloor = 0.3;
constexpr int kSmallPicture = 64 * 64;  // pixels; smaller pictures try every lossless encoding

std::optional<std::size_t> FastLosslessWebpBytes(PackedBitmap picture) {
    WebpTuning fastest = kSmallWebp;
    fastest.losslessMethod = 0;
    fastest.losslessEffort = 0;
    WebpBytes bytes;
    if (EncodeWebp(picture, WebpEncoding::Lossless(), &bytes, fastest) != kWebpWritten) return std::nullopt;
    return bytes.size;
}

// The bytes of the shortest faithful lossy file tried.
std::optional<std::size_t> ShortestFaithfulFile(const std::vector<Trial>& trials, double minSsim) {
    std::optional<std::size_t> shortest;
    for (const Trial& trial : trials)
        if (trial.ssim >= minSsim && (!shortest || trial.fileBytes < *shortest)) shortest = trial.fileBytes;
    return shortest;
}

// 18402 as "18,402".
std::string Grouped(std::size_t number) {
    std::string text = std::to_string(number);
    for (std::size_t at = text.size(); at > 3; at -= 3) text.insert(at - 3, 1, ',');
    return text;
}

// "webp q62, 18,402 bytes, ssim 0.9912".
std::string Described(const Trial& trial) {
    const Encoding& encoding = trial.encoding;
    std::string text = FormatWord(encoding.format);
    if (encoding.lossless)
        text += " lossless";
    else if (FormatOf(encoding.format).hasQuality)
        text += " q" + std::to_string(encoding.quality);
    char ssim[32];
    std::snprintf(ssim, sizeof ssim, "%.4f", trial.ssim);
    return text + ", " + Grouped(trial.lineBytes) + " bytes, ssim " + ssim;
}

}  // namespace

PictureResult AutoFormatLine(const CliOptions& options, const VariantPicture& variant,
                             const std::string& name, const std::string& workFolder, const UriFrame& frame) {
    PictureResult result;
    const PackedBitmap picture = variant.Picture();
    if (picture == nullptr) {
        result.messages.push_back(name + ": " + kMsgConversionError);
        return result;
    }
    const double minSsim = options.minSsim.value_or(kDefaultMinSsim);
    const GlobalBlock palette(ReduceToExactPalette(picture));
    EncodingTrials trials(picture, workFolder, frame, bool(palette));
    const bool small = variant.width() * variant.height() < kSmallPicture;
    // WebP, whose encodings take the longest, is searched on a thread of its own meanwhile JPEG
    // and what the lossless formats are measured by. Neither depends on the other, so the
    // choice is the same whichever finishes first.
    std::optional<std::size_t> losslessEstimate;
    InParallel([&] { SearchLowestFaithful(trials, kWebpSearch, minSsim); },
               [&] {
                   SearchLowestFaithful(trials, kJpegSearch, minSsim);
                   if (palette) {
                       trials.Try({OutputFormat::kGif});
                       const std::optional<Trial> png = trials.Try({OutputFormat::kPng});
                       if (png) losslessEstimate = png->fileBytes;
                   } else if (!small) {
                       losslessEstimate = FastLosslessWebpBytes(picture);
                   }
               });
    // Whether a lossless encoding, which comes to no less than kLosslessFloor of the estimate,
    // may be shorter than the shortest faithful lossy file.
    const std::optional<std::size_t> lossy = ShortestFaithfulFile(trials.made(), minSsim);
    if (!lossy || small || !losslessEstimate ||
        double(*lossy) >= kLosslessFloor * double(*losslessEstimate)) {
        trials.Try({OutputFormat::kPng});
        trials.Try({OutputFormat::kWebp, 0, true});
    }

    TrialChoice choice = ChooseTrial(trials.made(), minSsim, options.maxBytes);
    if (options.maxBytes && !choice.faithful) {
        // No faithful line fits: the highest quality of each lossy format that fits, as -q auto finds it.
        for (const Encoding& search : kLossySearches) {
            HighestFittingQuality(search.format, [&](int quality) {
                const std::optional<Trial> trial = trials.Try({search.format, quality});
                return trial && trial->lineBytes <= *options.maxBytes;
            });
        }
        choice = ChooseTrial(trials.made(), minSsim, options.maxBytes);
    }

    const std::vector<Trial> made = trials.made();
    if (made.empty()) {
        result.messages.push_back(name + ": " + (trials.failure() ? trials.failure() : kMsgConversionError));
        return result;
    }
    const std::string budget = options.maxBytes ? std::to_string(*options.maxBytes) : std::string();
    if (!choice.trial) {
        const Trial& shortest =
            *std::min_element(made.begin(), made.end(),
                              [](const Trial& a, const Trial& b) { return a.lineBytes < b.lineBytes; });
        result.messages.push_back(name + ": no line fits --max-bytes " + budget + "; the shortest tried is " +
                                  Described(shortest));
        return result;
    }
    const ConversionOutcome line = trials.Line(choice.trial->encoding, [&result](std::size_t length) {
        result.line.resize(length);
        return &result.line[0];
    });
    if (!line.succeeded) {
        result.line.clear();
        result.messages.push_back(name + ": " + line.message);
        return result;
    }
    std::string said = name + ": " + Described(*choice.trial);
    if (!choice.faithful) {
        char ssim[32];
        std::snprintf(ssim, sizeof ssim, "%g", minSsim);
        said += options.maxBytes
                    ? ", the most faithful line that fits --max-bytes " + budget + " (no line of ssim " +
                          ssim + " or more does)"
                    : ", the most faithful line made (none reaches ssim " + std::string(ssim) + ")";
    }
    result.messages.push_back(said);
    result.succeeded = true;
    return result;
}
