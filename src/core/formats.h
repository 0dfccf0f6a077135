// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace vellora {

// Index into the shared layout of the base and detail format option arrays:
// 0 CI 4-bit, 1 4-bit, 2 CI 8-bit, 3 8-bit, 4 16-bit, 5 32-bit; kNoFormat when
// none is selected (counted as 4-bit, not CI).
inline constexpr int kFormatCount = 6;
inline constexpr int kNoFormat = -1;

int FormatBitDepth(int format);
bool FormatIsCI(int format);

// A width is aligned when it fills whole 64-bit words at that bit depth.
bool IsAligned(std::int32_t width, std::int32_t bitDepth);
// The width padded up to whole 64-bit words, in texels.
std::int32_t PaddedWidth(std::int32_t width, std::int32_t bitDepth);
// Bytes one level takes: BitDepth * LineWidth * Height / 8.
double LevelBytes(std::int32_t bitDepth, std::int32_t lineWidth, std::int32_t height);

} // namespace vellora
