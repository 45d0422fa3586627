// The components of the frame and how they divide into blocks and MCUs.
#pragma once

#include <array>

namespace jpeg {

constexpr int kComponentCount = 3;
constexpr int kMaxBlocksPerMcu = 10;

struct JpegComponent {
    // Chosen by the defaults.
    int id = 0;
    int h = 1, v = 1;  // sampling factors
    int quantTable = 0, dcTable = 0, acTable = 0;
    // Derived by ComputeLayout.
    int widthInBlocks = 0, heightInBlocks = 0;
    int downsampledWidth = 0, downsampledHeight = 0;
    int mcuWidth = 0, mcuHeight = 0, mcuBlocks = 0, mcuSampleWidth = 0;
    int lastColumnWidth = 0, lastRowHeight = 0;
};

struct FrameLayout {
    std::array<JpegComponent, kComponentCount> components;
    int width = 0, height = 0;
    int maxH = 1, maxV = 1;
    int mcusPerRow = 0, imcuRows = 0, blocksPerMcu = 0;
    std::array<int, kMaxBlocksPerMcu> membership{};  // component of each block of an MCU
};

// Y, Cb, Cr with Y sampled 2 x 2 against the chrominance; table set 0 for Y, 1 for the others.
void SetDefaultComponents(FrameLayout& layout);

// Derives the geometry of every component and the MCU layout for the image size already set.
void ComputeLayout(FrameLayout& layout);

}  // namespace jpeg
