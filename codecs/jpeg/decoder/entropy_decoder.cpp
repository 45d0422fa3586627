#include "codecs/jpeg/decoder/entropy_decoder.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "codecs/jpeg/decoder/marker_reader.h"

namespace jpeg::decoder {
namespace {

// Natural position of each zigzag index, with runs past the end falling on the last one, as far
// as a run or an end of band from the last place can reach.
constexpr std::array<std::uint8_t, 2 * kBlockSize> kNaturalExtended = [] {
    std::array<std::uint8_t, 2 * kBlockSize> table{};
    for (int k = 0; k < 2 * kBlockSize; ++k) table[k] = kNaturalOrder[k < 64 ? k : 63];
    return table;
}();

const JpegDerivedHuffTable* Derive(JpegDecoderContext& c, HuffTableKind kind, int slot) {
    const bool ac = kind != HuffTableKind::kDc;
    const auto& tables = ac ? c.acTables : c.dcTables;
    if (slot < 0 || slot > 3 || !tables[slot]) Fail(kJpegReadMissingHuffmanTable);
    std::unique_ptr<JpegDerivedHuffTable>& derived = (ac ? c.entropy.acTables : c.entropy.dcTables)[slot];
    if (!derived) derived.reset(new JpegDerivedHuffTable);  // the look-up left for the derivation to fill
    DeriveHuffTable(*tables[slot], kind, *derived);
    return derived.get();
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

// A symbol of an AC table with the value that follows it (0 for none), and its advance.
struct SymbolValue {
    int symbol, advance;
    std::int32_t value;
};

// The same for a code the look-up does not complete.
inline SymbolValue DecodeSymbolValueSlowly(BitReader& bits, const JpegDerivedHuffTable& table,
                                           std::uint32_t entry) {
    bits.EnsureBits(32);
    const int symbol = bits.TakeSymbol(table, entry);
    const int size = ValueSize(table.kind, symbol);
    const bool ends = (symbol & 15) == 0 && symbol >> 4 != 15;
    return {symbol, ends ? 64 : symbol >> 4, size != 0 ? bits.Receive(size) : 0};
}

inline SymbolValue DecodeSymbolValue(BitReader& bits, const JpegDerivedHuffTable& table) {
    bits.EnsureBits(kLookupBits);
    const std::uint32_t entry = bits.Entry(table);
    const int takes = LookupTakes(entry);
    if (takes == 0) return DecodeSymbolValueSlowly(bits, table, entry);
    bits.Skip(takes);
    return {LookupSymbol(entry), LookupAdvance(entry), LookupValue(entry)};
}

// The DC difference of the next block.
inline std::uint32_t DecodeDifference(BitReader& bits, const JpegDerivedHuffTable& dc) {
    bits.EnsureBits(kLookupBits);
    const std::uint32_t entry = bits.Entry(dc);
    const int takes = LookupTakes(entry);
    if (takes != 0) {
        bits.Skip(takes);
        return static_cast<std::uint32_t>(LookupValue(entry));
    }
    bits.EnsureBits(32);
    const int s = bits.TakeSymbol(dc, entry);
    return s != 0 ? ReceiveDifference(bits, s) : 0;
}

// Zeros in a few vector stores, where a call or a string instruction would cost more.
inline void Clear(std::int16_t* block) {
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    auto* at = reinterpret_cast<__m128i*>(block);
    _mm_storeu_si128(at, zero);
    _mm_storeu_si128(at + 1, zero);
    _mm_storeu_si128(at + 2, zero);
    _mm_storeu_si128(at + 3, zero);
    _mm_storeu_si128(at + 4, zero);
    _mm_storeu_si128(at + 5, zero);
    _mm_storeu_si128(at + 6, zero);
    _mm_storeu_si128(at + 7, zero);
#else
    std::fill_n(block, kBlockSize, std::int16_t{0});
#endif
}

// Every AC symbol is stored at its place, the end of band and 16 zeros as a zero, into blocks
// cleared first.
void DecodeSequential(JpegDecoderContext& c, CoefficientBlock* const* blocks) {
    EntropyState& e = c.entropy;
    BitReader bits = c.bits;
    for (int b = 0; b < c.scan.blocksInMcu; ++b) {
        const BlockTables tables = e.blockTables[b];
        std::int16_t* block = blocks[b]->data();
        Clear(block);
        std::uint32_t& predictor = e.dcPredictors[tables.scanComponent];
        predictor += DecodeDifference(bits, *tables.dc);
        block[0] = Truncate(predictor);
        for (int k = 1; k < 64; ++k) {
            const SymbolValue symbol = DecodeSymbolValue(bits, *tables.ac);
            k += symbol.advance;
            block[kNaturalExtended[k]] = static_cast<std::int16_t>(symbol.value);
        }
    }
    c.bits = bits;
}

void DecodeDcFirst(JpegDecoderContext& c, CoefficientBlock* const* blocks) {
    EntropyState& e = c.entropy;
    BitReader bits = c.bits;
    for (int b = 0; b < c.scan.blocksInMcu; ++b) {
        std::uint32_t& predictor = e.dcPredictors[e.blockTables[b].scanComponent];
        predictor += DecodeDifference(bits, *e.blockTables[b].dc);
        (*blocks[b])[0] = Truncate(predictor << c.scan.al);
    }
    c.bits = bits;
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
    const JpegDerivedHuffTable& ac = *e.blockTables[0].ac;
    const int se = c.scan.se, al = c.scan.al;
    std::int16_t* block = blocks[0]->data();
    std::uint64_t map = *nonzero[0];
    BitReader bits = c.bits;
    for (int k = c.scan.ss; k <= se; ++k) {
        const SymbolValue symbol = DecodeSymbolValue(bits, ac);
        const int run = symbol.symbol >> 4;
        if ((symbol.symbol & 15) != 0) {
            k += run;
            const std::int16_t value = Truncate(static_cast<std::uint32_t>(symbol.value) << al);
            block[kNaturalExtended[k]] = value;
            map = value != 0 ? map | Place(k) : map & ~Place(k);
        } else if (run == 15) {
            k += 15;
        } else {
            e.endOfBandRun = EndOfBandRun(bits, run) - 1;
            break;
        }
    }
    *nonzero[0] = map;
    c.bits = bits;
}

// Correction bits for the nonzero coefficients at the places of `map`, in zigzag order: where a
// bit is set and the coefficient does not have the bit p1 yet, its magnitude grows by p1. The bits
// are as good as random, so they are applied without a branch.
inline void CorrectAll(BitReader& bits, std::int16_t* block, std::uint64_t map, int p1) {
    while (map != 0) {
        bits.EnsureBits(32);
        const std::uint32_t word = bits.Peek(32);
        int used = 0;
        for (; map != 0 && used < 32; ++used, map &= map - 1) {
            std::int16_t& coefficient = block[kNaturalOrder[__builtin_ctzll(map)]];
            const int value = coefficient;
            const int grows = (value & p1) == 0 ? -static_cast<int>(word >> (31 - used) & 1) : 0;
            coefficient = static_cast<std::int16_t>(value + ((value >= 0 ? p1 : -p1) & grows));
        }
        bits.Skip(used);
    }
}

void DecodeAcRefine(JpegDecoderContext& c, CoefficientBlock* const* blocks, std::uint64_t* const* nonzero) {
    EntropyState& e = c.entropy;
    const int p1 = 1 << c.scan.al, se = c.scan.se;
    const JpegDerivedHuffTable& ac = *e.blockTables[0].ac;
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
            const int rs = DecodeSymbolValue(bits, ac).symbol;
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
    } else {
        CheckProgression(c);
        if (s.ss == 0)
            e.decoder = s.ah == 0 ? ScanDecoder::kDcFirst : ScanDecoder::kDcRefine;
        else
            e.decoder = s.ah == 0 ? ScanDecoder::kAcFirst : ScanDecoder::kAcRefine;
    }
    const bool dc = e.decoder == ScanDecoder::kSequential || e.decoder == ScanDecoder::kDcFirst;
    const bool ac = e.decoder == ScanDecoder::kSequential || s.ss != 0;
    const HuffTableKind acKind =
        e.decoder == ScanDecoder::kAcRefine ? HuffTableKind::kAcRefinement : HuffTableKind::kAc;
    std::array<BlockTables, 4> byComponent{};
    for (int i = 0; i < s.componentCount; ++i) {
        byComponent[i].scanComponent = i;
        if (dc) byComponent[i].dc = Derive(c, HuffTableKind::kDc, ScanComponent(c, i).dcTable);
        if (ac) byComponent[i].ac = Derive(c, acKind, ScanComponent(c, i).acTable);
    }
    for (int b = 0; b < s.blocksInMcu; ++b) e.blockTables[b] = byComponent[s.membership[b]];
    e.dcPredictors.fill(0);
    e.endOfBandRun = 0;
    e.restartsLeft = c.restartInterval;
    c.bits.Reset();
}

bool DecodeMcu(JpegDecoderContext& c, CoefficientBlock* const* blocks, std::uint64_t* const* nonzero) {
    if (!StartMcu(c)) return false;
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
    return true;
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
