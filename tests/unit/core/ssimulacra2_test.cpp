#include "core/ssimulacra2.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>

#include "core/resample.h"
#include "pipeline/picture_loader.h"
#include "tests/support/bitmap_builder.h"
#include "tests/support/corpus.h"
#include "tests/support/synthetic_picture.h"
#include "tests/support/vector_levels.h"

namespace {

// A candidate's pixel made from the original's pixels.
using Distortion = std::function<Rgb(PackedBitmap original, int x, int y)>;

Rgb Same(PackedBitmap original, int x, int y) {
    return PixelOf(original, x, y);
}

// Blocks of n x n pixels of one colour, as a coder that keeps no detail leaves them.
Distortion Pixelated(int n) {
    return [=](PackedBitmap original, int x, int y) { return PixelOf(original, x / n * n, y / n * n); };
}

// Green raised by 25 levels: a change of colour that leaves the luma nearly alone.
Rgb Greener(PackedBitmap original, int x, int y) {
    Rgb c = PixelOf(original, x, y);
    c.g = std::uint8_t(std::min(255, c.g + 25));
    return c;
}

Distortion Replaced(const ColourAt& other) {
    return [=](PackedBitmap, int x, int y) { return other(x, y); };
}

GlobalBlock Natural(int width, int height) {
    return MakeBitmap24(width, height, NaturalPicture(width, height));
}

// A corpus picture as a 24-bit picture at most 430 wide; null without the corpus.
GlobalBlock CorpusPicture(const std::string& kind, const std::string& name) {
    for (const CorpusFile& file : CorpusFiles(kind)) {
        if (file.name != name) continue;
        GlobalBlock picture(LoadPictureFile(file.path.c_str()));
        BitmapLock header(picture.get());
        if (header->biWidth <= 430) return picture;
        const int height = int(std::lround(double(header->biHeight) * 430 / header->biWidth));
        return GlobalBlock(ResizeBitmap(picture.get(), 430, height));
    }
    return GlobalBlock();
}

}  // namespace

// The expected scores are those the reference script (shared/tools/ssimulacra2.py) gave for the
// same pairs, written out as 24-bit BMP files. Every vector form gives the plain form's score to
// the last bit, so that machines and builds choose alike.
TEST(Ssimulacra2, ScoresAsTheReferenceDoesAtEveryNumberOfScales) {
    const struct {
        const char* name;
        std::function<GlobalBlock()> original;
        Distortion candidate;
        double expected;
    } cases[] = {
        {"identical", [] { return Natural(160, 120); }, Same, 100},
        {"pixelated, six scales", [] { return Natural(160, 120); }, Pixelated(2), 15.4551},
        {"only the colour changed", [] { return Natural(160, 120); }, Greener, 61.2946},
        {"odd sides, four scales", [] { return Natural(61, 45); }, Replaced(SmoothPicture(61, 45)), -73.0172},
        {"two scales", [] { return Natural(9, 8); }, Pixelated(2), 80.5179},
        {"corpus photograph", [] { return CorpusPicture("png", "wuffs-harvesters.png"); }, Pixelated(2),
         14.4679},
        {"corpus graphic, colour", [] { return CorpusPicture("png", "pngsuite-tp0n2c08.png"); }, Greener,
         44.6586},
        {"corpus graphic", [] { return CorpusPicture("bmp", "bmpsuite-g-rgb24.bmp"); }, Pixelated(2), 6.4950},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const GlobalBlock original = c.original();
        if (!original) {
            std::printf("%s: skipped, the shared corpus is not there\n", c.name);
            continue;
        }
        BitmapLock header(original.get());
        const GlobalBlock candidate = MakeBitmap24(header->biWidth, header->biHeight, [&](int x, int y) {
            return c.candidate(original.get(), x, y);
        });
        std::optional<double> plain;
        ForEachVectorLevel([&](VectorLevel level) {
            SCOPED_TRACE(static_cast<int>(level));
            const PerceptualReference reference(original.get());
            ASSERT_TRUE(reference.ready());
            const std::optional<double> score = reference.Score(candidate.get());
            ASSERT_TRUE(score);
            if (!plain) plain = score;
            EXPECT_EQ(*score, *plain);
        });
        ASSERT_TRUE(plain);
        EXPECT_NEAR(*plain, c.expected, 0.01);
    }
}

TEST(Ssimulacra2, ScoresOnlyWhatItCanJudge) {
    const GlobalBlock picture = Natural(16, 16), taller = Natural(16, 17);
    const GlobalBlock palette = MakePaletteBitmap(8, 16, 16, {{9, 9, 9}}, [](int, int) { return 0; });
    const PerceptualReference reference(picture.get());
    EXPECT_FALSE(reference.Score(taller.get()));
    EXPECT_FALSE(reference.Score(palette.get()));
    EXPECT_FALSE(reference.Score(nullptr));
    EXPECT_FALSE(PerceptualReference(palette.get()).ready());
    EXPECT_FALSE(PerceptualReference(nullptr).Score(picture.get()));

    // Below 8 pixels a side there is no scale to compare: only an identical candidate scores.
    for (const auto& [width, height] : {std::pair{1, 1}, {7, 40}, {40, 7}}) {
        SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
        const GlobalBlock small = Natural(width, height);
        const PerceptualReference smallReference(small.get());
        const GlobalBlock same = Natural(width, height);
        const GlobalBlock greener =
            MakeBitmap24(width, height, [&](int x, int y) { return Greener(small.get(), x, y); });
        EXPECT_EQ(smallReference.Score(same.get()), 100.0);
        EXPECT_FALSE(smallReference.Score(greener.get()));
    }
}
