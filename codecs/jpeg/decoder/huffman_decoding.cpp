#include "codecs/jpeg/decoder/huffman_decoding.h"

namespace jpeg::decoder {
namespace {

// The fast entries of a code of `length` bits (at most kFastBits) for `symbol`.
void AddFastEntries(JpegDerivedHuffTable& derived, std::int32_t code, int length, int symbol, bool ac) {
    const int size = ac ? symbol & 15 : symbol, run = ac ? symbol >> 4 : 0;
    if (size > 15 || length + size > kFastBits) return;
    const int free = kFastBits - length;
    for (int rest = 0; rest < (1 << free); ++rest) {
        std::uint32_t entry = static_cast<std::uint32_t>(length + size) | static_cast<std::uint32_t>(run)
                                                                              << 5;
        if (size > 0) {
            const int raw = rest >> (free - size);
            const int value = raw < (1 << (size - 1)) ? raw - (1 << size) + 1 : raw;
            entry |= 0x200 | static_cast<std::uint32_t>(static_cast<std::uint16_t>(value)) << 16;
        }
        derived.fast[(code << free) | rest] = entry;
    }
}

}  // namespace

void DeriveHuffTable(const JpegHuffTable& table, bool ac, JpegDerivedHuffTable& derived) {
    derived = JpegDerivedHuffTable{};
    derived.symbols = table.symbols;
    std::int32_t code = 0;
    int symbol = 0;
    for (int length = 1; length <= 16; ++length, code <<= 1) {
        const int count = table.counts[length];
        if (count == 0) {
            derived.maxCode[length] = -1;
            continue;
        }
        derived.firstSymbol[length] = symbol;
        derived.minCode[length] = code;
        for (int i = 0; i < count; ++i, ++symbol, ++code) {
            if (length > kFastBits || code >= (1 << length)) continue;
            AddFastEntries(derived, code, length, table.symbols[symbol], ac);
            if (length > 8) continue;
            const int shift = 8 - length;
            for (int fill = 0; fill < (1 << shift); ++fill) {
                derived.lookLength[(code << shift) | fill] = static_cast<std::uint8_t>(length);
                derived.lookSymbol[(code << shift) | fill] = table.symbols[symbol];
            }
        }
        derived.maxCode[length] = code - 1;
    }
    derived.maxCode[17] = 0xFFFFF;
}

void BitReader::Fill() {
    while (bits_ <= 56) {
        if (*unreadMarker_ != 0) {
            bits_ = 64;  // zero bits from here on
            return;
        }
        std::uint64_t eight;
        if (source_->PeekEight(eight)) {
            // Whole bytes up to the first 0xFF, at most as many as fit.
            int take = (64 - bits_) / 8;
            for (int i = 0; i < take; ++i) {
                if ((eight >> (56 - 8 * i) & 0xFF) == 0xFF) {
                    take = i;
                    break;
                }
            }
            if (take > 0) {
                buffer_ |= (eight >> (64 - 8 * take)) << (64 - bits_ - 8 * take);
                bits_ += 8 * take;
                source_->Advance(static_cast<std::size_t>(take));
                continue;
            }
        }
        std::uint32_t byte = source_->ReadByte();
        if (byte == 0xFF) {
            std::uint8_t next;
            do next = source_->ReadByte();
            while (next == 0xFF);
            if (next != 0) {
                *unreadMarker_ = next;
                continue;
            }
        }
        buffer_ |= std::uint64_t{byte} << (56 - bits_);
        bits_ += 8;
    }
}

int BitReader::DecodeLongSymbol(const JpegDerivedHuffTable& table) {
    int length = 9;
    std::int32_t code = static_cast<std::int32_t>(Peek(length));
    while (code > table.maxCode[length]) code = static_cast<std::int32_t>(Peek(++length));
    Skip(length);
    if (length > 16) return 0;  // no such code: corrupt data reads as symbol 0
    const std::int32_t index = table.firstSymbol[length] + code - table.minCode[length];
    return index >= 0 && index < 256 ? table.symbols[index] : 0;
}

}  // namespace jpeg::decoder
