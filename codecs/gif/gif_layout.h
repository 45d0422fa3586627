// The fixed parts of the file around the compressed image, and the interlaced row order.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/kernel.h"

// The LZW minimum code size for a colour count: 2 for up to 4 colours, up to 8.
int MinimumCodeSize(std::uint32_t colours);

// The global colour table holds 2 to the power of this many entries.
int ColourTableBits(std::uint32_t colours);

// The largest number of bytes WriteGifPreamble writes.
constexpr std::size_t kMaxPreambleBytes = 13 + 3 * 256 + 10 + 1;

// Writes the signature, the screen descriptor, the global colour table (entries past the
// bitmap's `colours` are black), the descriptor of one interlaced image covering the screen
// and the minimum code size. Returns the bytes written.
std::size_t WriteGifPreamble(BYTE* out, std::uint16_t width, std::uint16_t height, const RGBQUAD* table,
                             std::uint32_t colours);

// Calls `visit(row)` with the picture rows (0 is the top line) in interlaced order: every 8th
// row from 0, every 8th from 4, every 4th from 2, every 2nd from 1.
template <typename Visit>
void ForEachInterlacedRow(std::int32_t height, Visit visit) {
    constexpr struct { std::int32_t first, step; } kPasses[] = {{0, 8}, {4, 8}, {2, 4}, {1, 2}};
    for (const auto& pass : kPasses) {
        for (std::int32_t row = pass.first; row < height; row += pass.step) visit(row);
    }
}
