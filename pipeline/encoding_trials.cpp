#include "pipeline/encoding_trials.h"

#include <cstdio>
#include <cstring>

#include "core/base64.h"
#include "core/classic_file.h"
#include "core/messages.h"
#include "core/normalise.h"
#include "core/ssim.h"
#include "pipeline/picture_loader.h"

namespace {

// The encodings that give back every pixel, so that their SSIM is 1 without measuring it: those
// without a quality, or in a lossless form. GIF keeps the pixels only of a picture whose colours
// fit a palette.
bool KeepsEveryPixel(const Encoding& encoding, bool exactPalette) {
    if (encoding.lossless) return true;
    if (FormatOf(encoding.format).hasQuality) return false;
    return encoding.format != OutputFormat::kGif || exactPalette;
}

// The bytes of a file; nothing when it cannot be opened or is empty.
std::optional<std::size_t> FileBytes(const char* path) {
    ClassicFile file = ClassicFile::OpenForReading(path);
    const LONG size = file.is_open() ? file.SeekToEnd() : -1;
    if (size <= 0) return std::nullopt;
    return static_cast<std::size_t>(size);
}

}  // namespace

EncodingTrials::EncodingTrials(PackedBitmap picture, std::string workFolder, UriFrame frame,
                               bool exactPalette)
    : picture_(picture),
      workFolder_(std::move(workFolder)),
      frame_(std::move(frame)),
      exactPalette_(exactPalette) {}

EncodingTrials::~EncodingTrials() {
    for (const auto& tried : tried_) std::remove(PathOf(tried.first).c_str());
}

EncodingTrials::Key EncodingTrials::KeyOf(const Encoding& encoding) {
    return {encoding.format, encoding.lossless ? 0 : encoding.quality, encoding.lossless};
}

std::string EncodingTrials::PathOf(const Key& key) const {
    const auto [format, quality, lossless] = key;
    return workFolder_ + "trial-" + std::to_string(quality) + (lossless ? "-lossless." : ".") +
           FormatOf(format).extensions[0];
}

std::optional<Trial> EncodingTrials::Try(const Encoding& encoding) {
    const Key key = KeyOf(encoding);
    {
        std::lock_guard<std::mutex> hold(mutex_);
        const auto [entry, added] = tried_.emplace(key, std::nullopt);
        if (!added) return entry->second;
    }
    const char* failure = nullptr;
    std::optional<Trial> trial = Make(encoding, PathOf(key), &failure);
    std::lock_guard<std::mutex> hold(mutex_);
    if (failure) failure_ = failure;
    return tried_[key] = trial;
}

std::optional<Trial> EncodingTrials::Make(const Encoding& encoding, const std::string& path,
                                          const char** failure) const {
    const PictureFormat& format = FormatOf(encoding.format);
    if (const char* message = format.write(picture_, path.c_str(), encoding.quality, encoding.lossless)) {
        *failure = message;
        return std::nullopt;
    }
    const std::optional<std::size_t> bytes = FileBytes(path.c_str());
    if (!bytes) {
        *failure = kMsgCannotReadFile;
        return std::nullopt;
    }
    Trial trial{encoding, *bytes};
    trial.lineBytes = frame_.before.size() + std::strlen("data:;base64,") + std::strlen(format.mimeType) +
                      Base64Length(*bytes) + frame_.after.size();
    if (!KeepsEveryPixel(encoding, exactPalette_)) {
        PackedBitmap read = nullptr;
        format.read(path.c_str(), kDefaultBackColor, &read);
        const GlobalBlock decoded(NormaliseTo24(read));
        const std::optional<double> ssim = decoded ? MeanSsim(picture_, decoded.get()) : std::nullopt;
        if (!ssim) {
            *failure = kMsgConversionError;
            return std::nullopt;
        }
        trial.ssim = *ssim;
    }
    return trial;
}

std::vector<Trial> EncodingTrials::made() const {
    std::lock_guard<std::mutex> hold(mutex_);
    std::vector<Trial> made;
    for (const auto& tried : tried_)
        if (tried.second) made.push_back(*tried.second);
    return made;
}

const char* EncodingTrials::failure() const {
    std::lock_guard<std::mutex> hold(mutex_);
    return failure_;
}

ConversionOutcome EncodingTrials::Line(const Encoding& encoding, const TextBuffer& buffer) const {
    ConversionOutcome outcome;
    outcome.message = DataUriFailure(
        WriteDataUri(PathOf(KeyOf(encoding)).c_str(), FormatOf(encoding.format).mimeType, frame_, buffer));
    outcome.succeeded = outcome.message == nullptr;
    return outcome;
}
