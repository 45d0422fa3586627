#include "codecs/gif/gif_reader.h"

#include <gtest/gtest.h>

#include "tests/support/bitmap_builder.h"
#include "tests/support/files.h"
#include "tests/support/gif_fixture.h"

namespace {

const std::vector<Rgb> kFour = {{10, 20, 30}, {40, 50, 60}, {70, 80, 90}, {100, 110, 120}};

// One image under a table of four colours, its codes of minimum size `bits`.
Bytes OneImage(int width, int height, const std::vector<int>& codes, int bits = 2) {
    return Join({GifHeader("GIF87a", width, height, kFour),
                 GifImageDescriptor(0, 0, width, height, false, {}),
                 GifImageData(bits, codes),
                 {0x3B}});
}

}  // namespace

// Streams no encoder writes, read or refused; files giflib reads whole are in the oracle test.
TEST(GifReader, ReadsOrRefusesHandBuiltStreams) {
    // 4090 entries fill the table; 12-bit codes go on without new ones.
    std::vector<int> fullTable = {4}, fullRow(4101, 0);
    fullTable.insert(fullTable.end(), 4098, 0);
    fullTable.insert(fullTable.end(), {1, 4000, 5});
    fullRow[4098] = 1;
    const Bytes header = GifHeader("GIF89a", 2, 2, kFour);
    const Bytes descriptor = GifImageDescriptor(0, 0, 2, 2, false, {});
    const Bytes withLocal = GifImageDescriptor(0, 0, 2, 2, false, kFour);
    const Bytes image = Join({descriptor, GifImageData(2, {4, 0, 1, 2, 3, 5})});
    const auto withCodes = [&](int bits, const std::vector<int>& codes) {
        return Join({header, descriptor, GifImageData(bits, codes)});
    };
    const auto sized = [&](int width, int height) {
        return Join({header, GifImageDescriptor(0, 0, width, height, false, {}), GifImageData(2, {4})});
    };
    const struct {
        const char* name;
        Bytes file;
        std::int32_t status;
        std::vector<int> indices = {};  // of a file read, in its table of four colours
    } cases[] = {
        {"no leading clear code", OneImage(3, 1, {1, 6, 5}), 0, {1, 1, 1}},
        {"indices past the table", OneImage(3, 1, {256, 0, 9, 200, 257}, 8), 0, {0, 9, 200}},
        {"data that stops halfway", OneImage(2, 2, {4, 1, 2}), 0, {1, 2, 0, 0}},
        {"more codes than pixels", OneImage(1, 1, {4, 1, 2, 3, 5}), 0, {1}},
        {"a full table goes on without new entries", OneImage(4101, 1, fullTable), 0, fullRow},
        {"GIF88a", Join({GifHeader("GIF88a", 2, 2, kFour), image}), kReaderUnsupported},
        {"a 10-byte file", Bytes(header.begin(), header.begin() + 10), kReaderCannotRead},
        {"global table cut short", Bytes(header.begin(), header.end() - 1), kReaderCannotRead},
        {"descriptor cut short", Join({header, Bytes(descriptor.begin(), descriptor.end() - 1)}),
         kReaderCannotRead},
        {"no image data", Join({header, descriptor}), kReaderCannotRead},
        {"local table cut short", Join({header, Bytes(withLocal.begin(), withLocal.end() - 1)}),
         kReaderCannotRead},
        {"too many pixels", sized(65535, 2000), kReaderUnsupported},
        {"extension past the end", Join({header, Bytes{0x21, 0xFE, 5, 'a', 'b'}}), kGifExtensionPastEnd},
        {"extension without its end", Join({header, Bytes{0x21, 0xFE, 2, 'a', 'b'}}), kGifExtensionPastEnd},
        {"trailer first", Join({header, Bytes{0x3B}, image}), kGifTrailerFirst},
        {"stray block byte", Join({header, Bytes{0x00}, image}), kGifStrayByte},
        {"no image before the end", Join({header, GifExtension(0xFE, {'x'})}), kGifNoImage},
        {"no colour table", Join({GifHeader("GIF89a", 2, 2, {}), image}), kGifNoColourTable},
        {"width 0", sized(0, 2), kGifZeroWidth},
        {"height 0", sized(2, 0), kGifZeroHeight},
        {"code size 1", withCodes(1, {2, 0, 3}), kGifBadCodeSize},
        {"code size 12", withCodes(12, {4096}), kGifBadCodeSize},
        {"first code above the clear code", withCodes(2, {4, 7}), kGifBadFirstCode},
        {"entry from an undefined code", withCodes(2, {4, 0, 7, 1}), kGifUndefinedPrefix},
        {"undefined code after an undefined one", withCodes(2, {4, 0, 7, 7}), kGifUndefinedCode},
    };
    TempFolder folder;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(folder.File("in.gif"), c.file);
        PackedBitmap read = reinterpret_cast<PackedBitmap>(8);
        ASSERT_EQ(ReadGifFile(&read, folder.File("in.gif").c_str()), c.status);
        if (c.status != 0) {
            EXPECT_EQ(read, nullptr);
            continue;
        }
        GlobalBlock bitmap(read);
        EXPECT_EQ(TableOf(bitmap.get()), kFour);
        EXPECT_EQ(IndicesOf(bitmap.get()), c.indices);
    }
    PackedBitmap read = nullptr;
    EXPECT_EQ(ReadGifFile(&read, "no such file.gif"), kReaderCannotRead);
}
