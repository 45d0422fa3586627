#include "codecs/gif/palette_reduction.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>

#include "codecs/gif/dither_mapping.h"
#include "codecs/gif/reduced_palette.h"
#include "tests/support/synthetic_picture.h"
#include "tests/unit/gif/gif_test_support.h"

namespace {

Rgb Numbered(int i) {
    return Rgb{std::uint8_t(i), std::uint8_t(i >> 8), 7};
}

int Sum(PaletteColour c) {
    return c.r + c.g + c.b;
}

// Mean absolute difference per channel between a 24-bit picture and its palette copy.
double MeanError(PackedBitmap picture, PackedBitmap mapped, int width, int height) {
    double total = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Rgb a = PixelOf(picture, x, y), b = TableColour(mapped, IndexOf(mapped, x, y));
            total += std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b);
        }
    }
    return total / (3.0 * width * height);
}

std::vector<PaletteColour> Colours(const Palette& palette) {
    return std::vector<PaletteColour>(palette.colours.begin(), palette.colours.begin() + palette.count);
}

}  // namespace

TEST(ExactPalette, KeepsUpTo256ColoursInTheOrderFirstMet) {
    const struct {
        int colours, width, height, depth;
    } cases[] = {
        {1, 5, 3, 1},  {2, 9, 4, 1},     {3, 5, 5, 4},     {16, 33, 3, 4},
        {17, 7, 9, 8}, {256, 40, 13, 8}, {257, 40, 13, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.colours);
        const ColourAt colour = [&](int x, int y) { return Numbered((x * 7 + y * 3) % c.colours); };
        GlobalBlock picture = MakeBitmap24(c.width, c.height, colour);
        GlobalBlock exact(ReduceToExactPalette(picture.get()));
        if (c.depth == 0) {
            EXPECT_FALSE(exact);
            continue;
        }
        ASSERT_TRUE(exact);
        {
            BitmapLock header(exact.get());
            EXPECT_EQ(header->biBitCount, c.depth);
            EXPECT_EQ(header->biClrUsed, std::uint32_t(c.colours));
        }
        // Stored rows run from the bottom line up, each from the left.
        std::vector<Rgb> firstMet;
        for (int y = c.height - 1; y >= 0; --y) {
            for (int x = 0; x < c.width; ++x) {
                if (std::find(firstMet.begin(), firstMet.end(), colour(x, y)) == firstMet.end()) {
                    firstMet.push_back(colour(x, y));
                }
                ASSERT_EQ(TableColour(exact.get(), IndexOf(exact.get(), x, y)), colour(x, y))
                    << x << "," << y;
            }
        }
        for (int i = 0; i < c.colours; ++i) EXPECT_EQ(TableColour(exact.get(), i), firstMet[i]) << i;
    }
}

TEST(PaletteReduction, RefusesPicturesItCannotRead) {
    const auto shortBlock = [] {
        GlobalBlock block = GlobalBlock::Allocate(sizeof(BITMAPINFOHEADER) + 12);
        *BitmapLock(block.get()).data() = BITMAPINFOHEADER{40, 100, 100, 1, 24, 0, 0, 0, 0, 0, 0};
        return block;
    };
    const auto wildTable = [] {
        GlobalBlock block = MakeBitmap24(4, 4, [](int, int) { return Rgb{1, 2, 3}; });
        BitmapLock(block.get())->biClrUsed = 0x40000000;
        return block;
    };
    const struct {
        const char* name;
        GlobalBlock picture;
    } cases[] = {
        {"8-bit", MakePaletteBitmap(8, 4, 4, {{1, 2, 3}}, [](int, int) { return 0; })},
        {"rows missing from the block", shortBlock()},
        {"colour table past the block", wildTable()},
        {"no block", GlobalBlock()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ReduceToExactPalette(c.picture.get()), nullptr);
        EXPECT_EQ(QuantizeWithDither(c.picture.get()), nullptr);
    }
}

TEST(Quantiser, MapsAPhotographOntoBlackToWhite) {
    const int width = 160, height = 120;
    GlobalBlock picture = MakeBitmap24(width, height, NaturalPicture(width, height));
    ASSERT_EQ(ReduceToExactPalette(picture.get()), nullptr);
    GlobalBlock mapped(QuantizeWithDither(picture.get()));
    ASSERT_TRUE(mapped);
    std::uint32_t colours;
    {
        BitmapLock header(mapped.get());
        EXPECT_EQ(header->biBitCount, 8);
        colours = header->biClrUsed;
    }
    ASSERT_GE(colours, 2u);
    ASSERT_LE(colours, 256u);
    EXPECT_EQ(TableColour(mapped.get(), 0), (Rgb{0, 0, 0}));
    EXPECT_EQ(TableColour(mapped.get(), int(colours) - 1), (Rgb{255, 255, 255}));
    for (int i = 1; i < int(colours); ++i) {
        const Rgb a = TableColour(mapped.get(), i - 1), b = TableColour(mapped.get(), i);
        EXPECT_LE(a.r + a.g + a.b, b.r + b.g + b.b) << i;
    }
    EXPECT_LT(MeanError(picture.get(), mapped.get(), width, height), 8.0);
}

TEST(Quantiser, HandlesRowsWiderThan32767) {
    const int width = 40000, height = 2;
    GlobalBlock picture = MakeBitmap24(width, height, [](int x, int y) {
        return Rgb{std::uint8_t(x * 255 / 39999), std::uint8_t(y * 200), 60};
    });
    GlobalBlock mapped(QuantizeWithDither(picture.get()));
    ASSERT_TRUE(mapped);
    EXPECT_EQ(BitmapLock(mapped.get())->biWidth, width);
    EXPECT_LT(MeanError(picture.get(), mapped.get(), width, height), 12.0);
}

TEST(ReducedPalette, KeepsRareVividHues) {
    // 300 dull cells, each entered about four times, against pure red, green and blue met once.
    const auto dull = [](int i) {
        return Rgb{std::uint8_t(16 * (1 + i % 14)), std::uint8_t(16 * (1 + i / 14 % 14)),
                   std::uint8_t(16 * (1 + i / 196))};
    };
    const Rgb vivid[] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    GlobalBlock picture =
        MakeBitmap24(300, 4, [&](int x, int y) { return y == 0 && x < 3 ? vivid[x] : dull((x + y) % 300); });
    const std::optional<Palette> palette = BuildReducedPalette(picture.get());
    ASSERT_TRUE(palette);
    const std::vector<PaletteColour> colours = Colours(*palette);
    ASSERT_EQ(colours.size(), 256u);
    for (PaletteColour c : {PaletteColour{247, 7, 7}, PaletteColour{7, 247, 7}, PaletteColour{7, 7, 247}}) {
        EXPECT_NE(std::find(colours.begin(), colours.end(), c), colours.end())
            << int(c.r) << "," << int(c.g) << "," << int(c.b);
    }
    EXPECT_EQ(colours.front(), (PaletteColour{0, 0, 0}));
    EXPECT_EQ(colours.back(), (PaletteColour{255, 255, 255}));
    EXPECT_TRUE(std::is_sorted(colours.begin(), colours.end(),
                               [](PaletteColour a, PaletteColour b) { return Sum(a) < Sum(b); }));
    std::set<int> distinct;
    for (PaletteColour c : colours) distinct.insert(c.r << 16 | c.g << 8 | c.b);
    EXPECT_EQ(distinct.size(), colours.size());
}

TEST(ReducedPalette, HasOneColourPerCellEntered) {
    const struct {
        const char* name;
        std::vector<Rgb> cycle;  // repeated along the rows
        std::vector<PaletteColour> expected;
    } cases[] = {
        // The first pixel's own run is not counted, so one colour adds nothing.
        {"one colour", {{90, 20, 200}}, {{0, 0, 0}, {255, 255, 255}}},
        {"black and white only", {{0, 0, 0}, {255, 255, 255}, {3, 2, 1}}, {{0, 0, 0}, {255, 255, 255}}},
        {"three cells, two colours each",
         {{90, 20, 200}, {30, 140, 40}, {95, 15, 210}, {200, 200, 10}, {26, 136, 44}, {205, 203, 12}},
         {{0, 0, 0}, {39, 151, 55}, {103, 23, 215}, {215, 215, 23}, {255, 255, 255}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        GlobalBlock picture =
            MakeBitmap24(13, 5, [&](int x, int y) { return c.cycle[(x + 13 * y) % c.cycle.size()]; });
        const std::optional<Palette> palette = BuildReducedPalette(picture.get());
        ASSERT_TRUE(palette);
        EXPECT_EQ(Colours(*palette), c.expected);
    }
}

TEST(DitherMapping, MatchesCellsAndAlternatesRows) {
    const PaletteColour kBlack{0, 0, 0}, kWhite{255, 255, 255};
    const struct {
        const char* name;
        std::vector<PaletteColour> palette;
        std::vector<std::vector<int>> greys;    // stored rows, bottom line first
        std::vector<std::vector<int>> indices;  // likewise
    } cases[] = {
        // 120 and 135 share the cell centred on 136, nearest to 140 though 120 is nearer 121.
        {"one index per cell", {{121, 121, 121}, {140, 140, 140}}, {{120, 135}}, {{1, 1}}},
        {"equal distances take the lower index", {{140, 140, 140}, {140, 140, 140}}, {{120}}, {{0}}},
        // Half of 100 carried to the right turns the second 100 white.
        {"bottom row left to right", {kBlack, kWhite}, {{100, 100}}, {{0, 1}}},
        {"second row right to left", {kBlack, kWhite}, {{0, 0}, {100, 100}}, {{0, 0}, {1, 0}}},
        {"third row left to right", {kBlack, kWhite}, {{0, 0}, {0, 0}, {100, 100}}, {{0, 0}, {0, 0}, {0, 1}}},
        // 120 turns white, 135 off: a quarter (-34) is carried, not a half (-68), so 160 stays white.
        {"large errors are quartered", {kBlack, kWhite}, {{120, 160}}, {{1, 1}}},
        // Errors reach the next row at the same column: 100 over 100 on the right.
        {"error goes up", {kBlack, kWhite}, {{0, 100}, {0, 100}}, {{0, 0}, {0, 1}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const int height = int(c.greys.size()), width = int(c.greys[0].size());
        GlobalBlock picture = MakeBitmap24(width, height, [&](int x, int y) {
            const std::uint8_t v = std::uint8_t(c.greys[height - 1 - y][x]);
            return Rgb{v, v, v};
        });
        Palette palette;
        for (PaletteColour colour : c.palette) palette.Append(colour);
        GlobalBlock mapped(MapWithDither(picture.get(), palette));
        ASSERT_TRUE(mapped);
        for (int row = 0; row < height; ++row) {
            for (int x = 0; x < width; ++x) {
                EXPECT_EQ(IndexOf(mapped.get(), x, height - 1 - row), c.indices[row][x])
                    << "row " << row << " x " << x;
            }
        }
    }
}

TEST(DitherMapping, WeighsDistanceThenChannelOrderThenColourfulness) {
    const struct {
        PaletteColour colour, centre;
        std::uint32_t distance;
    } cases[] = {
        {{255, 0, 0}, {248, 8, 8}, 23 * 65536 + 0x0F00 + 15},
        {{0, 0, 0}, {8, 8, 8}, 24 * 65536 + 0x3F00},
        {{10, 200, 30}, {24, 184, 40}, 40 * 65536 + 0x3100 + 30},
        {{136, 136, 136}, {136, 136, 136}, 0x3F00},
    };
    for (const auto& c : cases) EXPECT_EQ(PaletteDistance(c.colour, c.centre), c.distance);
}
