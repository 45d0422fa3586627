#include "codecs/jpeg/decoder/marker_reader.h"

#include <cstring>

namespace jpeg::decoder {
namespace {

constexpr int kSoi = 0xD8, kEoi = 0xD9, kRst0 = 0xD0;

// Segment lengths count their own two bytes.
std::int64_t ReadLength(JpegDecoderContext& c) {
    return static_cast<std::int64_t>(c.source.ReadWord()) - 2;
}

void SkipSegment(JpegDecoderContext& c) {
    c.source.Skip(ReadLength(c));
}

// SOI, or a 128-byte MacBinary header of a file of type "JPEG" and then SOI.
void FirstMarker(JpegDecoderContext& c) {
    const std::uint8_t first = c.source.ReadByte(), second = c.source.ReadByte();
    if (first == 0xFF && second == kSoi) {
        c.unreadMarker = kSoi;
        return;
    }
    if (first != 0 || second < 1 || second > 63) Fail(kJpegReadNotJpeg);
    c.source.Skip(63);
    char type[4];
    for (char& ch : type) ch = static_cast<char>(c.source.ReadByte());
    c.source.Skip(59);
    if (std::memcmp(type, "JPEG", 4) != 0 || c.source.ReadByte() != 0xFF || c.source.ReadByte() != kSoi)
        Fail(kJpegReadNotJpeg);
    c.unreadMarker = kSoi;
}

void ReadSoi(JpegDecoderContext& c) {
    if (c.sawSoi) Fail(kJpegReadSecondSoi);
    c.restartInterval = 0;
    c.jpegColour = ColourSpace::kUnknown;
    c.jfifSeen = c.adobeSeen = false;
    c.densityUnit = c.adobeTransform = 0;
    c.xDensity = c.yDensity = 1;
    c.sawSoi = true;
}

void ReadSof(JpegDecoderContext& c, bool progressive, bool arithmetic) {
    const std::int64_t length = ReadLength(c) + 2;
    c.precision = c.source.ReadByte();
    c.height = c.source.ReadWord();
    c.width = c.source.ReadWord();
    const int count = c.source.ReadByte();
    if (c.sawSof) Fail(kJpegReadSecondSof);
    if (c.height == 0 || c.width == 0 || count == 0) Fail(kJpegReadEmptyImage);
    if (length - 8 != 3 * count) Fail(kJpegReadBadLength);
    c.components.assign(static_cast<std::size_t>(count), JpegFrameComponent{});
    for (int i = 0; i < count; ++i) {
        JpegFrameComponent& component = c.components[i];
        component.index = i;
        component.id = c.source.ReadByte();
        const int factors = c.source.ReadByte();
        component.h = factors >> 4;
        component.v = factors & 15;
        component.quantTable = c.source.ReadByte();
    }
    c.progressive = progressive;
    c.arithmetic = arithmetic;
    c.sawSof = true;
}

void ReadSos(JpegDecoderContext& c) {
    if (!c.sawSof) Fail(kJpegReadSosBeforeSof);
    const std::int64_t length = ReadLength(c) + 2;
    const int count = c.source.ReadByte();
    if (length != 2 * count + 6 || count < 1 || count > 4) Fail(kJpegReadBadLength);
    c.scan.componentCount = count;
    for (int i = 0; i < count; ++i) {
        const int id = c.source.ReadByte(), tables = c.source.ReadByte();
        int found = -1;
        for (const JpegFrameComponent& component : c.components) {
            if (component.id == id) {
                found = component.index;
                break;
            }
        }
        if (found < 0) Fail(kJpegReadUnknownComponent);
        c.scan.components[i] = found;
        c.components[found].dcTable = tables >> 4;
        c.components[found].acTable = tables & 15;
    }
    c.scan.ss = c.source.ReadByte();
    c.scan.se = c.source.ReadByte();
    const int approximation = c.source.ReadByte();
    c.scan.ah = approximation >> 4;
    c.scan.al = approximation & 15;
    c.nextRestart = 0;
}

void ReadDht(JpegDecoderContext& c) {
    std::int64_t left = ReadLength(c);
    while (left > 0) {
        const int index = c.source.ReadByte();
        JpegHuffTable table;
        int total = 0;
        for (int length = 1; length <= 16; ++length) {
            table.counts[length] = c.source.ReadByte();
            total += table.counts[length];
        }
        left -= 17;
        if (total > 256 || total > left) Fail(kJpegReadBadHuffmanTable);
        for (int i = 0; i < total; ++i) table.symbols[i] = c.source.ReadByte();
        left -= total;
        const bool ac = (index & 0x10) != 0;
        const int slot = ac ? index - 0x10 : index;
        if (slot < 0 || slot > 3) Fail(kJpegReadBadHuffmanSlot);
        (ac ? c.acTables : c.dcTables)[slot] = table;
    }
}

void ReadDqt(JpegDecoderContext& c) {
    std::int64_t left = ReadLength(c);
    while (left > 0) {
        const int byte = c.source.ReadByte();
        const int slot = byte & 15;
        if (slot > 3) Fail(kJpegReadBadQuantSlot);
        const bool wide = byte >= 16;
        JpegQuantTable table;
        for (std::uint16_t& value : table.values)
            value = static_cast<std::uint16_t>(wide ? c.source.ReadWord() : c.source.ReadByte());
        c.quantTables[slot] = table;
        left -= wide ? 129 : 65;
    }
}

void ReadDri(JpegDecoderContext& c) {
    if (c.source.ReadWord() != 4) Fail(kJpegReadBadLength);
    c.restartInterval = static_cast<int>(c.source.ReadWord());
}

// Reads the first `count` bytes of an APPn segment when it has that many; false otherwise.
// Either way the caller skips what is left.
bool ReadHead(JpegDecoderContext& c, std::int64_t& left, std::uint8_t* head, int count) {
    if (left < count) return false;
    for (int i = 0; i < count; ++i) head[i] = c.source.ReadByte();
    left -= count;
    return true;
}

void ReadJfif(JpegDecoderContext& c) {
    std::int64_t left = ReadLength(c);
    std::uint8_t head[14];
    if (ReadHead(c, left, head, 14) && std::memcmp(head, "JFIF", 5) == 0) {
        c.jfifSeen = true;
        c.densityUnit = head[7];
        c.xDensity = static_cast<std::uint16_t>(head[8] << 8 | head[9]);
        c.yDensity = static_cast<std::uint16_t>(head[10] << 8 | head[11]);
    }
    c.source.Skip(left);
}

void ReadAdobe(JpegDecoderContext& c) {
    std::int64_t left = ReadLength(c);
    std::uint8_t head[12];
    if (ReadHead(c, left, head, 12) && std::memcmp(head, "Adobe", 5) == 0) {
        c.adobeSeen = true;
        c.adobeTransform = head[11];
    }
    c.source.Skip(left);
}

// Arithmetic conditioning: checked, never used.
void ReadDac(JpegDecoderContext& c) {
    for (std::int64_t left = ReadLength(c); left > 0; left -= 2) {
        const int index = c.source.ReadByte(), value = c.source.ReadByte();
        if (index > 31) Fail(kJpegReadBadDacIndex);
        if (index < 16 && (value & 15) > (value >> 4)) Fail(kJpegReadBadDacBounds);
    }
}

}  // namespace

void NextMarker(JpegDecoderContext& c) {
    for (;;) {
        int byte = c.source.ReadByte();
        while (byte != 0xFF) byte = c.source.ReadByte();
        do byte = c.source.ReadByte();
        while (byte == 0xFF);
        if (byte != 0) {
            c.unreadMarker = byte;
            return;
        }
    }
}

int ReadMarkers(JpegDecoderContext& c) {
    for (;;) {
        if (c.unreadMarker == 0) {
            if (c.sawSoi)
                NextMarker(c);
            else
                FirstMarker(c);
        }
        const int marker = c.unreadMarker;
        switch (marker) {
            case 0xC0:
            case 0xC1:
                ReadSof(c, false, false);
                break;
            case 0xC2:
                ReadSof(c, true, false);
                break;
            case 0xC9:
                ReadSof(c, false, true);
                break;
            case 0xCA:
                ReadSof(c, true, true);
                break;
            case 0xC3:
            case 0xC5:
            case 0xC6:
            case 0xC7:
            case 0xC8:
            case 0xCB:
            case 0xCD:
            case 0xCE:
            case 0xCF:
                Fail(kJpegReadUnsupportedProcess);
            case 0xC4:
                ReadDht(c);
                break;
            case 0xCC:
                ReadDac(c);
                break;
            case kSoi:
                ReadSoi(c);
                break;
            case kEoi:
                c.unreadMarker = 0;
                return kReachedEoi;
            case 0xDA:
                ReadSos(c);
                c.unreadMarker = 0;
                return kReachedSos;
            case 0xDB:
                ReadDqt(c);
                break;
            case 0xDD:
                ReadDri(c);
                break;
            case 0xE0:
                ReadJfif(c);
                break;
            case 0xEE:
                ReadAdobe(c);
                break;
            case 0x01:  // TEM and stray restart markers stand alone
            case 0xD0:
            case 0xD1:
            case 0xD2:
            case 0xD3:
            case 0xD4:
            case 0xD5:
            case 0xD6:
            case 0xD7:
                break;
            default:
                // DNL, APP1 to APP13, APP15 and COM are skipped; anything else is refused.
                if (marker == 0xDC || marker == 0xFE || (marker >= 0xE1 && marker <= 0xEF))
                    SkipSegment(c);
                else
                    Fail(kJpegReadBadMarker);
                break;
        }
        c.unreadMarker = 0;
    }
}

void ReadRestartMarker(JpegDecoderContext& c) {
    const int expected = c.nextRestart;
    if (c.unreadMarker == 0) NextMarker(c);
    for (;;) {
        const int marker = c.unreadMarker;
        const int distance = (marker - kRst0 - expected) & 7;
        if (marker < 0xC0 || (marker >= kRst0 && marker <= kRst0 + 7 && (distance == 7 || distance == 6))) {
            NextMarker(c);  // not a marker, or a restart already passed: look further
            continue;
        }
        // Another marker, or one of the next two restarts, stays for the scan to run into;
        // the expected one or one far off is taken.
        if (marker >= kRst0 && marker <= kRst0 + 7 && distance != 1 && distance != 2) c.unreadMarker = 0;
        break;
    }
    c.nextRestart = (expected + 1) & 7;
}

}  // namespace jpeg::decoder
