#include "codecs/gif/gif_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "codecs/gif/gif_writer.h"
#include "tests/support/gif_fixture.h"
#include "tests/support/synthetic_picture.h"
#include "tests/unit/gif/gif_test_support.h"

namespace {

const std::vector<Rgb> kFour = {{10, 20, 30}, {40, 50, 60}, {70, 80, 90}, {100, 110, 120}};

std::vector<Rgb> Greys(int count) {
    std::vector<Rgb> table;
    for (int i = 0; i < count; ++i) table.push_back(Rgb{std::uint8_t(i), std::uint8_t(i), std::uint8_t(i)});
    return table;
}

// A one-image file: header with global table, the descriptor, codes of minimum size 2.
Bytes SimpleGif(int width, int height, const std::vector<int>& codes, bool interlaced = false) {
    return Join({GifHeader("GIF87a", width, height, kFour),
                 GifImageDescriptor(0, 0, width, height, interlaced, {}),
                 GifImageData(2, codes),
                 {0x3B}});
}

// The pixel indices, top row first.
std::vector<int> IndicesOf(PackedBitmap bitmap) {
    BitmapLock header(bitmap);
    std::vector<int> indices;
    for (int y = 0; y < header->biHeight; ++y)
        for (int x = 0; x < header->biWidth; ++x) indices.push_back(IndexOf(bitmap, x, y));
    return indices;
}

}  // namespace

TEST(GifReader, DecodesHandBuiltFiles) {
    const Bytes comment = GifExtension(0xFE, {'h', 'i'});
    const Bytes control = GifExtension(0xF9, {1, 0, 0, 2});
    const Bytes netscape = Join(
        {Bytes{0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'}, SubBlocks({1, 0, 0})});
    std::vector<int> fullTable = {4};
    fullTable.insert(fullTable.end(), 4098, 0);  // 4090 entries fill the table; 12-bit codes go on
    fullTable.insert(fullTable.end(), {1, 4000, 5});
    const struct {
        const char* name;
        Bytes file;
        int width, height;
        std::vector<int> indices;
        std::vector<Rgb> table;
    } cases[] = {
        {"four pixels", SimpleGif(2, 2, {4, 0, 1, 2, 3, 5}), 2, 2, {0, 1, 2, 3}, kFour},
        {"a code defined by itself", SimpleGif(3, 1, {4, 1, 6, 5}), 3, 1, {1, 1, 1}, kFour},
        {"no leading clear code", SimpleGif(3, 1, {1, 6, 5}), 3, 1, {1, 1, 1}, kFour},
        {"strings across rows", SimpleGif(2, 3, {4, 3, 6, 7, 5}), 2, 3, {3, 3, 3, 3, 3, 3}, kFour},
        {"89a with extensions",
         Join({GifHeader("GIF89a", 2, 2, kFour),
               control,
               comment,
               netscape,
               GifImageDescriptor(0, 0, 2, 2, false, {}),
               GifImageData(2, {4, 3, 2, 1, 0, 5}),
               {0x3B}}),
         2,
         2,
         {3, 2, 1, 0},
         kFour},
        {"local table replaces the global one",
         Join({GifHeader("GIF89a", 2, 1, Greys(256)),
               GifImageDescriptor(0, 0, 2, 1, false, kFour),
               GifImageData(8, {256, 3, 1, 257}),
               {0x3B}}),
         2,
         1,
         {3, 1},
         kFour},
        {"local table only",
         Join({GifHeader("GIF89a", 1, 1, {}), GifImageDescriptor(0, 0, 1, 1, false, Greys(2)),
               GifImageData(2, {4, 1, 5})}),
         1,
         1,
         {1},
         Greys(2)},
        {"two-entry global table",
         Join({GifHeader("GIF87a", 1, 1, Greys(2)), GifImageDescriptor(0, 0, 1, 1, false, {}),
               GifImageData(2, {4, 1, 5})}),
         1,
         1,
         {1},
         Greys(2)},
        {"first frame of an animation at its own size",
         Join({GifHeader("GIF89a", 5, 5, kFour),
               control,
               GifImageDescriptor(2, 3, 2, 1, false, {}),
               GifImageData(2, {4, 2, 3, 5}),
               control,
               GifImageDescriptor(0, 0, 5, 5, false, Greys(2)),
               GifImageData(2, {4, 1, 5}),
               {0x3B}}),
         2,
         1,
         {2, 3},
         kFour},
        {"five interlaced rows", SimpleGif(1, 5, {4, 0, 1, 2, 3, 0, 5}, true), 1, 5, {0, 3, 2, 0, 1}, kFour},
        {"data that stops halfway", SimpleGif(2, 2, {4, 1, 2}), 2, 2, {1, 2, 0, 0}, kFour},
        {"file cut inside a sub-block",
         Join({GifHeader("GIF87a", 2, 2, kFour),
               GifImageDescriptor(0, 0, 2, 2, false, {}),
               {2, 9},
               PackCodes({4, 3, 2, 1}, 2)}),
         2,
         2,
         {3, 2, 1, 0},
         kFour},
        {"more codes than pixels", SimpleGif(1, 1, {4, 1, 2, 3, 5}), 1, 1, {1}, kFour},
        {"indices beyond the table kept as they come",
         Join({GifHeader("GIF87a", 2, 1, Greys(2)), GifImageDescriptor(0, 0, 2, 1, false, {}),
               GifImageData(8, {256, 200, 1})}),
         2,
         1,
         {200, 1},
         Greys(2)},
        {"a full table goes on without new entries",
         Join({GifHeader("GIF87a", 4101, 1, kFour), GifImageDescriptor(0, 0, 4101, 1, false, {}),
               GifImageData(2, fullTable)}),
         4101,
         1,
         {},
         kFour},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        WriteBytes(folder.File("in.gif"), c.file);
        PackedBitmap read = nullptr;
        ASSERT_EQ(ReadGifFile(&read, folder.File("in.gif").c_str()), 0);
        GlobalBlock bitmap(read);
        {
            BitmapLock header(bitmap.get());
            ASSERT_EQ(header->biBitCount, 8);
            ASSERT_EQ(header->biWidth, c.width);
            ASSERT_EQ(header->biHeight, c.height);
            ASSERT_EQ(header->biClrUsed, c.table.size());
        }
        for (std::size_t i = 0; i < c.table.size(); ++i)
            EXPECT_EQ(TableColour(bitmap.get(), int(i)), c.table[i]);
        std::vector<int> indices = IndicesOf(bitmap.get());
        if (c.indices.empty()) {
            std::vector<int> expected(4101, 0);
            expected[4098] = 1;
            EXPECT_EQ(indices, expected);
        } else {
            EXPECT_EQ(indices, c.indices);
        }
    }
}

TEST(GifReader, RefusesBrokenFiles) {
    const Bytes header = GifHeader("GIF89a", 2, 2, kFour);
    const Bytes image =
        Join({GifImageDescriptor(0, 0, 2, 2, false, {}), GifImageData(2, {4, 0, 1, 2, 3, 5})});
    const Bytes descriptor = GifImageDescriptor(0, 0, 2, 2, false, {});
    const Bytes withLocal = GifImageDescriptor(0, 0, 2, 2, false, kFour);
    const auto withCodes = [&](const std::vector<int>& codes) {
        return Join({header, descriptor, GifImageData(2, codes)});
    };
    const struct {
        const char* name;
        Bytes file;
        std::int32_t status;
    } cases[] = {
        {"GIF88a", Join({GifHeader("GIF88a", 2, 2, kFour), image}), kReaderUnsupported},
        {"a 10-byte file", Bytes(header.begin(), header.begin() + 10), kReaderCannotRead},
        {"an empty file", {}, kReaderCannotRead},
        {"global table cut short", Bytes(header.begin(), header.end() - 1), kReaderCannotRead},
        {"descriptor cut short", Join({header, Bytes(descriptor.begin(), descriptor.end() - 1)}),
         kReaderCannotRead},
        {"no image data", Join({header, descriptor}), kReaderCannotRead},
        {"local table cut short", Join({header, Bytes(withLocal.begin(), withLocal.end() - 1)}),
         kReaderCannotRead},
        {"too many pixels",
         Join({header, GifImageDescriptor(0, 0, 65535, 2000, false, {}), GifImageData(2, {4})}),
         kReaderUnsupported},
        {"extension past the end", Join({header, Bytes{0x21, 0xFE, 5, 'a', 'b'}}), kGifExtensionPastEnd},
        {"extension without its end", Join({header, Bytes{0x21, 0xFE, 2, 'a', 'b'}}), kGifExtensionPastEnd},
        {"trailer first", Join({header, Bytes{0x3B}, image}), kGifTrailerFirst},
        {"stray block byte", Join({header, Bytes{0x00}, image}), kGifStrayByte},
        {"no image before the end", Join({header, GifExtension(0xFE, {'x'})}), kGifNoImage},
        {"no colour table",
         Join({GifHeader("GIF89a", 2, 2, {}), GifImageDescriptor(0, 0, 2, 2, false, {}),
               GifImageData(2, {4, 5})}),
         kGifNoColourTable},
        {"width 0", Join({header, GifImageDescriptor(0, 0, 0, 2, false, {}), GifImageData(2, {4})}),
         kGifZeroWidth},
        {"height 0", Join({header, GifImageDescriptor(0, 0, 2, 0, false, {}), GifImageData(2, {4})}),
         kGifZeroHeight},
        {"code size 1", Join({header, descriptor, GifImageData(1, {2, 0, 3})}), kGifBadCodeSize},
        {"code size 12", Join({header, descriptor, GifImageData(12, {4096})}), kGifBadCodeSize},
        {"first code above the clear code", withCodes({4, 7}), kGifBadFirstCode},
        {"entry from an undefined code", withCodes({4, 0, 7, 1}), kGifUndefinedPrefix},
        {"undefined code after an undefined one", withCodes({4, 0, 7, 7}), kGifUndefinedCode},
    };
    for (const auto& c : cases) {
        TempFolder folder;
        WriteBytes(folder.File("in.gif"), c.file);
        PackedBitmap read = reinterpret_cast<PackedBitmap>(8);
        EXPECT_EQ(ReadGifFile(&read, folder.File("in.gif").c_str()), c.status) << c.name;
        EXPECT_EQ(read, nullptr) << c.name;
    }
    PackedBitmap read = nullptr;
    EXPECT_EQ(ReadGifFile(&read, "no such file.gif"), kReaderCannotRead);
}

// What the writer writes (always interlaced, minimum code sizes 2 to 8) comes back exactly.
TEST(GifReader, ReadsBackWhatTheWriterWrote) {
    std::vector<std::pair<int, int>> sizes;
    for (int height = 1; height <= 9; ++height) sizes.emplace_back(7, height);
    sizes.emplace_back(301, 1203);
    for (int colours : {2, 3, 5, 9, 17, 33, 65, 129, 256}) {
        for (const auto& [width, height] : sizes) {
            SCOPED_TRACE(std::to_string(colours) + " colours, " + std::to_string(width) + "x" +
                         std::to_string(height));
            GlobalBlock written = MakePaletteBitmap(8, width, height, Greys(colours), [&](int x, int y) {
                return int((std::uint32_t(x) * 2654435761u ^ std::uint32_t(y) * 40503u) >> 9) % colours;
            });
            TempFolder folder;
            ASSERT_EQ(WriteGifFile(written.get(), folder.File("round.gif").c_str()), 0);
            PackedBitmap read = nullptr;
            ASSERT_EQ(ReadGifFile(&read, folder.File("round.gif").c_str()), 0);
            GlobalBlock bitmap(read);
            EXPECT_EQ(IndicesOf(bitmap.get()), IndicesOf(written.get()));
            for (int i = 0; i < colours; ++i)
                ASSERT_EQ(TableColour(bitmap.get(), i), TableColour(written.get(), i));
        }
    }
}
