// Progressive grey files whose scans cost the decoder as much as a file of that frame can, made
// byte by byte: Huffman tables of one code each, so that every bit decodes a symbol.
#pragma once

#include "tests/support/files.h"

enum class ScanBomb {
    // A DC scan and an AC scan that sets every coefficient, then AC refinements, all without
    // data: every block decodes from the zero bits behind each scan.
    kScansWithoutData,
    // A DC scan of one bit a block, the AC scan without data, then DC refinements of one set bit
    // a block: the fewest bytes that touch every block in every scan.
    kOneBitRefinements,
};

// The file of `scans` scans in all (at least 2).
Bytes WriteScanBomb(ScanBomb kind, int width, int height, int scans);
