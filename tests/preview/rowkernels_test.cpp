// SPDX-License-Identifier: MIT
// The row kernels the processor picks give what their plain loops give, at
// every length around the vector steps.
#include "preview/rowkernels.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace vellora {
namespace {

std::vector<std::uint8_t> RandomBytes(std::mt19937& rng, std::size_t n) {
    std::vector<std::uint8_t> v(n);
    for (auto& b : v)
        b = static_cast<std::uint8_t>(rng());
    return v;
}

TEST(RowKernels, MatchTheirPlainLoopsAtEveryLength) {
    std::mt19937 rng(2026);
    for (std::size_t n = 0; n <= 100; ++n) {
        SCOPED_TRACE(n);
        const auto src = RandomBytes(rng, 4 * n + kSpare);
        std::vector<std::uint8_t> fast(6 * n + kSpare, 0), slow(6 * n + kSpare, 0);
        DropAlphaTwice(src.data(), fast.data(), static_cast<std::int64_t>(n));
        plain::DropAlphaTwice(src.data(), slow.data(), static_cast<std::int64_t>(n));
        ASSERT_TRUE(
            std::equal(fast.begin(), fast.begin() + static_cast<std::ptrdiff_t>(6 * n), slow.begin()));

        const auto a = RandomBytes(rng, n), b = RandomBytes(rng, n);
        std::vector<std::uint8_t> mixFast(n), mixSlow(n);
        const auto take = static_cast<std::uint16_t>(rng() % 257);
        MixWhole256(a.data(), b.data(), mixFast.data(), n, static_cast<std::uint16_t>(256 - take), take);
        plain::MixWhole256(a.data(), b.data(), mixSlow.data(), n, static_cast<std::uint16_t>(256 - take),
                           take);
        ASSERT_EQ(mixFast, mixSlow);

        const auto y = static_cast<std::int16_t>(rng() % 16385);
        MixShort(a.data(), b.data(), mixFast.data(), n, y);
        plain::MixShort(a.data(), b.data(), mixSlow.data(), n, y);
        ASSERT_EQ(mixFast, mixSlow);

        // Parts may be stored in an order of their own; what they join to may not differ.
        const auto q = static_cast<std::uint16_t>(1 + rng() % 65535);
        std::vector<std::uint16_t> keep(n), takePart(n), keepPlain(n), takePlain(n);
        MixPart(a.data(), keep.data(), n, static_cast<std::uint16_t>(65536 - q), 0);
        MixPart(b.data(), takePart.data(), n, q, 128);
        JoinParts(keep.data(), takePart.data(), mixFast.data(), n);
        plain::MixPart(a.data(), keepPlain.data(), n, static_cast<std::uint16_t>(65536 - q), 0);
        plain::MixPart(b.data(), takePlain.data(), n, q, 128);
        plain::JoinParts(keepPlain.data(), takePlain.data(), mixSlow.data(), n);
        ASSERT_EQ(mixFast, mixSlow);
    }
}

} // namespace
} // namespace vellora
