#include "codecs/gif/palette_reduction.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "codecs/gif/dither_mapping.h"
#include "tests/support/bitmap_builder.h"
#include "tests/support/synthetic_picture.h"

TEST(PaletteReduction, RefusesPicturesItCannotRead) {
    GlobalBlock shortRows = GlobalBlock::Allocate(sizeof(BITMAPINFOHEADER) + 12);
    *BitmapLock(shortRows.get()).data() = BITMAPINFOHEADER{40, 100, 100, 1, 24, 0, 0, 0, 0, 0, 0};
    GlobalBlock wildTable = MakeBitmap24(4, 4, [](int, int) { return Rgb{1, 2, 3}; });
    BitmapLock(wildTable.get())->biClrUsed = 0x40000000;
    GlobalBlock palette = MakePaletteBitmap(8, 4, 4, {{1, 2, 3}}, [](int, int) { return 0; });
    for (PackedBitmap picture : {shortRows.get(), wildTable.get(), palette.get(), PackedBitmap{nullptr}}) {
        EXPECT_EQ(ReduceToExactPalette(picture), nullptr);
        EXPECT_EQ(QuantizeWithDither(picture), nullptr);
    }
}

// Pictures of many colours map onto at most 256 entries from black to white, close to what they
// were, and keep the cells of pure red, green and blue however rarely met.
TEST(Quantiser, MapsPhotographsOntoPalettesFromBlackToWhite) {
    const Rgb vivid[] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    const struct {
        int width, height;
        ColourAt colour;
    } cases[] = {
        {160, 120, NaturalPicture(160, 120)},
        // Rows past the reach of 16-bit counters.
        {40000, 2,
         [](int x, int y) {
             return Rgb{std::uint8_t(x * 255 / 39999), std::uint8_t(y * 200), 60};
         }},
        // 300 dull cells, each entered about four times, against pure red, green and blue met once.
        {300, 4,
         [&](int x, int y) {
             const int i = (x + y) % 300;
             return y == 0 && x < 3 ? vivid[x]
                                    : Rgb{std::uint8_t(16 + i % 14 * 16), std::uint8_t(16 + i / 14 % 14 * 16),
                                          std::uint8_t(16 + i / 196 * 16)};
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.width);
        GlobalBlock picture = MakeBitmap24(c.width, c.height, c.colour);
        GlobalBlock mapped(QuantizeWithDither(picture.get()));
        ASSERT_TRUE(mapped);
        ASSERT_EQ(BitmapLock(mapped.get())->biBitCount, 8);
        const std::vector<Rgb> table = TableOf(mapped.get());
        ASSERT_TRUE(table.size() >= 2 && table.size() <= 256);
        EXPECT_EQ(table.front(), (Rgb{0, 0, 0}));
        EXPECT_EQ(table.back(), (Rgb{255, 255, 255}));
        EXPECT_TRUE(std::is_sorted(table.begin(), table.end(), [](Rgb a, Rgb b) {
            return a.r + a.g + a.b < b.r + b.g + b.b;
        })) << "from dark to light";
        double error = 0;
        for (int y = 0; y < c.height; ++y) {
            for (int x = 0; x < c.width; ++x) {
                const Rgb a = PixelOf(picture.get(), x, y),
                          b = table.at(std::size_t(IndexOf(mapped.get(), x, y)));
                error += std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b);
            }
        }
        EXPECT_LT(error / (3.0 * c.width * c.height), 12.0);
        if (c.width == 300) {
            for (const Rgb& cell : {Rgb{247, 7, 7}, Rgb{7, 247, 7}, Rgb{7, 7, 247}})
                EXPECT_NE(std::find(table.begin(), table.end(), cell), table.end())
                    << int(cell.r) << "," << int(cell.g);
        }
    }
}

TEST(DitherMapping, MatchesCellsAndAlternatesRows) {
    const PaletteColour kBlack{0, 0, 0}, kWhite{255, 255, 255};
    const struct {
        const char* name;
        std::vector<PaletteColour> palette;
        std::vector<std::vector<int>> greys,
            indices;  // stored rows, bottom line first
    } cases[] = {
        // 120 and 135 share the cell centred on 136, nearest to 140 though 120 is nearer 121.
        {"one index per cell", {{121, 121, 121}, {140, 140, 140}}, {{120, 135}}, {{1, 1}}},
        // A grey cell sees no channel order: red, green or blue ahead tie, and the lowest index wins.
        {"equal distances take the lower index",
         {{136, 146, 136}, {146, 136, 136}, {136, 136, 146}},
         {{120}},
         {{0}}},
        // Half of 100 carried on turns the second 100 white.
        {"bottom row left to right", {kBlack, kWhite}, {{100, 100}}, {{0, 1}}},
        {"second row right to left", {kBlack, kWhite}, {{0, 0}, {100, 100}}, {{0, 0}, {1, 0}}},
        {"third row left to right", {kBlack, kWhite}, {{0, 0}, {0, 0}, {100, 100}}, {{0, 0}, {0, 0}, {0, 1}}},
        {"error goes up", {kBlack, kWhite}, {{0, 100}, {0, 100}}, {{0, 0}, {0, 1}}},
        // 120 turns white, 135 off: a quarter (-34) is carried, not a half, so 160 stays white.
        {"large errors are quartered", {kBlack, kWhite}, {{120, 160}}, {{1, 1}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const int height = int(c.greys.size()), width = int(c.greys[0].size());
        GlobalBlock picture = MakeBitmap24(width, height, [&](int x, int y) {
            const std::uint8_t v = std::uint8_t(c.greys[std::size_t(height - 1 - y)][std::size_t(x)]);
            return Rgb{v, v, v};
        });
        Palette palette;
        for (PaletteColour colour : c.palette) palette.Append(colour);
        GlobalBlock mapped(MapWithDither(picture.get(), palette));
        ASSERT_TRUE(mapped);
        std::vector<std::vector<int>> indices(static_cast<std::size_t>(height));
        for (int row = 0; row < height; ++row) {
            for (int x = 0; x < width; ++x)
                indices[std::size_t(row)].push_back(IndexOf(mapped.get(), x, height - 1 - row));
        }
        EXPECT_EQ(indices, c.indices);
    }
}
