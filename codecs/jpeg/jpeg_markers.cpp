#include "codecs/jpeg/jpeg_markers.h"

#include "codecs/jpeg/jpeg_failure.h"

namespace jpeg {
namespace {

constexpr std::uint8_t kSoi = 0xD8, kEoi = 0xD9, kApp0 = 0xE0, kDqt = 0xDB, kSof0 = 0xC0, kSof1 = 0xC1,
                       kDht = 0xC4, kSos = 0xDA;

void PutMarker(OutputBuffer& out, std::uint8_t marker) {
    out.PutByte(0xFF);
    out.PutByte(marker);
}

// Writes the table unless already sent; true when it needed 16-bit values.
bool WriteQuantTable(OutputBuffer& out, int number, EncoderQuantTable& table) {
    const bool wide = table.NeedsSixteenBits();
    if (table.sent) return wide;
    PutMarker(out, kDqt);
    out.PutWord(wide ? 2 + 1 + 2 * kBlockSize : 2 + 1 + kBlockSize);
    out.PutByte(static_cast<std::uint8_t>((wide ? 0x10 : 0x00) + number));
    for (std::int32_t value : table.values) {
        if (wide) out.PutByte(static_cast<std::uint8_t>(value >> 8));
        out.PutByte(static_cast<std::uint8_t>(value));
    }
    table.sent = true;
    return wide;
}

void WriteHuffTable(OutputBuffer& out, int classAndNumber, EncoderHuffTable& table) {
    if (table.sent) return;
    const int symbols = table.SymbolCount();
    PutMarker(out, kDht);
    out.PutWord(static_cast<std::uint32_t>(2 + 1 + 16 + symbols));
    out.PutByte(static_cast<std::uint8_t>(classAndNumber));
    out.PutBytes(table.counts.data(), table.counts.size());
    out.PutBytes(table.symbols.data(), static_cast<std::size_t>(symbols));
    table.sent = true;
}

}  // namespace

void WriteFileStart(OutputBuffer& out) {
    static const std::uint8_t kJfif[] = {
        'J', 'F', 'I', 'F', 0,  // identifier
        1,   1,                 // version 1.01
        0,                      // no density units: the densities give the aspect ratio
        0,   1,   0,   1,       // X and Y density
        0,   0,                 // no thumbnail
    };
    PutMarker(out, kSoi);
    PutMarker(out, kApp0);
    out.PutWord(2 + sizeof kJfif);
    out.PutBytes(kJfif, sizeof kJfif);
}

void WriteFrameHeader(OutputBuffer& out, const FrameLayout& layout, std::array<EncoderQuantTable, 2>& quant) {
    bool extended = false;
    for (const JpegComponent& c : layout.components) {
        if (c.quantTable < 0 || c.quantTable > 1) Fail(kJpegBadQuantTable);
        if (WriteQuantTable(out, c.quantTable, quant[c.quantTable])) extended = true;
        if (c.dcTable < 0 || c.dcTable > 1 || c.acTable < 0 || c.acTable > 1) extended = true;
    }
    if (layout.width > 65535 || layout.height > 65535) Fail(kJpegImageTooBig);
    PutMarker(out, extended ? kSof1 : kSof0);
    out.PutWord(2 + 6 + 3 * kComponentCount);
    out.PutByte(8);
    out.PutWord(static_cast<std::uint32_t>(layout.height));
    out.PutWord(static_cast<std::uint32_t>(layout.width));
    out.PutByte(kComponentCount);
    for (const JpegComponent& c : layout.components) {
        out.PutByte(static_cast<std::uint8_t>(c.id));
        out.PutByte(static_cast<std::uint8_t>(c.h * 16 + c.v));
        out.PutByte(static_cast<std::uint8_t>(c.quantTable));
    }
}

void WriteScanHeader(OutputBuffer& out, const FrameLayout& layout, std::array<EncoderHuffTable, 2>& dc,
                     std::array<EncoderHuffTable, 2>& ac) {
    for (const JpegComponent& c : layout.components) {
        WriteHuffTable(out, c.dcTable, dc[c.dcTable]);
        WriteHuffTable(out, 0x10 + c.acTable, ac[c.acTable]);
    }
    PutMarker(out, kSos);
    out.PutWord(2 + 1 + 2 * kComponentCount + 3);
    out.PutByte(kComponentCount);
    for (const JpegComponent& c : layout.components) {
        out.PutByte(static_cast<std::uint8_t>(c.id));
        out.PutByte(static_cast<std::uint8_t>(c.dcTable * 16 + c.acTable));
    }
    out.PutByte(0);   // spectral selection start
    out.PutByte(63);  // spectral selection end
    out.PutByte(0);   // successive approximation
}

void WriteFileEnd(OutputBuffer& out) {
    PutMarker(out, kEoi);
}

}  // namespace jpeg
