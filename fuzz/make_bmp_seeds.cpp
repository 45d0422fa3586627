// Writes the BMP seed corpus: one small file of every layout the two BMP readers know, and the
// largest picture they take.
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "core/packed_bitmap.h"
#include "tests/support/bmp_fixture.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_bmp_seeds FOLDER\n");
        return 2;
    }
    const auto make = [](std::uint32_t headerSize, std::uint16_t depth, std::int32_t width,
                         std::int32_t height, std::uint32_t compression = 0) {
        BmpFixture f;
        f.headerSize = headerSize;
        f.depth = depth;
        f.width = width;
        f.height = height;
        f.compression = compression;
        const std::uint32_t colours = depth <= 8 ? 1u << depth : 0;
        f.colourTable.assign(colours * (headerSize == 12 ? 3 : 4), 0x55);
        if (compression == 3)
            f.masks = depth == 16 ? std::vector<std::uint32_t>{0xF800, 0x07E0, 0x001F}
                                  : std::vector<std::uint32_t>{0xFF0000, 0xFF00, 0xFF};
        const std::int32_t rows = height < 0 ? -height : height;
        f.rows.assign(std::size_t{RowBytes(depth, width)} * rows, 0);
        for (std::size_t i = 0; i < f.rows.size(); ++i) f.rows[i] = static_cast<std::uint8_t>(i * 37);
        return f;
    };
    std::vector<std::pair<std::string, BmpFixture>> seeds = {
        {"rgb24", make(40, 24, 5, 3)},
        {"pal1", make(40, 1, 9, 2)},
        {"pal4", make(40, 4, 3, 3)},
        {"pal8", make(40, 8, 4, 2)},
        {"core8", make(12, 8, 3, 2)},
        {"rgb555", make(40, 16, 3, 2)},
        {"rgb565", make(40, 16, 3, 2, 3)},
        {"argb", make(40, 32, 2, 2)},
        {"bitfields32", make(40, 32, 2, 2, 3)},
        {"topdown", make(40, 24, 2, -3)},
    };
    const auto with = [](BmpFixture f, std::uint32_t compression, std::vector<std::uint32_t> masks,
                         Bytes rows) {
        f.compression = compression, f.masks = std::move(masks), f.rows = std::move(rows);
        return f;
    };
    // Runs, absolute pixels, end of line, a delta, end of bitmap.
    const Bytes codes = {2, 1, 0, 3, 2, 0, 2, 0, 0, 0, 0, 2, 1, 1, 1, 2, 0, 1};
    seeds.insert(
        seeds.end(),
        {
            {"pal2", make(40, 2, 7, 2)},
            {"rle8", with(make(40, 8, 5, 3), 1, {}, codes)},
            {"rle4", with(make(40, 4, 7, 3), 2, {}, codes)},
            {"rle24", with(make(64, 24, 4, 3), 4, {},
                           {1, 1, 2, 3, 0, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 0, 0, 0, 0, 1})},
            {"os2v2-16", make(16, 8, 3, 2)},
            {"v2-bitfields", with(make(52, 32, 2, 2), 3, {0xFF, 0xFF00, 0xFF0000}, Bytes(16, 0x5A))},
            {"v5-alpha", with(make(124, 32, 2, 2), 3, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, Bytes(16, 0x5A))},
            {"alphabitfields", with(make(40, 16, 2, 2), 6, {0x0F00, 0x00F0, 0x000F, 0xF000}, Bytes(8, 0x5A))},
            {"largest-rle8", with(make(40, 8, 8192, 8192), 1, {}, {0, 1})},
        });
    BmpFixture dib = make(40, 8, 4, 2);
    dib.fileHeader = false;
    seeds.emplace_back("dib8", dib);
    for (const auto& [name, fixture] : seeds)
        WriteBytes(std::string(argv[1]) + "/" + name + ".bmp", BuildBmp(fixture));
    return 0;
}
