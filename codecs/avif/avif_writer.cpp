#include "codecs/avif/avif_writer.h"

#include <aom/aomcx.h>

#include <new>

#include "codecs/avif/av1_encoding.h"
#include "codecs/avif/avif_boxes.h"
#include "core/classic_file.h"

// Speed 6, full chroma, tuned for SSIM with quantisation matrices: the knee of size against time
// by the SSIMULACRA2 score over the corpus photographs (the README has the figures).
const AvifTuning kSmallAvif = {6, true, AOM_TUNE_SSIM, 0, true, 1};
const AvifTuning kQuickAvif = {8, true, AOM_TUNE_SSIM, 0, true, 1};

namespace {

// One item, the primary picture, with its size, depth, coding and colour, and its data in the
// media box.
void WriteFile(const Av1Still& still, std::uint32_t width, std::uint32_t height,
               std::vector<std::uint8_t>* out) {
    Boxes file(out);
    std::size_t box = file.Open("ftyp");
    file.Text("avif");
    file.U32(0);
    file.Text("avifmif1miaf");
    file.Close(box);

    const std::size_t meta = file.OpenFull("meta");
    box = file.OpenFull("hdlr");
    file.U32(0);
    file.Text("pict");
    for (int i = 0; i < 3; ++i) file.U32(0);
    file.U8(0);  // no name
    file.Close(box);
    box = file.OpenFull("pitm");
    file.U16(1);
    file.Close(box);
    box = file.OpenFull("iloc");
    file.U8(0x44);  // 4-byte offsets and lengths
    file.U8(0);     // no base offset
    file.U16(1);    // items
    file.U16(1);    // item 1
    file.U16(0);    // in this file
    file.U16(1);    // extents
    const std::size_t offset = file.size();
    file.U32(0);
    file.U32(std::uint32_t(still.data.size()));
    file.Close(box);
    box = file.OpenFull("iinf");
    file.U16(1);
    const std::size_t entry = file.OpenFull("infe", 2);
    file.U16(1);
    file.U16(0);
    file.Text("av01");
    file.U8(0);
    file.Close(entry);
    file.Close(box);

    const std::size_t iprp = file.Open("iprp");
    const std::size_t ipco = file.Open("ipco");
    box = file.OpenFull("ispe");
    file.U32(width);
    file.U32(height);
    file.Close(box);
    box = file.OpenFull("pixi");
    file.U8(3);
    for (int i = 0; i < 3; ++i) file.U8(8);
    file.Close(box);
    box = file.Open("av1C");
    file.U8(0x81);  // marker, version 1
    file.U8(std::uint32_t(still.profile) << 5 | std::uint32_t(still.level));
    file.U8(still.halvedChroma ? 0x0C : 0);  // 8 bits, chroma halved both ways or not
    file.U8(0);
    file.Bytes(still.sequenceHeader);
    file.Close(box);
    box = file.Open("colr");
    file.Text("nclx");
    file.U16(1);                       // BT.709 primaries, those of sRGB
    file.U16(13);                      // the sRGB transfer
    file.U16(still.identity ? 0 : 6);  // identity or BT.601
    file.U8(0x80);                     // full range
    file.Close(box);
    file.Close(ipco);
    box = file.OpenFull("ipma");
    file.U32(1);
    file.U16(1);
    file.U8(4);
    for (std::uint32_t property : {1u, 2u, 0x83u, 4u}) file.U8(property);  // av1C is essential
    file.Close(box);
    file.Close(iprp);
    file.Close(meta);

    box = file.Open("mdat");
    file.Patch(offset, std::uint32_t(file.size()));
    file.Bytes(still.data);
    file.Close(box);
}

}  // namespace

AvifWriteStatus EncodeAvif(PackedBitmap bitmap, AvifEncoding encoding, std::vector<std::uint8_t>* out,
                           const AvifTuning& tuning) {
    out->clear();
    BitmapLock header(bitmap);
    if (!header || header->biBitCount != 24 || header->biCompression != BI_RGB || header->biWidth <= 0 ||
        header->biHeight <= 0)
        return kAvifNotWritable;
    try {
        Av1Still still;
        const AvifWriteStatus status = EncodeAv1Still(*header.data(), encoding, tuning, &still);
        if (status != kAvifWritten) return status;
        WriteFile(still, std::uint32_t(header->biWidth), std::uint32_t(header->biHeight), out);
        return kAvifWritten;
    } catch (const std::bad_alloc&) {
        out->clear();
        return kAvifOutOfMemory;
    }
}

AvifWriteStatus WriteAvifFile(PackedBitmap bitmap, const char* path, AvifEncoding encoding,
                              const AvifTuning& tuning) {
    std::vector<std::uint8_t> bytes;
    const AvifWriteStatus status = EncodeAvif(bitmap, encoding, &bytes, tuning);
    if (status != kAvifWritten) return status;
    ClassicFile file = ClassicFile::Create(path);
    if (!file.is_open() || !file.WriteExactly(bytes.data(), bytes.size()) || !file.Close())
        return kAvifCannotWrite;
    return kAvifWritten;
}
