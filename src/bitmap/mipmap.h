// SPDX-License-Identifier: MIT
#pragma once

#include "core/tilelevel.h"

namespace vellora {

enum class MipFilter { Weighted3x3, Box2x2 };

// Rebuilds the pixel grids of records detailFlag + 1 to lastLevel, each from
// the freshly generated one above it, at the sizes the count wrote.
void GeneratebmpMipMap(TileTable& tiles, int lastLevel, int detailFlag, MipFilter filter);

} // namespace vellora
