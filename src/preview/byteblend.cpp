// SPDX-License-Identifier: MIT
#include "byteblend.h"

#include "core/numeric.h"
#include "rowkernels.h"

#include <algorithm>
#include <cmath>

namespace vellora {

namespace {

constexpr int kFracBits = 48;
constexpr std::int64_t kOne = std::int64_t{1} << kFracBits;
constexpr std::int64_t kHalf = kOne >> 1;

// floor((take * d + 1/2)) in steps of 2^-48: the exact rounded w * d when no
// tie is possible. The product stays below 2^56.
std::int64_t RoundedStep(std::int64_t take, int d) {
    return (take * d + kHalf) >> kFracBits; // arithmetic shift: floor
}

// The rounded d * y / 2^15, worked out as the vector loop does: the high
// half of a 16-bit product keeps six fraction bits of it, and
// floor((floor(64x) + 32) / 64) is floor(x + 1/2).
int ShortStep(int d, int y) {
    const int high = (d * 128 * y) >> 16; // arithmetic shifts: floor
    return (high + 32) >> 6;
}

// Whether the 15-bit weight y (in 32768ths) rounds w * d the same way as
// the exact weight for every difference d.
bool ShortAgrees(std::int64_t take, std::int64_t y) {
    if (y < 0 || y > 16384)
        return false;
    for (int d = -255; d <= 255; ++d)
        if (ShortStep(d, static_cast<int>(y)) != RoundedStep(take, d))
            return false;
    return true;
}

} // namespace

ByteBlend::ByteBlend(double weight) {
    weight = std::clamp(weight, 0.0, 1.0);
    const auto take = static_cast<std::int64_t>(Nearest(std::ldexp(weight, kFracBits)));
    constexpr std::int64_t k256th = kOne >> 8;
    if (take % k256th == 0) {
        method_ = Method::Whole256;
        take16_ = static_cast<std::uint16_t>(take / k256th);
        keep16_ = static_cast<std::uint16_t>(256 - take16_);
        return;
    }
    // No tie is possible here: w * d ends in exactly one half only when w
    // times a number below 256 is a whole number of halves, which needs w to
    // be a whole number of 256ths.
    // Mixing a into b with 1 - w is the same mix, so the short weight is
    // always at most one half and fits a signed 16-bit factor.
    const bool swap = take > kHalf;
    const std::int64_t shortTake = swap ? kOne - take : take;
    const std::int64_t low = shortTake >> 33;
    for (std::int64_t y : {(shortTake + (std::int64_t{1} << 32)) >> 33, low, low + 1}) {
        if (ShortAgrees(shortTake, y)) {
            method_ = Method::Short;
            swap_ = swap;
            short_ = static_cast<std::int16_t>(y);
            setSplit(take);
            return;
        }
    }
    method_ = Method::Wide;
    for (int d = -255; d <= 255; ++d)
        step_[static_cast<std::size_t>(d + 255)] = static_cast<std::int16_t>(RoundedStep(take, d));
}

// The parts are floor(a * (65536 - q) / 256) and floor(b * q / 256) + 128
// with q the weight in 65536ths; their sum over 256 is the mix. Against the
// exact 256 * (mix + 1/2) the sum is off by less than 2.5 (two floors and
// q's rounding times at most 255 / 256), so it rounds right whenever every
// w * d lies at least 1/64 from a half.
void ByteBlend::setSplit(std::int64_t take) {
    const std::int64_t q = (take + (std::int64_t{1} << 31)) >> 32;
    if (q <= 0 || q >= 65536)
        return;
    constexpr std::int64_t kMargin = kOne >> 6;
    for (int d = 1; d <= 255; ++d) {
        const std::int64_t frac = (take * d) & (kOne - 1);
        if (frac > kHalf - kMargin && frac < kHalf + kMargin)
            return; // the distance is the same for -d
    }
    splits_ = true;
    takeSplit_ = static_cast<std::uint16_t>(q);
    keepSplit_ = static_cast<std::uint16_t>(65536 - q);
}

void ByteBlend::keepPart(const std::uint8_t* a, std::uint16_t* out, std::size_t n) const {
    MixPart(a, out, n, keepSplit_, 0);
}

void ByteBlend::takePart(const std::uint8_t* b, std::uint16_t* out, std::size_t n) const {
    MixPart(b, out, n, takeSplit_, 128);
}

void ByteBlend::JoinParts(const std::uint16_t* keep, const std::uint16_t* take, std::uint8_t* out,
                          std::size_t n) {
    ::vellora::JoinParts(keep, take, out, n);
}

void ByteBlend::mix(const std::uint8_t* a, const std::uint8_t* b, std::uint8_t* out, std::size_t n) const {
    switch (method_) {
    case Method::Whole256:
        ::vellora::MixWhole256(a, b, out, n, keep16_, take16_);
        break;
    case Method::Short:
        if (swap_)
            MixShort(b, a, out, n, short_);
        else
            MixShort(a, b, out, n, short_);
        break;
    case Method::Wide:
        for (std::size_t k = 0; k < n; ++k)
            out[k] = static_cast<std::uint8_t>(a[k] + step_[static_cast<std::size_t>(b[k] - a[k] + 255)]);
        break;
    }
}

} // namespace vellora
