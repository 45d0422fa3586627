#include "codecs/jpeg/decoder/entropy_decoder.h"

#include "codecs/jpeg/decoder/marker_reader.h"

namespace jpeg::decoder {
namespace {

// Natural position of each zigzag index, with runs past the end falling on the last one.
constexpr std::array<std::uint8_t, kBlockSize + 16> kNaturalExtended = [] {
    std::array<std::uint8_t, kBlockSize + 16> table{};
    for (int k = 0; k < kBlockSize + 16; ++k) table[k] = kNaturalOrder[k < 64 ? k : 63];
    return table;
}();

const JpegDerivedHuffTable& Derive(JpegDecoderContext& c, bool ac, int slot) {
    const auto& tables = ac ? c.acTables : c.dcTables;
    if (slot < 0 || slot > 3 || !tables[slot]) Fail(kJpegReadMissingHuffmanTable);
    std::unique_ptr<JpegDerivedHuffTable>& derived = (ac ? c.entropy.acTables : c.entropy.dcTables)[slot];
    if (!derived) derived = std::make_unique<JpegDerivedHuffTable>();
    DeriveHuffTable(*tables[slot], ac, *derived);
    return *derived;
}

const JpegFrameComponent& ScanComponent(const JpegDecoderContext& c, int i) {
    return c.components[c.scan.components[static_cast<std::size_t>(i)]];
}

void CheckProgression(const JpegDecoderContext& c) {
    const ScanGeometry& s = c.scan;
    bool bad = s.ss == 0 ? s.se != 0 : s.se < s.ss || s.se > 63 || s.componentCount != 1;
    if (s.ah != 0 && s.al != s.ah - 1) bad = true;
    if (s.al > 13) bad = true;
    if (bad) Fail(kJpegReadBadProgression);
}

// A DC difference of a category above 16, which 8-bit files do not have: its s bits are read all
// the same, and since only the low 16 bits of the predictor ever reach a coefficient, the
// difference is kept modulo 2^16.
std::uint32_t ReceiveLongDifference(BitReader& bits, int s) {
    const std::uint32_t top = bits.GetBits(1);
    for (int skip = s - 17; skip > 0; skip -= 16) bits.GetBits(skip < 16 ? skip : 16);
    const std::uint32_t low = bits.GetBits(16);
    return top != 0 ? low : low + 1;
}

// A DC difference: s bits with the sign rule. The rare long ones are read by a copy of the
// reader, so that the reader itself stays in registers.
inline std::uint32_t ReceiveDifference(BitReader& bits, int s) {
    if (s <= 16) return static_cast<std::uint32_t>(bits.Receive(s));
    BitReader copy = bits;
    const std::uint32_t difference = ReceiveLongDifference(copy, s);
    bits = copy;
    return difference;
}

std::int16_t Truncate(std::uint32_t value) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(value));
}

void ProcessRestart(JpegDecoderContext& c) {
    c.bits.Reset();
    ReadRestartMarker(c);
    c.entropy.dcPredictors.fill(0);
    c.entropy.endOfBandRun = 0;
    c.entropy.restartsLeft = c.restartInterval;
}

// The next run-size symbol of an AC table and the value that follows it (0 for none).
struct RunValue {
    int run, size;
    std::int32_t value;
};
inline RunValue DecodeRunValue(BitReader& bits, const JpegDerivedHuffTable& ac) {
    bits.EnsureBits(32);
    int rs;
    std::int32_t value;
    if (!bits.LookUp(ac, rs, value)) {
        rs = bits.DecodeLongSymbol(ac);
        value = (rs & 15) != 0 ? bits.Receive(rs & 15) : 0;
    }
    return {rs >> 4, rs & 15, value};
}

// The DC difference of the next block.
inline std::uint32_t DecodeDifference(BitReader& bits, const JpegDerivedHuffTable& dc) {
    bits.EnsureBits(32);
    int s;
    std::int32_t value;
    if (bits.LookUp(dc, s, value)) return static_cast<std::uint32_t>(value);
    s = bits.DecodeSymbol(dc);
    return s != 0 ? ReceiveDifference(bits, s) : 0;
}

void DecodeSequential(JpegDecoderContext& c, CoefficientBlock* const* blocks) {
    EntropyState& e = c.entropy;
    BitReader bits = c.bits;
    for (int b = 0; b < c.scan.blocksInMcu; ++b) {
        const int i = c.scan.membership[b];
        const JpegFrameComponent& component = ScanComponent(c, i);
        const JpegDerivedHuffTable& ac = *e.acTables[component.acTable];
        std::int16_t* block = blocks[b]->data();
        std::uint32_t& predictor = e.dcPredictors[i];
        predictor += DecodeDifference(bits, *e.dcTables[component.dcTable]);
        block[0] = Truncate(predictor);
        for (int k = 1; k < 64; ++k) {
            const RunValue symbol = DecodeRunValue(bits, ac);
            if (symbol.size != 0) {
                k += symbol.run;
                block[kNaturalExtended[k]] = static_cast<std::int16_t>(symbol.value);
            } else if (symbol.run == 15) {
                k += 15;
            } else {
                break;
            }
        }
    }
    c.bits = bits;
}

void DecodeDcFirst(JpegDecoderContext& c, CoefficientBlock* const* blocks) {
    EntropyState& e = c.entropy;
    for (int b = 0; b < c.scan.blocksInMcu; ++b) {
        const int i = c.scan.membership[b];
        const int s = c.bits.DecodeSymbol(*e.dcTables[ScanComponent(c, i).dcTable]);
        std::uint32_t& predictor = e.dcPredictors[i];
        if (s != 0) predictor += ReceiveDifference(c.bits, s);
        (*blocks[b])[0] = Truncate(predictor << c.scan.al);
    }
}

void DecodeDcRefine(JpegDecoderContext& c, CoefficientBlock* const* blocks) {
    for (int b = 0; b < c.scan.blocksInMcu; ++b)
        if (c.bits.GetBits(1) != 0)
            (*blocks[b])[0] = static_cast<std::int16_t>((*blocks[b])[0] | (1 << c.scan.al));
}

// The length of an end-of-band run from its EOBr symbol (r below 15): 2^r plus r more bits.
std::uint32_t EndOfBandRun(BitReader& bits, int r) {
    return (1u << r) + (r != 0 ? bits.GetBits(r) : 0);
}

// Bit k for each zigzag place k from `first` to `last` (within 0 to 63), none when first > last.
inline std::uint64_t Places(int first, int last) {
    return first > last ? 0 : (~std::uint64_t{0} >> (63 - last)) & (~std::uint64_t{0} << first);
}

// The map bit of a zigzag index (indices past the block fall on its last place).
inline std::uint64_t Place(int k) {
    return std::uint64_t{1} << (k < 63 ? k : 63);
}

void DecodeAcFirst(JpegDecoderContext& c, CoefficientBlock* const* blocks, std::uint64_t* const* nonzero) {
    EntropyState& e = c.entropy;
    if (e.endOfBandRun > 0) {
        --e.endOfBandRun;
        return;
    }
    const JpegDerivedHuffTable& ac = *e.acTables[ScanComponent(c, 0).acTable];
    const int se = c.scan.se, al = c.scan.al;
    std::int16_t* block = blocks[0]->data();
    std::uint64_t map = *nonzero[0];
    BitReader bits = c.bits;
    for (int k = c.scan.ss; k <= se; ++k) {
        const RunValue symbol = DecodeRunValue(bits, ac);
        if (symbol.size != 0) {
            k += symbol.run;
            const std::int16_t value = Truncate(static_cast<std::uint32_t>(symbol.value) << al);
            block[kNaturalExtended[k]] = value;
            map = value != 0 ? map | Place(k) : map & ~Place(k);
        } else if (symbol.run == 15) {
            k += 15;
        } else {
            e.endOfBandRun = EndOfBandRun(bits, symbol.run) - 1;
            break;
        }
    }
    *nonzero[0] = map;
    c.bits = bits;
}

// A coefficient that is already nonzero takes one correction bit: when set, and the bit is not
// there yet, its magnitude grows by 2^Al.
inline void Correct(BitReader& bits, std::int16_t& coefficient, int p1) {
    if (bits.GetBits(1) != 0 && (coefficient & p1) == 0)
        coefficient = static_cast<std::int16_t>(coefficient >= 0 ? coefficient + p1 : coefficient - p1);
}

// Correction bits for the nonzero coefficients at the places of `map`, in zigzag order.
inline void CorrectAll(BitReader& bits, std::int16_t* block, std::uint64_t map, int p1) {
    for (; map != 0; map &= map - 1) Correct(bits, block[kNaturalOrder[__builtin_ctzll(map)]], p1);
}

void DecodeAcRefine(JpegDecoderContext& c, CoefficientBlock* const* blocks, std::uint64_t* const* nonzero) {
    EntropyState& e = c.entropy;
    const int p1 = 1 << c.scan.al, se = c.scan.se;
    const JpegDerivedHuffTable& ac = *e.acTables[ScanComponent(c, 0).acTable];
    std::uint64_t map = *nonzero[0];
    if (e.endOfBandRun > 0 && (map & Places(c.scan.ss, se)) == 0) {
        --e.endOfBandRun;  // nothing in the band to correct
        return;
    }
    std::int16_t* block = blocks[0]->data();
    BitReader bits = c.bits;
    std::uint32_t run = e.endOfBandRun;
    int k = c.scan.ss;
    if (run == 0) {
        for (; k <= se; ++k) {
            const int rs = bits.DecodeSymbol(ac);
            const int r = rs >> 4;
            int value = 0;
            if ((rs & 15) != 0) {
                value = bits.GetBits(1) != 0 ? p1 : -p1;  // any size counts as 1
            } else if (r != 15) {
                run = EndOfBandRun(bits, r);
                break;
            }
            // Past r zero coefficients to the next one, correcting the nonzero ones on the way
            // (to the band's end when the zeros run out).
            std::uint64_t zeros = ~map & Places(k, se);
            for (int skip = 0; skip < r && zeros != 0; ++skip) zeros &= zeros - 1;
            const int stop = zeros != 0 ? __builtin_ctzll(zeros) : se + 1;
            CorrectAll(bits, block, map & Places(k, stop - 1), p1);
            k = stop;
            if (value != 0) {
                block[kNaturalExtended[k]] = static_cast<std::int16_t>(value);
                map |= Place(k);
            }
        }
    }
    if (run > 0) {
        CorrectAll(bits, block, map & Places(k, se), p1);
        --run;
    }
    *nonzero[0] = map;
    e.endOfBandRun = run;
    c.bits = bits;
}

// Whether the next MCU, which lies behind the end of its scan's data (up to the next restart)
// where every bit is zero, is decoded. Such blocks decode for one pass over the frame in all;
// later ones keep what they hold, so that scans without data cost little. Zero bits change
// nothing in a DC refinement or in the blocks of an end-of-band run: those are passed over
// without taking from the allowance.
bool DecodesFromZeroBits(JpegDecoderContext& c) {
    EntropyState& e = c.entropy;
    if (e.decoder == ScanDecoder::kDcRefine) return false;
    if (e.endOfBandRun > 0 && (e.decoder == ScanDecoder::kAcFirst || e.decoder == ScanDecoder::kAcRefine)) {
        --e.endOfBandRun;
        return false;
    }
    const auto blocks = static_cast<std::uint64_t>(c.scan.blocksInMcu);
    if (c.zeroBitBlocksLeft < blocks) return false;
    c.zeroBitBlocksLeft -= blocks;
    return true;
}

// The restart before the next MCU, when one is due; false when the MCU lies behind the end of
// its scan's data and is passed over.
bool StartMcu(JpegDecoderContext& c) {
    if (c.restartInterval != 0) {
        if (c.entropy.restartsLeft == 0) ProcessRestart(c);
        --c.entropy.restartsLeft;
    }
    c.bits.EnsureBits(1);  // so that a marker right at the start of the data is seen
    return !c.bits.AtEnd() || DecodesFromZeroBits(c);
}

}  // namespace

void StartScanDecoding(JpegDecoderContext& c) {
    EntropyState& e = c.entropy;
    const ScanGeometry& s = c.scan;
    if (!c.progressive) {
        e.decoder = ScanDecoder::kSequential;
        for (int i = 0; i < s.componentCount; ++i) {
            Derive(c, false, ScanComponent(c, i).dcTable);
            Derive(c, true, ScanComponent(c, i).acTable);
        }
    } else {
        CheckProgression(c);
        if (s.ss == 0) {
            e.decoder = s.ah == 0 ? ScanDecoder::kDcFirst : ScanDecoder::kDcRefine;
            if (s.ah == 0)
                for (int i = 0; i < s.componentCount; ++i) Derive(c, false, ScanComponent(c, i).dcTable);
        } else {
            e.decoder = s.ah == 0 ? ScanDecoder::kAcFirst : ScanDecoder::kAcRefine;
            Derive(c, true, ScanComponent(c, 0).acTable);
        }
    }
    e.dcPredictors.fill(0);
    e.endOfBandRun = 0;
    e.restartsLeft = c.restartInterval;
    c.bits.Reset();
}

void DecodeMcu(JpegDecoderContext& c, CoefficientBlock* const* blocks, std::uint64_t* const* nonzero) {
    if (!StartMcu(c)) return;
    switch (c.entropy.decoder) {
        case ScanDecoder::kSequential:
            DecodeSequential(c, blocks);
            break;
        case ScanDecoder::kDcFirst:
            DecodeDcFirst(c, blocks);
            break;
        case ScanDecoder::kDcRefine:
            DecodeDcRefine(c, blocks);
            break;
        case ScanDecoder::kAcFirst:
            DecodeAcFirst(c, blocks, nonzero);
            break;
        case ScanDecoder::kAcRefine:
            DecodeAcRefine(c, blocks, nonzero);
            break;
    }
}

void DecodeOneBlockMcus(JpegDecoderContext& c, CoefficientBlock* blocks, std::uint64_t* nonzero, int count) {
    // The progressive decoders chosen once for all of them.
    const auto each = [&](auto decode) {
        for (int m = 0; m < count; ++m) {
            if (!StartMcu(c)) continue;
            CoefficientBlock* block = blocks + m;
            std::uint64_t* map = nonzero + m;
            decode(&block, &map);
        }
    };
    switch (c.entropy.decoder) {
        case ScanDecoder::kSequential:
            for (int m = 0; m < count; ++m) {
                CoefficientBlock* block = blocks + m;
                DecodeMcu(c, &block, nullptr);
            }
            break;
        case ScanDecoder::kDcFirst:
            each([&](CoefficientBlock* const* block, std::uint64_t* const*) { DecodeDcFirst(c, block); });
            break;
        case ScanDecoder::kDcRefine:
            each([&](CoefficientBlock* const* block, std::uint64_t* const*) { DecodeDcRefine(c, block); });
            break;
        case ScanDecoder::kAcFirst:
            each([&](CoefficientBlock* const* block, std::uint64_t* const* map) {
                DecodeAcFirst(c, block, map);
            });
            break;
        case ScanDecoder::kAcRefine:
            each([&](CoefficientBlock* const* block, std::uint64_t* const* map) {
                DecodeAcRefine(c, block, map);
            });
            break;
    }
}

}  // namespace jpeg::decoder
