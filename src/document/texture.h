// SPDX-License-Identifier: MIT
#pragma once

#include "bitmap/loadstep.h"
#include "bitmap/mipmap.h"
#include "bitmap/picture.h"
#include "core/count.h"
#include "core/formats.h"
#include "core/pictures.h"
#include "hardware/layout.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vellora::doc {

// Level records before any picture is loaded, as the window starts them.
TileTable NoPictures();

// One texture as values: everything its analysis, its levels and its export
// depend on, and nothing of how a front end shows or edits it.
struct Texture {
    TextureSpec spec;               // sizes, format row, levels, the detail map's size and row
    std::optional<Kind> baseKind;   // the exact kind ("brick.ia16.png"); none: the row's own
    std::optional<Kind> detailKind; // the same for the detail map
    hw::TileOptions tiles;          // wrap, mirror or clamp per axis, the detail map's shift
    MipFilter filter = MipFilter::Weighted3x3;
    // The level records: their sizes once counted, their pixels once
    // pictures are loaded (record 0 is the detail map when there is one).
    TileTable pictures = NoPictures();
    bool picturesLoaded = false; // a base picture is loaded, not only sizes
    bool ownLevels = false;      // the levels above the base came from their own files
    PictureSource baseSource;
    PictureSource detailSource;
    std::optional<PictureInfo> baseFile;   // the base picture's header, once loaded
    std::vector<std::string> loadMessages; // what loading the pictures said, in order

    // The kinds the texture is stored in.
    Kind storedBaseKind() const;
    Kind storedDetailKind() const; // I4 without a detail map
    // The filter the levels were drawn with; none when they came from files.
    std::optional<MipFilter> generatedWith() const {
        return ownLevels ? std::nullopt : std::optional<MipFilter>(filter);
    }
};

// A material's texture 1: a texture of its own (a picture or a size and
// kind, its levels or none, wrap and CI4 palette; no detail map) and where
// it starts in TMEM, none for right after texture 0.
struct SecondTexture {
    Texture texture;
    std::optional<int> tmemWord;
};

// Reads a picture into the texture: the base (its own size, the format its
// name or header gives), the detail map (its own size, the kind its name
// gives) or a level's own file. Refused files leave the texture as it was
// and say why, naming the file; need and maxPixels as for the readers.
struct LoadResult {
    bool ok = false;
    std::string error;
};
LoadResult LoadPicture(Texture& texture, const std::string& path, LoadRole role, int level,
                       std::int64_t maxPixels = kMaxPicturePixels, PictureNeed need = PictureNeed::Pixels);

// The same for a picture already in memory.
LoadResult LoadPicture(Texture& texture, std::span<const std::uint8_t> bytes, LoadRole role, int level);

// Draws the levels' pictures: generated from the base with the texture's
// filter, unless they came from their own files.
void DrawLevels(Texture& texture);

} // namespace vellora::doc
