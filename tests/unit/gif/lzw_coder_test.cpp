#include "codecs/gif/lzw_coder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

#include "codecs/gif/gif_output.h"
#include "tests/support/gif_fixture.h"

namespace {

// Greedy LZW over an ordered map, cleared when the next entry would be 4095.
std::vector<int> ReferenceCodes(const std::vector<std::uint8_t>& pixels, int minimumCodeSize) {
    const int clear = 1 << minimumCodeSize;
    std::map<std::pair<int, int>, int> table;  // (prefix code, last index) -> code
    std::vector<int> codes{clear};
    int next = clear + 2, omega = pixels[0];
    for (std::size_t i = 1; i < pixels.size(); ++i) {
        const auto found = table.find({omega, pixels[i]});
        if (found != table.end()) {
            omega = found->second;
            continue;
        }
        codes.push_back(omega);
        if (next == 4095) {
            codes.push_back(clear);
            table.clear();
            next = clear + 2;
        } else {
            table[{omega, pixels[i]}] = next++;
        }
        omega = pixels[i];
    }
    codes.insert(codes.end(), {omega, clear + 1});
    return codes;
}

// The coder's sub-blocks when the pixels come in pieces, as rows do.
Bytes CoderOutput(const std::vector<std::uint8_t>& pixels, int minimumCodeSize, std::size_t piece) {
    GifOutput output;
    output.BeginSubBlocks();
    LzwCoder coder(minimumCodeSize, output);
    for (std::size_t at = 0; at < pixels.size(); at += piece) {
        coder.Encode(pixels.data() + at, std::min(piece, pixels.size() - at));
    }
    coder.Finish();
    output.Reserve(1);
    output.EndSubBlocks();
    return Bytes(output.data(), output.data() + output.size());
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
    } cases[] = {
        {"one pixel", {3}, 2},
        {"one index", std::vector<std::uint8_t>(5000, 1), 2},
        {"runs", runs, 2},
        {"noise of 2, clears", Noise(80000, 2), 2},
        {"noise of 16, clears", Noise(20000, 16), 4},
        {"noise of 256, clears", Noise(20000, 256), 8},
        {"ramps, clears", ramps, 8},
    };
    for (const auto& c : cases) {
        const Bytes image = GifImageData(c.minimumCodeSize, ReferenceCodes(c.pixels, c.minimumCodeSize));
        const Bytes expected(image.begin() + 1, image.end());
        for (std::size_t piece : {std::size_t{1}, std::size_t{333}, c.pixels.size()}) {
            const Bytes coded = CoderOutput(c.pixels, c.minimumCodeSize, piece);
            const auto differ = std::mismatch(coded.begin(), coded.end(), expected.begin(), expected.end());
            EXPECT_TRUE(differ.first == coded.end() && differ.second == expected.end())
                << c.name << ", pieces of " << piece << ": first difference at byte "
                << (differ.first - coded.begin());
        }
    }
}
