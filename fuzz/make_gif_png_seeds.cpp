// Writes the GIF and PNG seed corpora into CORPUS/gif and CORPUS/png: small files of the layouts
// the readers know and the largest work they take, hand-built, from the project's GIF writer and
// from libpng.
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "codecs/gif/gif_writer.h"
#include "tests/support/gif_fixture.h"
#include "tests/support/png_fixture.h"

namespace {

bool WriteGifSeeds(const std::string& folder) {
    const std::vector<Rgb> four = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    const Bytes header = GifHeader("GIF89a", 4, 3, four);
    const Bytes image =
        Join({GifImageDescriptor(0, 0, 4, 3, false, {}), GifImageData(2, {4, 0, 1, 6, 2, 3, 9, 5})});
    std::vector<int> filling = {4};
    filling.insert(filling.end(), 4100, 1);
    const std::vector<std::pair<std::string, Bytes>> seeds = {
        {"plain", Join({GifHeader("GIF87a", 4, 3, four), image, {0x3B}})},
        {"extensions", Join({header,
                             GifExtension(0xF9, {1, 0, 0, 2}),
                             GifExtension(0xFE, {'k'}),
                             GifExtension(0x01, Bytes(12, 1)),
                             image,
                             {0x3B}})},
        {"local-table", Join({GifHeader("GIF89a", 4, 3, {}),
                              GifImageDescriptor(0, 0, 4, 3, false, four),
                              GifImageData(2, {4, 3, 2, 1, 0, 5}),
                              {0x3B}})},
        {"animation", Join({header,
                            GifImageDescriptor(1, 1, 2, 2, true, {}),
                            GifImageData(2, {4, 1, 6, 5}),
                            image,
                            {0x3B}})},
        {"no-clear",
         Join({header, GifImageDescriptor(0, 0, 4, 3, false, {}), GifImageData(2, {2, 6, 7, 1})})},
        {"full-table", Join({GifHeader("GIF87a", 4101, 1, four), GifImageDescriptor(0, 0, 4101, 1, false, {}),
                             GifImageData(2, filling)})},
        {"largest", LargestGif()},
    };
    for (const auto& [name, bytes] : seeds) WriteBytes(folder + name + ".gif", bytes);
    GlobalBlock picture = MakePaletteBitmap(8, 13, 11, std::vector<Rgb>(40, Rgb{9, 9, 9}),
                                            [](int x, int y) { return (x * y + x) % 40; });
    return WriteGifFile(picture.get(), (folder + "interlaced.gif").c_str()) == 0;
}

// An 8 x 6 picture of that kind with samples from a hash of the position.
PngFixture PngSeed(int colourType, int depth, bool interlaced = false) {
    PngFixture f;
    f.width = 8;
    f.height = 6;
    f.colourType = colourType;
    f.depth = depth;
    f.interlaced = interlaced;
    for (std::uint32_t i = 0; i < std::uint32_t(f.width * f.height * PngChannels(colourType)); ++i)
        f.samples.push_back(std::uint16_t((i * 2654435761u >> 7) % (1u << depth)));
    if (colourType == 3)
        for (int i = 0; i < 1 << depth; ++i)
            f.palette.push_back(Rgb{std::uint8_t(i * 9), 100, std::uint8_t(255 - i)});
    return f;
}

bool WritePngSeeds(const std::string& folder) {
    std::vector<std::pair<std::string, PngFixture>> seeds = {
        {"grey1", PngSeed(0, 1)},
        {"grey2-transparent", PngSeed(0, 2)},
        {"grey16-gamma", PngSeed(0, 16)},
        {"rgb8", PngSeed(2, 8)},
        {"rgb16-transparent", PngSeed(2, 16)},
        {"palette4-alpha", PngSeed(3, 4)},
        {"palette8-background", PngSeed(3, 8)},
        {"grey-alpha8-background", PngSeed(4, 8)},
        {"rgba16-interlaced", PngSeed(6, 16, true)},
        {"rgba8-gamma", PngSeed(6, 8)},
        {"behind-compressed-texts", PngSeed(0, 8)},
    };
    seeds[1].second.transparent = {2};
    seeds[1].second.background = {1};
    seeds[2].second.gamma = 1.0;
    seeds[4].second.transparent = {100, 200, 300};
    seeds[5].second.paletteAlpha = {0, 128, 255};
    seeds[6].second.background = {7};
    seeds[7].second.background = {99};
    seeds[9].second.gamma = 0.35;
    seeds[10].second.compressedTexts.assign(8, std::string(1 << 20, ' '));
    for (const auto& [name, fixture] : seeds) {
        const Bytes file = BuildPng(fixture);
        if (file.empty()) return false;
        WriteBytes(folder + name + ".png", file);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_gif_png_seeds CORPUS\n");
        return 2;
    }
    const std::string corpus = std::string(argv[1]) + "/";
    return WriteGifSeeds(corpus + "gif/") && WritePngSeeds(corpus + "png/") ? 0 : 1;
}
