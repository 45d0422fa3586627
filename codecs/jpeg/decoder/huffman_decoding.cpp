#include "codecs/jpeg/decoder/huffman_decoding.h"

namespace jpeg::decoder {

void DeriveHuffTable(const JpegHuffTable& table, JpegDerivedHuffTable& derived) {
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
            if (length > 8 || code >= (1 << length)) continue;
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
