// Cuts an iMCU row of samples into MCUs, transforms and quantises their blocks (dummy blocks
// where the picture ends) and Huffman-codes them.
#pragma once

#include <array>
#include <cstdint>

#include "codecs/jpeg/forward_dct.h"
#include "codecs/jpeg/huffman_encoder.h"
#include "codecs/jpeg/jpeg_layout.h"
#include "codecs/jpeg/jpeg_output.h"
#include "codecs/jpeg/jpeg_tables.h"
#include "codecs/jpeg/sample_pipeline.h"

namespace jpeg {

class McuEncoder {
  public:
    explicit McuEncoder(OutputBuffer& out) : bits_(out) {}

    // Prepares the scan: divisors, code tables, zero predictors, empty bit buffer.
    void Start(const FrameLayout& layout, const std::array<EncoderQuantTable, 2>& quant,
               const std::array<EncoderHuffTable, 2>& dc, const std::array<EncoderHuffTable, 2>& ac);

    void EncodeImcuRow(const FrameLayout& layout, const SamplePipeline& samples, bool lastImcuRow);

    // Pads the last byte of the scan with one-bits.
    void Finish() { bits_.Flush(); }

  private:
    // The blocks of component `c` in MCU column `column`, starting at MCU block `next`; returns
    // the block after them.
    int FillComponent(const FrameLayout& layout, const SamplePipeline& samples, int c, int column,
                      bool lastImcuRow, int next);

    std::array<Quantiser, 2> quantisers_;
    std::array<DerivedHuffTable, 2> dcCodes_, acCodes_;
    std::array<std::int32_t, kComponentCount> predictors_{};
    std::array<QuantisedBlock, kMaxBlocksPerMcu> mcu_{};
    std::array<std::int32_t, kBlockSize> workspace_{};
    BitWriter bits_;
};

}  // namespace jpeg
