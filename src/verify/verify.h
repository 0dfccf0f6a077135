// SPDX-License-Identifier: MIT
#pragma once

#include "hardware/gbi.h"
#include "hardware/layout.h"
#include "hardware/pieces.h"
#include "rdp/rdp.h"
#include "reduce/reduce.h"

#include <optional>
#include <string>

namespace vellora::verify {

// The first texel that read back other than the level holds.
struct Mismatch {
    int record = 0;
    LevelRole role = LevelRole::Base;
    int distance = 0;
    int s = 0, t = 0;
    rdp::Rgba8 expected, read;
};

struct Result {
    long texels = 0;                  // texels read back and compared
    std::optional<std::string> error; // the model refused to run the commands
    std::optional<Mismatch> first;
    bool ok() const { return !error && !first; }
    // "level 3, texel (1, 0): expected #F8F8F8FF, read #000000FF", or the
    // model's error; empty when every texel read back right.
    std::string describe() const;
};

// Runs the layout's load commands on the model over the data the export
// writes for the texture (each level at its offset, the palette after them)
// and reads every texel of every level back through its render tile.
Result VerifyLoads(const hw::Layout& layout, const reduce::ReducedTexture& texture);

// The same for a material: texture 0's data from address 0 and its palette
// after it, texture 1's data where Texture1Base puts it and its palette
// after that. Texture 1's CI texels read texture 0's colours when the two
// share a palette.
Result VerifyMaterial(const hw::Layout& layout, const reduce::ReducedTexture& texture0,
                      const reduce::ReducedTexture& texture1);

// The same for the whole chain in one LoadBlock over the --whole-chain data.
// None when no single block can carry the chain.
std::optional<Result> VerifyWholeChain(const hw::Layout& layout, const reduce::ReducedTexture& texture);

// The layout's plan proved with a pattern of its own in place of a picture:
// neighbouring texels and rows differ and every palette entry is another
// colour, so a row or texel that lands in the wrong place cannot hide behind
// a flat area. Costs no reduction, so a whole folder can be proved. A
// material's two textures get patterns and palettes of their own.
Result VerifyPlan(const hw::Layout& layout);
// The pattern itself: every level of the layout with its stored values.
reduce::ReducedTexture PatternTexture(const hw::Layout& layout);

// A picture drawn in pieces: the plan's list runs on the model over the
// picture's exported data (rows padded to 8 bytes, the palette after them),
// and after each piece's load every texel it loaded is read back through
// its render tile. texture: the picture as its only level, and the palette.
Result VerifyPieces(const hw::PiecePlan& plan, const reduce::ReducedTexture& texture);

// What the RDP gives back for a stored texel value of a level.
rdp::Rgba8 ExpectedTexel(const reduce::ReducedLevel& level, std::uint32_t value,
                         const reduce::ReducedTexture& texture);

} // namespace vellora::verify
