// SPDX-License-Identifier: MIT
#pragma once

#include "tilelevel.h"

#include <array>
#include <cstddef>
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
inline constexpr std::size_t kByteColourCount = 7;

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

Rgb ByteColourRgb(ByteColour colour);
// One character per colour for text output: . : b B r R y
char ByteColourChar(ByteColour colour);

using TmemMap = std::array<ByteColour, kTmemBytes>;

// Which level record each byte belongs to, -1 for none; with it a map
// gives every level a colour of its own instead of alternating two.
using TmemLevels = std::array<std::int8_t, kTmemBytes>;
inline constexpr int kLevelColours = 8;
// Distinct from each other and from free, palette, padding and the reds.
Rgb LevelColourRgb(int record);

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

// The same layout in pixels, the one picture of the map the window and the
// command line both draw: cells, the two half captions' boxes and the
// divider down to the page's foot.
struct PixelRect {
    int x = 0, y = 0, width = 0, height = 0;
};
struct TmemPixelLayout {
    int cellSize = 5;
    std::array<PixelRect, kTmemBytes> cells;
    std::array<PixelRect, 2> labels; // "Lower TMEM", "Upper TMEM"
    PixelRect divider;
    int cellsRight = 0, cellsBottom = 0; // the extent of the cells
};
TmemPixelLayout TmemLayoutInPixels(const TmemLayout& layout, int pageWidthTwips, int pageHeightTwips,
                                   int twipsPerPixelX, int twipsPerPixelY);

// Paints the cells in their byte colours into 32-bit pixels 0xFFRRGGBB
// (a level's texels in its own colour when levels are given)
// (rows of stride pixels); nothing outside width x height is touched.
void PaintTmemCells(const TmemMap& map, const TmemPixelLayout& layout, std::uint32_t* pixels, int width,
                    int height, int stride, const TmemLevels* levels = nullptr);

} // namespace vellora
