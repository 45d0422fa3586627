#include "codecs/jpeg/decoder/output_pass.h"

#include <algorithm>

#include "codecs/jpeg/decoder/coefficient_controller.h"
#include "codecs/jpeg/decoder/colour_output.h"
#include "codecs/jpeg/decoder/input_controller.h"
#include "codecs/jpeg/decoder/marker_reader.h"
#include "codecs/jpeg/decoder/upsampling.h"

namespace jpeg::decoder {
namespace {

// Room behind every row, so that vector code may read and write a little past its end.
constexpr int kRowSlack = 64;

void CheckColourConversion(const JpegDecoderContext& c) {
    const std::size_t count = c.components.size();
    const bool matches = c.jpegColour == ColourSpace::kGrayscale ? count == 1
                         : c.jpegColour == ColourSpace::kUnknown ? count >= 1
                         : c.jpegColour == ColourSpace::kCmyk || c.jpegColour == ColourSpace::kYcck
                             ? count == 4
                             : count == 3;
    if (!matches) Fail(kJpegReadColourMismatch);
    const bool grey = c.outColour == ColourSpace::kGrayscale && c.jpegColour == ColourSpace::kGrayscale;
    const bool colour = c.outColour == ColourSpace::kRgb &&
                        (c.jpegColour == ColourSpace::kYCbCr || c.jpegColour == ColourSpace::kRgb);
    if (!grey && !colour) Fail(kJpegReadNoConversion);
}

void SetUpSampleBuffers(JpegDecoderContext& c) {
    c.outputs.assign(c.components.size(), ComponentOutput{});
    c.slots = 1;
    for (const JpegFrameComponent& component : c.components) {
        ComponentOutput& out = c.outputs[component.index];
        out.method = ChooseUpsampling(component.h, component.v, c.maxH, c.maxV, component.downsampledWidth,
                                      out.hExpand, out.vExpand);
        if (out.method == UpsampleMethod::kTriangle2x2) c.slots = 3;
    }
    const std::size_t expandedWidth =
        static_cast<std::size_t>(c.width) + static_cast<std::size_t>(c.maxH) + kRowSlack;
    for (const JpegFrameComponent& component : c.components) {
        ComponentOutput& out = c.outputs[component.index];
        out.stride = static_cast<std::ptrdiff_t>(component.widthInBlocks) * 8 + kRowSlack;
        out.rowsPerSlot = 8 * component.v;
        out.samples.assign(
            static_cast<std::size_t>(out.stride) * static_cast<std::size_t>(out.rowsPerSlot * c.slots), 0);
        if (out.method != UpsampleMethod::kFullSize) {
            out.expandedStride = static_cast<std::ptrdiff_t>(expandedWidth);
            out.expanded.assign(expandedWidth * static_cast<std::size_t>(c.maxV), 0);
        }
    }
}

// The latched quantisation tables in natural order.
void BuildMultipliers(JpegDecoderContext& c) {
    for (JpegFrameComponent& component : c.components) {
        if (!component.latchedQuant) continue;
        std::array<std::int32_t, kBlockSize> natural;
        for (int k = 0; k < kBlockSize; ++k) natural[kNaturalOrder[k]] = component.latchedQuant->values[k];
        component.idct = MakeIdctTable(natural);
    }
}

// Row `i` (-1 to 8 v) of a component in iMCU row `imcu`. Above the picture the first row
// stands in, below the last real row that row; across iMCU rows the neighbouring slots serve.
const std::uint8_t* SampleRow(const JpegDecoderContext& c, const JpegFrameComponent& component, int imcu,
                              int i) {
    const ComponentOutput& out = c.outputs[component.index];
    const int rows = out.rowsPerSlot;
    const bool last = imcu == c.totalImcuRows - 1;
    const int real = last ? component.downsampledHeight - imcu * rows : rows;
    if (i < 0) {
        if (imcu == 0) {
            i = 0;
        } else {
            --imcu;
            i = rows - 1;
        }
    } else if (i >= real) {
        if (last) {
            i = real - 1;
        } else {
            ++imcu;
            i = 0;
        }
    }
    return out.samples.data() + out.stride * (static_cast<std::ptrdiff_t>(imcu % c.slots) * rows + i);
}

void UpsampleRowGroup(JpegDecoderContext& c) {
    const int group = c.rowGroup, imcu = c.imcuRow;
    for (const JpegFrameComponent& component : c.components) {
        ComponentOutput& out = c.outputs[component.index];
        const int v = component.v, width = component.downsampledWidth;
        for (int j = 0; j < v; ++j) {
            const std::uint8_t* nearer = SampleRow(c, component, imcu, group * v + j);
            std::uint8_t* expanded = out.expanded.data() + out.expandedStride * j * out.vExpand;
            switch (out.method) {
                case UpsampleMethod::kFullSize:
                    out.rows[j] = nearer;
                    break;
                case UpsampleMethod::kTriangle2x1:
                    UpsampleTriangle2x1(nearer, width, expanded);
                    out.rows[j] = expanded;
                    break;
                case UpsampleMethod::kTriangle2x2:
                    UpsampleTriangle2x2(nearer, SampleRow(c, component, imcu, group * v + j - 1), width,
                                        expanded);
                    UpsampleTriangle2x2(nearer, SampleRow(c, component, imcu, group * v + j + 1), width,
                                        expanded + out.expandedStride);
                    out.rows[2 * j] = expanded;
                    out.rows[2 * j + 1] = expanded + out.expandedStride;
                    break;
                case UpsampleMethod::kBox:
                    UpsampleBox(nearer, static_cast<int>(c.width), out.hExpand, expanded);
                    for (int k = 0; k < out.vExpand; ++k) out.rows[j * out.vExpand + k] = expanded;
                    break;
            }
        }
    }
}

}  // namespace

void StartDecompress(JpegDecoderContext& c) {
    if (c.state != DecoderState::kReady) Fail(kJpegReadBadState);
    CheckColourConversion(c);
    SetUpSampleBuffers(c);
    if (c.arithmetic) Fail(kJpegReadArithmetic);
    SetUpCoefficients(c);
    StartInputPass(c);
    c.state = DecoderState::kPreloading;
    if (c.multipleScans)
        while (ConsumeInput(c) != kReachedEoi) {
        }
    BuildMultipliers(c);
    StartOutputCoefficients(c);
    c.imcuRow = c.rowGroup = 0;
    c.imcuRowsDecoded = 0;
    c.nextOutputRow = c.maxV;
    c.outputScanline = 0;
    c.state = DecoderState::kScanning;
}

void ReadScanline(JpegDecoderContext& c, std::uint8_t* row) {
    if (c.state != DecoderState::kScanning) Fail(kJpegReadBadState);
    if (c.nextOutputRow == c.maxV) {
        if (c.rowGroup == 8) {
            ++c.imcuRow;
            c.rowGroup = 0;
        }
        // The filter across iMCU rows needs the next one decoded too.
        const int needed = std::min(c.imcuRow + (c.slots == 3 ? 2 : 1), c.totalImcuRows);
        for (; c.imcuRowsDecoded < needed; ++c.imcuRowsDecoded)
            DecompressData(c, c.imcuRowsDecoded % c.slots);
        UpsampleRowGroup(c);
        c.nextOutputRow = 0;
    }
    const auto& rows = [&](int component) { return c.outputs[component].rows[c.nextOutputRow]; };
    const int width = static_cast<int>(c.width);
    if (c.jpegColour == ColourSpace::kGrayscale)
        ConvertGrayRow(rows(0), width, row);
    else if (c.jpegColour == ColourSpace::kRgb)
        ConvertRgbRow(rows(0), rows(1), rows(2), width, row);
    else
        ConvertYCbCrRow(rows(0), rows(1), rows(2), width, row);
    ++c.outputScanline;
    if (++c.nextOutputRow == c.maxV) ++c.rowGroup;
}

}  // namespace jpeg::decoder
