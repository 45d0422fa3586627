#include "codecs/jpeg/decoder/coefficient_controller.h"

#include <algorithm>

#include "codecs/jpeg/decoder/entropy_decoder.h"
#include "codecs/jpeg/decoder/input_controller.h"
#include "codecs/jpeg/decoder/inverse_dct.h"

namespace jpeg::decoder {
namespace {

JpegFrameComponent& ScanComponent(JpegDecoderContext& c, int i) {
    return c.components[c.scan.components[static_cast<std::size_t>(i)]];
}

// MCU rows of the current scan in iMCU row `row`.
int McuRowsIn(JpegDecoderContext& c, int row) {
    if (c.scan.componentCount > 1) return 1;
    const JpegFrameComponent& component = ScanComponent(c, 0);
    return row < c.totalImcuRows - 1 ? component.v : component.lastRowHeight;
}

std::uint8_t* SampleRows(JpegDecoderContext& c, const JpegFrameComponent& component, int slot) {
    ComponentOutput& out = c.outputs[component.index];
    return out.samples.data() + out.stride * out.rowsPerSlot * slot;
}

// An MCU of a sequential scan into blocks that may hold an earlier scan's coefficients: decoded
// into zeroed blocks, of which the blocks take the DC and every AC coefficient the scan sets, as
// if decoded in place.
void DecodeSequentialOver(JpegDecoderContext& c, CoefficientBlock* const* blocks) {
    std::array<CoefficientBlock*, kMaxBlocksPerMcu> fresh{};
    for (int b = 0; b < c.scan.blocksInMcu; ++b) fresh[b] = &c.mcuBuffer[b];
    if (!DecodeMcu(c, fresh.data(), nullptr)) return;
    for (int b = 0; b < c.scan.blocksInMcu; ++b) {
        CoefficientBlock& block = *blocks[b];
        const CoefficientBlock& decoded = c.mcuBuffer[b];
        block[0] = decoded[0];
        for (int i = 1; i < kBlockSize; ++i) block[i] = decoded[i] != 0 ? decoded[i] : block[i];
    }
}

}  // namespace

void SetUpCoefficients(JpegDecoderContext& c) {
    if (!c.multipleScans) return;
    for (JpegFrameComponent& component : c.components) {
        const std::size_t rows =
            static_cast<std::size_t>(c.totalImcuRows) * static_cast<std::size_t>(component.v);
        component.store.assign(rows * static_cast<std::size_t>(component.storeBlocksPerRow),
                               CoefficientBlock{});
        component.nonzero.assign(component.store.size(), 0);
    }
}

void StartInputCoefficients(JpegDecoderContext& c) {
    c.inputImcuRow = 0;
}

int ConsumeData(JpegDecoderContext& c) {
    const int row = c.inputImcuRow;
    const int mcuRows = McuRowsIn(c, row);
    if (c.progressive && c.scan.componentCount == 1) {
        // One block an MCU, row after row.
        JpegFrameComponent& component = ScanComponent(c, 0);
        for (int y = 0; y < mcuRows; ++y) {
            const std::size_t first = (std::size_t(row) * std::size_t(component.v) + std::size_t(y)) *
                                      std::size_t(component.storeBlocksPerRow);
            DecodeOneBlockMcus(c, &component.store[first], &component.nonzero[first], c.scan.mcusPerRow);
        }
    } else {
        std::array<CoefficientBlock*, kMaxBlocksPerMcu> blocks{};
        std::array<std::uint64_t*, kMaxBlocksPerMcu> nonzero{};
        for (int y = 0; y < mcuRows; ++y) {
            for (int column = 0; column < c.scan.mcusPerRow; ++column) {
                int b = 0;
                for (int i = 0; i < c.scan.componentCount; ++i) {
                    JpegFrameComponent& component = ScanComponent(c, i);
                    for (int by = 0; by < component.mcuHeight; ++by) {
                        const std::size_t blockRow =
                            std::size_t(row) * std::size_t(component.v) + std::size_t(y + by);
                        const std::size_t first = blockRow * std::size_t(component.storeBlocksPerRow) +
                                                  std::size_t(column) * std::size_t(component.mcuWidth);
                        for (int bx = 0; bx < component.mcuWidth; ++bx, ++b) {
                            blocks[b] = &component.store[first + bx];
                            nonzero[b] = &component.nonzero[first + bx];
                        }
                    }
                }
                if (c.progressive)
                    DecodeMcu(c, blocks.data(), nonzero.data());
                else
                    DecodeSequentialOver(c, blocks.data());
            }
        }
    }
    if (++c.inputImcuRow < c.totalImcuRows) return kRowCompleted;
    FinishInputPass(c);
    return kScanCompleted;
}

void StartOutputCoefficients(JpegDecoderContext& c) {
    c.outputImcuRow = 0;
}

int DecompressData(JpegDecoderContext& c, int slot) {
    const int row = c.outputImcuRow;
    const bool lastRow = row == c.totalImcuRows - 1;
    std::array<IdctBlock, 16> jobs;
    if (c.multipleScans) {
        for (JpegFrameComponent& component : c.components) {
            const ComponentOutput& out = c.outputs[component.index];
            std::uint8_t* samples = SampleRows(c, component, slot);
            int blockRows = component.v;
            if (lastRow && component.heightInBlocks % component.v != 0)
                blockRows = component.heightInBlocks % component.v;
            for (int by = 0; by < blockRows; ++by) {
                const CoefficientBlock* block =
                    component.store.data() +
                    (static_cast<std::size_t>(row) * static_cast<std::size_t>(component.v) +
                     static_cast<std::size_t>(by)) *
                        static_cast<std::size_t>(component.storeBlocksPerRow);
                std::uint8_t* rowStart = samples + out.stride * 8 * by;
                for (int bx = 0; bx < component.widthInBlocks;) {
                    int n = 0;
                    for (; n < int(jobs.size()) && bx < component.widthInBlocks; ++n, ++bx)
                        jobs[n] = {&component.idct, block[bx].data(), rowStart + 8 * bx, out.stride};
                    InverseDctBlocks(jobs.data(), n);
                }
            }
        }
    } else {
        // As many MCUs at a time as the buffer holds, so that small ones give the inverse DCT
        // blocks in pairs too.
        std::array<CoefficientBlock*, kMaxBlocksPerMcu> blocks{};
        for (int b = 0; b < kMaxBlocksPerMcu; ++b) blocks[b] = &c.mcuBuffer[b];
        const int perBatch = kMaxBlocksPerMcu / c.scan.blocksInMcu;
        const int mcuRows = McuRowsIn(c, row);
        for (int y = 0; y < mcuRows; ++y) {
            for (int first = 0; first < c.scan.mcusPerRow; first += perBatch) {
                const int count = std::min(perBatch, c.scan.mcusPerRow - first);
                int n = 0;
                for (int m = 0; m < count; ++m) {
                    const int column = first + m;
                    CoefficientBlock* const* mcu = blocks.data() + m * c.scan.blocksInMcu;
                    if (!DecodeMcu(c, mcu, nullptr))  // passed over: no coefficients
                        for (int b = 0; b < c.scan.blocksInMcu; ++b) mcu[b]->fill(0);
                    const bool lastColumn = column == c.scan.mcusPerRow - 1;
                    int b = 0;
                    for (int i = 0; i < c.scan.componentCount; ++i) {
                        JpegFrameComponent& component = ScanComponent(c, i);
                        const ComponentOutput& out = c.outputs[component.index];
                        const int usefulWidth = lastColumn ? component.lastColumnWidth : component.mcuWidth;
                        std::uint8_t* samples = SampleRows(c, component, slot) + out.stride * 8 * y +
                                                column * component.mcuSampleWidth;
                        for (int by = 0; by < component.mcuHeight; ++by, b += component.mcuWidth) {
                            if (lastRow && y + by >= component.lastRowHeight) continue;
                            for (int bx = 0; bx < usefulWidth; ++bx)
                                jobs[n++] = {&component.idct, mcu[b + bx]->data(),
                                             samples + out.stride * 8 * by + 8 * bx, out.stride};
                        }
                    }
                }
                InverseDctBlocks(jobs.data(), n);
            }
        }
        if (lastRow) FinishInputPass(c);
    }
    return ++c.outputImcuRow < c.totalImcuRows ? kRowCompleted : kScanCompleted;
}

}  // namespace jpeg::decoder
