// SPDX-License-Identifier: MIT
#pragma once

#include "bitmap/picture.h"
#include "core/formats.h"
#include "core/pictures.h"
#include "hardware/pieces.h"
#include "verify/verify.h"

#include <string>

namespace vellora::doc {

// A picture planned in pieces, stored in its kind, and every piece proved on
// the RDP model: what both front ends show of a picture too large for TMEM.
struct PictureInPieces {
    hw::PiecePlan plan;
    verify::Result proof; // only for a plan that is not refused
    bool proved() const { return !plan.refused && proof.ok(); }
    // "320x240 RGBA16 in 40 pieces of up to 320x6 texels: 40 loads and
    // 153600 bytes a frame", or why it cannot be planned.
    std::string summary() const;
};

PictureInPieces PlanPicturePieces(const TileLevel& picture, const PictureSource& source, Kind kind,
                                  const hw::PieceOptions& options = {});

} // namespace vellora::doc
