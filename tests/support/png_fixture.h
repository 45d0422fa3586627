// PNG files written with libpng for the reader's tests, benchmarks and the fuzz corpus.
#pragma once

#include <cstdint>
#include <vector>

#include "tests/support/bitmap_builder.h"
#include "tests/support/files.h"

struct PngFixture {
    int width = 1, height = 1;
    int colourType = 0;  // 0 grey, 2 RGB, 3 palette, 4 grey and alpha, 6 RGB and alpha
    int depth = 8;
    bool interlaced = false;
    // Every sample of every pixel, top row first, in the file's own scale (indices for palettes).
    std::vector<std::uint16_t> samples;
    std::vector<Rgb> palette;
    std::vector<std::uint8_t> paletteAlpha;    // tRNS of a palette file when not empty
    std::vector<std::uint16_t> transparent;    // tRNS of a grey (1 value) or RGB (3) file
    std::vector<std::uint16_t> background;     // bKGD: an index, a grey level or red, green, blue
    double gamma = 0;                          // gAMA when above 0
    std::vector<std::string> compressedTexts;  // zTXt chunks before the image data
};

// The samples of one pixel of that colour type.
int PngChannels(int colourType);

// The file, or an empty text when libpng refuses the fixture.
Bytes BuildPng(const PngFixture& fixture);
