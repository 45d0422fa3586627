// The blur of a plane that comes a row at a time, from the top: each row is blurred along as it
// comes and kept until the rows below it that the blur across reaches have come.
#pragma once

#include <vector>

class BlurRing {
  public:
    BlurRing() = default;
    BlurRing(int width, int height);

    // Takes row y, the next one, of `a`, or of the product of `a` and `b` when there is a `b`.
    void Add(int y, const float* a, const float* b);

    // Row y blurred both ways, zero outside the picture; the rows up to kBlurRadius below it,
    // or to the last, must have been added.
    void BlurredRow(int y, float* out) const;

  private:
    float* Row(int slot);
    const float* RowOrZeros(int y) const;

    int width_ = 0, height_ = 0;
    // kBlurRows rows blurred along, a row of zeros, and the row to blur along with kBlurRadius
    // zeros on either side.
    std::vector<float> memory_;
};
