#include "codecs/jpeg/huffman_encoder.h"

#include "codecs/jpeg/jpeg_failure.h"

namespace jpeg {
namespace {

// Number of significant bits of a non-negative value.
inline int BitLength(std::uint32_t value) {
#if defined(__GNUC__)
    return value == 0 ? 0 : 32 - __builtin_clz(value);
#else
    int n = 0;
    while (value) {
        ++n;
        value >>= 1;
    }
    return n;
#endif
}

// Position of the lowest set bit of a non-zero value.
inline int LowestBit(std::uint64_t value) {
#if defined(__GNUC__)
    return __builtin_ctzll(value);
#else
    int n = 0;
    while ((value & 1) == 0) {
        ++n;
        value >>= 1;
    }
    return n;
#endif
}

// The code of `symbol` followed by the low `extra` bits of `value`.
inline void PutSymbol(BitWriter& bits, const DerivedHuffTable& table, int symbol, std::int32_t value,
                      int extra) {
    const int size = table.size[symbol];
    if (size == 0) Fail(kJpegNoHuffmanCode);
    const std::uint32_t mask = (std::uint32_t{1} << extra) - 1;
    bits.Put(table.code[symbol] << extra | (static_cast<std::uint32_t>(value) & mask), size + extra);
}

// A coefficient as its size category and the bits that follow the symbol: the value itself
// when positive, value - 1 when negative.
inline int Category(std::int32_t value, std::int32_t& extraBits) {
    const std::uint32_t magnitude = static_cast<std::uint32_t>(value < 0 ? -value : value);
    extraBits = value < 0 ? value - 1 : value;
    return BitLength(magnitude);
}

}  // namespace

void DeriveHuffTable(const EncoderHuffTable& table, DerivedHuffTable& derived) {
    derived.code.fill(0);
    derived.size.fill(0);
    std::uint32_t code = 0;
    int next = 0;
    for (int length = 1; length <= 16; ++length) {
        for (int i = 0; i < table.counts[length - 1]; ++i, ++next, ++code) {
            const std::uint8_t symbol = table.symbols[next];
            derived.code[symbol] = code;
            derived.size[symbol] = static_cast<std::uint8_t>(length);
        }
        code <<= 1;
    }
}

void BitWriter::PutWord(std::uint32_t word) {
    // A byte is 0xFF exactly when its complement is zero.
    const std::uint32_t inverse = ~word;
    const bool hasFF = ((inverse - 0x01010101u) & ~inverse & 0x80808080u) != 0;
    if (!hasFF && out_.HasRoomFor(4)) {
        out_.PutFourUnchecked(word);
        return;
    }
    for (int shift = 24; shift >= 0; shift -= 8) PutStuffed(static_cast<std::uint8_t>(word >> shift));
}

void BitWriter::Flush() {
    Put(0x7F, 7);
    while (count_ >= 8) {
        count_ -= 8;
        PutStuffed(static_cast<std::uint8_t>(pending_ >> count_));
    }
    Reset();
}

void EncodeBlock(BitWriter& bits, const QuantisedBlock& block, std::int32_t& predictor,
                 const DerivedHuffTable& dc, const DerivedHuffTable& ac) {
    std::int32_t extra = 0;
    const std::int32_t diff = block.zigzag[0] - predictor;
    predictor = block.zigzag[0];
    const int dcSize = Category(diff, extra);
    PutSymbol(bits, dc, dcSize, extra, dcSize);

    int last = 0;  // the last non-zero position coded
    for (std::uint64_t rest = block.nonzero; rest != 0; rest &= rest - 1) {
        const int k = LowestBit(rest);
        int run = k - last - 1;
        for (; run > 15; run -= 16) PutSymbol(bits, ac, 0xF0, 0, 0);
        const int size = Category(block.zigzag[k], extra);
        PutSymbol(bits, ac, run * 16 + size, extra, size);
        last = k;
    }
    if (last < kBlockSize - 1) PutSymbol(bits, ac, 0x00, 0, 0);
}

}  // namespace jpeg
