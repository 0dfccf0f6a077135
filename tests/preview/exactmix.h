// SPDX-License-Identifier: MIT
#pragma once

#include <cmath>
#include <cstdint>

namespace vellora::testing {

// (1 - w) * a + w * b rounded half to even, worked out exactly in integers:
// w is written as m / 2^k and the sum is taken in 2^-k steps. Enough for any
// weight that is a multiple of 2^-55, which every float weight of at least
// 2^-31 is.
inline int ExactMix(double w, int a, int b) {
    w = std::fmax(0.0, std::fmin(1.0, w));
    int k = 0;
    while (k < 55 && std::ldexp(w, k) != std::floor(std::ldexp(w, k)))
        ++k;
    const auto m = static_cast<std::uint64_t>(std::ldexp(w, k));
    const std::uint64_t one = std::uint64_t{1} << k;
    const std::uint64_t sum = (one - m) * static_cast<std::uint64_t>(a) + m * static_cast<std::uint64_t>(b);
    std::uint64_t whole = sum >> k;
    const std::uint64_t rest = sum & (one - 1);
    const std::uint64_t half = one >> 1;
    if (k > 0 && (rest > half || (rest == half && (whole & 1u))))
        ++whole;
    return static_cast<int>(whole);
}

} // namespace vellora::testing
