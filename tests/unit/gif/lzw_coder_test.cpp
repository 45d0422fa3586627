#include "codecs/gif/lzw_coder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "codecs/gif/gif_output.h"
#include "tests/unit/gif/gif_test_support.h"

namespace {

// The coder as a plain search: each new string is looked for among the table's entries one
// by one, newer than the last match and only while longer strings exist.
class ReferenceCoder {
  public:
    explicit ReferenceCoder(int minimumCodeSize) : clear_(1 << minimumCodeSize), entries_(4096) {
        for (int i = 0; i < clear_; ++i) entries_[i] = Entry{-1, 1, i};
        entries_[clear_] = entries_[clear_ + 1] = Entry{-1, 0, 0};
    }

    std::vector<int> Code(const std::vector<std::uint8_t>& pixels) {
        const int end = clear_ + 1;
        std::vector<int> codes{clear_};
        int next = clear_ + 2, longest = 1, searchFrom = end, omega = pixels[0];
        for (std::size_t i = 1; i < pixels.size(); ++i) {
            const int k = pixels[i];
            int found = -1;
            if (entries_[omega].length < longest) {
                for (int j = searchFrom + 1; j < next && found < 0; ++j) {
                    searchFrom = j;
                    if (entries_[j].length == entries_[omega].length + 1 && entries_[j].last == k &&
                        SameString(entries_[j].prefix, omega)) {
                        found = j;
                    }
                }
            }
            if (found >= 0) {
                omega = found;
                continue;
            }
            codes.push_back(omega);
            searchFrom = end;
            if (next >= 4095) {
                codes.push_back(clear_);
                longest = 1;
                next = clear_ + 2;
            } else {
                entries_[next] = Entry{omega, entries_[omega].length + 1, k};
                longest = std::max(longest, entries_[next].length);
                ++next;
            }
            omega = k;
        }
        codes.push_back(omega);
        codes.push_back(end);
        return codes;
    }

  private:
    struct Entry {
        int prefix, length, last;
    };

    bool SameString(int a, int b) const {
        for (; a >= 0 && b >= 0; a = entries_[a].prefix, b = entries_[b].prefix) {
            if (entries_[a].last != entries_[b].last) return false;
        }
        return a < 0 && b < 0;
    }

    int clear_;
    std::vector<Entry> entries_;
};

Bytes CodeWithCoder(const std::vector<std::uint8_t>& pixels, int minimumCodeSize, std::size_t piece) {
    GifOutput output;
    output.BeginSubBlocks();
    LzwCoder coder(minimumCodeSize, output);
    for (std::size_t at = 0; at < pixels.size(); at += piece) {
        coder.Encode(pixels.data() + at, std::min(piece, pixels.size() - at));
    }
    coder.Finish();
    output.Reserve(1);
    output.EndSubBlocks();
    // Join the sub-blocks.
    Bytes data;
    for (std::size_t at = 0; output.data()[at] != 0; at += 1 + output.data()[at]) {
        data.insert(data.end(), output.data() + at + 1, output.data() + at + 1 + output.data()[at]);
    }
    return data;
}

std::vector<std::uint8_t> Random(std::size_t count, int values, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<std::uint8_t> pixels(count);
    for (auto& p : pixels) p = std::uint8_t(random() % unsigned(values));
    return pixels;
}

}  // namespace

TEST(LzwCoder, CodesLikeTheLinearSearch) {
    std::vector<std::uint8_t> runs;  // long runs: strings grow long before the table fills
    for (int i = 0; runs.size() < 60000; ++i)
        runs.insert(runs.end(), std::size_t(1 + i % 97), std::uint8_t(i % 3));
    std::vector<std::uint8_t> smooth;  // gentle ramps, as in a quantised photograph
    for (int i = 0; i < 40000; ++i) smooth.push_back(std::uint8_t((i / 7 + (i % 613) / 41) % 200));
    const struct {
        const char* name;
        std::vector<std::uint8_t> pixels;
        int minimumCodeSize;
        long clears;  // after the first
    } cases[] = {
        {"one pixel", {3}, 2, 0},
        {"same index", std::vector<std::uint8_t>(5000, 1), 2, 0},
        {"noise of 256", Random(20000, 256, 1), 8, 5},
        {"noise of 2", Random(80000, 2, 2), 2, 2},
        {"noise of 16", Random(20000, 16, 3), 4, 2},
        {"runs", runs, 2, 0},
        {"ramps", smooth, 8, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<int> expected = ReferenceCoder(c.minimumCodeSize).Code(c.pixels);
        // Pieces of odd sizes, as rows of different widths hand them over.
        for (std::size_t piece : {std::size_t{1}, std::size_t{333}, c.pixels.size()}) {
            const std::vector<int> codes =
                ReadCodes(CodeWithCoder(c.pixels, c.minimumCodeSize, piece), c.minimumCodeSize);
            ASSERT_EQ(codes.size(), expected.size()) << "piece " << piece;
            const auto differ = std::mismatch(codes.begin(), codes.end(), expected.begin());
            EXPECT_TRUE(differ.first == codes.end())
                << "first difference at code " << (differ.first - codes.begin()) << ", piece " << piece;
        }
        EXPECT_EQ(std::count(expected.begin(), expected.end(), 1 << c.minimumCodeSize) - 1, c.clears);
    }
}
