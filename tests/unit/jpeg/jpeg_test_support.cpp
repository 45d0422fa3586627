#include "tests/unit/jpeg/jpeg_test_support.h"

#include <algorithm>
#include <cstdlib>
#include <random>

#include "codecs/jpeg/decoder/jpeg_decoder.h"
#include "codecs/jpeg/jpeg_writer.h"

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_JPEG
#include "stb_image.h"

Encoded EncodeJpeg(PackedBitmap bitmap, std::int32_t quality) {
    TempFolder folder;
    const std::string path = folder.File("out.jpg");
    Encoded encoded;
    encoded.result = WriteJpegFile(bitmap, path.c_str(), quality);
    encoded.bytes = ReadBytes(path);
    return encoded;
}

Decoded DecodeWithStb(const Bytes& bytes) {
    Decoded decoded;
    int channels = 0;
    stbi_uc* pixels = stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &decoded.width,
                                            &decoded.height, &channels, 3);
    if (pixels == nullptr) return decoded;
    const std::size_t count = static_cast<std::size_t>(decoded.width) * decoded.height;
    for (std::size_t i = 0; i < count; ++i)
        decoded.pixels.push_back(Rgb{pixels[3 * i], pixels[3 * i + 1], pixels[3 * i + 2]});
    stbi_image_free(pixels);
    return decoded;
}

int DecodeWithKorvi(const Bytes& bytes, Decoded& decoded) {
    PackedBitmap picture = nullptr;
    const int status = jpeg::decoder::DecodeJpeg(bytes.data(), bytes.size(), {}, &picture);
    decoded = Decoded{};
    if (status != 0) return status;
    GlobalBlock owned(picture);
    BitmapLock header(picture);
    decoded.width = header->biWidth;
    decoded.height = header->biHeight;
    const std::size_t stride = RowBytes(24, decoded.width);
    for (int y = 0; y < decoded.height; ++y) {
        const BYTE* row =
            PixelRows(header.data()) + stride * static_cast<std::size_t>(decoded.height - 1 - y);
        for (int x = 0; x < decoded.width; ++x)
            decoded.pixels.push_back(Rgb{row[3 * x + 2], row[3 * x + 1], row[3 * x]});
    }
    return status;
}

Difference Compare(const Decoded& a, const Decoded& b) {
    Difference d{0, 0};
    for (std::size_t i = 0; i < a.pixels.size() && i < b.pixels.size(); ++i) {
        for (int delta :
             {a.pixels[i].r - b.pixels[i].r, a.pixels[i].g - b.pixels[i].g, a.pixels[i].b - b.pixels[i].b}) {
            d.mean += std::abs(delta);
            d.largest = std::max(d.largest, std::abs(delta));
        }
    }
    if (!a.pixels.empty()) d.mean /= 3.0 * static_cast<double>(a.pixels.size());
    return d;
}

std::size_t Find(const Bytes& bytes, std::uint8_t marker, std::size_t from) {
    for (std::size_t i = from; i + 1 < bytes.size(); ++i)
        if (bytes[i] == 0xFF && bytes[i + 1] == marker) return i;
    return bytes.size();
}

Bytes Insert(Bytes bytes, std::size_t at, const Bytes& segment) {
    bytes.insert(bytes.begin() + long(at), segment.begin(), segment.end());
    return bytes;
}

JpegFixture FlatFixture(int width, int height, const Factors& factors,
                        const std::function<int(int c, int bx, int by)>& sample) {
    JpegFixture f;
    f.width = width;
    f.height = height;
    for (std::size_t c = 0; c < factors.size(); ++c)
        f.components.push_back({int(c) + 1, factors[c][0], factors[c][1], 0, 0, 0});
    f.quantTables = {QuantValues{}};
    f.quantTables[0].fill(1);
    AllocatePlanes(f);
    // A DC of 8 (s - 128) alone decodes to the samples s.
    for (std::size_t c = 0; c < factors.size(); ++c)
        for (int by = 0; by < f.planes[c].blocksHigh; ++by)
            for (int bx = 0; bx < f.planes[c].blocksWide; ++bx)
                f.planes[c].At(bx, by)[0] = std::int16_t(8 * (sample(int(c), bx, by) - 128));
    return f;
}

JpegFixture RandomFixture(int width, int height, const Factors& factors, unsigned seed) {
    JpegFixture f = FlatFixture(width, height, factors, [](int, int, int) { return 128; });
    QuantValues growing;
    for (int k = 0; k < 64; ++k) growing[k] = std::uint16_t(1 + k / 8);
    f.quantTables.push_back(growing);
    for (std::size_t c = 1; c < f.components.size(); ++c)
        f.components[c].quantTable = f.components[c].dcTable = f.components[c].acTable = 1;
    std::mt19937 random(seed);
    for (CoefficientPlane& plane : f.planes)
        for (QuantBlock& block : plane.blocks) {
            block[0] = std::int16_t(int(random() % 1601) - 800);
            for (int i = 1; i < 64; ++i) {
                const unsigned roll = random() % 100;
                const int spread = int(roll) < 70 + i / 3 ? 0 : roll < 97 ? 40 : 600;
                block[i] = spread == 0 ? 0 : std::int16_t(int(random() % (2 * spread + 1)) - spread);
            }
        }
    return f;
}
