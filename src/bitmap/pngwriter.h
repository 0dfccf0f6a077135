// SPDX-License-Identifier: MIT
#pragma once

#include "core/tilelevel.h"

#include <cstdint>
#include <span>
#include <vector>

namespace vellora {

// A complete 8-bit PNG of width x height pixels of channels bytes each (1:
// grey, 2: grey and alpha, 3: R G B, 4: R G B A), rows top first; empty when
// the picture is empty or the bytes are too few.
std::vector<std::uint8_t> EncodePng(int width, int height, int channels,
                                    std::span<const std::uint8_t> pixels);
// A paletted 8-bit PNG: one index a pixel into palette (at most 256 entries
// of 0xRRGGBBAA; alpha below 255 goes into a tRNS chunk). Empty when an
// index has no entry.
std::vector<std::uint8_t> EncodeIndexedPng(int width, int height, std::span<const std::uint8_t> indices,
                                           std::span<const std::uint32_t> palette);

// A level as it is held: its Height x Width pixels of the grid, R G B A,
// with anything the grid lacks black and clear.
std::vector<std::uint8_t> EncodeLevelPng(const TileLevel& level);

} // namespace vellora
