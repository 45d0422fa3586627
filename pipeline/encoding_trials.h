// Encodings of one picture tried one after another, each into a work file of its own, so that
// the line of the one chosen is made from its file without encoding it again. Only the files and
// their lengths are kept, never the lines.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "codecs/webp/webp_writer.h"
#include "core/data_uri.h"
#include "pipeline/conversion.h"
#include "pipeline/faithful_choice.h"
#include "pipeline/faithfulness_judge.h"

class EncodingTrials {
  public:
    // Borrows the 24-bit picture (loaded, or read from a path by pipeline/picture_loader.h),
    // which the trials encode as it is, for lines in `frame`.
    EncodingTrials(PackedBitmap picture, std::string workFolder, UriFrame frame);
    EncodingTrials(const EncodingTrials&) = delete;
    EncodingTrials& operator=(const EncodingTrials&) = delete;
    // Removes every file the trials wrote.
    ~EncodingTrials();

    PackedBitmap picture() const { return picture_; }
    const FaithfulnessJudge& judge() const { return judge_; }

    // The trial of the encoding, made when first asked for: the picture written by the format's
    // writer, the length of its line, and its score against the picture as the format's reader
    // reads it back. Nothing when it cannot be made; failure() says why. Throws std::bad_alloc
    // when memory is short. Two threads may try encodings of different formats at once.
    std::optional<Trial> Try(const Encoding& encoding);

    // From now on lossy trials whose lines are `lineBytes` or longer are not scored: a lossless
    // line that long is there, and they could never be chosen over it.
    void LeaveUnscoredFrom(std::size_t lineBytes);

    // Every trial made, by format, then quality, lossless last: the same order however the
    // trials of two threads interleaved.
    std::vector<Trial> made() const;

    // The message of a trial that could not be made; null when none failed.
    const char* failure() const;

    // The line of a trial made, written into `buffer`, as ConvertPicture writes it.
    ConversionOutcome Line(const Encoding& encoding, const TextBuffer& buffer) const;

  private:
    using Key = std::tuple<OutputFormat, int, bool>;
    static Key KeyOf(const Encoding& encoding);
    std::string PathOf(const Key& key) const;
    // Writes the encoding to `path` and measures it; nothing, and `failure` says why, when it cannot.
    std::optional<Trial> Make(const Encoding& encoding, const std::string& path, const char** failure) const;
    std::optional<double> ScoreOf(const Encoding& encoding, const std::string& path, std::size_t lineBytes,
                                  const char** failure) const;
    // Writes the encoding to `path`: null when written, else the message.
    const char* Write(const Encoding& encoding, const std::string& path) const;

    PackedBitmap picture_;
    std::string workFolder_;
    UriFrame frame_;
    FaithfulnessJudge judge_;
    // Lossy WebP trials share the picture's conversion, made with the first of them.
    mutable std::once_flag webpPrepared_;
    mutable std::unique_ptr<LossyWebpSource> webp_;
    mutable std::mutex mutex_;                   // over the three below
    std::map<Key, std::optional<Trial>> tried_;  // also those that failed, whose files may be there
    const char* failure_ = nullptr;
    std::optional<std::size_t> unscoredFrom_;
};
