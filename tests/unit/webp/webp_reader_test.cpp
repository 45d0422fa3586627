#include "codecs/webp/webp_reader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "codecs/webp/webp_first_frame.h"

#include "tests/support/bitmap_builder.h"
#include "tests/support/webp_fixture.h"

namespace {

struct ReadResult {
    WebpReadStatus status;
    GlobalBlock bitmap;
};

// Reads the bytes as a file and, to the same effect, from memory.
ReadResult ReadWebp(const Bytes& file, std::uint32_t background) {
    TempFolder folder;
    WriteBytes(folder.File("in.webp"), file);
    PackedBitmap read = reinterpret_cast<PackedBitmap>(8), decoded = read;
    const WebpReadStatus status = ReadWebpFile(&read, folder.File("in.webp").c_str(), background);
    GlobalBlock fromMemory;
    EXPECT_EQ(DecodeWebp(&decoded, file.data(), file.size(), background), status);
    fromMemory.reset(decoded);
    return ReadResult{status, GlobalBlock(read)};
}

// A file too large to write: pieces (each repeated `times`) on zeros.
struct Piece {
    std::uint64_t at;
    Bytes bytes;
    std::uint64_t times = 1;
};

std::uint8_t ByteAt(const std::vector<Piece>& pieces, std::uint64_t offset) {
    for (const Piece& piece : pieces) {
        if (offset >= piece.at && offset < piece.at + piece.bytes.size() * piece.times)
            return piece.bytes[(offset - piece.at) % piece.bytes.size()];
    }
    return 0;
}

// The bytes as a little-endian size field at `at`.
Bytes WithSize(Bytes bytes, std::size_t at, std::uint64_t size) {
    for (int k = 0; k < 4; ++k) bytes[at + std::size_t(k)] = std::uint8_t(size >> 8 * k);
    return bytes;
}

}  // namespace

// What it shows, top row first, over the background o; what it refuses, with the reason.
TEST(WebpReader, ComposesOverTheBackgroundOrRefusesWithTheReason) {
    const Rgb o{0, 128, 255}, r{255, 0, 0}, ochre{200, 100, 0};
    const std::vector<Rgba> transparent = {{10, 20, 30, 0}, {200, 100, 0, 255}, {200, 100, 0, 128}};
    const Rgba red{255, 0, 0, 255};
    // A frame with a transparent pixel at (2, 2), and a second frame that is not shown.
    const Bytes animation = WebpAnimation(4, 4,
                                          {{2, 2, 2, 2, EncodeRgbaWebp({{255, 0, 0, 0}, red, red, red}, 2)},
                                           {0, 0, 4, 4, EncodeRgbaWebp(std::vector<Rgba>(16, red), 4)}});
    const Bytes lossy = EncodeRgbaWebp(transparent, 3, true), lossless = EncodeRgbaWebp(transparent, 3);
    Bytes badSignature = lossless, wave = WebpRiff(WebpChunk("fmt ", Bytes(16, 1)));
    badSignature[20] ^= 0xFF;  // the VP8L signature byte
    std::memcpy(wave.data() + 8, "WAVE", 4);
    const struct {
        const char* name;
        Bytes file;
        WebpReadStatus status;
        int width = 0;
        std::vector<Rgb> expected = {};
    } cases[] = {
        {"with alpha", lossless, kWebpReadOk, 3, {o, ochre, {100, 114, 127}}},
        {"opaque", EncodeRgbaWebp({red, {0, 0, 255, 255}}, 1), kWebpReadOk, 1, {r, {0, 0, 255}}},
        {"animation", animation, kWebpReadOk, 4, {o, o, o, o, o, o, o, o, o, o, o, r, o, o, r, r}},
        {"empty", {}, kWebpNotWebp},
        {"a RIFF that is not WebP", wave, kWebpNotWebp},
        {"only the RIFF header", Bytes(lossy.begin(), lossy.begin() + 12), kWebpTruncated},
        {"a RIFF size below its header",
         Join({Bytes{'R', 'I', 'F', 'F', 2, 0, 0, 0}, Bytes(lossy.begin() + 8, lossy.end())}), kWebpBroken},
        {"truncated", Bytes(lossy.begin(), lossy.begin() + std::ptrdiff_t(lossy.size() / 2)), kWebpTruncated},
        {"a broken lossless signature", badSignature, kWebpBroken},
        {"an animation without frames", WebpAnimation(4, 4, {}), kWebpBroken},
        {"a frame beyond the canvas",
         WebpAnimation(6, 4, {{4, 0, 4, 1, EncodeRgbaWebp({red, red, red, red}, 4)}}), kWebpBroken},
        // A lossless header of 16383 x 16383 pixels and nothing behind it.
        {"more pixels than 2^26", WebpRiff(WebpChunk("VP8L", Bytes{0x2F, 0xFE, 0xFF, 0xFF, 0x0F, 0, 0, 0})),
         kWebpTooLarge},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ReadResult read = ReadWebp(c.file, 0xFF8000);
        ASSERT_EQ(read.status, c.status) << WebpStatusText(read.status);
        ASSERT_EQ(bool(read.bitmap), c.status == kWebpReadOk);
        if (!read.bitmap) continue;
        BitmapLock header(read.bitmap.get());
        ASSERT_EQ(header->biBitCount, 24);
        ASSERT_EQ(header->biWidth, c.width);
        ASSERT_EQ(header->biHeight, int(c.expected.size()) / c.width);
        for (std::size_t i = 0; i < c.expected.size(); ++i)
            EXPECT_EQ(PixelOf(read.bitmap.get(), int(i) % c.width, int(i) / c.width), c.expected[i]) << i;
    }
    PackedBitmap read = nullptr;
    EXPECT_EQ(ReadWebpFile(&read, "no such file.webp", 0), kWebpCannotRead);
}

// Memory and time follow the picture, not the file: however long the file, its RIFF size or a
// chunk, and however many frames follow the first, only the first frame's chunks are read.
TEST(WebpReader, ReadsOnlyWhatTheFirstFrameNeeds) {
    constexpr std::uint64_t kGigabyte = std::uint64_t{1} << 30, kFrames = 10'000'000;
    const Rgba teal{0, 128, 128, 255};
    const Bytes picture = EncodeRgbaWebp(std::vector<Rgba>(64 * 64, teal), 64, true);
    const Bytes pixel = EncodeRgbaWebp({teal}, 1);
    const Bytes animation = WebpAnimation(1, 1, {{0, 0, 1, 1, pixel}});
    const Bytes frame(animation.begin() + 44, animation.end());  // behind VP8X and ANIM
    const Bytes profiled = Join({WebpRiff(Join({WebpChunk("VP8X", {0x20, 0, 0, 0, 0, 0, 0, 0, 0, 0}),
                                                Bytes{'I', 'C', 'C', 'P', 0, 0, 0, 0x40}})),
                                 Bytes(pixel.begin() + 12, pixel.end())});
    const struct {
        const char* name;
        std::vector<Piece> file;
        int side;
        std::uint64_t mostRead;
    } cases[] = {
        {"a 64 x 64 picture whose RIFF size claims 2 GB",
         {{0, WithSize(picture, 4, 2 * kGigabyte - 16)}},
         64,
         picture.size()},
        {"10 M one-pixel frames",
         {{0, WithSize(Bytes(animation.begin(), animation.begin() + 44), 4, 36 + frame.size() * kFrames)},
          {44, frame, kFrames}},
         1,
         animation.size()},
        {"1 GB of colour profile first",
         {{0, WithSize(profiled, 4, profiled.size() - 8 + kGigabyte)},
          {38 + kGigabyte, Bytes(profiled.begin() + 38, profiled.end())}},
         1,
         1024},
        {"a bitstream chunk of 2 GB",
         {{0, WithSize(WithSize(pixel, 16, 2 * kGigabyte - 32), 4, 2 * kGigabyte - 16)}},
         1,
         (1 << 20) + 8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::uint64_t read = 0;
        const FirstFrame first =
            GatherFirstFrame([&](std::uint64_t offset, std::uint8_t* buffer, std::uint32_t bytes) {
                for (std::uint32_t k = 0; k < bytes; ++k) buffer[k] = ByteAt(c.file, offset + k);
                read += bytes;
                return long(bytes);
            });
        EXPECT_LE(read, c.mostRead);
        ASSERT_EQ(first.status, kWebpReadOk);
        PackedBitmap decoded = nullptr;
        ASSERT_EQ(DecodeWebp(&decoded, first.file.data(), first.file.size(), 0), kWebpReadOk);
        const GlobalBlock bitmap(decoded);
        EXPECT_EQ(BitmapLock(decoded)->biWidth, c.side);
        EXPECT_EQ(PixelOf(decoded, 0, 0), (Rgb{0, 128, 128}));
    }
}
