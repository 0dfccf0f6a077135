// SPDX-License-Identifier: MIT
#pragma once

#include "document/analysis.h"
#include "document/texture.h"

#include "reduce/reduce.h"
#include "reduce/texturedata.h"

#include <optional>
#include <string>
#include <vector>

namespace vellora::doc {

// What an export writes of the counted texture.
struct ExportChoice {
    bool baseOnly = false;   // the base level alone
    bool wholeChain = false; // data for one LoadBlock with dxt 0 over every level
    bool dither = false;     // spread the error when a CI palette merges colours
    std::string name;        // the arrays' prefix; empty: from the output file's name
};

struct Exported {
    // Why nothing can be written: data laid out for one block that no
    // block can carry would load wrong.
    std::optional<std::string> refused;
    reduce::ReducedTexture texture;        // the levels as stored, and how the palette came about
    std::vector<reduce::ExportFile> files; // path and bytes, the palette's own file for CI .bin
};

// The counted levels reduced to their kinds and laid out as the game loads
// them, as .bin, .c, .h or .png by path's extension. generatedWith: the
// filter the levels were drawn with, none when they came from files.
Exported ExportTexture(const TileTable& pictures, const PictureSource& baseSource,
                       const PictureSource& detailSource, std::vector<hw::Level> levels,
                       const hw::TileOptions& tiles, const std::string& path, const ExportChoice& choice,
                       std::optional<MipFilter> generatedWith);

// The same for a texture and its analysis.
Exported ExportTexture(const Texture& texture, const Analysis& analysis, const std::string& path,
                       const ExportChoice& choice);

} // namespace vellora::doc
