// What the JPEG tests share: encoding into bytes, decoding with korvi's reader and with stb_image,
// comparing pictures, and fixtures of flat or random blocks.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "core/packed_bitmap.h"
#include "tests/support/bitmap_builder.h"
#include "tests/support/files.h"
#include "tests/support/jpeg_fixture.h"

struct Encoded {
    std::int32_t result;
    Bytes bytes;
};

// Writes the bitmap with WriteJpegFile into a temporary file and reads the file back.
Encoded EncodeJpeg(PackedBitmap bitmap, std::int32_t quality);

struct Decoded {
    int width = 0, height = 0;
    std::vector<Rgb> pixels;  // top row first; empty when the decoder refused the file
    Rgb At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

Decoded DecodeWithStb(const Bytes& bytes);

// Decodes with korvi's reader from memory; `decoded` is filled only on status 0.
int DecodeWithKorvi(const Bytes& bytes, Decoded& decoded);

// Mean and largest difference of all channels of two pictures of the same size.
struct Difference {
    double mean;
    int largest;
};
Difference Compare(const Decoded& a, const Decoded& b);

// The offset of the first marker `marker` at or after `from`, or the size.
std::size_t Find(const Bytes& bytes, std::uint8_t marker, std::size_t from = 0);
Bytes Insert(Bytes bytes, std::size_t at, const Bytes& segment);

using Factors = std::vector<std::array<int, 2>>;

// Components 1, 2, ... with the factors, quantisation by 1 and flat blocks: block (bx, by) of
// component c has every sample equal to sample(c, bx, by).
JpegFixture FlatFixture(int width, int height, const Factors& factors,
                        const std::function<int(int c, int bx, int by)>& sample);

// Coefficients as a photograph's might be (most high frequencies zero, some large values);
// component 1 quantised by 1, the others by a table that grows with the frequency.
JpegFixture RandomFixture(int width, int height, const Factors& factors, unsigned seed);
