// How alike an encoding of a picture looks to the picture, by SSIMULACRA2 (core/ssimulacra2.h).
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "core/packed_bitmap.h"
#include "core/ssimulacra2.h"

class FaithfulnessJudge {
  public:
    // Borrows the 24-bit picture for its lifetime. A picture prepared for scoring takes about 40
    // bytes a pixel, so one of more than kWholePixels is scored in tiles of at most kTileSide
    // pixels a side, each tile against the same tile of the candidate, and its score is that of
    // its worst tile: no part of the candidate may look less like the picture than the score says.
    explicit FaithfulnessJudge(PackedBitmap picture);
    ~FaithfulnessJudge();
    FaithfulnessJudge(const FaithfulnessJudge&) = delete;
    FaithfulnessJudge& operator=(const FaithfulnessJudge&) = delete;

    static constexpr int kWholePixels = 1024 * 1024;
    static constexpr int kTileSide = 512;

    // Whether the picture has a score at all: SSIMULACRA2 needs both sides of 8 pixels or more.
    bool judges() const { return judges_; }

    // The score of a 24-bit candidate of the picture's size, 100 for an identical one. Throws
    // std::bad_alloc when memory is short; nothing when the picture has no score and the
    // candidate differs.
    std::optional<double> Score(PackedBitmap candidate) const;

  private:
    PackedBitmap picture_;
    int width_ = 0, height_ = 0;
    bool judges_ = false;
    // The picture prepared once where it is scored whole.
    std::unique_ptr<PerceptualReference> whole_;
};

// Whether two 24-bit bitmaps hold the same pixels.
bool SamePixels(PackedBitmap a, PackedBitmap b);
