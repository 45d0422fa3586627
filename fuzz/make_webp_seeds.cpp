// Writes the WebP seed corpus into CORPUS/webp: small lossy and lossless files from the
// project's writer, files with transparency from libwebp, animations (one of many frames), a RIFF
// size that claims far more than the file holds, and the largest picture WebP holds in a few bytes:
// 8192 x 8192 pixels of one colour, lossless.
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "codecs/webp/webp_writer.h"
#include "tests/support/synthetic_picture.h"
#include "tests/support/webp_fixture.h"

namespace {

Bytes Written(PackedBitmap picture, WebpEncoding encoding, const WebpTuning& tuning = kSmallWebp) {
    WebpBytes bytes;
    if (EncodeWebp(picture, encoding, &bytes, tuning) != kWebpWritten) return {};
    return Bytes(bytes.data.get(), bytes.data.get() + bytes.size);
}

// 12 x 8 pixels of the natural picture, half of them more or less transparent.
std::vector<Rgba> Translucent() {
    const ColourAt natural = NaturalPicture(12, 8);
    std::vector<Rgba> pixels;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 12; ++x) {
            const Rgb c = natural(x, y);
            pixels.push_back(Rgba{c.r, c.g, c.b, std::uint8_t(x < 6 ? 255 : (x * 40 + y * 9) % 256)});
        }
    return pixels;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_webp_seeds CORPUS\n");
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/webp/";
    GlobalBlock picture = MakeBitmap24(16, 12, NaturalPicture(16, 12));
    const Bytes frame = EncodeRgbaWebp(Translucent(), 12);
    const Bytes lossy = Written(picture.get(), WebpEncoding::Lossy(75));
    Bytes claimsMore = lossy;
    claimsMore[7] = 0x7F;  // a RIFF size of 2 GB
    const std::vector<AnimationFrame> pixels(
        200, AnimationFrame{0, 0, 1, 1, EncodeRgbaWebp({{9, 99, 199, 255}}, 1)});
    // libwebp's fastest lossless method codes one colour in 38 bytes, its slowest in 2630.
    WebpTuning fastest = kSmallWebp;
    fastest.losslessMethod = fastest.losslessEffort = 0;
    GlobalBlock largest = MakeBitmap24(8192, 8192, [](int, int) { return Rgb{192, 128, 64}; });
    const std::vector<std::pair<std::string, Bytes>> seeds = {
        {"lossy", lossy},
        {"riff-size-2gb", claimsMore},
        {"animation-200-frames", WebpAnimation(1, 1, pixels)},
        {"lossless", Written(picture.get(), WebpEncoding::Lossless())},
        {"lossless-alpha", frame},
        {"largest", Written(largest.get(), WebpEncoding::Lossless(), fastest)},
        {"lossy-alpha", EncodeRgbaWebp(Translucent(), 12, true)},
        {"animation", WebpAnimation(20, 14,
                                    {{4, 2, 12, 8, frame},
                                     {0, 0, 16, 12, Written(picture.get(), WebpEncoding::Lossy(50))}})},
    };
    for (const auto& [name, bytes] : seeds) {
        if (bytes.empty()) return 1;
        WriteBytes(folder + name + ".webp", bytes);
    }
    return 0;
}
