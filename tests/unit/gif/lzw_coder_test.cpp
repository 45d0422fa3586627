#include "codecs/gif/lzw_coder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "codecs/gif/gif_output.h"
#include "tests/unit/gif/gif_test_support.h"

namespace {

// The plain search the hash table replaces: a new string is looked for among the entries one
// by one, newer than the last match and only while longer strings exist.
std::vector<int> ReferenceCodes(const std::vector<std::uint8_t>& pixels, int minimumCodeSize) {
    struct Entry {
        int prefix, length, last;
    };
    const int clear = 1 << minimumCodeSize, end = clear + 1;
    std::vector<Entry> table(4096, Entry{-1, 0, 0});
    for (int i = 0; i < clear; ++i) table[i] = Entry{-1, 1, i};
    const auto same = [&](int a, int b) {
        for (; a >= 0 && b >= 0; a = table[a].prefix, b = table[b].prefix) {
            if (table[a].last != table[b].last) return false;
        }
        return a == b;
    };
    std::vector<int> codes{clear};
    int next = clear + 2, longest = 1, searched = end, omega = pixels[0];
    for (std::size_t i = 1; i < pixels.size(); ++i) {
        const int k = pixels[i], length = table[omega].length + 1;
        int found = -1;
        for (int j = searched + 1; table[omega].length < longest && j < next && found < 0; ++j) {
            searched = j;
            if (table[j].length == length && table[j].last == k && same(table[j].prefix, omega)) found = j;
        }
        if (found >= 0) {
            omega = found;
            continue;
        }
        codes.push_back(omega);
        searched = end;
        if (next >= 4095) {
            codes.push_back(clear);
            longest = 1;
            next = clear + 2;
        } else {
            table[next++] = Entry{omega, length, k};
            longest = std::max(longest, length);
        }
        omega = k;
    }
    codes.insert(codes.end(), {omega, end});
    return codes;
}

// The coder's codes when the pixels come in pieces, as rows do.
std::vector<int> CoderCodes(const std::vector<std::uint8_t>& pixels, int minimumCodeSize, std::size_t piece) {
    GifOutput output;
    output.BeginSubBlocks();
    LzwCoder coder(minimumCodeSize, output);
    for (std::size_t at = 0; at < pixels.size(); at += piece) {
        coder.Encode(pixels.data() + at, std::min(piece, pixels.size() - at));
    }
    coder.Finish();
    output.Reserve(1);
    output.EndSubBlocks();
    Bytes data;
    for (const BYTE* block = output.data(); *block != 0; block += 1 + *block)
        data.insert(data.end(), block + 1, block + 1 + *block);
    return ReadCodes(data, minimumCodeSize);
}

std::vector<std::uint8_t> Noise(std::size_t count, unsigned values) {
    std::mt19937 random(values);
    std::vector<std::uint8_t> pixels(count);
    for (auto& p : pixels) p = std::uint8_t(random() % values);
    return pixels;
}

}  // namespace

TEST(LzwCoder, CodesLikeThePlainSearch) {
    std::vector<std::uint8_t> runs, ramps;  // long strings; gentle ramps as in a photograph
    for (int i = 0; runs.size() < 60000; ++i)
        runs.insert(runs.end(), std::size_t(1 + i % 97), std::uint8_t(i % 3));
    for (int i = 0; i < 40000; ++i) ramps.push_back(std::uint8_t((i / 7 + i % 613 / 41) % 200));
    const struct {
        const char* name;
        std::vector<std::uint8_t> pixels;
        int minimumCodeSize;
        long clears;  // after the first
    } cases[] = {
        {"one pixel", {3}, 2, 0},
        {"one index", std::vector<std::uint8_t>(5000, 1), 2, 0},
        {"runs", runs, 2, 0},
        {"noise of 2", Noise(80000, 2), 2, 2},
        {"noise of 16", Noise(20000, 16), 4, 2},
        {"noise of 256", Noise(20000, 256), 8, 5},
        {"ramps", ramps, 8, 2},
    };
    for (const auto& c : cases) {
        const std::vector<int> expected = ReferenceCodes(c.pixels, c.minimumCodeSize);
        EXPECT_EQ(std::count(expected.begin(), expected.end(), 1 << c.minimumCodeSize) - 1, c.clears)
            << c.name;
        for (std::size_t piece : {std::size_t{1}, std::size_t{333}, c.pixels.size()}) {
            const std::vector<int> codes = CoderCodes(c.pixels, c.minimumCodeSize, piece);
            const auto differ = std::mismatch(codes.begin(), codes.end(), expected.begin(), expected.end());
            EXPECT_TRUE(differ.first == codes.end() && differ.second == expected.end())
                << c.name << ", pieces of " << piece << ": first difference at code "
                << (differ.first - codes.begin());
        }
    }
}
