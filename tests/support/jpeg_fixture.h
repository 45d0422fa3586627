// A test-only JPEG writer that turns coefficient blocks, or a picture through the encoder's
// transform, into a file of exactly the structure a test asks for: any sampling, interleaved or
// separate scans, progressive scripts with spectral selection and successive approximation,
// restart intervals, JFIF, Adobe and extra segments. Each scan carries fixed Huffman tables for
// every symbol, differing from slot to slot.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "tests/support/bitmap_builder.h"
#include "tests/support/files.h"

using QuantBlock = std::array<std::int16_t, 64>;    // quantised coefficients, natural order
using QuantValues = std::array<std::uint16_t, 64>;  // a quantisation table, zigzag order

struct FixtureComponent {
    int id = 1;
    int h = 1, v = 1;
    int quantTable = 0;
    int dcTable = 0, acTable = 0;  // Huffman slots its scans use
};

// The blocks of one component, row by row, covering whole MCUs of the frame.
struct CoefficientPlane {
    int blocksWide = 0, blocksHigh = 0;
    std::vector<QuantBlock> blocks;
    QuantBlock& At(int x, int y) { return blocks[static_cast<std::size_t>(y) * blocksWide + x]; }
    const QuantBlock& At(int x, int y) const { return blocks[static_cast<std::size_t>(y) * blocksWide + x]; }
};

struct FixtureScan {
    std::vector<int> components;  // frame component indices
    int ss = 0, se = 63, ah = 0, al = 0;
};

struct JpegFixture {
    int sofMarker = 0xC0;  // 0xC2 for a progressive file
    int width = 0, height = 0;
    std::vector<FixtureComponent> components;
    std::vector<QuantValues> quantTables;  // slot = position
    std::vector<CoefficientPlane> planes;  // one per component
    std::vector<FixtureScan> scans;        // empty: one scan of every component
    int restartInterval = 0;
    bool jfif = true;         // a JFIF segment without a resolution
    int adobeTransform = -1;  // -1: no Adobe segment
    Bytes extraSegments;      // written as they are after the APP segments
};

// Lays out empty planes (all zero) for the fixture's size and components.
void AllocatePlanes(JpegFixture& fixture);

Bytes WriteJpegFixture(const JpegFixture& fixture);

enum class FixtureColour { kYCbCr, kRgb, kGrey };

// A fixture of the picture: the colour model's components with the given factors (one pair per
// component), each downsampled by taking every n-th sample, transformed and quantised with the
// encoder's tables for `quality`.
JpegFixture FixtureFromPicture(int width, int height, const ColourAt& picture, FixtureColour colour,
                               const std::vector<std::array<int, 2>>& factors, int quality);

// A progressive script with successive approximation for a fixture of three (or one) components.
std::vector<FixtureScan> SuccessiveScript(int componentCount);

// A progressive colour JPEG of 8192 x 8192 pixels, as many as the readers take, in about 250
// bytes: a frame of that size whose one scan ends after the first block, so that the rest decodes
// from zero bits.
Bytes LargestProgressiveJpeg();
