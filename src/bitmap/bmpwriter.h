// SPDX-License-Identifier: MIT
#pragma once

#include "core/tilelevel.h"

#include <cstdint>
#include <vector>

namespace vellora {

// A plain 24-bit BMP of a pixel grid (alpha dropped), bottom row first with
// rows padded to 4 bytes: the simplest file every reader takes. Used to make
// sample pictures for screenshots and benchmarks.
std::vector<std::uint8_t> EncodeBmp24(const PixelGrid& grid);

} // namespace vellora
