// SPDX-License-Identifier: MIT
#pragma once

#include "core/tilelevel.h"

#include <cstdint>

namespace vellora {

// The two demonstration pictures a fresh window starts with: a 16 x 16 detail
// map of random black and white pixels in record 0 and a white 64 x 64 base
// with a grey X in record 1.
void MakeStartupPictures(TileTable& tiles, std::uint32_t seed);

} // namespace vellora
