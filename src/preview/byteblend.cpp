// SPDX-License-Identifier: MIT
#include "byteblend.h"

#include "core/numeric.h"
#include "widervectors.h"

#include <algorithm>
#include <cmath>

#if defined(__x86_64__) && !defined(VELLORA_NO_WIDER_VECTORS) && defined(__has_attribute)
#if __has_attribute(target)
#include <immintrin.h>
#define VELLORA_WIDE_PARTS 1
#endif
#endif

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

namespace {

VELLORA_WIDER_VECTORS void MixWhole256(const std::uint8_t* a, const std::uint8_t* b, std::uint8_t* out,
                                       std::size_t n, std::uint16_t keep, std::uint16_t take) {
    for (std::size_t k = 0; k < n; ++k) {
        // At most 255 * 256: the sum fits 16 bits, and so does the rounding
        // below. Adding half minus one, plus one more when the whole part is
        // odd, carries exactly when half to even rounds up.
        const auto sum = static_cast<std::uint16_t>(a[k] * keep + b[k] * take);
        out[k] = static_cast<std::uint8_t>((sum + 127u + ((sum >> 8) & 1u)) >> 8);
    }
}

VELLORA_WIDER_VECTORS void MixShort(const std::uint8_t* from, const std::uint8_t* to, std::uint8_t* out,
                                    std::size_t n, std::int16_t y) {
    for (std::size_t k = 0; k < n; ++k) {
        const auto d = static_cast<std::int16_t>((to[k] - from[k]) * 128);
        const auto high = static_cast<std::int16_t>((d * y) >> 16);
        out[k] = static_cast<std::uint8_t>(from[k] + ((high + 32) >> 6));
    }
}

} // namespace

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

namespace {

VELLORA_WIDER_VECTORS void Part(const std::uint8_t* v, std::uint16_t* out, std::size_t n,
                                std::uint16_t weight, std::uint16_t add) {
    for (std::size_t k = 0; k < n; ++k) {
        // The high half of (v * 256) * weight: floor(v * weight / 256).
        const auto high = static_cast<std::uint16_t>((static_cast<std::uint32_t>(v[k] << 8) * weight) >> 16);
        out[k] = static_cast<std::uint16_t>(high + add);
    }
}

VELLORA_WIDER_VECTORS void Join(const std::uint16_t* keep, const std::uint16_t* take, std::uint8_t* out,
                                std::size_t n) {
    for (std::size_t k = 0; k < n; ++k) // at most 65280 + 128: no carry out
        out[k] = static_cast<std::uint8_t>(static_cast<std::uint16_t>(keep[k] + take[k]) >> 8);
}

#ifdef VELLORA_WIDE_PARTS
// Whole 32-byte steps with 32-byte vectors; each returns how many bytes it
// did. The compiler's code for the loops above widens the bytes in order
// and must permute the packed bytes back in order in every join step.
// Here each step's 32 parts are stored in the order that unpacking the
// bytes against zero gives (bytes 0-7 and 16-23, then 8-15 and 24-31),
// which also puts each byte in the high half of its 16-bit lane (v * 256)
// with no shift; the pack in the join undoes exactly that order. The parts
// of a whole step are so in an order of their own, which only the join
// reads.
__attribute__((target("avx2"))) std::size_t PartWide(const std::uint8_t* v, std::uint16_t* out, std::size_t n,
                                                     std::uint16_t weight, std::uint16_t add) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i w = _mm256_set1_epi16(static_cast<short>(weight));
    const __m256i plus = _mm256_set1_epi16(static_cast<short>(add));
    std::size_t k = 0;
    for (; k + 32 <= n; k += 32) {
        const __m256i in = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(v + k));
        const __m256i first = _mm256_add_epi16(_mm256_mulhi_epu16(_mm256_unpacklo_epi8(zero, in), w), plus);
        const __m256i second = _mm256_add_epi16(_mm256_mulhi_epu16(_mm256_unpackhi_epi8(zero, in), w), plus);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + k), first);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + k + 16), second);
    }
    // A last half step keeps plain order (one lane unpacks in order), as
    // do the bytes after it; handled here, they cost less than a call.
    if (k + 16 <= n) {
        const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(v + k));
        const __m128i zero16 = _mm_setzero_si128();
        const __m128i w16 = _mm_set1_epi16(static_cast<short>(weight));
        const __m128i plus16 = _mm_set1_epi16(static_cast<short>(add));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + k),
                         _mm_add_epi16(_mm_mulhi_epu16(_mm_unpacklo_epi8(zero16, in), w16), plus16));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + k + 8),
                         _mm_add_epi16(_mm_mulhi_epu16(_mm_unpackhi_epi8(zero16, in), w16), plus16));
        k += 16;
    }
    for (; k < n; ++k) {
        const auto high = static_cast<std::uint16_t>((static_cast<std::uint32_t>(v[k] << 8) * weight) >> 16);
        out[k] = static_cast<std::uint16_t>(high + add);
    }
    return k;
}

__attribute__((target("avx2"))) std::size_t JoinWide(const std::uint16_t* keep, const std::uint16_t* take,
                                                     std::uint8_t* out, std::size_t n) {
    std::size_t k = 0;
    for (; k + 32 <= n; k += 32) {
        const __m256i first =
            _mm256_add_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(keep + k)),
                             _mm256_loadu_si256(reinterpret_cast<const __m256i*>(take + k)));
        const __m256i second =
            _mm256_add_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(keep + k + 16)),
                             _mm256_loadu_si256(reinterpret_cast<const __m256i*>(take + k + 16)));
        const __m256i joined = _mm256_packus_epi16(_mm256_srli_epi16(first, 8), _mm256_srli_epi16(second, 8));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + k), joined);
    }
    if (k + 16 <= n) {
        const __m128i first = _mm_add_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(keep + k)),
                                            _mm_loadu_si128(reinterpret_cast<const __m128i*>(take + k)));
        const __m128i second = _mm_add_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(keep + k + 8)),
                                             _mm_loadu_si128(reinterpret_cast<const __m128i*>(take + k + 8)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + k),
                         _mm_packus_epi16(_mm_srli_epi16(first, 8), _mm_srli_epi16(second, 8)));
        k += 16;
    }
    for (; k < n; ++k)
        out[k] = static_cast<std::uint8_t>(static_cast<std::uint16_t>(keep[k] + take[k]) >> 8);
    return k;
}

// Parts and join must agree on the order, so one flag picks both.
const bool kHasWideParts = __builtin_cpu_supports("avx2");
#endif

void AnyPart(const std::uint8_t* v, std::uint16_t* out, std::size_t n, std::uint16_t weight,
             std::uint16_t add) {
    std::size_t done = 0;
#ifdef VELLORA_WIDE_PARTS
    if (kHasWideParts)
        done = PartWide(v, out, n, weight, add);
#endif
    Part(v + done, out + done, n - done, weight, add);
}

} // namespace

void ByteBlend::keepPart(const std::uint8_t* a, std::uint16_t* out, std::size_t n) const {
    AnyPart(a, out, n, keepSplit_, 0);
}

void ByteBlend::takePart(const std::uint8_t* b, std::uint16_t* out, std::size_t n) const {
    AnyPart(b, out, n, takeSplit_, 128);
}

void ByteBlend::JoinParts(const std::uint16_t* keep, const std::uint16_t* take, std::uint8_t* out,
                          std::size_t n) {
    std::size_t done = 0;
#ifdef VELLORA_WIDE_PARTS
    if (kHasWideParts)
        done = JoinWide(keep, take, out, n);
#endif
    Join(keep + done, take + done, out + done, n - done);
}

void ByteBlend::mix(const std::uint8_t* a, const std::uint8_t* b, std::uint8_t* out, std::size_t n) const {
    switch (method_) {
    case Method::Whole256:
        MixWhole256(a, b, out, n, keep16_, take16_);
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
