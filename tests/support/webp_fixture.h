// WebP files for the reader's tests and the fuzz corpus: libwebp's own encoding of pixels with
// transparency, and animations put together chunk by chunk.
#pragma once

#include <cstdint>
#include <vector>

#include "tests/support/files.h"

// A pixel with its opacity, 0 transparent to 255 opaque.
struct Rgba {
    std::uint8_t r, g, b, a;
};

// libwebp's lossless file of the pixels (top row first); lossy (colour lossy, alpha lossless)
// at quality 90 when `lossy`.
Bytes EncodeRgbaWebp(const std::vector<Rgba>& pixels, int width, bool lossy = false);

// One chunk: the four letters, the little-endian size, the payload and a pad byte when odd.
Bytes WebpChunk(const char* fourcc, const Bytes& payload);

// "RIFF", the size, "WEBP" and the chunks.
Bytes WebpRiff(const Bytes& chunks);

struct AnimationFrame {
    int left, top;  // even, on the canvas
    int width, height;
    Bytes still;  // a still WebP file whose picture is the frame's
};

// An animation of the frames on a canvas of that size (VP8X, ANIM, then one ANMF per frame).
Bytes WebpAnimation(int canvasWidth, int canvasHeight, const std::vector<AnimationFrame>& frames);
