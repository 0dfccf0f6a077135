// SPDX-License-Identifier: MIT
#include "document/export.h"

#include <algorithm>
#include <utility>

namespace vellora::doc {

Exported ExportTexture(const TileTable& pictures, const PictureSource& baseSource,
                       const PictureSource& detailSource, std::vector<hw::Level> levels,
                       const hw::TileOptions& tiles, const std::string& path, const ExportChoice& choice,
                       std::optional<MipFilter> generatedWith) {
    Exported out;
    if (choice.baseOnly)
        std::erase_if(levels, [](const hw::Level& l) { return l.role != LevelRole::Base; });
    const hw::Layout layout = hw::LayOut(levels, tiles);
    if (choice.wholeChain) {
        if (const hw::ChainLoad chain = hw::WholeChainLoad(layout); !chain.plan) {
            out.refused = "one load cannot carry the whole chain: " + chain.reason;
            return out;
        }
    }
    out.texture = reduce::ReduceTexture(pictures, levels, baseSource, detailSource,
                                        {choice.dither, generatedWith, false});
    out.files = reduce::ExportTexture(out.texture, layout, path, {choice.wholeChain, choice.name});
    return out;
}

Exported ExportTexture(const Texture& texture, const Analysis& analysis, const std::string& path,
                       const ExportChoice& choice) {
    return ExportTexture(texture.pictures, texture.baseSource, texture.detailSource, analysis.levels,
                         texture.tiles, path, choice, texture.generatedWith());
}

} // namespace vellora::doc
