// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>

// The preview's row kernels: the loops every pass spends its time in, and the
// one place that picks vector instructions for the processor at hand. Each
// kernel has a plain loop that is also the reference the tests hold the
// faster paths to. Defining VELLORA_NO_WIDER_VECTORS builds the plain loops
// alone.
namespace vellora {

// Row buffers are written with stores wider than a texel, whose tail the
// next texel overwrites; this much room past the end takes the last one.
inline constexpr std::size_t kSpare = 8;

// Writes n pixels of one colour.
void PutRun(std::uint8_t* dst, std::int64_t n, std::uint8_t r, std::uint8_t g, std::uint8_t b);

// RGB texel k of dst is RGBA texel k of src, for k < n.
void DropAlpha(const std::uint8_t* src, std::uint8_t* dst, std::int64_t n);
// RGB texels 2k and 2k + 1 of dst are RGBA texel k of src, for k < n.
void DropAlphaTwice(const std::uint8_t* src, std::uint8_t* dst, std::int64_t n);
// RGB texel k of dst is RGBA texel k / factor of src, for k < n. dst needs
// kSpare bytes of room.
void PackTexels(const std::uint8_t* src, std::int64_t factor, std::uint8_t* dst, std::int64_t n);
// RGBA texel k of dst is texel k / 2 of src, for k < n. dst needs kSpare
// bytes of room.
void HalveTexels(const std::uint8_t* src, std::uint8_t* dst, std::int64_t n);
// Fills n RGB texels of dst (with kSpare bytes of room) with the first
// period texels of the RGBA row src repeated.
void RepeatPeriod(const std::uint8_t* src, std::int64_t period, std::uint8_t* dst, std::int64_t n);
// Draws n texels, stride bytes apart (3 or 4), as blocks of block x 1 pixels
// into one pixel row width pixels wide.
void SpreadTexels(const std::uint8_t* src, std::int64_t stride, std::int64_t n, std::int64_t block,
                  std::int64_t width, std::uint8_t* out);

// Pixel k of out is 0xFFRRGGBB of the RGB bytes 3k of rgb, for k < n: a
// row of the canvas in the 32-bit format windows are painted in.
void RgbToXrgb(const std::uint8_t* rgb, std::uint32_t* out, std::int64_t n);

// Byte mixing with 16-bit arithmetic (see ByteBlend for when each is exact).
// out[k] = (a[k] * keep + b[k] * take) / 256, rounded half to even.
void MixWhole256(const std::uint8_t* a, const std::uint8_t* b, std::uint8_t* out, std::size_t n,
                 std::uint16_t keep, std::uint16_t take);
// out[k] = from[k] + rounded (to[k] - from[k]) * y / 32768.
void MixShort(const std::uint8_t* from, const std::uint8_t* to, std::uint8_t* out, std::size_t n,
              std::int16_t y);
// The parts of a split mix, in an order of their own that only JoinParts
// reads; parts and join of n bytes must be made with the same n.
void MixPart(const std::uint8_t* v, std::uint16_t* out, std::size_t n, std::uint16_t weight,
             std::uint16_t add);
void JoinParts(const std::uint16_t* keep, const std::uint16_t* take, std::uint8_t* out, std::size_t n);

// The plain loops on their own.
namespace plain {
void RgbToXrgb(const std::uint8_t* rgb, std::uint32_t* out, std::int64_t n);
void DropAlphaTwice(const std::uint8_t* src, std::uint8_t* dst, std::int64_t n);
void MixWhole256(const std::uint8_t* a, const std::uint8_t* b, std::uint8_t* out, std::size_t n,
                 std::uint16_t keep, std::uint16_t take);
void MixShort(const std::uint8_t* from, const std::uint8_t* to, std::uint8_t* out, std::size_t n,
              std::int16_t y);
// Plain order: out[k] belongs to v[k].
void MixPart(const std::uint8_t* v, std::uint16_t* out, std::size_t n, std::uint16_t weight,
             std::uint16_t add);
void JoinParts(const std::uint16_t* keep, const std::uint16_t* take, std::uint8_t* out, std::size_t n);
} // namespace plain

} // namespace vellora
