// SPDX-License-Identifier: MIT
#pragma once

#include "bitmap/mipmap.h"
#include "core/formats.h"
#include "core/pictures.h"
#include "core/tilelevel.h"
#include "hardware/layout.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace vellora::reduce {

// The n-bit value whose expansion on the RDP is nearest to an 8-bit value,
// the lower one on a tie, and the expansions themselves.
std::uint8_t To5(std::uint8_t v);
std::uint8_t To4(std::uint8_t v);
std::uint8_t To3(std::uint8_t v);
constexpr std::uint8_t Expand5(unsigned x) {
    return static_cast<std::uint8_t>((x << 3 | x >> 2) & 0xFF);
}
constexpr std::uint8_t Expand4(unsigned x) {
    return static_cast<std::uint8_t>((x << 4 | x) & 0xFF);
}
constexpr std::uint8_t Expand3(unsigned x) {
    return static_cast<std::uint8_t>((x << 5 | x << 2 | x >> 1) & 0xFF);
}

// The value a texel of a direct kind (not CI) stores for an R G B A pixel:
// 16 bits for RGBA16 and IA16, 32 for RGBA32, else 8 or 4. opaque: the file
// had no alpha, so A counts as full.
std::uint32_t TexelValue(Kind kind, const std::uint8_t* rgba, bool opaque);
std::uint16_t ToRgba16(const std::uint8_t* rgba, bool opaque);
// What the RDP reads back from a stored value, R G B A (I kinds read their
// intensity as alpha, as the RDP does).
std::array<std::uint8_t, 4> Expand(Kind kind, std::uint32_t value);
std::array<std::uint8_t, 4> ExpandRgba16(std::uint16_t value);
// An IA16 palette entry: intensity in the high byte, alpha in the low one.
std::uint16_t ToIa16(const std::uint8_t* rgba, bool opaque);
std::array<std::uint8_t, 4> ExpandIa16(std::uint16_t value);
// A palette entry as the RDP reads it for a CI kind: IA16 for the _IA16 kinds.
std::array<std::uint8_t, 4> ExpandEntry(Kind kind, std::uint16_t value);

struct ReduceOptions {
    bool dither = false; // Floyd-Steinberg when a CI palette had to merge colours
    // The filter the lower levels were generated with. Generated levels
    // hold no alpha; for a picture with alpha, theirs is then filtered from
    // the base's the same way. None: the levels came from their own files.
    std::optional<MipFilter> generatedWith;
    bool shown = true; // also the pixels as the RDP reads them back, for drawing
};

struct ReducedLevel {
    int record = 0;
    LevelRole role = LevelRole::Base;
    int distance = 0; // levels below the base
    Kind kind = Kind::RGBA16;
    int width = 0; // the counted size; texels the grid lacks are 0
    int height = 0;
    // width x height stored values (palette indices for CI), rows top first
    std::vector<std::uint32_t> texels;
    // The level and one row and column past it (as far as the picture goes),
    // each pixel as the RDP reads it back; only when asked for.
    PixelGrid shown;
};

struct ReducedTexture {
    std::vector<ReducedLevel> levels;   // TMEM order
    std::vector<std::uint16_t> palette; // RGBA16 (or IA16) entries for the CI levels; empty without CI
    int colours = 0;                    // distinct RGBA16 colours of the picture the palette came from
    bool quantized = false;             // the picture had more colours than the palette holds
    int merged() const { return quantized ? colours - static_cast<int>(palette.size()) : 0; }
};

// The distinct colours a level keeps once stored: its RGBA16 values, which
// are also what a CI palette's entries can hold. Counts the level's width x
// height pixels (as far as the picture goes) and stops past limit. What the
// suggestions weigh when they offer CI for an RGBA16 or CI8 texture.
int StoredColours(const TileLevel& level, int width, int height, const PictureSource& source,
                  int limit = 256);

// Reduces every counted level to its kind. CI levels share one palette: the
// base picture's when the base is CI, else the detail map's. Lower levels
// are indexed with it, never given their own.
ReducedTexture ReduceTexture(const TileTable& tiles, const std::vector<hw::Level>& levels,
                             const PictureSource& base, const PictureSource& detail,
                             const ReduceOptions& options = {});

// The level table with each reduced level's pixels in place of its own, for
// drawing the texture as the RDP holds it.
TileTable ShownTable(const TileTable& tiles, const ReducedTexture& reduced);

} // namespace vellora::reduce
