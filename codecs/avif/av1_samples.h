// Decoded AV1 samples as 8-bit pixels: colour through the matrix coefficients and range the
// file states, with halved chroma filled in by a triangle filter; alpha from the luma samples.
#pragma once

#include <aom/aom_image.h>

#include <cstdint>
#include <functional>

#include "codecs/avif/avif_container.h"

// Where row `y` (from the top) of the output begins.
using RowAt = std::function<std::uint8_t*(int y)>;

// The coding that applies to the picture: the file's where it states one, else the AV1 data's.
AvifColourCoding CodingOf(const aom_image_t& picture, const AvifColourCoding& stated);

// The top-left width x height pixels as blue, green, red.
void ConvertToBgr(const aom_image_t& picture, const AvifColourCoding& coding, int width, int height,
                  const RowAt& rowAt);

// The top-left width x height luma samples as opacity, 0 to 255.
void ConvertToOpacity(const aom_image_t& picture, bool fullRange, int width, int height, const RowAt& rowAt);
