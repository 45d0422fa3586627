#include "codecs/gif/lzw_decoder.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::uint32_t kTableSize = 4096;
constexpr std::uint32_t kMaxCodeWidth = 12;

// Codes taken least significant bit first from the data sub-blocks.
class CodeReader {
  public:
    CodeReader(const BYTE* data, std::uint32_t size, std::uint32_t at)
        : data_(data), size_(size), at_(at), blockEnd_(at) {}

    // The next code of `width` bits; -1 once a zero-length block or the end of the file ends
    // the data.
    std::int32_t Next(std::uint32_t width) {
        while (count_ < width) {
            if (at_ == blockEnd_) {
                if (at_ >= size_ || data_[at_] == 0) return -1;
                blockEnd_ = std::min(at_ + 1 + data_[at_], size_);
                ++at_;
                continue;
            }
            bits_ |= std::uint32_t{data_[at_++]} << count_;
            count_ += 8;
        }
        const std::uint32_t code = bits_ & ((1u << width) - 1);
        bits_ >>= width;
        count_ -= width;
        return std::int32_t(code);
    }

  private:
    const BYTE* data_;
    std::uint32_t size_, at_, blockEnd_;
    std::uint32_t bits_ = 0, count_ = 0;
};

// Every string is an earlier one plus one byte; entries refer only to lower codes, so a walk
// along the prefixes always ends at a root. Each entry holds its string's last piece of up to 8
// bytes, the pieces cut at every 8 bytes from the string's start, and the code of the string
// before that piece: a string is spelled with one 8-byte store per piece.
constexpr std::uint32_t kPiece = 8;
struct StringTable {
    std::uint64_t piece[kTableSize];  // byte j of the piece in bits 8j to 8j + 7
    std::uint16_t before[kTableSize];
    std::uint16_t length[kTableSize];
    BYTE first[kTableSize];

    void Define(std::uint32_t code, std::uint32_t prefixCode, BYTE lastByte) {
        const std::uint32_t at = length[prefixCode] % kPiece;  // the new byte's place in its piece
        length[code] = std::uint16_t(length[prefixCode] + 1);
        first[code] = first[prefixCode];
        piece[code] = at == 0 ? lastByte : piece[prefixCode] | std::uint64_t{lastByte} << (8 * at);
        before[code] = at == 0 ? std::uint16_t(prefixCode) : before[prefixCode];
    }

    // Writes the string of `code` at `out`, and up to 7 bytes of no meaning behind it.
    void Spell(std::uint32_t code, BYTE* out) const {
        for (std::uint32_t at = (length[code] - 1u) / kPiece * kPiece;; at -= kPiece, code = before[code]) {
            StorePiece(out + at, piece[code]);
            if (at == 0) return;
        }
    }

    static void StorePiece(BYTE* out, std::uint64_t bytes) {
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
        bytes = __builtin_bswap64(bytes);
#endif
        std::memcpy(out, &bytes, sizeof bytes);
    }
};

// The place of the next pixel: picture rows in the file's order, stored bottom-up.
class PixelCursor {
  public:
    explicit PixelCursor(const GifImageRows& rows)
        : rows_(rows),
          pass1End_((rows.height + 7) / 8),
          pass2End_(pass1End_ + (rows.height + 3) / 8),
          pass3End_(pass2End_ + (rows.height + 1) / 4),
          row_(RowStart(0)) {}

    // Writes the string of `code`; false once the picture is full.
    bool Put(const StringTable& table, std::uint32_t code) {
        std::int32_t length = table.length[code];
        if (length + std::int32_t{kPiece} - 1 <= rows_.width - column_) {
            // Within the row, with room for what the last piece brings behind the string: the
            // next string, or Finish, writes over it.
            table.Spell(code, row_ + column_);
            column_ += length;
            return column_ < rows_.width || NextRow();
        }
        // Near or across the end of a row: spelled out first, then copied row by row.
        table.Spell(code, spelled_);
        for (const BYTE* from = spelled_; length > 0;) {
            const std::int32_t part = std::min(length, rows_.width - column_);
            std::memcpy(row_ + column_, from, std::size_t(part));
            from += part;
            length -= part;
            column_ += part;
            if (column_ == rows_.width && !NextRow()) return false;
        }
        return true;
    }

    // Clears what the last string brought behind itself in a row that stays unfinished.
    void Finish() {
        if (outputRow_ < rows_.height)
            std::memset(row_ + column_, 0,
                        std::size_t(std::min(rows_.width - column_, std::int32_t{kPiece} - 1)));
    }

  private:
    bool NextRow() {
        column_ = 0;
        if (++outputRow_ == rows_.height) return false;
        row_ = RowStart(outputRow_);
        return true;
    }

    BYTE* RowStart(std::int32_t outputRow) const {
        return rows_.pixels +
               std::size_t{rows_.stride} * std::size_t(rows_.height - 1 - PictureRow(outputRow));
    }

    // Interlaced files hold every 8th row from 0, every 8th from 4, every 4th from 2, then
    // every 2nd from 1.
    std::int32_t PictureRow(std::int32_t j) const {
        if (!rows_.interlaced) return j;
        if (j < pass1End_) return 8 * j;
        if (j < pass2End_) return 8 * (j - pass1End_) + 4;
        if (j < pass3End_) return 4 * (j - pass2End_) + 2;
        return 2 * (j - pass3End_) + 1;
    }

    const GifImageRows& rows_;
    const std::int32_t pass1End_, pass2End_, pass3End_;
    std::int32_t outputRow_ = 0, column_ = 0;
    BYTE* row_;
    BYTE spelled_[kTableSize + kPiece];
};

// The codes up to the end code, the end of the data or a full picture.
GifReadStatus DecodeCodes(CodeReader& codes, std::uint32_t minimumCodeSize, StringTable& table,
                          PixelCursor& cursor) {
    const std::uint32_t clear = 1u << minimumCodeSize, end = clear + 1;
    std::uint32_t next = clear + 2, width = minimumCodeSize + 1;
    std::uint32_t previous = 0;
    // A stream that does not open with a clear code starts as if it did.
    bool firstCode = true;
    for (;;) {
        const std::int32_t read = codes.Next(width);
        if (read < 0) return kGifReadOk;
        const std::uint32_t code = std::uint32_t(read);
        if (code == clear) {
            next = clear + 2;
            width = minimumCodeSize + 1;
            firstCode = true;
            continue;
        }
        if (code == end) return kGifReadOk;
        std::uint32_t written = code;
        if (firstCode) {
            if (code > clear) return kGifBadFirstCode;
            firstCode = false;
        } else if (code < next) {
            if (next < kTableSize) {
                if (previous >= next) return kGifUndefinedPrefix;
                table.Define(next++, previous, table.first[code]);
            }
        } else {
            // The code being defined: the previous string and its own first byte.
            if (previous >= next) return kGifUndefinedCode;
            table.Define(next, previous, table.first[previous]);
            written = next++;
        }
        if (next == 1u << width && width < kMaxCodeWidth) ++width;
        if (!cursor.Put(table, written)) return kGifReadOk;
        previous = code;
    }
}

}  // namespace

GifReadStatus DecodeGifImage(const BYTE* data, std::uint32_t size, std::uint32_t at,
                             const GifImageRows& rows) {
    const std::uint32_t minimumCodeSize = at < size ? data[at] : 0;
    if (minimumCodeSize < 2 || minimumCodeSize > 11) return kGifBadCodeSize;
    StringTable table;
    for (std::uint32_t root = 0; root < 1u << minimumCodeSize; ++root) {
        table.length[root] = 1;
        table.first[root] = BYTE(root);
        table.piece[root] = root;
    }
    CodeReader codes(data, size, at + 1);
    PixelCursor cursor(rows);
    const GifReadStatus status = DecodeCodes(codes, minimumCodeSize, table, cursor);
    cursor.Finish();
    return status;
}
