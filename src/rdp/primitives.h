// SPDX-License-Identifier: MIT
#pragma once

// The words of the drawing commands, built as a display list or the RSP's
// triangle setup would build them, for scenes the model and an emulator can
// both run.
#include "rdp.h"

#include <array>
#include <cstdint>

namespace vellora::rdp {

enum class Filter { Point, Bilerp, Average };
enum class CombineForm {
    Texel0,    // TEXEL0, colour and alpha
    LevelBlend // (TEXEL1 - TEXEL0) * LOD_FRACTION + TEXEL0; in detail mode the same form mixes detail and
               // base
};

// What SetOtherModes says for drawing a texture opaque and exact: no
// dither, no Z, no antialiasing, the blender passing the pixel on, the
// texture filter without YUV conversion.
struct DrawModes {
    bool twoCycle = false;
    Filter filter = Filter::Bilerp;
    bool lod = false;         // G_TL_LOD
    bool detail = false;      // G_TD_DETAIL
    bool sharpen = false;     // G_TD_SHARPEN
    bool perspective = false; // G_TP_PERSP
    TlutMode tlut = TlutMode::None;
};
std::uint64_t OtherModesWord(const DrawModes& modes);
// SetCombineMode: the form in the first cycle; in 2-cycle mode the second
// passes COMBINED on.
std::uint64_t CombineWord(CombineForm form, bool twoCycle);
std::uint64_t ColorImageWord(int siz, int width, std::uint32_t address);
// Pixels [x0, x1) x [y0, y1).
std::uint64_t ScissorWord(int x0, int y0, int x1, int y1);
std::uint64_t PrimColorWord(int minLevel, int lodFraction, std::uint32_t rgba);
constexpr std::uint64_t kSyncFull = std::uint64_t{0xE9} << 56;
constexpr std::uint64_t kPipeSyncWord = std::uint64_t{0xE7} << 56;

// TextureRectangle over [x0, x1) x [y0, y1) in 10.2 pixels, s and t at its
// corner in s10.5 texels, the steps per pixel in s5.10.
std::array<std::uint64_t, 2> TextureRectangleWords(int tile, int x0, int y0, int x1, int y1, int s, int t,
                                                   int dsdx, int dtdy, bool flip = false);

// A vertex on screen (pixels), its texture coordinates (texels) and its
// depth w (> 0; equal depths make a flat triangle).
struct Vertex {
    double x = 0, y = 0, s = 0, t = 0, w = 1;
};
// The textured triangle (0xCA) through three vertices, with perspective-
// correct s and t (draw with perspective on), its tile and the number of
// levels past it. The s/t/w gradients and edges are computed in doubles and
// rounded to the command's fixed point as the RSP's setup does.
std::array<std::uint64_t, 12> TriangleWords(const Vertex (&v)[3], int tile, int levels);

} // namespace vellora::rdp
