// SPDX-License-Identifier: MIT
#pragma once

#include "tilelevel.h"

#include <array>
#include <cstdint>

namespace vellora {

inline constexpr int kTmemBytes = 4096;

enum class ByteColour : std::uint8_t {
    Free,          // green
    FreePalette,   // grey: upper half of TMEM holds the palette of a CI texture
    EvenLevel,     // dark blue
    OddLevel,      // blue
    EvenLevelHigh, // dark red: CI texel at address 2048 or above
    OddLevelHigh,  // red
    Padding,       // yellow
};

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

Rgb ByteColourRgb(ByteColour colour);
// One character per colour for text output: . : b B r R y
char ByteColourChar(ByteColour colour);

using TmemMap = std::array<ByteColour, kTmemBytes>;

// Where every TMEM byte lies: records are laid out in order until the first
// one whose BitDepth is 0; nothing past 4096 bytes is drawn.
void BuildTmemMap(const TileTable& tiles, bool baseIsCI, TmemMap& out);

// The cell layout of the map, in twips, for a page Cw twips wide with tx
// twips per pixel: column c, line l, byte b of TMEM address a.
struct TmemCellPos {
    int left = 0;
    int top = 0;
};
inline constexpr int kTmemCellTwips = 75;
struct TmemLayout {
    std::array<TmemCellPos, kTmemBytes> cells;
    int labelTop = 120;
    int labelHeight = 0;
    int dividerLeft = 0, dividerTop = 0, dividerWidth = 0;
};
TmemLayout ComputeTmemLayout(int pageWidthTwips, int twipsPerPixelX, int twipsPerPixelY, double fontPoints);

} // namespace vellora
