// AVIF files for the reader's tests and the fuzz corpus, put together box by box around AV1
// pictures that the codec's own encoder makes: alpha items, grids and sequences.
#pragma once

#include <cstdint>
#include <vector>

#include "core/packed_bitmap.h"
#include "tests/support/files.h"

// The AV1 data of a 24-bit picture, lossless (green, blue and red as they are: a grey picture's
// luma is its grey) or lossy at the quality.
Bytes Av1Picture(PackedBitmap picture, bool lossless, int quality = 90);

struct AvifItem {
    const char* type;                     // "av01" or "grid"
    Bytes data;                           // the AV1 data, or the grid's description
    std::uint32_t width = 0, height = 0;  // its 'ispe'; 0: none
    std::vector<std::uint32_t> tiles;     // a grid's items, by their numbers from 1
    bool alpha = false;                   // the alpha of item 1
    bool identity = false;                // coded as green, blue and red ('nclx' matrix 0)
};

// A file of the items, numbered from 1 in order, item 1 primary, each item's data an extent of
// the media box.
Bytes AvifFile(const std::vector<AvifItem>& items);

// A grid's description: its rows and columns and the picture's size, in 16-bit fields.
Bytes AvifGrid(int rows, int columns, std::uint32_t width, std::uint32_t height);

// A sequence ('avis', no items) of one picture track whose first sample is `sample`, coded as the
// AV1 data says.
Bytes AvifSequence(const Bytes& sample, std::uint32_t width, std::uint32_t height);
