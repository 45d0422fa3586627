// Reading back GIF files and palette bitmaps in the GIF tests.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "tests/support/bitmap_builder.h"
#include "tests/support/files.h"

// A file as the writer lays it out: header, global table, one image, trailer.
struct GifFileParts {
    int packed = 0;  // the screen descriptor's flags
    std::vector<Rgb> table;
    int imageFlags = 0, minimumCodeSize = 0;
    std::vector<std::size_t> blockSizes;  // the data sub-blocks but the zero-length one
    Bytes data;                           // the sub-blocks joined
};
// Nothing when the bytes are laid out otherwise.
std::optional<GifFileParts> SplitGifFile(const Bytes& file);

// The codes of a data stream, read with the widths a decoder uses, up to the end code.
std::vector<int> ReadCodes(const Bytes& data, int minimumCodeSize);

// WriteGifFile's status and the file it left.
struct WrittenGif {
    std::int32_t status;
    bool created;
    Bytes file;
};
WrittenGif WriteAndRead(PackedBitmap bitmap);

// ReadGifFile over the bytes, put in a file.
std::int32_t ReadGifBytes(const Bytes& file, PackedBitmap* result);

// A palette bitmap's pixel indices, top row first, and its colour table.
std::vector<int> IndicesOf(PackedBitmap bitmap);
std::vector<Rgb> TableOf(PackedBitmap bitmap);

// Distinct colours for palettes of up to 256 entries.
std::vector<Rgb> Colours(int count);
