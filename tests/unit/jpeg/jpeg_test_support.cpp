#include "tests/unit/jpeg/jpeg_test_support.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

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

Decoded DecodeJpeg(const Bytes& bytes) {
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

int DecodeWithKorvi(const Bytes& bytes, Decoded& decoded, std::int64_t maxPixels) {
    jpeg::decoder::DecodeLimits limits;
    limits.maxPixels = maxPixels;
    PackedBitmap picture = nullptr;
    const int status = jpeg::decoder::DecodeJpeg(bytes.data(), bytes.size(), limits, &picture);
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

bool ParseStream(const Bytes& bytes, Stream& stream) {
    // SOI ... SOS, the scan, then EOI and the four-byte trailer.
    const std::size_t size = bytes.size();
    if (size < 10 || bytes[0] != 0xFF || bytes[1] != 0xD8) return false;
    if (bytes[size - 6] != 0xFF || bytes[size - 5] != 0xD9) return false;
    std::size_t at = 2;
    for (;;) {
        if (at + 4 > size - 6 || bytes[at] != 0xFF) return false;
        const std::uint8_t marker = bytes[at + 1];
        const std::size_t length = std::size_t{bytes[at + 2]} << 8 | bytes[at + 3];
        if (length < 2 || at + 2 + length > size - 6) return false;
        stream.segments.push_back(
            Segment{marker, Bytes(bytes.begin() + at + 4, bytes.begin() + at + 2 + length)});
        at += 2 + length;
        if (marker == 0xDA) break;
    }
    stream.scan.assign(bytes.begin() + at, bytes.end() - 6);
    stream.trailer.assign(bytes.end() - 4, bytes.end());
    return true;
}

double Psnr(const Decoded& decoded, int width, int height, const ColourAt& original) {
    double squares = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Rgb a = decoded.At(x, y), b = original(x, y);
            const double dr = a.r - b.r, dg = a.g - b.g, db = a.b - b.b;
            squares += dr * dr + dg * dg + db * db;
        }
    const double mse = squares / (3.0 * width * height);
    return mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}
