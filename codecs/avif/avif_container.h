// The boxes of an AVIF file: where its coded pictures are and how they make up the picture.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "codecs/avif/avif_status.h"

// How coded samples become RGB: the matrix coefficients and range of an 'nclx' colour box.
struct AvifColourCoding {
    bool stated = false;  // false: the AV1 data's own choice applies
    int matrix = 2;       // matrix_coefficients: 0 identity, 1 BT.709, 6 BT.601, 9 BT.2020, ...
    bool fullRange = true;
};

// The AV1 data of one coded picture, in the file's bytes or in a copy the layout holds.
struct AvifCoded {
    const std::uint8_t* data;
    std::size_t size;
};

// The colour or the alpha of the picture: one AV1 picture, or a grid of them covering the picture
// row by row and cut at its right and bottom edges.
struct AvifPlane {
    std::vector<AvifCoded> tiles;  // in grid order
    int columns = 1, rows = 1;
    std::uint32_t tileWidth = 0, tileHeight = 0;
    AvifColourCoding coding;
};

struct AvifLayout {
    std::uint32_t width = 0, height = 0;
    AvifPlane colour;
    std::optional<AvifPlane> alpha;
    std::vector<std::vector<std::uint8_t>> copies;  // items whose data lies in several pieces
};

// Whether the bytes begin with a file type box naming an AVIF brand; `count` bytes are there.
bool IsAvifStart(const std::uint8_t* bytes, std::size_t count);

// The layout of the picture the file shows: its primary item, or the first frame of its first
// picture track. Sizes are checked against the picture limits. The layout points into `data`.
AvifReadStatus ParseAvif(const std::uint8_t* data, std::size_t size, AvifLayout* layout);
