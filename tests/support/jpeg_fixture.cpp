#include "tests/support/jpeg_fixture.h"

#include <algorithm>
#include <cstdlib>

#include "codecs/jpeg/colour_conversion.h"
#include "codecs/jpeg/forward_dct.h"

namespace {

using jpeg::kNaturalOrder;

int CeilDiv(int a, int b) {
    return (a + b - 1) / b;
}

int MaxFactor(const JpegFixture& f, bool vertical) {
    int most = 1;
    for (const FixtureComponent& c : f.components) most = std::max(most, vertical ? c.v : c.h);
    return most;
}

struct HuffTable {
    std::array<int, 17> counts{};
    std::vector<int> symbols;  // in code order
    std::array<std::uint32_t, 256> code{};
    std::array<int, 256> length{};
};

// A fixed code for the symbols 0 .. count - 1: one code each of 1 to 4 bits, the rest of one
// length, short enough to leave the all-ones code out. Each slot orders the symbols its own way
// (position ^ slot), so that a decoder reading with another slot's table goes wrong.
HuffTable FixedTable(int count, int slot) {
    HuffTable table;
    int longest = 5;
    while ((1 << (longest - 4)) - 1 < count - 4) ++longest;
    for (int length = 1; length <= 4; ++length) table.counts[length] = 1;
    table.counts[longest] = count - 4;
    std::uint32_t code = 0;
    for (int length = 1; length <= 16; ++length, code <<= 1)
        for (int k = 0; k < table.counts[length]; ++k, ++code) {
            const int symbol = int(table.symbols.size()) ^ slot;
            table.symbols.push_back(symbol);
            table.code[symbol] = code;
            table.length[symbol] = length;
        }
    return table;
}

class ScanCoder {
  public:
    ScanCoder(const JpegFixture& f, const FixtureScan& scan, const std::array<HuffTable, 8>& tables,
              Bytes& out)
        : f_(f), scan_(scan), tables_(tables), out_(out), predictors_(f.components.size()) {}

    void Run() {
        // A scan of one component has an MCU of one block, over the component's own blocks.
        const bool one = scan_.components.size() == 1;
        const FixtureComponent& first = f_.components[scan_.components[0]];
        const int maxH = MaxFactor(f_, false), maxV = MaxFactor(f_, true);
        const int mcusWide = CeilDiv(f_.width * (one ? first.h : 1), 8 * maxH),
                  mcusHigh = CeilDiv(f_.height * (one ? first.v : 1), 8 * maxV);
        for (int m = 0; m < mcusWide * mcusHigh; ++m) {
            if (f_.restartInterval != 0 && m != 0 && m % f_.restartInterval == 0) {
                FlushRun();
                Flush();
                out_.insert(out_.end(), {0xFF, std::uint8_t(0xD0 + (m / f_.restartInterval - 1) % 8)});
                std::fill(predictors_.begin(), predictors_.end(), 0);
            }
            for (int c : scan_.components) {
                const int h = one ? 1 : f_.components[c].h, v = one ? 1 : f_.components[c].v;
                for (int b = 0; b < h * v; ++b)
                    Block(c, f_.planes[c].At(m % mcusWide * h + b % h, m / mcusWide * v + b / h));
            }
        }
        FlushRun();
        Flush();
    }

  private:
    // Entropy-coded bytes with 0xFF stuffing; the last byte of a segment is padded with ones.
    void Put(std::uint32_t bits, int count) {
        for (int i = count - 1; i >= 0; --i) {
            byte_ = static_cast<std::uint8_t>(byte_ << 1 | (bits >> i & 1));
            if (++filled_ < 8) continue;
            out_.push_back(byte_);
            if (byte_ == 0xFF) out_.push_back(0);
            byte_ = 0, filled_ = 0;
        }
    }
    void Flush() {
        while (filled_ != 0) Put(1, 1);
    }
    void Symbol(const HuffTable& table, int symbol) { Put(table.code[symbol], table.length[symbol]); }
    // The value's bit count with the run, then its low bits (those of value - 1 if negative).
    void Value(const HuffTable& table, int run, int value) {
        int size = 0;
        for (unsigned a = static_cast<unsigned>(std::abs(value)); a != 0; a >>= 1) ++size;
        Symbol(table, run << 4 | size);
        Put(static_cast<std::uint32_t>(value < 0 ? value - 1 : value) & ((1u << size) - 1), size);
    }
    void Dc(int c, int value) {
        Value(tables_[f_.components[c].dcTable], 0, value - predictors_[c]);
        predictors_[c] = value;
    }
    void FlushRun() {
        if (run_ == 0) return;
        int r = 0;
        while ((run_ >> (r + 1)) != 0) ++r;
        Symbol(*ac_, r << 4);
        if (r > 0) Put(static_cast<std::uint32_t>(run_) & ((1u << r) - 1), r);
        for (int bit : corrections_) Put(static_cast<std::uint32_t>(bit), 1);
        corrections_.clear();
        run_ = 0;
    }
    // The coefficient at zigzag position k after the point transform: sign and magnitude.
    int Transformed(const QuantBlock& block, int k) const {
        const int c = block[kNaturalOrder[k]];
        return c < 0 ? -(-c >> scan_.al) : c >> scan_.al;
    }

    void Block(int c, const QuantBlock& block) {
        ac_ = &tables_[4 + f_.components[c].acTable];
        if (f_.sofMarker != 0xC2) {  // each block ends its own band
            Dc(c, block[0]);
            AcFirst(block, 1);
            FlushRun();
        } else if (scan_.ss == 0 && scan_.ah == 0) {
            Dc(c, block[0] >> scan_.al);
        } else if (scan_.ss == 0) {
            Put(static_cast<std::uint32_t>(block[0] >> scan_.al) & 1, 1);
        } else if (scan_.ah == 0) {
            AcFirst(block, scan_.ss);
        } else {
            AcRefine(block);
        }
    }

    void AcFirst(const QuantBlock& block, int from) {
        int run = 0;
        for (int k = from; k <= scan_.se; ++k) {
            const int value = Transformed(block, k);
            if (value == 0) {
                ++run;
                continue;
            }
            FlushRun();
            for (; run > 15; run -= 16) Symbol(*ac_, 0xF0);
            Value(*ac_, run, value);
            run = 0;
        }
        if (run > 0 && ++run_ == 0x7FFF) FlushRun();
    }

    // Newly nonzero coefficients are coded as runs of zeros and a sign; those nonzero before
    // take one correction bit each, sent after the next symbol (or the end-of-band run).
    void AcRefine(const QuantBlock& block) {
        int last = -1;  // the last newly nonzero position
        for (int k = scan_.ss; k <= scan_.se; ++k)
            if (std::abs(Transformed(block, k)) == 1) last = k;
        int run = 0;
        std::vector<int> pending;
        for (int k = scan_.ss; k <= scan_.se; ++k) {
            const int a = std::abs(Transformed(block, k));
            if (a == 0) {
                ++run;
                continue;
            }
            for (; run > 15 && k <= last; run -= 16) {
                FlushRun();
                Symbol(*ac_, 0xF0);
                for (int bit : pending) Put(static_cast<std::uint32_t>(bit), 1);
                pending.clear();
            }
            if (a > 1) {
                pending.push_back(a & 1);
                continue;
            }
            FlushRun();
            Symbol(*ac_, run << 4 | 1);
            Put(block[kNaturalOrder[k]] > 0 ? 1 : 0, 1);
            for (int bit : pending) Put(static_cast<std::uint32_t>(bit), 1);
            pending.clear();
            run = 0;
        }
        if (run > 0 || !pending.empty()) {
            corrections_.insert(corrections_.end(), pending.begin(), pending.end());
            if (++run_ == 0x7FFF) FlushRun();
        }
    }

    const JpegFixture& f_;
    const FixtureScan& scan_;
    const std::array<HuffTable, 8>& tables_;  // DC slots 0-3, AC slots 4-7
    Bytes& out_;
    std::uint8_t byte_ = 0;
    int filled_ = 0;
    std::vector<int> predictors_;
    int run_ = 0;  // blocks in the pending end-of-band run
    const HuffTable* ac_ = nullptr;
    std::vector<int> corrections_;  // correction bits of the pending run
};

// The high and low byte.
Bytes Word(int value) {
    return {static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)};
}

void PutSegment(Bytes& out, int marker, const Bytes& body) {
    out.insert(out.end(), {0xFF, static_cast<std::uint8_t>(marker)});
    const Bytes length = Word(static_cast<int>(body.size()) + 2);
    out.insert(out.end(), length.begin(), length.end());
    out.insert(out.end(), body.begin(), body.end());
}

void WriteScan(const JpegFixture& f, const FixtureScan& scan, Bytes& out) {
    static const std::array<HuffTable, 8> tables = [] {
        std::array<HuffTable, 8> t;
        for (int slot = 0; slot < 4; ++slot)
            t[slot] = FixedTable(16, slot), t[4 + slot] = FixedTable(256, slot);
        return t;
    }();
    std::array<bool, 8> written{};
    for (int c : scan.components)
        for (int t : {f.components[c].dcTable, 4 + f.components[c].acTable}) {
            if (written[t] || (t < 4 ? scan.ss != 0 || scan.ah != 0 : scan.se == 0)) continue;  // not coded
            written[t] = true;
            Bytes body{static_cast<std::uint8_t>(t < 4 ? t : 0x10 + t - 4)};
            body.insert(body.end(), tables[t].counts.begin() + 1, tables[t].counts.end());
            body.insert(body.end(), tables[t].symbols.begin(), tables[t].symbols.end());
            PutSegment(out, 0xC4, body);
        }
    Bytes sos{static_cast<std::uint8_t>(scan.components.size())};
    for (int c : scan.components) {
        const FixtureComponent& comp = f.components[c];
        sos.push_back(static_cast<std::uint8_t>(comp.id));
        sos.push_back(static_cast<std::uint8_t>(comp.dcTable << 4 | comp.acTable));
    }
    sos.insert(sos.end(), {static_cast<std::uint8_t>(scan.ss), static_cast<std::uint8_t>(scan.se),
                           static_cast<std::uint8_t>(scan.ah << 4 | scan.al)});
    PutSegment(out, 0xDA, sos);
    ScanCoder(f, scan, tables, out).Run();
}

}  // namespace

void AllocatePlanes(JpegFixture& f) {
    const int maxH = MaxFactor(f, false), maxV = MaxFactor(f, true);
    f.planes.clear();
    for (const FixtureComponent& c : f.components) {
        const int wide = CeilDiv(f.width, 8 * maxH) * c.h, high = CeilDiv(f.height, 8 * maxV) * c.v;
        f.planes.push_back({wide, high, std::vector<QuantBlock>(static_cast<std::size_t>(wide) * high)});
    }
}

Bytes WriteJpegFixture(const JpegFixture& f) {
    Bytes out{0xFF, 0xD8};
    if (f.jfif) PutSegment(out, 0xE0, {'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0});
    if (f.adobeTransform >= 0)
        PutSegment(
            out, 0xEE,
            {'A', 'd', 'o', 'b', 'e', 0, 100, 0, 0, 0, 0, static_cast<std::uint8_t>(f.adobeTransform)});
    out.insert(out.end(), f.extraSegments.begin(), f.extraSegments.end());
    for (std::size_t t = 0; t < f.quantTables.size(); ++t) {
        Bytes body{static_cast<std::uint8_t>(t)};
        for (std::uint16_t value : f.quantTables[t]) body.push_back(static_cast<std::uint8_t>(value));
        PutSegment(out, 0xDB, body);
    }
    Bytes sof = Join({{8}, Word(f.height), Word(f.width), {static_cast<std::uint8_t>(f.components.size())}});
    for (const FixtureComponent& c : f.components)
        sof.insert(sof.end(), {static_cast<std::uint8_t>(c.id), static_cast<std::uint8_t>(c.h << 4 | c.v),
                               static_cast<std::uint8_t>(c.quantTable)});
    PutSegment(out, f.sofMarker, sof);
    if (f.restartInterval != 0) PutSegment(out, 0xDD, Word(f.restartInterval));
    std::vector<FixtureScan> scans = f.scans;
    if (scans.empty()) {
        FixtureScan all;
        for (std::size_t c = 0; c < f.components.size(); ++c) all.components.push_back(static_cast<int>(c));
        scans.push_back(all);
    }
    for (const FixtureScan& scan : scans) WriteScan(f, scan, out);
    out.insert(out.end(), {0xFF, 0xD9});
    return out;
}

JpegFixture FixtureFromPicture(int width, int height, const ColourAt& picture, FixtureColour colour,
                               const std::vector<std::array<int, 2>>& factors, int quality) {
    JpegFixture f;
    f.width = width;
    f.height = height;
    std::array<jpeg::EncoderQuantTable, 2> tables;
    jpeg::SetQualityTables(quality, true, tables);
    const int count = colour == FixtureColour::kGrey ? 1 : 3;
    for (int c = 0; c < count; ++c) {
        const int slot = colour == FixtureColour::kYCbCr && c > 0 ? 1 : 0;
        f.components.push_back({colour == FixtureColour::kRgb ? "RGB"[c] : c + 1, factors[c][0],
                                factors[c][1], slot, slot, slot});
    }
    for (int t = 0; t < (colour == FixtureColour::kYCbCr ? 2 : 1); ++t) {
        f.quantTables.emplace_back();
        for (int k = 0; k < 64; ++k) f.quantTables[t][k] = static_cast<std::uint16_t>(tables[t].values[k]);
    }
    f.jfif = colour != FixtureColour::kRgb;
    AllocatePlanes(f);

    // Full-size samples of the colour model, each component downsampled, transformed and quantised
    // by the encoder's own steps.
    const jpeg::ColourConverter converter;
    std::vector<std::array<std::uint8_t, 3>> full;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Rgb p = picture(x, y);
            std::array<std::uint8_t, 3> s{p.r, p.g, p.b};
            if (colour != FixtureColour::kRgb) converter.Convert(p.r, p.g, p.b, s[0], s[1], s[2]);
            full.push_back(s);
        }
    const int maxH = MaxFactor(f, false), maxV = MaxFactor(f, true);
    for (int c = 0; c < count; ++c) {
        const FixtureComponent& comp = f.components[c];
        CoefficientPlane& plane = f.planes[c];
        const int sx = maxH / comp.h, sy = maxV / comp.v;  // whole factors only
        const int w = CeilDiv(width * comp.h, maxH), h = CeilDiv(height * comp.v, maxV);
        const int stride = plane.blocksWide * 8;
        std::vector<std::uint8_t> samples(std::size_t(stride) * plane.blocksHigh * 8);
        for (int y = 0; y < plane.blocksHigh * 8; ++y)  // beyond the edge the last sample repeats
            for (int x = 0; x < stride; ++x)
                samples[std::size_t(y) * stride + x] = full[std::size_t(std::min(y, h - 1) * sy) * width +
                                                            std::size_t(std::min(x, w - 1) * sx)][c];
        jpeg::Quantiser quantiser;
        quantiser.Build(tables[comp.quantTable]);
        for (int by = 0; by < plane.blocksHigh; ++by)
            for (int bx = 0; bx < plane.blocksWide; ++bx) {
                std::int32_t transformed[64];
                jpeg::QuantisedBlock quantised;
                jpeg::ForwardDct(&samples[std::size_t(by) * 8 * stride + bx * 8], stride, transformed);
                quantiser.Quantise(transformed, quantised);
                for (int k = 0; k < 64; ++k) plane.At(bx, by)[kNaturalOrder[k]] = quantised.zigzag[k];
            }
    }
    return f;
}

// DC and AC bands first with the low bits left out, then those bits scan by scan.
std::vector<FixtureScan> SuccessiveScript(int componentCount) {
    std::vector<int> all;
    for (int c = 0; c < componentCount; ++c) all.push_back(c);
    std::vector<FixtureScan> script{{all, 0, 0, 0, 1}};
    for (int c : all)
        script.insert(script.end(), {{{c}, 1, 5, 0, 2}, {{c}, 6, 63, 0, 2}, {{c}, 1, 63, 2, 1}});
    script.push_back({all, 0, 0, 1, 0});
    for (int c : all) script.push_back({{c}, 1, 63, 1, 0});
    return script;
}

Bytes LargestProgressiveJpeg() {
    const ColourAt colour = [](int, int) { return Rgb{90, 120, 150}; };
    JpegFixture f = FixtureFromPicture(8, 8, colour, FixtureColour::kYCbCr, {{1, 1}, {1, 1}, {1, 1}}, 75);
    f.sofMarker = 0xC2;
    f.jfif = false;
    f.scans = {{{0, 1, 2}, 0, 0, 0, 0}};
    Bytes bytes = WriteJpegFixture(f);
    // The frame takes the full size after it was written for one block: height, then width.
    const Bytes marker{0xFF, 0xC2};
    const auto sof = std::search(bytes.begin(), bytes.end(), marker.begin(), marker.end());
    std::copy_n(Bytes{0x20, 0x00, 0x20, 0x00}.begin(), 4, sof + 5);
    return bytes;
}
