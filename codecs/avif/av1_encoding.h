// One still picture coded as AV1 by libaom, ready to be wrapped in a file.
#pragma once

#include <cstdint>
#include <vector>

#include "codecs/avif/avif_writer.h"

struct Av1Still {
    std::vector<std::uint8_t> data;            // the picture's units, without temporal delimiters
    std::vector<std::uint8_t> sequenceHeader;  // the sequence header unit among them
    int profile = 0, level = 0;
    bool halvedChroma = false;  // 4:2:0
    bool identity = false;      // lossless: green, blue and red as they are
};

// Codes the 24-bit picture; kAvifWritten when it is in `still`.
AvifWriteStatus EncodeAv1Still(const BITMAPINFOHEADER& header, AvifEncoding encoding,
                               const AvifTuning& tuning, Av1Still* still);
