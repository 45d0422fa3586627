// Hand-built BMP files for the reader's tests and the fuzz corpus.
#pragma once

#include <cstdint>
#include <vector>

#include "tests/support/files.h"

struct BmpFixture {
    bool fileHeader = true;
    std::uint32_t headerSize = 40;  // 12, or the size the 40-byte header is cut or padded to
    std::int32_t width = 1, height = 1;
    std::uint16_t planes = 1;
    std::uint16_t depth = 24;
    std::uint32_t compression = 0;
    std::uint32_t coloursUsed = 0;
    // Behind a header of up to 40 bytes, else in it (red, green and blue at 40, alpha at 52).
    std::vector<std::uint32_t> masks;
    Bytes colourTable;  // 3 or 4 bytes an entry, as the header size wants
    Bytes rows;         // the pixel rows exactly as stored
};

Bytes BuildBmp(const BmpFixture& fixture);
