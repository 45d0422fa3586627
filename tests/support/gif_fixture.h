// Hand-built GIF files for the reader's tests and the fuzz corpus.
#pragma once

#include <vector>

#include "tests/support/bitmap_builder.h"
#include "tests/support/files.h"

// The signature, the screen descriptor and a global table of 2, 4, ... 256 entries (padded with
// black), or no global table when `table` is empty.
Bytes GifHeader(const char* signature, int width, int height, const std::vector<Rgb>& table);
// An image descriptor with its local table, or none when `table` is empty.
Bytes GifImageDescriptor(int left, int top, int width, int height, bool interlaced,
                         const std::vector<Rgb>& table);
// The minimum code size, then the packed codes as data sub-blocks ending in a zero-length block.
Bytes GifImageData(int minimumCodeSize, const std::vector<int>& codes);
Bytes GifExtension(int label, const Bytes& data);

// A GIF of 65500 x 1024 pixels, the widest picture the readers take, in 34 bytes: its data ends at
// once and leaves every pixel in the first colour.
Bytes LargestGif();
