#include "codecs/jpeg/decoder/huffman_decoding.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace jpeg::decoder {
namespace {

// The look-up entries of a code of `length` bits (at most kLookupBits) for `symbol`: the bits
// behind the code that hold its value give each value its run of equal entries.
void AddLookupEntries(JpegDerivedHuffTable& derived, std::int32_t code, int length, int symbol) {
    const int size = ValueSize(derived.kind, symbol);
    const int free = kLookupBits - length;
    const bool ends = (symbol & 15) == 0 && symbol >> 4 != 15;  // an end of band
    const std::uint32_t advance = derived.kind == HuffTableKind::kDc ? 0u
                                  : ends                             ? 64u
                                                                     : std::uint32_t(symbol >> 4);
    const std::uint32_t base = advance << 6 | static_cast<std::uint32_t>(symbol) << 13;
    // Values of up to 10 bits fit the entry.
    const bool whole = size <= 10 && length + size <= kLookupBits;
    const int valueBits = whole ? size : 0, spread = free - valueBits;
    for (int raw = 0; raw < (1 << valueBits); ++raw) {
        std::uint32_t entry = base | static_cast<std::uint32_t>(length) << 21;
        if (whole) {
            const int value = size == 0 ? 0 : raw < (1 << (size - 1)) ? raw - (1 << size) + 1 : raw;
            entry =
                base | static_cast<std::uint32_t>(length + size) | static_cast<std::uint32_t>(value) << 21;
        }
        std::fill_n(derived.lookup.begin() + ((code << free) | (raw << spread)), 1 << spread, entry);
    }
}

}  // namespace

void DeriveHuffTable(const JpegHuffTable& table, HuffTableKind kind, JpegDerivedHuffTable& derived) {
    derived.kind = kind;
    derived.symbols = table.symbols;
    std::size_t filled = 0;  // canonical codes fill the look-up from its start
    derived.longFrom = kLookupBits + 1;
    std::int32_t code = 0;
    int symbol = 0;
    for (int length = 1; length <= 16; ++length, code <<= 1) {
        const int count = table.counts[length];
        derived.symbolBase[length] = symbol - code;
        for (int i = 0; i < count; ++i, ++symbol, ++code) {
            if (length > kLookupBits || code >= (1 << length)) continue;
            AddLookupEntries(derived, code, length, table.symbols[symbol]);
            filled = std::size_t(code + 1) << (kLookupBits - length);
        }
        // Without codes the last code is -1. The search for a code longer than an 8-bit look-up
        // starts at 9 bits; it can end at 9 to kLookupBits bits only where the counts overflowed
        // the code space by then, so only such tables search from 9.
        derived.lastCode17[length] = (count == 0 ? 0 : code) * (1 << (17 - length)) - 1;
        if (length <= kLookupBits && count != 0 && code > (1 << length)) derived.longFrom = 9;
    }
    std::fill(derived.lookup.begin() + std::ptrdiff_t(filled), derived.lookup.end(), 0u);
    derived.lastCode17[17] = std::numeric_limits<std::int32_t>::max();
}

BufferedBits FillByBytes(BufferedBits buffered, JpegSource& source, int& unreadMarker) {
    std::uint64_t buffer = buffered.bits;
    int bits = buffered.count;
    while (bits <= 56) {
        // Zero bits from here on; those already supplied that are left stay supplied.
        if (unreadMarker != 0) return {buffer, 64, std::min(buffered.supplied, bits) + 64 - bits};
        std::uint64_t eight;
        if (source.PeekEight(eight)) {
            // Whole bytes up to the first 0xFF, at most as many as fit.
            int take = (64 - bits) / 8;
            const std::uint64_t ff = FfBytes(eight);
            if (ff != 0 && __builtin_clzll(ff) / 8 < take) take = __builtin_clzll(ff) / 8;
            if (take > 0) {
                buffer |= (eight >> (64 - 8 * take)) << (64 - bits - 8 * take);
                bits += 8 * take;
                source.Advance(static_cast<std::size_t>(take));
                continue;
            }
        }
        std::uint32_t byte = source.ReadByte();
        if (byte == 0xFF) {
            std::uint8_t next;
            do next = source.ReadByte();
            while (next == 0xFF);
            if (next != 0) {
                unreadMarker = next;
                continue;
            }
        }
        buffer |= std::uint64_t{byte} << (56 - bits);
        bits += 8;
    }
    return {buffer, bits, 0};
}

LongCode FindLongCode(const JpegDerivedHuffTable& table, std::uint32_t next17) {
    const auto code17 = static_cast<std::int32_t>(next17);
    int length = table.longFrom;
    while (code17 > table.lastCode17[length]) ++length;
    if (length > 16) return {length, 0};  // no such code: corrupt data reads as symbol 0
    const std::int32_t index = table.symbolBase[length] + (code17 >> (17 - length));
    return {length, index >= 0 && index < 256 ? table.symbols[index] : 0};
}

}  // namespace jpeg::decoder
