// SPDX-License-Identifier: MIT
#include "pictures.h"

namespace vellora {

void ResetPictures(TileTable& tiles) {
    for (TileLevel& t : tiles) {
        t.Pixels = PixelGrid(1, 1);
        t.Width = t.LineWidth = t.Height = t.BitDepth = 0;
    }
}

} // namespace vellora
