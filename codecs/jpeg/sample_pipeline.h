// Collects converted image rows, downsamples them per component and gathers one iMCU row of
// samples (8 row groups of max v image rows each) for the block coder.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "codecs/jpeg/jpeg_layout.h"

namespace jpeg {

class SamplePipeline {
  public:
    // Chooses the downsampling of each component, allocates the buffers and resets the counters.
    void Start(const FrameLayout& layout);
    void Release();

    // Where the next image row of component `c` is to be converted (image-width samples).
    std::uint8_t* NextColourRow(int c) { return ColourRow(c, nextRow_); }

    // Takes the image row just converted. True when it completed an iMCU row, which must then be
    // coded before the next row comes.
    bool TakeRow();

    // The iMCU row of component `c`: v * 8 rows of widthInBlocks * 8 samples.
    const std::uint8_t* Samples(int c) const { return planes_[c].group.data(); }
    int Stride(int c) const { return planes_[c].groupWidth; }

  private:
    enum class Method { kFullSize, kTwoByTwo };
    struct Plane {
        Method method = Method::kFullSize;
        int colourWidth = 0, groupWidth = 0, v = 1;
        std::vector<std::uint8_t> colour;  // max v rows of colourWidth
        std::vector<std::uint8_t> group;   // v * 8 rows of groupWidth
    };

    std::uint8_t* ColourRow(int c, int row) {
        return planes_[c].colour.data() + row * planes_[c].colourWidth;
    }
    std::uint8_t* GroupRow(int c, int row) { return planes_[c].group.data() + row * planes_[c].groupWidth; }
    void Downsample();
    void PadRowGroups();

    std::array<Plane, kComponentCount> planes_;
    int imageWidth_ = 0, maxV_ = 1;
    int nextRow_ = 0;     // next row of the colour buffer
    int rowsToCome_ = 0;  // image rows not yet converted
    int rowGroup_ = 0;    // row groups held in the row-group buffer, 0 to 8
};

}  // namespace jpeg
