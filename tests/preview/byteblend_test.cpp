// SPDX-License-Identifier: MIT
#include "exactmix.h"
#include "preview/byteblend.h"

#include "namedrows.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

namespace vellora {
namespace {

using vellora::test::PrintTo;

using testing::ExactMix;

struct WeightRow {
    const char* name;
    double weight;
    std::optional<ByteBlend::Method> method; // when the weight must take that way
    bool splits = false;                     // when it must also split into parts
};

class ByteBlendWeights : public ::testing::TestWithParam<WeightRow> {};

// Every pair of bytes, through the row mixer, against exact integer
// arithmetic. The pairs are laid out in a buffer longer than any vector
// width, with an odd start, so vector bodies and scalar tails both run.
TEST_P(ByteBlendWeights, MixesEveryPairExactly) {
    const WeightRow& row = GetParam();
    const ByteBlend blend(row.weight);
    if (row.method) {
        EXPECT_EQ(blend.method(), *row.method);
    }
    if (row.splits) {
        EXPECT_TRUE(blend.splits());
    }
    std::vector<std::uint8_t> a(65536 + 1), b(65536 + 1), out(65536 + 1, 0xAA);
    for (int k = 0; k < 65536; ++k) {
        a[static_cast<std::size_t>(k) + 1] = static_cast<std::uint8_t>(k >> 8);
        b[static_cast<std::size_t>(k) + 1] = static_cast<std::uint8_t>(k & 0xFF);
    }
    blend.mix(a.data() + 1, b.data() + 1, out.data() + 1, 65536 - 5);
    EXPECT_EQ(out[0], 0xAA);
    for (int k = 65536 - 5; k < 65536; ++k)
        EXPECT_EQ(out[static_cast<std::size_t>(k) + 1], 0xAA) << "written past the end at " << k;
    for (int k = 0; k < 65536 - 5; ++k) {
        const int x = k >> 8, y = k & 0xFF;
        ASSERT_EQ(out[static_cast<std::size_t>(k) + 1], ExactMix(row.weight, x, y))
            << "a=" << x << " b=" << y << " w=" << row.weight;
    }
    // Through the two parts, where the weight allows it.
    if (blend.splits()) {
        std::vector<std::uint16_t> keep(65536), take(65536);
        blend.keepPart(a.data() + 1, keep.data(), 65536);
        blend.takePart(b.data() + 1, take.data(), 65536);
        std::vector<std::uint8_t> joined(65536);
        ByteBlend::JoinParts(keep.data(), take.data(), joined.data(), 65536);
        for (int k = 0; k < 65536; ++k)
            ASSERT_EQ(joined[static_cast<std::size_t>(k)], ExactMix(row.weight, k >> 8, k & 0xFF))
                << "parts: a=" << (k >> 8) << " b=" << (k & 0xFF);
    }
    // In place over the first input, as the level pass may use it.
    std::vector<std::uint8_t> same(a);
    blend.mix(same.data() + 1, b.data() + 1, same.data() + 1, 65536);
    for (int k = 0; k < 65536; ++k)
        ASSERT_EQ(same[static_cast<std::size_t>(k) + 1], ExactMix(row.weight, k >> 8, k & 0xFF)) << k;
}

using M = ByteBlend::Method;
INSTANTIATE_TEST_SUITE_P(
    Preview, ByteBlendWeights,
    ::testing::Values(WeightRow{"Zero", 0.0, M::Whole256}, WeightRow{"One", 1.0, M::Whole256},
                      WeightRow{"Half", 0.5, M::Whole256}, WeightRow{"ThreeOver256", 3.0 / 256, M::Whole256},
                      WeightRow{"LodClamp0_8", static_cast<double>(0.8f), M::Short, true},
                      WeightRow{"Tenth", static_cast<double>(0.1f), M::Short},
                      WeightRow{"ThreeTenthsAbove", static_cast<double>(0.3f), M::Short},
                      WeightRow{"ThreeTenthsBelow", static_cast<double>(2.3f - 2.0f), M::Short},
                      WeightRow{"NineTenthsFromTilePos", static_cast<double>(6.9f - 6.0f), M::Short},
                      WeightRow{"JustOverHalf", 0.5 + 0x1p-20, std::nullopt},
                      WeightRow{"JustUnderOne", 1.0 - 0x1p-24, std::nullopt},
                      WeightRow{"Tiny", 0x1p-24, std::nullopt},
                      WeightRow{"NearTiesBothWays", static_cast<double>(0x1.fe8f02p-1f), M::Wide},
                      WeightRow{"NearTiesBelowHalf", static_cast<double>(0x1.5c575p-4f), M::Wide},
                      WeightRow{"NegativeHeldToZero", -0.25, M::Whole256},
                      WeightRow{"AboveOneHeldToOne", 1.5, M::Whole256}),
    vellora::test::RowName());

// Random float weights: every way must agree with the exact mix, and a
// spread of weights must reach all three ways.
TEST(ByteBlend, RandomWeightsMixRandomBytesExactly) {
    std::mt19937 rng(20261208);
    std::uniform_real_distribution<float> weight(0.0f, 1.0f);
    std::uniform_int_distribution<int> byte(0, 255);
    std::vector<std::uint8_t> a(997), b(997), out(997);
    int seen[3] = {};
    int split = 0;
    std::vector<std::uint16_t> keep(997), take(997);
    for (int trial = 0; trial < 400; ++trial) {
        const double w = weight(rng);
        for (std::size_t k = 0; k < a.size(); ++k) {
            a[k] = static_cast<std::uint8_t>(byte(rng));
            b[k] = static_cast<std::uint8_t>(byte(rng));
        }
        const ByteBlend blend(w);
        ++seen[static_cast<int>(blend.method())];
        blend.mix(a.data(), b.data(), out.data(), a.size());
        for (std::size_t k = 0; k < a.size(); ++k)
            ASSERT_EQ(out[k], ExactMix(w, a[k], b[k]))
                << "w=" << w << " a=" << int{a[k]} << " b=" << int{b[k]};
        if (!blend.splits())
            continue;
        ++split;
        blend.keepPart(a.data(), keep.data(), a.size());
        blend.takePart(b.data(), take.data(), b.size());
        ByteBlend::JoinParts(keep.data(), take.data(), out.data(), out.size());
        for (std::size_t k = 0; k < a.size(); ++k)
            ASSERT_EQ(out[k], ExactMix(w, a[k], b[k]))
                << "parts: w=" << w << " a=" << int{a[k]} << " b=" << int{b[k]};
    }
    EXPECT_GT(split, 0);
    EXPECT_GT(seen[static_cast<int>(M::Short)], 0);
    EXPECT_GT(seen[static_cast<int>(M::Wide)], 0);
}

} // namespace
} // namespace vellora
