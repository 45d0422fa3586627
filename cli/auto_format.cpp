#include "cli/auto_format.h"

#include <algorithm>
#include <cstdio>
#include <new>

#include "core/fan_out.h"
#include "core/messages.h"
#include "pipeline/candidate_measuring.h"

namespace {

// The JPEG and WebP searches side by side, the one aside on a thread of its own where one starts.
void OnTwoThreads(const std::function<void()>& aside, const std::function<void()>& here) {
    FanOut(1, [&aside](unsigned) { aside(); }).Join(here);
}

// 18402 as "18,402".
std::string Grouped(std::size_t number) {
    std::string text = std::to_string(number);
    for (std::size_t at = text.size(); at > 3; at -= 3) text.insert(at - 3, 1, ',');
    return text;
}

std::string ScoreText(double score) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", score);
    return text;
}

// "webp q62, 18,402 bytes, ssimulacra2 81.2".
std::string Described(const Trial& trial) {
    const Encoding& encoding = trial.encoding;
    std::string text = FormatWord(encoding.format);
    if (encoding.lossless)
        text += " lossless";
    else if (FormatOf(encoding.format).hasQuality)
        text += " q" + std::to_string(encoding.quality);
    text += ", " + Grouped(trial.lineBytes) + " bytes";
    return trial.score ? text + ", ssimulacra2 " + ScoreText(*trial.score) : text;
}

// The message of the choice, or of the failure to find one, after the picture's name.
std::string Said(const EncodingTrials& trials, const TrialChoice& choice, const FaithfulGoal& goal) {
    const std::vector<Trial> made = trials.made();
    const std::string budget = goal.maxBytes ? std::to_string(*goal.maxBytes) : std::string();
    if (!choice.trial) {
        if (made.empty()) return kMsgConversionError;
        const Trial& shortest =
            *std::min_element(made.begin(), made.end(),
                              [](const Trial& a, const Trial& b) { return a.lineBytes < b.lineBytes; });
        return "no line fits --max-bytes " + budget + "; the shortest tried is " + Described(shortest);
    }
    std::string said = Described(*choice.trial);
    if (choice.faithful) return said;
    char minScore[32];
    std::snprintf(minScore, sizeof minScore, "%g", goal.minScore);
    const std::string floor = "ssimulacra2 " + std::string(minScore);
    return said + (goal.maxBytes ? ", the most faithful line that fits --max-bytes " + budget +
                                       " (no line of " + floor + " or more does)"
                                 : ", the most faithful line made (none reaches " + floor + ")");
}

}  // namespace

PictureResult AutoFormatLine(const CliOptions& options, const VariantPicture& variant,
                             const std::string& name, const std::string& workFolder, const UriFrame& frame) {
    PictureResult result;
    try {
        const PackedBitmap picture = variant.Picture();
        if (picture == nullptr) {
            result.messages.push_back(name + ": " + kMsgConversionError);
            return result;
        }
        const FaithfulGoal goal{options.minScore.value_or(kDefaultMinScore), options.maxBytes,
                                options.avifVariants};
        EncodingTrials trials(picture, workFolder, frame);
        MeasureCandidates(trials, goal, OnTwoThreads);
        if (const char* failure = trials.failure()) {
            result.messages.push_back(name + ": " + failure);
            return result;
        }
        const TrialChoice choice = ChooseTrial(trials.made(), goal);
        result.messages.push_back(name + ": " + Said(trials, choice, goal));
        if (!choice.trial) return result;
        const ConversionOutcome line = trials.Line(choice.trial->encoding, [&result](std::size_t length) {
            result.line.resize(length);
            return &result.line[0];
        });
        if (!line.succeeded) {
            result.line.clear();
            result.messages.back() = name + ": " + line.message;
            return result;
        }
        result.succeeded = true;
    } catch (const std::bad_alloc&) {
        result.line.clear();
        result.messages.assign({name + ": " + kMsgConversionError + " (out of memory)"});
        result.succeeded = false;
    }
    return result;
}
