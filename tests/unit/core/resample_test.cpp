#include "core/resample.h"

#include <gtest/gtest.h>

#include "tests/support/bitmap_builder.h"

namespace {

// A picture whose red channel holds the given values, row by row from the top.
GlobalBlock RedPicture(const std::vector<std::vector<int>>& rows) {
    return MakeBitmap24(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()), [&](int x, int y) {
        return Rgb{std::uint8_t(rows[y][x]), 0, 0};
    });
}

}  // namespace

TEST(ResizeBitmap, InterpolatesAndAveragesExactlyOrRefuses) {
    // Rows are listed top first; the interpolation walks them bottom first.
    const struct {
        const char* name;
        std::vector<std::vector<int>> source;
        int width, height;
        std::vector<std::vector<int>> expected;
    } cases[] = {
        {"same size is a copy", {{1, 2}, {3, 4}}, 2, 2, {{1, 2}, {3, 4}}},
        {"2x2 enlarged to 4x4",
         {{0, 100}, {200, 50}},
         4,
         4,
         {{0, 50, 100, 100}, {0, 50, 100, 100}, {101, 89, 75, 75}, {200, 126, 50, 50}}},
        {"halving takes every second pixel", {{10, 20, 30, 40}, {50, 60, 70, 80}}, 2, 1, {{50, 70}}},
        {"factor 3 averages boxes", {{0, 3, 6, 9, 12, 15}}, 2, 1, {{3, 12}}},
        {"box without a source row takes the nearest",
         {{0, 3, 6, 90, 90, 90}},
         2,
         3,
         {{3, 90}, {3, 90}, {3, 90}}},
        {"vertical reduction beyond 2 still interpolates", {{1}, {2}, {3}, {4}, {5}, {6}}, 1, 2, {{3}, {6}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        GlobalBlock source = RedPicture(c.source);
        GlobalBlock result(ResizeBitmap(source.get(), c.width, c.height));
        ASSERT_TRUE(result);
        std::vector<std::vector<int>> red(std::size_t(c.height), std::vector<int>(std::size_t(c.width)));
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x)
                red[std::size_t(y)][std::size_t(x)] = PixelOf(result.get(), x, y).r;
        EXPECT_EQ(red, c.expected);
    }
    GlobalBlock rgb = RedPicture({{1}});
    GlobalBlock palette = MakePaletteBitmap(8, 4, 4, {{1, 2, 3}}, [](int, int) { return 0; });
    EXPECT_EQ(ResizeBitmap(nullptr, 2, 2), nullptr);
    EXPECT_EQ(ResizeBitmap(rgb.get(), 0, 2), nullptr);
    EXPECT_EQ(ResizeBitmap(palette.get(), 2, 2), nullptr);
}
