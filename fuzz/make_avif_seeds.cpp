// Writes the AVIF seed corpus into CORPUS/avif: small lossy and lossless files from the project's
// writer, lossy with halved chroma, and files put together box by box: alpha, a grid, a sequence.
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "codecs/avif/avif_writer.h"
#include "tests/support/avif_fixture.h"
#include "tests/support/bitmap_builder.h"
#include "tests/support/synthetic_picture.h"

namespace {

Bytes Written(PackedBitmap picture, AvifEncoding encoding, const AvifTuning& tuning = kSmallAvif) {
    std::vector<std::uint8_t> bytes;
    if (EncodeAvif(picture, encoding, &bytes, tuning) != kAvifWritten) return {};
    return bytes;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_avif_seeds CORPUS\n");
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/avif/";
    GlobalBlock picture = MakeBitmap24(16, 12, NaturalPicture(16, 12));
    GlobalBlock opacity = MakeBitmap24(16, 12, [](int x, int y) {
        const std::uint8_t a = std::uint8_t(x < 8 ? 255 : (x * 40 + y * 9) % 256);
        return Rgb{a, a, a};
    });
    GlobalBlock tile = MakeBitmap24(8, 8, NaturalPicture(8, 8));
    AvifTuning halved = kSmallAvif;
    halved.fullChroma = false;
    const Bytes coded = Av1Picture(picture.get(), false, 60);
    const Bytes tileCoded = Av1Picture(tile.get(), false, 60);
    const std::vector<std::pair<std::string, Bytes>> seeds = {
        {"lossy", Written(picture.get(), AvifEncoding::Lossy(75))},
        {"lossy-420", Written(picture.get(), AvifEncoding::Lossy(50), halved)},
        {"lossless", Written(picture.get(), AvifEncoding::Lossless())},
        {"alpha", AvifFile({{"av01", coded, 16, 12, {}},
                            {"av01", Av1Picture(opacity.get(), true), 16, 12, {}, true, true}})},
        {"grid", AvifFile({{"grid", AvifGrid(2, 2, 15, 13), 0, 0, {2, 3, 4, 5}},
                           {"av01", tileCoded, 8, 8, {}},
                           {"av01", tileCoded, 8, 8, {}},
                           {"av01", tileCoded, 8, 8, {}},
                           {"av01", tileCoded, 8, 8, {}}})},
        {"sequence", AvifSequence(coded, 16, 12)},
    };
    for (const auto& [name, bytes] : seeds) {
        if (bytes.empty()) return 1;
        WriteBytes(folder + name + ".avif", bytes);
    }
    return 0;
}
