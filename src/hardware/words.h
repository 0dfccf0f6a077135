// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>

// The RDP's command words, each field cut to its bits as the hardware reads it.
namespace vellora::hw::words {

inline constexpr std::uint64_t kSetTextureImage = 0xFD;
inline constexpr std::uint64_t kSetTile = 0xF5;
inline constexpr std::uint64_t kSetTileSize = 0xF2;
inline constexpr std::uint64_t kLoadBlock = 0xF3;
inline constexpr std::uint64_t kLoadTile = 0xF4;
inline constexpr std::uint64_t kLoadTlut = 0xF0;
inline constexpr std::uint64_t kLoadSync = 0xE6;
inline constexpr std::uint64_t kPipeSync = 0xE7;
inline constexpr std::uint64_t kTileSync = 0xE8;

constexpr std::uint64_t Field(long value, int shift, int bits) {
    return (static_cast<std::uint64_t>(value) & ((std::uint64_t{1} << bits) - 1)) << shift;
}

constexpr std::uint64_t Sync(std::uint64_t command) {
    return command << 56;
}

constexpr std::uint64_t SetTile(int fmt, int siz, int line, int tmem, int tile, int palette, int cmt,
                                int maskt, int shiftt, int cms, int masks, int shifts) {
    const std::uint64_t high =
        kSetTile << 24 | Field(fmt, 21, 3) | Field(siz, 19, 2) | Field(line, 9, 9) | Field(tmem, 0, 9);
    const std::uint64_t low = Field(tile, 24, 3) | Field(palette, 20, 4) | Field(cmt, 18, 2) |
                              Field(maskt, 14, 4) | Field(shiftt, 10, 4) | Field(cms, 8, 2) |
                              Field(masks, 4, 4) | Field(shifts, 0, 4);
    return high << 32 | low;
}

// SetTileSize, LoadTile, LoadBlock and LoadTLUT share this shape.
constexpr std::uint64_t Rect(std::uint64_t command, int tile, int uls, int ult, int lrs, int lrt) {
    const std::uint64_t high = command << 24 | Field(uls, 12, 12) | Field(ult, 0, 12);
    const std::uint64_t low = Field(tile, 24, 3) | Field(lrs, 12, 12) | Field(lrt, 0, 12);
    return high << 32 | low;
}

constexpr std::uint64_t SetTextureImage(int fmt, int siz, int width, std::uint32_t address) {
    const std::uint64_t high =
        kSetTextureImage << 24 | Field(fmt, 21, 3) | Field(siz, 19, 2) | Field(width - 1, 0, 10);
    return high << 32 | Field(address, 0, 24);
}

// TextureRectangle's two words: the screen rectangle in 10.2 (lower right
// first), the tile, s and t at the upper left in s10.5, the steps in s5.10.
constexpr std::array<std::uint64_t, 2> TextureRectangle(int tile, int xl, int yl, int xh, int yh, int s,
                                                        int t, int dsdx, int dtdy) {
    const std::uint64_t first = std::uint64_t{0xE4} << 56 | Field(xh, 44, 12) | Field(yh, 32, 12) |
                                Field(tile, 24, 3) | Field(xl, 12, 12) | Field(yl, 0, 12);
    const std::uint64_t second =
        Field(s, 48, 16) | Field(t, 32, 16) | Field(dsdx, 16, 16) | Field(dtdy, 0, 16);
    return {first, second};
}

} // namespace vellora::hw::words
