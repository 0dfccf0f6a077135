// SPDX-License-Identifier: MIT
#include "rowkernels.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__x86_64__) && !defined(VELLORA_NO_WIDER_VECTORS) && defined(__has_attribute)
#if __has_attribute(target)
#include <immintrin.h>
#define VELLORA_VECTOR_KERNELS 1
#endif
#endif

namespace vellora {

namespace {

// What the processor offers, found once.
struct Cpu {
    bool ssse3 = false;
    bool avx2 = false;
};
#ifdef VELLORA_VECTOR_KERNELS
const Cpu kCpu{__builtin_cpu_supports("ssse3") != 0, __builtin_cpu_supports("avx2") != 0};
#endif

// Stores the 3-byte colour at src twice in a row, as one 8-byte store
// whose last two bytes are left for the caller to overwrite. The pair is
// put together in a register where the byte order allows.
inline void PutPair(std::uint8_t* dst, const std::uint8_t* src) {
    if constexpr (std::endian::native == std::endian::little) {
        std::uint32_t texel;
        std::memcpy(&texel, src, 4);
        const std::uint64_t pair = (texel & 0xFFFFFFu) | (std::uint64_t{texel} << 24);
        std::memcpy(dst, &pair, 8);
    } else {
        std::memcpy(dst, src, 3);
        std::memcpy(dst + 3, src, 3);
    }
}

// Row shuffles written byte by byte so that the compiler turns them into
// vector shuffles. dst never overlaps src.

// RGB texel k of dst is RGBA texel k of src, for k < n.
[[gnu::always_inline]] inline void DropAlphaLoop(const std::uint8_t* src, std::uint8_t* dst, std::int64_t n) {
    for (std::int64_t k = 0; k < n; ++k) {
        dst[3 * k] = src[4 * k];
        dst[3 * k + 1] = src[4 * k + 1];
        dst[3 * k + 2] = src[4 * k + 2];
    }
}

// RGB texels 2k and 2k + 1 of dst are RGBA texel k of src, for k < n. The
// six bytes go out as three 16-bit words, which the compiler vectorises
// better than six single bytes or one wider store.
[[gnu::always_inline]] inline void DropAlphaTwiceLoop(const std::uint8_t* src, std::uint8_t* dst,
                                                      std::int64_t n) {
    for (std::int64_t k = 0; k < n; ++k) {
        const std::uint8_t* t = src + 4 * k;
        std::uint8_t* d = dst + 6 * k;
        if constexpr (std::endian::native == std::endian::little) {
            const auto rg = static_cast<std::uint16_t>(t[0] | t[1] << 8);
            const auto br = static_cast<std::uint16_t>(t[2] | t[0] << 8);
            const auto gb = static_cast<std::uint16_t>(t[1] | t[2] << 8);
            std::memcpy(d, &rg, 2);
            std::memcpy(d + 2, &br, 2);
            std::memcpy(d + 4, &gb, 2);
        } else {
            for (int j = 0; j < 6; ++j)
                d[j] = t[j % 3];
        }
    }
}

#ifdef VELLORA_VECTOR_KERNELS
// The same with one byte shuffle per four texels: sixteen bytes in, two
// shuffles give the 24 bytes out. The compiler's own vector code for the
// plain loop needs a long chain of packs and permutes for this and was the
// costliest step of both passes at small zooms. Nothing outside the 4n
// bytes read and 6n bytes written is touched.
__attribute__((target("ssse3"))) void DropAlphaTwiceShuffled(const std::uint8_t* src, std::uint8_t* dst,
                                                             std::int64_t n) {
    const __m128i first = _mm_setr_epi8(0, 1, 2, 0, 1, 2, 4, 5, 6, 4, 5, 6, 8, 9, 10, 8);
    const __m128i rest = _mm_setr_epi8(9, 10, 12, 13, 14, 12, 13, 14, -1, -1, -1, -1, -1, -1, -1, -1);
    std::int64_t k = 0;
    for (; k + 4 <= n; k += 4) {
        const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 4 * k));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 6 * k), _mm_shuffle_epi8(in, first));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(dst + 6 * k + 16), _mm_shuffle_epi8(in, rest));
    }
    DropAlphaTwiceLoop(src + 4 * k, dst + 6 * k, n - k);
}

// With 32-byte vectors: sixteen texels make 96 bytes, three full stores,
// each shuffled from eight texels read where its pixels start (a dword
// permute to bring each lane the texels it needs, then a byte shuffle in
// the lane). Stores are what bounds this step, and these are three instead
// of the eight above. The third read goes eight texels past the tenth, so
// the loop stops eighteen texels before the end and leaves the rest to the
// 16-byte steps.
__attribute__((target("avx2"))) void DropAlphaTwiceWide(const std::uint8_t* src, std::uint8_t* dst,
                                                        std::int64_t n) {
    const __m256i pick0 = _mm256_setr_epi32(0, 1, 2, 0, 2, 3, 4, 5);
    const __m256i pick1 = _mm256_setr_epi32(0, 1, 2, 0, 3, 4, 5, 0);
    const __m256i pick2 = _mm256_setr_epi32(0, 1, 2, 3, 3, 4, 5, 0);
    const __m256i bytes0 = _mm256_setr_epi8(0, 1, 2, 0, 1, 2, 4, 5, 6, 4, 5, 6, 8, 9, 10, 8, //
                                            1, 2, 4, 5, 6, 4, 5, 6, 8, 9, 10, 8, 9, 10, 12, 13);
    const __m256i bytes1 = _mm256_setr_epi8(2, 0, 1, 2, 4, 5, 6, 4, 5, 6, 8, 9, 10, 8, 9, 10, //
                                            0, 1, 2, 0, 1, 2, 4, 5, 6, 4, 5, 6, 8, 9, 10, 8);
    const __m256i bytes2 = _mm256_setr_epi8(1, 2, 4, 5, 6, 4, 5, 6, 8, 9, 10, 8, 9, 10, 12, 13, //
                                            2, 0, 1, 2, 4, 5, 6, 4, 5, 6, 8, 9, 10, 8, 9, 10);
    std::int64_t k = 0;
    for (; k + 18 <= n; k += 16) {
        const std::uint8_t* t = src + 4 * k;
        auto* d = reinterpret_cast<__m256i*>(dst + 6 * k);
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(t));
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(t + 20));
        const __m256i c = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(t + 40));
        _mm256_storeu_si256(d, _mm256_shuffle_epi8(_mm256_permutevar8x32_epi32(a, pick0), bytes0));
        _mm256_storeu_si256(d + 1, _mm256_shuffle_epi8(_mm256_permutevar8x32_epi32(b, pick1), bytes1));
        _mm256_storeu_si256(d + 2, _mm256_shuffle_epi8(_mm256_permutevar8x32_epi32(c, pick2), bytes2));
    }
    DropAlphaTwiceShuffled(src + 4 * k, dst + 6 * k, n - k);
}

#endif

// The plain loops, also built for AVX2 where the processor has it (twice
// the bytes a vector step, and byte shuffles the baseline lacks).
void DropAlphaPlain(const std::uint8_t* src, std::uint8_t* dst, std::int64_t n) {
    DropAlphaLoop(src, dst, n);
}
#ifdef VELLORA_VECTOR_KERNELS
__attribute__((target("avx2"))) void DropAlphaAvx2(const std::uint8_t* src, std::uint8_t* dst,
                                                   std::int64_t n) {
    DropAlphaLoop(src, dst, n);
}
#endif

} // namespace

namespace plain {

void DropAlphaTwice(const std::uint8_t* src, std::uint8_t* dst, std::int64_t n) {
    DropAlphaTwiceLoop(src, dst, n);
}

} // namespace plain

void DropAlpha(const std::uint8_t* src, std::uint8_t* dst, std::int64_t n) {
#ifdef VELLORA_VECTOR_KERNELS
    if (kCpu.avx2) {
        DropAlphaAvx2(src, dst, n);
        return;
    }
#endif
    DropAlphaPlain(src, dst, n);
}

void DropAlphaTwice(const std::uint8_t* src, std::uint8_t* dst, std::int64_t n) {
#ifdef VELLORA_VECTOR_KERNELS
    if (kCpu.avx2) {
        DropAlphaTwiceWide(src, dst, n);
        return;
    }
    if (kCpu.ssse3) {
        DropAlphaTwiceShuffled(src, dst, n);
        return;
    }
#endif
    plain::DropAlphaTwice(src, dst, n);
}

// RGB texel k of dst is RGBA texel k / factor of src, for k < n: a row of
// a coarser level laid out at a finer level's texel positions, without the
// alpha bytes the preview never shows. dst needs kSpare bytes of room.
void PackTexels(const std::uint8_t* src, std::int64_t factor, std::uint8_t* dst, std::int64_t n) {
    if (factor == 1) {
        DropAlpha(src, dst, n);
        return;
    }
    if (factor == 2) { // the common ShiftScale
        DropAlphaTwice(src, dst, n / 2);
        if (n % 2 != 0)
            std::memcpy(dst + 3 * (n - 1), src + 4 * (n / 2), 3);
        return;
    }
    for (std::int64_t k = 0; k < n; src += 4) {
        const std::int64_t end = std::min(n, k + factor);
        for (; k < end; ++k)
            std::memcpy(dst + 3 * k, src, 4);
    }
}

// RGBA texel k of dst is texel k / 2 of src, for k < n (the next level's
// row at this level's texel positions). dst needs kSpare bytes of room.
void HalveTexels(const std::uint8_t* src, std::uint8_t* dst, std::int64_t n) {
    for (std::int64_t k = 0; k < n; k += 2, src += 4) {
        std::uint32_t texel;
        std::memcpy(&texel, src, 4);
        const std::uint64_t pair = std::uint64_t{texel} | (std::uint64_t{texel} << 32);
        std::memcpy(dst + 4 * k, &pair, 8);
    }
}

// Fills n RGB texels of dst (with kSpare bytes of room) with the first
// period texels of the RGBA row src repeated, by doubling what is there.
void RepeatPeriod(const std::uint8_t* src, std::int64_t period, std::uint8_t* dst, std::int64_t n) {
    const std::int64_t first = std::min(period, n);
    PackTexels(src, 1, dst, first);
    const auto total = static_cast<std::size_t>(3 * n);
    auto filled = static_cast<std::size_t>(3 * first);
    while (filled < total) {
        const std::size_t part = std::min(filled, total - filled);
        std::memcpy(dst + filled, dst, part);
        filled += part;
    }
}

// Draws n texels, stride bytes apart (3 for RGB, 4 for RGBA; read four bytes
// at a time), as blocks of block x 1 pixels into one pixel row that is
// width pixels wide; the last block may be cut by the right edge. Every
// block but the last is followed by another, so it may spill bytes into the
// next block, which is written afterwards; the last one is written exactly.
void SpreadTexels(const std::uint8_t* src, std::int64_t stride, std::int64_t n, std::int64_t block,
                  std::int64_t width, std::uint8_t* out) {
    if (n <= 0)
        return;
    if (block == 1) { // n texels of one pixel fit the row
        if (stride == 3)
            std::memcpy(out, src, static_cast<std::size_t>(3 * n));
        else
            DropAlpha(src, out, n);
        return;
    }
    if (block == 2 && stride == 4) {
        DropAlphaTwice(src, out, n - 1);
    } else if (block == 2) {
        for (std::int64_t x = 0; x + 1 < n; ++x)
            PutPair(out + 6 * x, src + stride * x);
    } else {
        for (std::int64_t x = 0; x + 1 < n; ++x) {
            std::uint8_t* dst = out + 3 * x * block;
            for (std::int64_t k = 0; k < block; ++k)
                std::memcpy(dst + 3 * k, src + stride * x, 4);
        }
    }
    const std::int64_t left = (n - 1) * block;
    const std::uint8_t* last = src + stride * (n - 1);
    PutRun(out + 3 * left, std::min(block, width - left), last[0], last[1], last[2]);
}

namespace {

[[gnu::always_inline]] inline void MixWhole256Loop(const std::uint8_t* a, const std::uint8_t* b,
                                                   std::uint8_t* out, std::size_t n, std::uint16_t keep,
                                                   std::uint16_t take) {
    for (std::size_t k = 0; k < n; ++k) {
        // At most 255 * 256: the sum fits 16 bits, and so does the rounding
        // below. Adding half minus one, plus one more when the whole part is
        // odd, carries exactly when half to even rounds up.
        const auto sum = static_cast<std::uint16_t>(a[k] * keep + b[k] * take);
        out[k] = static_cast<std::uint8_t>((sum + 127u + ((sum >> 8) & 1u)) >> 8);
    }
}

[[gnu::always_inline]] inline void MixShortLoop(const std::uint8_t* from, const std::uint8_t* to,
                                                std::uint8_t* out, std::size_t n, std::int16_t y) {
    for (std::size_t k = 0; k < n; ++k) {
        const auto d = static_cast<std::int16_t>((to[k] - from[k]) * 128);
        const auto high = static_cast<std::int16_t>((d * y) >> 16);
        out[k] = static_cast<std::uint8_t>(from[k] + ((high + 32) >> 6));
    }
}

[[gnu::always_inline]] inline void PartLoop(const std::uint8_t* v, std::uint16_t* out, std::size_t n,
                                            std::uint16_t weight, std::uint16_t add) {
    for (std::size_t k = 0; k < n; ++k) {
        // The high half of (v * 256) * weight: floor(v * weight / 256).
        const auto high = static_cast<std::uint16_t>((static_cast<std::uint32_t>(v[k] << 8) * weight) >> 16);
        out[k] = static_cast<std::uint16_t>(high + add);
    }
}

[[gnu::always_inline]] inline void JoinLoop(const std::uint16_t* keep, const std::uint16_t* take,
                                            std::uint8_t* out, std::size_t n) {
    for (std::size_t k = 0; k < n; ++k) // at most 65280 + 128: no carry out
        out[k] = static_cast<std::uint8_t>(static_cast<std::uint16_t>(keep[k] + take[k]) >> 8);
}

#ifdef VELLORA_VECTOR_KERNELS
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

__attribute__((target("avx2"))) void MixWhole256Avx2(const std::uint8_t* a, const std::uint8_t* b,
                                                     std::uint8_t* out, std::size_t n, std::uint16_t keep,
                                                     std::uint16_t take) {
    MixWhole256Loop(a, b, out, n, keep, take);
}

__attribute__((target("avx2"))) void MixShortAvx2(const std::uint8_t* from, const std::uint8_t* to,
                                                  std::uint8_t* out, std::size_t n, std::int16_t y) {
    MixShortLoop(from, to, out, n, y);
}
#endif

} // namespace

namespace plain {

void MixWhole256(const std::uint8_t* a, const std::uint8_t* b, std::uint8_t* out, std::size_t n,
                 std::uint16_t keep, std::uint16_t take) {
    MixWhole256Loop(a, b, out, n, keep, take);
}

void MixShort(const std::uint8_t* from, const std::uint8_t* to, std::uint8_t* out, std::size_t n,
              std::int16_t y) {
    MixShortLoop(from, to, out, n, y);
}

void MixPart(const std::uint8_t* v, std::uint16_t* out, std::size_t n, std::uint16_t weight,
             std::uint16_t add) {
    PartLoop(v, out, n, weight, add);
}

void JoinParts(const std::uint16_t* keep, const std::uint16_t* take, std::uint8_t* out, std::size_t n) {
    JoinLoop(keep, take, out, n);
}

} // namespace plain

void MixWhole256(const std::uint8_t* a, const std::uint8_t* b, std::uint8_t* out, std::size_t n,
                 std::uint16_t keep, std::uint16_t take) {
#ifdef VELLORA_VECTOR_KERNELS
    if (kCpu.avx2) {
        MixWhole256Avx2(a, b, out, n, keep, take);
        return;
    }
#endif
    MixWhole256Loop(a, b, out, n, keep, take);
}

void MixShort(const std::uint8_t* from, const std::uint8_t* to, std::uint8_t* out, std::size_t n,
              std::int16_t y) {
#ifdef VELLORA_VECTOR_KERNELS
    if (kCpu.avx2) {
        MixShortAvx2(from, to, out, n, y);
        return;
    }
#endif
    MixShortLoop(from, to, out, n, y);
}

// Parts and join must agree on the order, so one test picks both.
void MixPart(const std::uint8_t* v, std::uint16_t* out, std::size_t n, std::uint16_t weight,
             std::uint16_t add) {
    std::size_t done = 0;
#ifdef VELLORA_VECTOR_KERNELS
    if (kCpu.avx2)
        done = PartWide(v, out, n, weight, add);
#endif
    PartLoop(v + done, out + done, n - done, weight, add);
}

void JoinParts(const std::uint16_t* keep, const std::uint16_t* take, std::uint8_t* out, std::size_t n) {
    std::size_t done = 0;
#ifdef VELLORA_VECTOR_KERNELS
    if (kCpu.avx2)
        done = JoinWide(keep, take, out, n);
#endif
    JoinLoop(keep + done, take + done, out + done, n - done);
}

// Writes n pixels of one colour. The four-byte stores overlap by one byte so
// each pixel costs one store; the last pixel is written on its own so nothing
// past the run is touched.
void PutRun(std::uint8_t* dst, std::int64_t n, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    if (n == 1 || n == 2) { // the common small blocks, without a loop
        dst[0] = r;
        dst[1] = g;
        dst[2] = b;
        if (n == 2) {
            dst[3] = r;
            dst[4] = g;
            dst[5] = b;
        }
        return;
    }
    if (n <= 0)
        return;
    const std::uint8_t quad[4] = {r, g, b, 0};
    for (std::int64_t k = 0; k + 1 < n; ++k)
        std::memcpy(dst + 3 * k, quad, 4);
    std::uint8_t* last = dst + 3 * (n - 1);
    last[0] = r;
    last[1] = g;
    last[2] = b;
}

namespace plain {

void RgbToXrgb(const std::uint8_t* rgb, std::uint32_t* out, std::int64_t n) {
    for (std::int64_t k = 0; k < n; ++k, rgb += 3)
        out[k] = 0xFF000000u | (std::uint32_t{rgb[0]} << 16) | (std::uint32_t{rgb[1]} << 8) | rgb[2];
}

} // namespace plain

#ifdef VELLORA_VECTOR_KERNELS
namespace {

// Four pixels a shuffle: twelve bytes in, sixteen out with the opaque alpha
// ORed in. Reads sixteen bytes, so the last four pixels are left to the
// plain loop.
__attribute__((target("ssse3"))) std::int64_t RgbToXrgbShuffled(const std::uint8_t* rgb, std::uint32_t* out,
                                                                std::int64_t n) {
    const __m128i order = _mm_setr_epi8(2, 1, 0, -1, 5, 4, 3, -1, 8, 7, 6, -1, 11, 10, 9, -1);
    const __m128i alpha = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    std::int64_t k = 0;
    for (; k + 6 <= n; k += 4) {
        const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rgb + 3 * k));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + k),
                         _mm_or_si128(_mm_shuffle_epi8(in, order), alpha));
    }
    return k;
}

} // namespace
#endif

void RgbToXrgb(const std::uint8_t* rgb, std::uint32_t* out, std::int64_t n) {
    std::int64_t done = 0;
#ifdef VELLORA_VECTOR_KERNELS
    if (kCpu.ssse3)
        done = RgbToXrgbShuffled(rgb, out, n);
#endif
    plain::RgbToXrgb(rgb + 3 * done, out + done, n - done);
}

} // namespace vellora
