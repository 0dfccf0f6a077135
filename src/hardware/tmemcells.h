// SPDX-License-Identifier: MIT
#pragma once
// The byte map's drawing, shared by the layout that places the levels. Not
// exported.

#include "layout.h"

#include <array>

namespace vellora::hw::detail {

inline int CeilDiv(long a, long b) {
    return static_cast<int>((a + b - 1) / b);
}

// Bits a texel takes in the half of TMEM its row is counted in: RGBA32 keeps
// red and green in the lower half and blue and alpha in the upper one.
inline int HalfBits(Kind kind) {
    return kind == Kind::RGBA32 ? 16 : BitsOf(kind);
}

// Draws a level's rows into the map from TMEM word tmem, line words a row
// (of each half for RGBA32); returns the bytes drawn.
int DrawLevel(const Level& level, int tmem, int line, std::array<Cell, kTmemBytes>& map);

} // namespace vellora::hw::detail
