// SPDX-License-Identifier: MIT
#pragma once

// Command words built the way the display-list macros build them, so the
// tests write loads as a programmer would.
#include "rdp/rdp.h"

#include <cstdint>

namespace vellora::rdp::test {

constexpr int kLoadTile = 7;

constexpr std::uint64_t Word(std::uint32_t hi, std::uint32_t lo) {
    return std::uint64_t{hi} << 32 | lo;
}
constexpr std::uint32_t U(int v) {
    return static_cast<std::uint32_t>(v);
}

constexpr std::uint64_t SetTextureImage(int fmt, int siz, int width, std::uint32_t address) {
    return Word(0xFD000000u | U(fmt) << 21 | U(siz) << 19 | U(width - 1), address);
}
struct TileArgs {
    int fmt = Rgba, siz = Bits16, line = 0, tmem = 0, tile = 0, palette = 0;
    int cmt = 0, maskt = 0, shiftt = 0, cms = 0, masks = 0, shifts = 0;
};
constexpr std::uint64_t SetTile(const TileArgs& a) {
    return Word(0xF5000000u | U(a.fmt) << 21 | U(a.siz) << 19 | U(a.line) << 9 | U(a.tmem),
                U(a.tile) << 24 | U(a.palette) << 20 | U(a.cmt) << 18 | U(a.maskt) << 14 | U(a.shiftt) << 10 |
                    U(a.cms) << 8 | U(a.masks) << 4 | U(a.shifts));
}
constexpr std::uint64_t Rect(std::uint32_t cmd, int tile, int uls, int ult, int lrs, int lrt) {
    return Word(cmd << 24 | U(uls) << 12 | U(ult), U(tile) << 24 | U(lrs) << 12 | U(lrt));
}
// Whole texels w x h from (0, 0), in 10.2.
constexpr std::uint64_t SetTileSize(int tile, int w, int h) {
    return Rect(0xF2, tile, 0, 0, (w - 1) << 2, (h - 1) << 2);
}
constexpr std::uint64_t LoadTile(int tile, int w, int h) {
    return Rect(0xF4, tile, 0, 0, (w - 1) << 2, (h - 1) << 2);
}
constexpr std::uint64_t LoadBlock(int tile, int texels, int dxt) {
    return Rect(0xF3, tile, 0, 0, texels - 1, dxt);
}
constexpr std::uint64_t LoadTlut(int tile, int entries) {
    return Rect(0xF0, tile, 0, 0, (entries - 1) << 2, 0);
}
constexpr std::uint64_t kLoadSync = Word(0xE6000000u, 0);
constexpr std::uint64_t kPipeSync = Word(0xE7000000u, 0);

} // namespace vellora::rdp::test
