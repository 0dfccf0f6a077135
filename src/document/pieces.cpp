// SPDX-License-Identifier: MIT
#include "pieces.h"

#include "reduce/reduce.h"

namespace vellora::doc {

std::string PictureInPieces::summary() const {
    const std::string picture = std::to_string(plan.width) + "x" + std::to_string(plan.height) + " " +
                                std::string(KindName(plan.kind));
    if (plan.refused)
        return picture + " cannot be drawn in pieces: " + *plan.refused;
    return picture + " in " + std::to_string(plan.pieces.size()) +
           (plan.pieces.size() == 1 ? " piece" : " pieces") + " of up to " + std::to_string(plan.pieceWidth) +
           "x" + std::to_string(plan.pieceHeight) + " texels: " + std::to_string(plan.loadsPerFrame) +
           (plan.loadsPerFrame == 1 ? " load and " : " loads and ") + std::to_string(plan.bytesPerFrame) +
           " bytes a frame";
}

PictureInPieces PlanPicturePieces(const TileLevel& picture, const PictureSource& source, Kind kind,
                                  const hw::PieceOptions& options) {
    PictureInPieces out;
    // The picture's own pixels, whatever size a form may have cut its level to.
    const int width = picture.Pixels.cols(), height = picture.Pixels.rows();
    out.plan = hw::PlanPieces(width, height, kind, options);
    if (out.plan.refused)
        return out;
    TileTable tiles{};
    tiles[0].Width = width;
    tiles[0].Height = height;
    tiles[0].Pixels = picture.Pixels;
    const std::vector<hw::Level> level = {hw::Level{0, LevelRole::Base, width, height, kind, 0}};
    reduce::ReduceOptions reduceOptions;
    reduceOptions.shown = false;
    const reduce::ReducedTexture reduced = reduce::ReduceTexture(tiles, level, source, {}, reduceOptions);
    out.proof = verify::VerifyPieces(out.plan, reduced);
    return out;
}

} // namespace vellora::doc
