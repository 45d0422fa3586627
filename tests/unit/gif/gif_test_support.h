// Reading back GIF files and palette bitmaps in the GIF tests.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "tests/support/bitmap_builder.h"
#include "tests/support/files.h"

// A file as the writer lays it out: header, global table, one image, trailer.
struct GifFileParts {
    int width = 0, height = 0;
    int packed = 0;  // the screen descriptor's flags byte
    std::vector<Rgb> table;
    int imageFlags = 0;
    int minimumCodeSize = 0;
    std::vector<std::size_t> blockSizes;  // of the data sub-blocks, the zero-length one excluded
    Bytes data;                           // the sub-blocks joined
};

// Nothing when the bytes are not laid out that way or anything follows the trailer.
std::optional<GifFileParts> SplitGifFile(const Bytes& file);

// The codes of a data stream, read with the widths a decoder uses, up to the end code.
std::vector<int> ReadCodes(const Bytes& data, int minimumCodeSize);

// The colour index of a 1, 4 or 8-bit bitmap's pixel, row counted from the top.
int IndexOf(PackedBitmap bitmap, int x, int y);
Rgb TableColour(PackedBitmap bitmap, int index);

// Writes the bitmap with WriteGifFile and returns the status and the file.
struct WrittenGif {
    std::int32_t status;
    Bytes file;
};
WrittenGif WriteAndRead(PackedBitmap bitmap, const TempFolder& folder);
