// The state of one JPEG read: the frame and scan records, the tables, and the working state of
// each stage. One context per call; every stage takes it by reference.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "codecs/jpeg/decoder/byte_source.h"
#include "codecs/jpeg/decoder/huffman_decoding.h"
#include "codecs/jpeg/decoder/inverse_dct.h"
#include "codecs/jpeg/jpeg_layout.h"
#include "codecs/jpeg/jpeg_status.h"
#include "codecs/jpeg/jpeg_tables.h"
#include "core/packed_bitmap.h"

namespace jpeg::decoder {

// How a step abandons the read: it throws, and the entry catches and returns the number.
struct Failure {
    JpegReadStatus code;
};
[[noreturn]] inline void Fail(JpegReadStatus code) {
    throw Failure{code};
}

// What one read may cost. The picture limit is the program's; the work of the scans is bounded
// by the frame: all scans together decode at most kMaxScanPasses times its blocks, and blocks
// behind the end of a scan's data decode from zero bits for at most one pass over them.
struct DecodeLimits {
    std::int64_t maxPixels = kMaxPicturePixels;
};
constexpr std::uint64_t kMaxScanPasses = 64;

// The order of the steps of a read: created, reading headers, first scan reached, scans being
// collected, rows being delivered, reading up to EOI.
enum class DecoderState { kCreated, kInHeaders, kReady, kPreloading, kScanning, kStopping };

enum class ColourSpace { kUnknown, kGrayscale, kRgb, kYCbCr, kCmyk, kYcck };

enum class ScanDecoder { kSequential, kDcFirst, kDcRefine, kAcFirst, kAcRefine };

// 64 values in zigzag order, as DQT lists them.
struct JpegQuantTable {
    std::array<std::uint16_t, kBlockSize> values{};
};

// Quantised coefficients in natural (row-major) order.
using CoefficientBlock = std::array<std::int16_t, kBlockSize>;

// A component of the frame: the geometry the encoder's components have (the MCU fields for the
// current scan), and what decoding keeps for it.
struct JpegFrameComponent : JpegComponent {
    int index = 0;
    // Copied from its slot by the first scan that holds the component.
    std::optional<JpegQuantTable> latchedQuant;
    // The latched table in natural order, for the inverse DCT; zero until built.
    IdctTable idct;
    // Files with more than one scan: every block of the component, rows rounded up to v and
    // columns to h.
    std::vector<CoefficientBlock> store;
    std::vector<std::uint64_t> nonzero;  // per stored block: its nonzero AC places, zigzag order
    int storeBlocksPerRow = 0;
};

struct ScanGeometry {
    int componentCount = 0;
    std::array<int, 4> components{};  // frame component indices
    int mcusPerRow = 0, mcuRows = 0, blocksInMcu = 0;
    std::array<int, kMaxBlocksPerMcu> membership{};  // scan component of each block of an MCU
    int ss = 0, se = 0, ah = 0, al = 0;
};

// The tables a block of the scan's MCU decodes with (null where its scan needs none), and whose
// DC predictor it adds to.
struct BlockTables {
    const JpegDerivedHuffTable* dc = nullptr;
    const JpegDerivedHuffTable* ac = nullptr;
    int scanComponent = 0;
};

struct EntropyState {
    ScanDecoder decoder = ScanDecoder::kSequential;
    // Each allocated when a scan first needs it: few files use all eight.
    std::array<std::unique_ptr<JpegDerivedHuffTable>, 4> dcTables, acTables;
    std::array<BlockTables, kMaxBlocksPerMcu> blockTables{};
    std::array<std::uint32_t, 4> dcPredictors{};  // by scan component; wraps like 32-bit arithmetic
    int restartsLeft = 0;                         // MCUs before the next restart marker
    std::uint32_t endOfBandRun = 0;
};

enum class UpsampleMethod { kFullSize, kTriangle2x1, kTriangle2x2, kBox };

// A component on the output side: its samples of the last few iMCU rows and how they grow to
// the picture's size.
struct ComponentOutput {
    UpsampleMethod method = UpsampleMethod::kFullSize;
    int hExpand = 1, vExpand = 1;
    std::vector<std::uint8_t> samples;  // `slots` iMCU rows of 8 * v rows each
    std::ptrdiff_t stride = 0;
    int rowsPerSlot = 0;
    std::vector<std::uint8_t> expanded;  // max v rows of the upsampled row group
    std::ptrdiff_t expandedStride = 0;
    std::array<const std::uint8_t*, 4> rows{};  // the current output rows of the component
};

struct JpegDecoderContext {
    JpegDecoderContext(const std::uint8_t* data, std::size_t size, const DecodeLimits& decodeLimits)
        : limits(decodeLimits), source(data, size), bits(source, unreadMarker) {}

    DecodeLimits limits;
    DecoderState state = DecoderState::kCreated;
    JpegSource source;
    int unreadMarker = 0;  // a marker code read but not yet acted on

    // Frame.
    std::uint32_t width = 0, height = 0;
    int precision = 0;
    std::vector<JpegFrameComponent> components;
    bool progressive = false, arithmetic = false;
    int maxH = 1, maxV = 1, totalImcuRows = 0;
    std::uint64_t frameBlocks = 0;  // of every component, in whole MCUs
    ColourSpace jpegColour = ColourSpace::kUnknown, outColour = ColourSpace::kUnknown;

    // Tables and the segments around the frame.
    std::array<std::optional<JpegQuantTable>, 4> quantTables;
    std::array<std::optional<JpegHuffTable>, 4> dcTables, acTables;
    int restartInterval = 0;
    bool jfifSeen = false, adobeSeen = false;
    std::uint8_t densityUnit = 0, adobeTransform = 0;
    std::uint16_t xDensity = 1, yDensity = 1;

    ScanGeometry scan;

    // Marker reader.
    bool sawSoi = false, sawSof = false;
    int nextRestart = 0;

    // Input controller.
    bool consumingData = false;  // inside a scan of a multi-scan file, else between scans
    bool multipleScans = false, eoiReached = false, inHeaders = true;

    // Entropy decoder.
    BitReader bits;
    EntropyState entropy;

    // Coefficient controller.
    std::array<CoefficientBlock, kMaxBlocksPerMcu> mcuBuffer{};
    int inputImcuRow = 0, outputImcuRow = 0;
    std::uint64_t scanBlocks = 0;         // blocks of every scan begun so far
    std::uint64_t zeroBitBlocksLeft = 0;  // blocks that may still decode from missing data

    // Output side.
    std::vector<ComponentOutput> outputs;
    int slots = 1;            // iMCU rows of samples held: 3 when a filter looks across them
    int imcuRowsDecoded = 0;  // into the sample slots
    int imcuRow = 0;          // the one being delivered
    int rowGroup = 0;         // within it
    int nextOutputRow = 0;    // within the current row group, of max v
    std::uint32_t outputScanline = 0;
};

}  // namespace jpeg::decoder
