// The encoder of one file: parameters, the single pass and its calling order.
//
// States: 0 released, 100 parameters may be set, 101 compressing. The steps run in this
// order, each checking the state it needs (10 otherwise): Reset, SetDefaults, SetQuality,
// Start, WriteRow once per image row, Finish, Release.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "codecs/jpeg/colour_conversion.h"
#include "codecs/jpeg/jpeg_layout.h"
#include "codecs/jpeg/jpeg_output.h"
#include "codecs/jpeg/jpeg_source.h"
#include "codecs/jpeg/jpeg_tables.h"
#include "codecs/jpeg/mcu_encoder.h"
#include "codecs/jpeg/sample_pipeline.h"

namespace jpeg {

class JpegCompressor {
  public:
    static constexpr int kReleased = 0, kReady = 100, kCompressing = 101;

    explicit JpegCompressor(ClassicFile& file) : out_(file), mcu_(out_) {}

    int State() const { return state_; }

    // Counters to zero, state 100.
    void Reset();
    // The picture to compress; sizes are checked by Start.
    void SetSource(const JpegSource& source);
    // Y, Cb, Cr with 4:2:0 sampling and the typical Huffman tables.
    void SetDefaults();
    void SetQuality(std::int32_t quality, bool forceBaseline);
    // Checks the sizes (23, 27), lays out the frame, allocates the buffers, writes SOI and APP0
    // and prepares the pass. State 101.
    void Start();
    // Compresses the next image row, writing the frame and scan headers before the first.
    void WriteRow();
    // Ends the scan, writes EOI and the rest of the buffer. State 100.
    void Finish();
    // Frees the working memory. State 0.
    void Release();

  private:
    void Require(int state) const;

    int state_ = kReleased;
    JpegSource source_;
    FrameLayout layout_;
    std::array<EncoderQuantTable, 2> quant_;
    std::array<EncoderHuffTable, 2> dcHuff_, acHuff_;
    OutputBuffer out_;
    ColourConverter colour_;
    std::unique_ptr<PaletteConverter> palette_;
    SamplePipeline samples_;
    McuEncoder mcu_;
    std::int32_t nextScanline_ = 0;
    int imcuRow_ = 0;
    bool headersPending_ = false;
};

}  // namespace jpeg
