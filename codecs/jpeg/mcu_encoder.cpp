#include "codecs/jpeg/mcu_encoder.h"

#include "codecs/jpeg/jpeg_failure.h"

namespace jpeg {

void McuEncoder::Start(const FrameLayout& layout, const std::array<EncoderQuantTable, 2>& quant,
                       const std::array<EncoderHuffTable, 2>& dc, const std::array<EncoderHuffTable, 2>& ac) {
    std::array<bool, 2> quantUsed{}, dcUsed{}, acUsed{};
    for (const JpegComponent& c : layout.components) {
        if (c.quantTable < 0 || c.quantTable > 1) Fail(kJpegBadQuantTable);
        if (c.dcTable < 0 || c.dcTable > 1 || c.acTable < 0 || c.acTable > 1) Fail(kJpegBadHuffmanTable);
        quantUsed[c.quantTable] = dcUsed[c.dcTable] = acUsed[c.acTable] = true;
    }
    for (int t = 0; t < 2; ++t) {
        if (quantUsed[t]) quantisers_[t].Build(quant[t]);
        if (dcUsed[t]) DeriveHuffTable(dc[t], dcCodes_[t]);
        if (acUsed[t]) DeriveHuffTable(ac[t], acCodes_[t]);
    }
    predictors_.fill(0);
    bits_.Reset();
}

int McuEncoder::FillComponent(const FrameLayout& layout, const SamplePipeline& samples, int c, int column,
                              bool lastImcuRow, int next) {
    const JpegComponent& component = layout.components[c];
    const Quantiser& quantiser = quantisers_[component.quantTable];
    const int across = column == layout.mcusPerRow - 1 ? component.lastColumnWidth : component.mcuWidth;
    const int stride = samples.Stride(c);
    for (int y = 0; y < component.mcuHeight; ++y) {
        if (!lastImcuRow || y < component.lastRowHeight) {
            const std::uint8_t* origin =
                samples.Samples(c) + y * 8 * stride + column * component.mcuSampleWidth;
            for (int x = 0; x < across; ++x, ++next) {
                ForwardDct(origin + 8 * x, stride, workspace_.data());
                quantiser.Quantise(workspace_.data(), mcu_[next]);
            }
            for (int x = across; x < component.mcuWidth; ++x, ++next)
                mcu_[next].SetFlat(mcu_[next - 1].zigzag[0]);
        } else {
            // A block row below the picture: flat blocks at the level of the block before the row.
            const std::int16_t level = mcu_[next - 1].zigzag[0];
            for (int x = 0; x < component.mcuWidth; ++x, ++next) mcu_[next].SetFlat(level);
        }
    }
    return next;
}

void McuEncoder::EncodeImcuRow(const FrameLayout& layout, const SamplePipeline& samples, bool lastImcuRow) {
    for (int column = 0; column < layout.mcusPerRow; ++column) {
        int next = 0;
        for (int c = 0; c < kComponentCount; ++c)
            next = FillComponent(layout, samples, c, column, lastImcuRow, next);
        for (int b = 0; b < layout.blocksPerMcu; ++b) {
            const JpegComponent& component = layout.components[layout.membership[b]];
            EncodeBlock(bits_, mcu_[b], predictors_[layout.membership[b]], dcCodes_[component.dcTable],
                        acCodes_[component.acTable]);
        }
    }
}

}  // namespace jpeg
