// SPDX-License-Identifier: MIT
#pragma once

#include "formats.h"
#include "tilelevel.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace vellora {

// What the reductions to the game's formats need to know of a loaded file.
struct PictureSource {
    bool alpha = false;                 // else every pixel counts as opaque
    std::vector<std::uint32_t> palette; // a paletted file's colours in its order, 0xRRGGBBAA
    friend bool operator==(const PictureSource&, const PictureSource&) = default;
};

// What the count keeps between runs, owned by the window.
struct CoreState {
    TileTable tiles;
    bool levelWarned = false;
    bool bitmapLoaded = false;
    bool noAutoTiles = false;
    // The exact kinds the loaded files' names gave ("brick.ia16.png"); none
    // leaves the row's own kind.
    std::optional<Kind> baseKind;
    std::optional<Kind> detailKind;
    PictureSource baseSource;
    PictureSource detailSource;
};

// Forget every picture: each level record empty again, with a 1 x 1 black
// picture.
void ResetPictures(TileTable& tiles);

} // namespace vellora
