// Encodings of one picture tried one after another, each into a work file of its own, so that
// the line of the one chosen is made from its file without encoding it again.
#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "core/data_uri.h"
#include "pipeline/conversion.h"
#include "pipeline/faithful_choice.h"

class EncodingTrials {
  public:
    // Borrows the picture (24-bit), which the trials encode as it is. `exactPalette`: its colours
    // fit a palette, so that GIF keeps every pixel and needs no measuring.
    EncodingTrials(PackedBitmap picture, std::string workFolder, UriFrame frame, bool exactPalette = false);
    EncodingTrials(const EncodingTrials&) = delete;
    EncodingTrials& operator=(const EncodingTrials&) = delete;
    // Removes every file the trials wrote.
    ~EncodingTrials();

    // The trial of the encoding, made when first asked for: the picture written by the format's
    // writer, the length of its line, and for a lossy encoding its SSIM against the picture
    // after the format's reader read it back. Nothing when it cannot be made; failure() says why.
    // Two threads may try encodings of different formats at once.
    std::optional<Trial> Try(const Encoding& encoding);

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

    PackedBitmap picture_;
    std::string workFolder_;
    UriFrame frame_;
    bool exactPalette_;
    mutable std::mutex mutex_;                   // over the two below
    std::map<Key, std::optional<Trial>> tried_;  // also those that failed, whose files may be there
    const char* failure_ = nullptr;
};
