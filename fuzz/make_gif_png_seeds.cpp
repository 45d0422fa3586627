// Writes the GIF seed corpus: small files of the layouts the reader knows, hand-built and from
// the project's writer.
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "codecs/gif/gif_writer.h"
#include "tests/support/gif_fixture.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_gif_seeds FOLDER\n");
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/";
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
    };
    for (const auto& [name, bytes] : seeds) WriteBytes(folder + name + ".gif", bytes);
    GlobalBlock picture = MakePaletteBitmap(8, 13, 11, std::vector<Rgb>(40, Rgb{9, 9, 9}),
                                            [](int x, int y) { return (x * y + x) % 40; });
    return WriteGifFile(picture.get(), (folder + "interlaced.gif").c_str()) == 0 ? 0 : 1;
}
