#include "cli/auto_format.h"

#include <algorithm>
#include <cstdio>

#include "cli/quality_budget.h"
#include "codecs/gif/palette_reduction.h"
#include "codecs/webp/webp_writer.h"
#include "core/messages.h"
#include "pipeline/encoding_trials.h"

namespace {

// Where each quality search starts: about where the corpus photographs become faithful.
constexpr Encoding kLossySearches[] = {{OutputFormat::kJpeg, 80}, {OutputFormat::kWebp, 75}};

// Over the shared corpus, no picture of more than 256 colours came to less than a quarter of
// the bytes of libwebp's fastest lossless encoding of it, neither as PNG nor as lossless WebP
// (0.25 at the least, for a 32 x 32 gradient; 0.8 to 0.9 for photographs). A faithful lossy
// file below a fifth of those bytes is therefore shorter than any lossless one could be, and
// the lossless encoders, which take 5 to 10 times as long as a lossy one on a photograph, are
// not run at all.
constexpr double kLosslessFloor = 0.2;

std::optional<std::size_t> FastLosslessWebpBytes(PackedBitmap picture) {
    WebpTuning fastest = kSmallWebp;
    fastest.losslessMethod = 0;
    fastest.losslessEffort = 0;
    WebpBytes bytes;
    if (EncodeWebp(picture, WebpEncoding::Lossless(), &bytes, fastest) != kWebpWritten) return std::nullopt;
    return bytes.size;
}

// Whether the lossless encodings are worth trying beside the faithful lossy ones made so far.
bool LosslessMayWin(PackedBitmap picture, const std::vector<Trial>& lossy, double minSsim) {
    std::optional<std::size_t> shortest;
    for (const Trial& trial : lossy)
        if (trial.ssim >= minSsim && (!shortest || trial.fileBytes < *shortest)) shortest = trial.fileBytes;
    if (!shortest) return true;
    const std::optional<std::size_t> fast = FastLosslessWebpBytes(picture);
    return !fast || double(*shortest) >= kLosslessFloor * double(*fast);
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
    if (encoding.lossless) text += " lossless";
    if (encoding.format == OutputFormat::kJpeg ||
        (encoding.format == OutputFormat::kWebp && !encoding.lossless))
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
    EncodingTrials trials(picture, workFolder, frame);
    for (const Encoding& search : kLossySearches) {
        LowestFaithfulQuality(
            [&](int quality) -> std::optional<double> {
                const std::optional<Trial> trial = trials.Try({search.format, quality});
                return trial ? std::optional<double>(trial->ssim) : std::nullopt;
            },
            minSsim, search.quality);
    }
    const GlobalBlock palette(ReduceToExactPalette(picture));
    if (palette) trials.Try({OutputFormat::kGif});
    if (palette || LosslessMayWin(picture, trials.made(), minSsim)) {
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

    if (trials.made().empty()) {
        result.messages.push_back(name + ": " + (trials.failure() ? trials.failure() : kMsgConversionError));
        return result;
    }
    const std::string budget = options.maxBytes ? std::to_string(*options.maxBytes) : std::string();
    if (!choice.trial) {
        const Trial& shortest =
            *std::min_element(trials.made().begin(), trials.made().end(),
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
