// SPDX-License-Identifier: MIT
#pragma once

#include "core/tilelevel.h"

#include <cstdint>
#include <span>
#include <vector>

namespace vellora {

// A complete 8-bit PNG of width x height pixels of channels bytes each (3:
// R G B, 4: R G B A), rows top first; empty when the picture is empty or
// the bytes are too few.
std::vector<std::uint8_t> EncodePng(int width, int height, int channels,
                                    std::span<const std::uint8_t> pixels);

// A level as it is held: its Height x Width pixels of the grid, R G B A,
// with anything the grid lacks black and clear.
std::vector<std::uint8_t> EncodeLevelPng(const TileLevel& level);

} // namespace vellora
