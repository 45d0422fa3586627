#include "tests/support/avif_fixture.h"

#include "codecs/avif/av1_encoding.h"
#include "codecs/avif/avif_boxes.h"

Bytes Av1Picture(PackedBitmap picture, bool lossless, int quality) {
    Av1Still still;
    BitmapLock header(picture);
    const AvifEncoding encoding = lossless ? AvifEncoding::Lossless() : AvifEncoding::Lossy(quality);
    EncodeAv1Still(*header.data(), encoding, kSmallAvif, &still);
    return still.data;
}

namespace {

void FileType(Boxes& file, const char* brand) {
    const std::size_t box = file.Open("ftyp");
    file.Text(brand);
    file.U32(0);
    file.Text("mif1");
    file.Close(box);
}

void Colour(Boxes& file, bool identity) {
    const std::size_t box = file.Open("colr");
    file.Text("nclx");
    file.U16(1);
    file.U16(13);
    file.U16(identity ? 0 : 6);
    file.U8(0x80);
    file.Close(box);
}

}  // namespace

Bytes AvifFile(const std::vector<AvifItem>& items) {
    Bytes out;
    Boxes file(&out);
    FileType(file, "avif");
    const std::size_t meta = file.OpenFull("meta");
    std::size_t box = file.OpenFull("hdlr");
    file.U32(0);
    file.Text("pict");
    for (int i = 0; i < 4; ++i) file.U32(0);
    file.Close(box);
    box = file.OpenFull("pitm");
    file.U16(1);
    file.Close(box);
    box = file.OpenFull("iloc");
    file.U16(0x4400);
    file.U16(std::uint32_t(items.size()));
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i < items.size(); ++i) {
        file.U16(std::uint32_t(i + 1));
        file.U16(0);
        file.U16(1);
        offsets.push_back(file.size());
        file.U32(0);
        file.U32(std::uint32_t(items[i].data.size()));
    }
    file.Close(box);
    box = file.OpenFull("iinf");
    file.U16(std::uint32_t(items.size()));
    for (std::size_t i = 0; i < items.size(); ++i) {
        const std::size_t entry = file.OpenFull("infe", 2);
        file.U16(std::uint32_t(i + 1));
        file.U16(0);
        file.Text(items[i].type);
        file.U8(0);
        file.Close(entry);
    }
    file.Close(box);
    box = file.OpenFull("iref");
    for (std::size_t i = 0; i < items.size(); ++i) {
        const AvifItem& item = items[i];
        if (item.tiles.empty() && !item.alpha) continue;
        const std::size_t reference = file.Open(item.alpha ? "auxl" : "dimg");
        file.U16(std::uint32_t(i + 1));
        file.U16(item.alpha ? 1 : std::uint32_t(item.tiles.size()));
        for (std::uint32_t to : item.alpha ? std::vector<std::uint32_t>{1} : item.tiles) file.U16(to);
        file.Close(reference);
    }
    file.Close(box);
    // Properties: for each item its size, its colour and, for alpha, what it is.
    const std::size_t iprp = file.Open("iprp");
    const std::size_t ipco = file.Open("ipco");
    std::vector<std::vector<std::uint32_t>> associations(items.size());
    std::uint32_t count = 0;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const AvifItem& item = items[i];
        if (item.width != 0) {
            box = file.OpenFull("ispe");
            file.U32(item.width);
            file.U32(item.height);
            file.Close(box);
            associations[i].push_back(++count);
        }
        Colour(file, item.identity);
        associations[i].push_back(++count);
        if (item.alpha) {
            box = file.OpenFull("auxC");
            file.Text("urn:mpeg:mpegB:cicp:systems:auxiliary:alpha");
            file.U8(0);
            file.Close(box);
            associations[i].push_back(++count);
        }
    }
    file.Close(ipco);
    box = file.OpenFull("ipma");
    file.U32(std::uint32_t(items.size()));
    for (std::size_t i = 0; i < items.size(); ++i) {
        file.U16(std::uint32_t(i + 1));
        file.U8(std::uint32_t(associations[i].size()));
        for (std::uint32_t index : associations[i]) file.U8(index);
    }
    file.Close(box);
    file.Close(iprp);
    file.Close(meta);
    box = file.Open("mdat");
    for (std::size_t i = 0; i < items.size(); ++i) {
        file.Patch(offsets[i], std::uint32_t(file.size()));
        file.Bytes(items[i].data);
    }
    file.Close(box);
    return out;
}

Bytes AvifGrid(int rows, int columns, std::uint32_t width, std::uint32_t height) {
    return {0,
            0,
            std::uint8_t(rows - 1),
            std::uint8_t(columns - 1),
            std::uint8_t(width >> 8),
            std::uint8_t(width),
            std::uint8_t(height >> 8),
            std::uint8_t(height)};
}

Bytes AvifSequence(const Bytes& sample, std::uint32_t width, std::uint32_t height) {
    Bytes out;
    Boxes file(&out);
    FileType(file, "avis");
    const std::size_t moov = file.Open("moov");
    const std::size_t trak = file.Open("trak");
    std::size_t box = file.OpenFull("tkhd");
    for (int i = 0; i < 2; ++i) file.U32(0);
    file.U32(1);  // the track's number
    file.Close(box);
    const std::size_t mdia = file.Open("mdia");
    const std::size_t minf = file.Open("minf");
    const std::size_t stbl = file.Open("stbl");
    box = file.OpenFull("stsd");
    file.U32(1);
    const std::size_t entry = file.Open("av01");
    for (int i = 0; i < 6; ++i) file.U32(0);  // reserved, data reference, pre-defined
    file.U16(width);
    file.U16(height);
    for (int i = 0; i < 50; ++i) file.U8(0);
    file.Close(entry);
    file.Close(box);
    box = file.OpenFull("stsz");
    file.U32(0);
    file.U32(1);
    file.U32(std::uint32_t(sample.size()));
    file.Close(box);
    box = file.OpenFull("stco");
    file.U32(1);
    const std::size_t offset = file.size();
    file.U32(0);
    file.Close(box);
    for (std::size_t open : {stbl, minf, mdia, trak, moov}) file.Close(open);
    box = file.Open("mdat");
    file.Patch(offset, std::uint32_t(file.size()));
    file.Bytes(sample);
    file.Close(box);
    return out;
}
