// Writing AVIF through libaom from 24-bit bitmaps (BGR rows bottom-up, padded): lossy at a
// quality as 8-bit BT.601 YCbCr, or lossless as green, blue and red planes, in a file of one
// still picture.
#pragma once

#include <cstdint>
#include <vector>

#include "codecs/avif/avif_status.h"
#include "core/packed_bitmap.h"

// The encoder's choices (libaom's controls of the same meaning).
struct AvifTuning {
    int speed;           // cpu-used: 0 (slowest, smallest) to 9
    bool fullChroma;     // lossy 4:4:4 rather than 4:2:0
    int tune;            // aom_tune_metric: 0 PSNR, 1 SSIM
    int sharpness;       // 0 to 7: how the loop filter and the rate choices favour detail
    bool quantMatrices;  // weigh coefficients by frequency
    int deltaQMode;      // 0 none, 1 objective, 3 perceptual (key frames)
};

// The choices measured as the best trade of size for time.
extern const AvifTuning kSmallAvif;
// The same at speed 8, for a search that encodes a picture several times: 2.6 times as fast
// for about 10 % more bytes at the same score.
extern const AvifTuning kQuickAvif;

struct AvifEncoding {
    bool lossless;
    int quality;  // lossy only: 0 to 100; callers clamp as they do for JPEG

    static constexpr AvifEncoding Lossy(int quality) { return {false, quality}; }
    static constexpr AvifEncoding Lossless() { return {true, 100}; }
};

// Encodes a 24-bit bitmap into `out` (replacing what it held; empty on failure). The bitmap
// is only read.
AvifWriteStatus EncodeAvif(PackedBitmap bitmap, AvifEncoding encoding, std::vector<std::uint8_t>* out,
                           const AvifTuning& tuning = kSmallAvif);

// Writes a 24-bit bitmap as an AVIF file. Nothing is created when encoding fails; a failed
// write leaves what it wrote.
AvifWriteStatus WriteAvifFile(PackedBitmap bitmap, const char* path, AvifEncoding encoding,
                              const AvifTuning& tuning = kSmallAvif);
