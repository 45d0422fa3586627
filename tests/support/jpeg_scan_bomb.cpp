#include "tests/support/jpeg_scan_bomb.h"

namespace {

Bytes Segment(std::uint8_t marker, const Bytes& body) {
    const std::size_t length = body.size() + 2;
    return Join({{0xFF, marker, std::uint8_t(length >> 8), std::uint8_t(length)}, body});
}

// A table of one code, "0", for `symbol`.
Bytes OneCodeTable(std::uint8_t slot, std::uint8_t symbol) {
    Bytes body(17, 0);
    body[0] = slot;
    body[1] = 1;
    body.push_back(symbol);
    return Segment(0xC4, body);
}

Bytes Scan(int ss, int se, int ah, int al) {
    return Segment(0xDA, {1, 1, 0x00, std::uint8_t(ss), std::uint8_t(se), std::uint8_t(ah << 4 | al)});
}

// One bit a block, all set or all clear, as entropy-coded bytes.
Bytes BitPerBlock(std::size_t blocks, bool set) {
    Bytes data;
    for (std::size_t bytes = (blocks + 7) / 8; bytes > 0; --bytes) {
        data.push_back(set ? 0xFF : 0x00);
        if (set) data.push_back(0x00);
    }
    return data;
}

}  // namespace

Bytes WriteScanBomb(ScanBomb kind, int width, int height, int scans) {
    const std::size_t blocks = std::size_t((width + 7) / 8) * std::size_t((height + 7) / 8);
    const bool withData = kind == ScanBomb::kOneBitRefinements;
    Bytes quant(65, 1);
    quant[0] = 0;
    Bytes file = Join({{0xFF, 0xD8},
                       Segment(0xDB, quant),
                       Segment(0xC2, {8, std::uint8_t(height >> 8), std::uint8_t(height),
                                      std::uint8_t(width >> 8), std::uint8_t(width), 1, 1, 0x11, 0}),
                       OneCodeTable(0x00, 0),
                       OneCodeTable(0x10, 0x01),
                       Scan(0, 0, 0, 0),
                       withData ? BitPerBlock(blocks, false) : Bytes{},
                       Scan(1, 63, 0, 1)});
    const Bytes refinement =
        withData ? Join({Scan(0, 0, 1, 0), BitPerBlock(blocks, true)}) : Scan(1, 63, 1, 0);
    for (int i = 2; i < scans; ++i) file.insert(file.end(), refinement.begin(), refinement.end());
    return Join({file, {0xFF, 0xD9}});
}
