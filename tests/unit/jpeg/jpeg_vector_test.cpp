// The vector code of the decoder and the encoder gives the same bytes as the scalar definition.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <random>
#include <vector>

#include "codecs/jpeg/colour_conversion.h"
#include "codecs/jpeg/decoder/colour_output.h"
#include "codecs/jpeg/decoder/inverse_dct.h"
#include "codecs/jpeg/decoder/upsampling.h"
#include "tests/support/vector_levels.h"

namespace {

using namespace jpeg::decoder;

TEST(JpegVector, InverseDctMatchesTheScalarFormOverTheWholeRange) {
    std::mt19937 random(2024);
    const auto uniform = [&](int low, int high) { return int(random() % unsigned(high - low + 1)) + low; };
    const struct {
        const char* name;
        int coefficient;  // largest magnitude
        int multiplier;   // largest table value
        int density;      // percent of nonzero coefficients
    } cases[] = {
        {"photograph", 24, 40, 15},         {"smooth photograph", 8, 20, 8},
        {"sharp photograph", 60, 30, 40},   {"near the vector range", 1200, 16, 50},
        {"beyond it", 4000, 255, 40},       {"16-bit tables", 300, 65535, 30},
        {"whole range", 32768, 65535, 100}, {"DC only", 32768, 65535, 0},
        {"one coefficient", 2047, 255, 2},
    };
    // Blocks of every case in turn, so that the pairs the AVX2 form takes mix them.
    struct Case {
        std::array<std::int16_t, 64> block;
        std::array<std::int32_t, 64> multipliers;
        IdctTable table;
        const char* name;
    };
    std::vector<Case> blocks;
    for (int n = 0; n < 20000; ++n) {
        for (const auto& c : cases) {
            Case next{{}, {}, {}, c.name};
            for (int i = 0; i < 64; ++i) {
                const bool nonzero = i == 0 || uniform(1, 100) <= c.density;
                next.block[i] = std::int16_t(nonzero ? uniform(-c.coefficient, c.coefficient - 1) : 0);
                next.multipliers[i] = uniform(0, c.multiplier);
            }
            next.table = MakeIdctTable(next.multipliers);
            blocks.push_back(next);
        }
    }
    std::vector<std::uint8_t> scalar(blocks.size() * 80), vector(scalar.size());
    for (std::size_t n = 0; n < blocks.size(); ++n)
        InverseDctIslowScalar(blocks[n].multipliers.data(), blocks[n].block.data(), &scalar[80 * n], 10);
    ForEachVectorLevel([&](VectorLevel level) {
        std::vector<IdctBlock> jobs;
        for (std::size_t n = 0; n < blocks.size(); ++n)
            jobs.push_back({&blocks[n].table, blocks[n].block.data(), &vector[80 * n], 10});
        InverseDctBlocks(jobs.data(), int(jobs.size()));
        for (std::size_t n = 0; n < blocks.size(); ++n)
            ASSERT_EQ(0, std::memcmp(&vector[80 * n], &scalar[80 * n], 80))
                << int(level) << ", " << blocks[n].name << ", block " << n;
    });
}

TEST(JpegVector, UpsamplingAndColourMatchTheScalarForms) {
    std::mt19937 random(7);
    ForEachVectorLevel([&](VectorLevel level) {
        for (int width = 3; width < 300; width += width < 40 ? 1 : 37) {
            std::uint8_t rows[3][320], vector[2][960] = {}, scalar[2][960] = {};
            for (auto& row : rows)
                for (std::uint8_t& sample : row)
                    sample = std::uint8_t(random() % 7 == 0 ? 255 * (random() % 2) : random());
            UpsampleTriangle2x1(rows[0], width, vector[0]);
            UpsampleTriangle2x1Scalar(rows[0], width, scalar[0]);
            UpsampleTriangle2x2(rows[0], rows[1], width, vector[1]);
            UpsampleTriangle2x2Scalar(rows[0], rows[1], width, scalar[1]);
            ASSERT_EQ(0, std::memcmp(vector, scalar, sizeof vector)) << int(level) << ", " << width;
            ConvertYCbCrRow(rows[0], rows[1], rows[2], width, vector[0]);
            ConvertYCbCrRowScalar(rows[0], rows[1], rows[2], width, scalar[0]);
            ConvertGrayRow(rows[2], width, vector[1]);
            ConvertGrayRowScalar(rows[2], width, scalar[1]);
            ASSERT_EQ(0, std::memcmp(vector, scalar, sizeof vector)) << int(level) << ", " << width;
        }
    });
}

TEST(JpegVector, EncoderColourConversionMatchesThePlainForm) {
    std::mt19937 random(11);
    constexpr int kLongest = 20000;
    std::vector<std::uint8_t> bgr(3 * kLongest);
    for (std::uint8_t& sample : bgr)
        sample = std::uint8_t(random() % 5 == 0 ? 255 * (random() % 2) : random());
    const jpeg::ColourConverter converter;
    std::vector<std::vector<std::uint8_t>> plain;  // by width: Y, Cb and Cr one after another
    ForEachVectorLevel([&](VectorLevel level) {
        std::size_t n = 0;
        for (int width : {1, 15, 16, 17, 31, 33, kLongest}) {
            std::vector<std::uint8_t> planes(3 * kLongest + 1, 7);
            converter.ConvertRow(bgr.data(), width, &planes[0], &planes[kLongest], &planes[2 * kLongest]);
            if (level == VectorLevel::kPlain) plain.push_back(planes);
            ASSERT_EQ(planes, plain[n++]) << int(level) << ", width " << width;
        }
    });
}

}  // namespace
