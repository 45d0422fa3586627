// Writes the BMP seed corpus: one small file of every layout the reader knows.
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
    BmpFixture dib = make(40, 8, 4, 2);
    dib.fileHeader = false;
    seeds.emplace_back("dib8", dib);
    for (const auto& [name, fixture] : seeds)
        WriteBytes(std::string(argv[1]) + "/" + name + ".bmp", BuildBmp(fixture));
    return 0;
}
