// SSIMULACRA 2.1: how alike a picture looks to people beside its original, 100 for identical
// pictures, about 90 where no difference shows at 1:1, 70 high quality, 50 medium, 30 low.
// Unlike luma SSIM it sees colour: it compares the pictures in the XYB space at six scales.
#pragma once

#include <memory>
#include <optional>

#include "core/packed_bitmap.h"

// The original, prepared once for scoring any number of candidates against it.
class PerceptualReference {
  public:
    // Borrows nothing: what scoring needs of the 24-bit original is kept inside, about 40 bytes
    // a pixel (its XYB planes, local means and variances at every scale).
    explicit PerceptualReference(PackedBitmap original);
    ~PerceptualReference();
    PerceptualReference(const PerceptualReference&) = delete;
    PerceptualReference& operator=(const PerceptualReference&) = delete;

    // Whether the original could be prepared: a 24-bit bitmap and memory enough.
    bool ready() const;

    // The score of a 24-bit candidate of the original's size; nothing when it is another size
    // or memory is short. Several threads may score against one reference at once; each score
    // works in about 200 rows of floats as wide as the picture, whatever its height.
    // A picture with a side below 8 pixels has no scale to compare at: an identical candidate
    // scores 100, any other gives nothing, as no score can say how alike they look.
    std::optional<double> Score(PackedBitmap candidate) const;

  private:
    struct Prepared;
    std::unique_ptr<Prepared> prepared_;
};
