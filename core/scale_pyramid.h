// A picture at its scales: each the one before halved, fed to what takes each scale's rows.
#pragma once

#include <vector>

#include "core/packed_bitmap.h"

// What takes one scale's rows in linear light, from the top.
class ScaleRows {
  public:
    virtual ~ScaleRows() = default;
    virtual void AddRow(const float* red, const float* green, const float* blue) = 0;
    // After the last row.
    virtual void Finish() = 0;
};

// Feeds the 24-bit picture's rows to `scales[0]`, and each scale's rows, halved in pairs (the
// last row with itself when the height is odd), to the next.
void FeedScales(const BITMAPINFOHEADER* header, const std::vector<ScaleRows*>& scales);
