// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace vellora {

// Mixes bytes with one fixed weight w: (1 - w) * a + w * b, rounded to the
// nearest integer, ties to even. The weight is held to steps of 2^-48, which
// keeps every single-precision weight of at least 2^-24 exact (a smaller one
// moves no byte).
//
// A pass mixes hundreds of thousands of bytes with the same weight, so the
// constructor picks the cheapest exact way for that weight once:
// - Whole256: the weight is a whole number of 256ths. Only such weights can
//   land a mix exactly on a half, and for them 16-bit sums are exact, tie
//   rule included.
// - Short: no mix lands on a half, and a 15-bit weight puts every one of the
//   511 possible differences b - a on the same side of its half as the exact
//   weight does (checked when the weight is set). 16-bit products, plain
//   rounding.
// - Wide: neither holds (mixes lie too close to their halves, on both
//   sides, for a 15-bit weight to tell); a table of the rounded w * (b - a)
//   for each difference, one look-up a byte.
// The first two are written as plain loops the compiler turns into vector
// code.
class ByteBlend {
  public:
    enum class Method { Whole256, Short, Wide };

    explicit ByteBlend(double weight);

    Method method() const { return method_; }

    // out[k] = mix of a[k] and b[k], for k < n. out may be a or b.
    void mix(const std::uint8_t* a, const std::uint8_t* b, std::uint8_t* out, std::size_t n) const;

    // Whether a mix can also be made from two parts worked out apart:
    // JoinParts(keepPart(a), takePart(b)) is the mix of a and b. True for
    // the Short weights whose mixes all lie at least 1/64 from a half, where
    // 16-bit parts with their rounding errors still land on the right side.
    // A caller that mixes the same bytes many times (the detail map's rows)
    // works out their part once. The parts of n bytes are stored in an
    // order of their own (the fastest for the machine), so a join must be
    // given parts made with the same n as it joins, each from the start of
    // its row.
    bool splits() const { return splits_; }
    void keepPart(const std::uint8_t* a, std::uint16_t* out, std::size_t n) const;
    void takePart(const std::uint8_t* b, std::uint16_t* out, std::size_t n) const;
    static void JoinParts(const std::uint16_t* keep, const std::uint16_t* take, std::uint8_t* out,
                          std::size_t n);

  private:
    void setSplit(std::int64_t take);

    Method method_ = Method::Whole256;
    std::uint16_t keep16_ = 256; // Whole256: the weights in 256ths
    std::uint16_t take16_ = 0;
    bool swap_ = false;                    // Short: mixes b into a with 1 - w
    std::int16_t short_ = 0;               // Short: the weight in 32768ths, at most one half
    std::array<std::int16_t, 511> step_{}; // Wide: rounded w * d at index d + 255
    bool splits_ = false;
    std::uint16_t keepSplit_ = 0; // the weights in 65536ths, for the parts
    std::uint16_t takeSplit_ = 0;
};

} // namespace vellora
