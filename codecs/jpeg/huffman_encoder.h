// Huffman coding of quantised blocks into the output, with 0xFF 0x00 stuffing.
#pragma once

#include <array>
#include <cstdint>

#include "codecs/jpeg/forward_dct.h"
#include "codecs/jpeg/jpeg_output.h"
#include "codecs/jpeg/jpeg_tables.h"

namespace jpeg {

// The code and code length of every symbol; length 0 for a symbol the table does not list.
struct DerivedHuffTable {
    std::array<std::uint32_t, 256> code{};
    std::array<std::uint8_t, 256> size{};
};

// Canonical codes: counting up within a length, doubling when the length grows.
void DeriveHuffTable(const EncoderHuffTable& table, DerivedHuffTable& derived);

// Packs codes into bytes, most significant bit first.
class BitWriter {
  public:
    explicit BitWriter(OutputBuffer& out) : out_(out) {}

    void Reset() {
        pending_ = 0;
        count_ = 0;
    }

    // Appends the low `size` bits of `bits` (size 1 to 32, bits holding no more).
    void Put(std::uint32_t bits, int size) {
        pending_ = (pending_ << size) | bits;
        count_ += size;
        if (count_ >= 32) {
            count_ -= 32;
            PutWord(static_cast<std::uint32_t>(pending_ >> count_));
        }
    }

    // Completes the last byte with one-bits and writes every whole byte still held.
    void Flush();

  private:
    void PutWord(std::uint32_t word);
    void PutStuffed(std::uint8_t byte) {
        out_.PutByte(byte);
        if (byte == 0xFF) out_.PutByte(0);
    }

    OutputBuffer& out_;
    std::uint64_t pending_ = 0;  // the low count_ bits are not yet written
    int count_ = 0;
};

// Codes one block: the DC difference against `predictor`, which then takes the block's DC, and
// the AC coefficients in zigzag order as run/size symbols.
void EncodeBlock(BitWriter& bits, const QuantisedBlock& block, std::int32_t& predictor,
                 const DerivedHuffTable& dc, const DerivedHuffTable& ac);

}  // namespace jpeg
