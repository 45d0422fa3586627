#include "pipeline/encoding_trials.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "codecs/avif/avif_writer.h"
#include "core/base64.h"
#include "core/classic_file.h"
#include "core/messages.h"
#include "core/normalise.h"
#include "pipeline/picture_loader.h"

namespace {

// The bytes of a file; nothing when it cannot be opened or is empty.
std::optional<std::size_t> FileBytes(const char* path) {
    ClassicFile file = ClassicFile::OpenForReading(path);
    const LONG size = file.is_open() ? file.SeekToEnd() : -1;
    if (size <= 0) return std::nullopt;
    return static_cast<std::size_t>(size);
}

bool IsLossy(const Encoding& encoding) {
    return FormatOf(encoding.format).hasQuality && !encoding.lossless;
}

}  // namespace

EncodingTrials::EncodingTrials(PackedBitmap picture, std::string workFolder, UriFrame frame)
    : picture_(picture), workFolder_(std::move(workFolder)), frame_(std::move(frame)), judge_(picture) {}

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

void EncodingTrials::LeaveUnscoredFrom(std::size_t lineBytes) {
    std::lock_guard<std::mutex> hold(mutex_);
    unscoredFrom_ = lineBytes;
}

std::optional<Trial> EncodingTrials::Make(const Encoding& encoding, const std::string& path,
                                          const char** failure) const {
    const PictureFormat& format = FormatOf(encoding.format);
    if (const char* message = Write(encoding, path)) {
        *failure = message;
        return std::nullopt;
    }
    const std::optional<std::size_t> bytes = FileBytes(path.c_str());
    if (!bytes) {
        *failure = kMsgCannotReadFile;
        return std::nullopt;
    }
    Trial trial{encoding, *bytes, 0, std::nullopt};
    trial.lineBytes = frame_.before.size() + std::strlen("data:;base64,") + std::strlen(format.mimeType) +
                      Base64Length(*bytes) + frame_.after.size();
    trial.score = ScoreOf(encoding, path, trial.lineBytes, failure);
    if (*failure) return std::nullopt;
    return trial;
}

const char* EncodingTrials::Write(const Encoding& encoding, const std::string& path) const {
    // Lossy AVIF is searched at libaom's quicker speed: -f avif's would take most of the time.
    if (encoding.format == OutputFormat::kAvif && IsLossy(encoding))
        return AvifWriteMessage(
            WriteAvifFile(picture_, path.c_str(), AvifEncoding::Lossy(encoding.quality), kQuickAvif));
    if (encoding.format != OutputFormat::kWebp || !IsLossy(encoding))
        return FormatOf(encoding.format).write(picture_, path.c_str(), encoding.quality, encoding.lossless);
    std::call_once(webpPrepared_, [this] { webp_ = std::make_unique<LossyWebpSource>(picture_); });
    return WebpWriteMessage(webp_->Write(path.c_str(), encoding.quality));
}

std::optional<double> EncodingTrials::ScoreOf(const Encoding& encoding, const std::string& path,
                                              std::size_t lineBytes, const char** failure) const {
    if (IsLossy(encoding)) {
        std::lock_guard<std::mutex> hold(mutex_);
        if (unscoredFrom_ && lineBytes >= *unscoredFrom_) return std::nullopt;
    }
    PackedBitmap read = nullptr;
    const ReaderStatus status = FormatOf(encoding.format).read(path.c_str(), kDefaultBackColor, &read);
    if (status == kReaderOutOfMemory) throw std::bad_alloc();
    const GlobalBlock decoded(NormaliseTo24(read));
    if (status != kReaderOk) {
        *failure = kMsgCannotReadFile;
        return std::nullopt;
    }
    if (!decoded) throw std::bad_alloc();
    return judge_.Score(decoded.get());
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
