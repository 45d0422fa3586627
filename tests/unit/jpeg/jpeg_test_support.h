// Encoding into bytes, decoding with stb_image and reading the segments of a JPEG file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/packed_bitmap.h"
#include "tests/support/bitmap_builder.h"
#include "tests/support/files.h"

struct Encoded {
    std::int32_t result;
    Bytes bytes;
};

// Writes the bitmap with WriteJpegFile into a temporary file and reads the file back.
Encoded EncodeJpeg(PackedBitmap bitmap, std::int32_t quality);

struct Decoded {
    int width = 0, height = 0;
    std::vector<Rgb> pixels;  // top row first; empty when stb_image refused the file
    Rgb At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

Decoded DecodeJpeg(const Bytes& bytes);

// Decodes with korvi's reader from memory; `decoded` is filled only on status 0. The picture
// limit may be lowered for a test.
int DecodeWithKorvi(const Bytes& bytes, Decoded& decoded, std::int64_t maxPixels = kMaxPicturePixels);

// Mean and largest difference of all channels of two pictures of the same size.
struct Difference {
    double mean;
    int largest;
};
Difference Compare(const Decoded& a, const Decoded& b);

// One marker segment: the marker byte after 0xFF and the bytes behind the length field.
struct Segment {
    std::uint8_t marker;
    Bytes body;
};

// The segments from SOI to SOS, the bytes between SOS and EOI, and the four bytes after EOI.
struct Stream {
    std::vector<Segment> segments;
    Bytes scan;
    Bytes trailer;
};

// Returns false unless the bytes are SOI, segments up to SOS, data, EOI and four more bytes.
bool ParseStream(const Bytes& bytes, Stream& stream);

// Peak signal-to-noise ratio over all channels, in dB.
double Psnr(const Decoded& decoded, int width, int height, const ColourAt& original);
