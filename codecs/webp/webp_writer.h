// Writing WebP through libwebp from 24-bit bitmaps (BGR rows bottom-up, padded), lossy at a
// quality or lossless, to a file or to memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "codecs/webp/webp_status.h"
#include "core/packed_bitmap.h"

// WebP pictures have at most this many pixels a side.
constexpr std::int32_t kMaxWebpSide = 16383;

// The encoder's choices (libwebp's WebPConfig fields of the same meaning).
struct WebpTuning {
    int method;               // lossy effort, 0 (fastest) to 6 (smallest)
    int noiseShaping;         // sns_strength, 0 to 100
    int filterStrength;       // loop filter, 0 to 100, where autoFilter is off
    int filterSharpness;      // 0 to 7
    bool autoFilter;          // let the encoder choose the filter strength
    int segments;             // 1 to 4
    bool sharpYuv;            // the slower, sharper RGB to YUV conversion
    int losslessMethod;       // lossless effort, 0 to 6
    int losslessEffort;       // 0 to 100 (libwebp's quality in lossless mode)
    int smallLosslessEffort;  // the same for pictures of kSmallLosslessPixels or fewer
};

constexpr int kSmallLosslessPixels = 64 * 64;

// The choices bench/webp_write_bench.cpp measured as the best trade of size for time.
extern const WebpTuning kSmallWebp;

struct WebpEncoding {
    bool lossless;
    int quality;  // lossy only: 0 to 100; callers clamp as they do for JPEG

    static constexpr WebpEncoding Lossy(int quality) { return {false, quality}; }
    static constexpr WebpEncoding Lossless() { return {true, 100}; }
};

// An encoded file in memory.
struct WebpBytes {
    std::unique_ptr<std::uint8_t, decltype(&std::free)> data{nullptr, &std::free};
    std::size_t size = 0;
};

// Encodes a 24-bit bitmap into `out` (replacing what it held; empty on failure). The bitmap
// is only read.
WebpWriteStatus EncodeWebp(PackedBitmap bitmap, WebpEncoding encoding, WebpBytes* out,
                           const WebpTuning& tuning = kSmallWebp);

// Writes a 24-bit bitmap as a WebP file, straight from libwebp into the file, never held
// whole in memory. Nothing is left when it fails.
WebpWriteStatus WriteWebpFile(PackedBitmap bitmap, const char* path, WebpEncoding encoding,
                              const WebpTuning& tuning = kSmallWebp);

// A picture made ready for lossy encoding at any number of qualities: the conversion to YUV,
// the same whatever the quality, is made once and kept (1.5 bytes a pixel) for pictures of up
// to 2^20 pixels, where it may be sharp YUV, which takes half the time of an encoding. Every
// file is the one WriteWebpFile writes from the bitmap at the same quality.
class LossyWebpSource {
  public:
    // Borrows the 24-bit bitmap for its lifetime.
    explicit LossyWebpSource(PackedBitmap bitmap, const WebpTuning& tuning = kSmallWebp);
    ~LossyWebpSource();
    LossyWebpSource(const LossyWebpSource&) = delete;
    LossyWebpSource& operator=(const LossyWebpSource&) = delete;

    // Writes the picture at the quality as WriteWebpFile does.
    WebpWriteStatus Write(const char* path, int quality) const;

  private:
    struct Converted;
    PackedBitmap bitmap_;
    WebpTuning tuning_;
    std::unique_ptr<Converted> converted_;  // null where the bitmap is converted for each file
};
