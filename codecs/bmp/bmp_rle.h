// Run-length coded BMP rows: RLE8, RLE4 and OS/2's RLE24.
#pragma once

#include <cstdint>

#include "codecs/bmp/bmp_layout.h"
#include "codecs/bmp/byte_stream.h"
#include "codecs/bmp/picture_rows.h"

// Decodes the codes into the rows, as browsers show them: a row that an end of line, a delta
// or the end of the bitmap leaves is black where no code gave a pixel; runs are cut at the
// row's end; a row the data ends in, and every row above it, stays as it was. `line` holds a
// row of the picture. Returns how many rows are complete.
int DecodeRle(ByteStream& in, const BmpLayout& layout, const PictureRows& rows, std::uint8_t* line);
