// SPDX-License-Identifier: MIT
// Texel addressing and decoding. The coordinate steps follow angrylion-rdp-plus
// (tcoord.c: tcshift_cycle, tcclamp_cycle; tex.c: tcmask), the addressing and
// decoding its tmem.c (fetch_texel for the plain path,
// fetch_texel_entlut_quadro_nearest for the palette path).
#include "rdp.h"

#include <algorithm>

namespace vellora::rdp {
namespace {

std::uint8_t Five(std::uint32_t x) {
    return static_cast<std::uint8_t>((x << 3) | (x >> 2));
}

Rgba8 Grey(std::uint32_t i, std::uint32_t a) {
    const auto v = static_cast<std::uint8_t>(i);
    return {v, v, v, static_cast<std::uint8_t>(a)};
}

// A 16-bit texel the plain path has no colour meaning for (IA32, I16, CI16,
// the formats above I): high byte to red and blue, low byte to green and alpha.
Rgba8 Raw16(std::uint16_t c) {
    const auto h = static_cast<std::uint8_t>(c >> 8), l = static_cast<std::uint8_t>(c);
    return {h, l, h, l};
}

// One coordinate through shift and clamp, as the texture unit steps it: the
// coordinate is 16 bits of s10.5 fixed point, so texel coordinates outside
// -1024..1023 saturate first (angrylion's tclod_tcclamp, parallel-rdp's
// clamp_and_shift_coord); `beyond` tells whether the shifted coordinate
// reached the tile's far edge (sh or th, 10.2).
std::int32_t ShiftClamp(int coord, int shift, int low, int high, bool clamp) {
    const auto c =
        static_cast<std::int32_t>(std::clamp<std::int64_t>(std::int64_t{coord} * 32, -0x8000, 0x7FFF));
    std::int32_t v;
    if (shift < 11)
        v = c >> shift;
    else
        v = static_cast<std::int16_t>(
            static_cast<std::uint16_t>(static_cast<std::uint32_t>(c) << (16 - shift)));
    const bool beyond = (v >> 3) >= high;
    const std::int32_t relative = v - (low << 3);
    if (!clamp)
        return relative >> 5;
    if (beyond)
        return ((high >> 2) - (low >> 2)) & 0x3FF;
    return (relative & 0x10000) ? 0 : relative >> 5;
}

// Mirror (bit above the mask flips) and wrap at 2^mask; mask 0 leaves the
// clamped coordinate alone, masks above 10 act as 10.
std::int32_t Mask(std::int32_t coord, int mask, bool mirror) {
    if (mask == 0)
        return coord;
    if (mirror) {
        const std::int32_t wrap = (coord >> std::min(mask, 10)) & 1;
        coord ^= -wrap;
    }
    return coord & static_cast<std::int32_t>((0xFFFFu >> (16 - mask)) & 0x3FF);
}

} // namespace

Rgba8 FromRgba16(std::uint16_t c) {
    return {Five(c >> 11), Five((c >> 6) & 0x1F), Five((c >> 1) & 0x1F),
            static_cast<std::uint8_t>(c & 1 ? 255 : 0)};
}

Rgba8 Rdp::fetch(int index, int s, int t, TlutMode tlut) const {
    const Tile& tl = tile(index);
    const bool clampS = (tl.cms & 2) != 0 || tl.masks == 0;
    const bool clampT = (tl.cmt & 2) != 0 || tl.maskt == 0;
    const std::int32_t ss = Mask(ShiftClamp(s, tl.shifts, tl.sl, tl.sh, clampS), tl.masks, (tl.cms & 1) != 0);
    const std::int32_t st = Mask(ShiftClamp(t, tl.shiftt, tl.tl, tl.th, clampT), tl.maskt, (tl.cmt & 1) != 0);
    return texelAt(index, ss, st, tlut);
}

// Addresses: a row starts at tmem + line * (t & 0xFF) words. The texture
// unit keeps only 8 bits of t for the row base (angrylion's fetch_texel and
// parallel-rdp's sample_texture both mask t0 to 0xFF), so rows 256 and on of
// a tall texture read rows 0 and on again. Odd rows read with the word's
// 32-bit halves swapped (byte address XOR 4).
Rgba8 Rdp::texelAt(int index, int s, int t, TlutMode tlut) const {
    const Tile& tl = tile(index);
    if (tl.fmt == Yuv)
        throw Error("tile " + std::to_string(index) + " is YUV, which this model does not decode");
    return decodeAt(tl, static_cast<std::uint32_t>(s), static_cast<std::uint32_t>(t) & 0xFF, tlut);
}

// The texel at s of row `row`. The filter's second row is row + 1 without
// the 8-bit cut (angrylion's fetch_texel_quadro), so row may pass 255.
Rgba8 Rdp::decodeAt(const Tile& tl, std::uint32_t us, std::uint32_t ut, TlutMode tlut) const {
    const std::uint32_t base = static_cast<std::uint32_t>(tl.line) * ut + static_cast<std::uint32_t>(tl.tmem);
    const std::uint32_t oddByte = (ut & 1) ? 4 : 0;
    const std::uint32_t oddShort = (ut & 1) ? 2 : 0;
    const std::uint32_t nibbleAddress = (((base << 4) + us) >> 1) ^ oddByte;
    const std::uint32_t byteAddress = ((base << 3) + us) ^ oddByte;
    const std::uint32_t shortIndex = ((base << 2) + us) ^ oddShort;
    const auto nibble = [&](std::uint32_t mask) {
        const std::uint8_t b = tmem_[nibbleAddress & mask];
        return static_cast<std::uint32_t>((us & 1) ? (b & 0xF) : (b >> 4));
    };

    if (tlut != TlutMode::None) {
        // Palette mode reads texels from the lower half only. Every size
        // becomes an index: 4-bit with the tile's palette as the high nibble,
        // 8-bit as is, 16- and 32-bit by their high byte (what angrylion does
        // for non-CI kinds under a TLUT too). Entry i: the first of its four
        // copies at 0x800 + 8 i.
        std::uint32_t entry = 0;
        if (tl.siz == Bits4)
            entry = (static_cast<std::uint32_t>(tl.palette) << 4) | nibble(0x7FF);
        else if (tl.siz == Bits8)
            entry = tmem_[byteAddress & 0x7FF];
        else
            entry = readShort(shortIndex & 0x3FF) >> 8u;
        const std::uint16_t c = readShort(0x400 + entry * 4);
        if (tlut == TlutMode::Rgba16)
            return FromRgba16(c);
        return Grey(c >> 8, c & 0xFF);
    }

    // Formats above I (5 to 7) read a 16-bit texel whatever their size.
    if (tl.fmt > Intensity)
        return Raw16(readShort(shortIndex & 0x7FF));
    switch (tl.siz) {
    case Bits4: {
        const std::uint32_t x = nibble(0xFFF);
        if (tl.fmt == Ia) {
            const std::uint32_t i = x >> 1;
            return Grey((i << 5) | (i << 2) | (i >> 1), (x & 1) ? 255 : 0);
        }
        if (tl.fmt == Ci) { // without a TLUT the texel is its index
            const std::uint32_t ci = (static_cast<std::uint32_t>(tl.palette) << 4 | x) & 0xFF;
            return Grey(ci, ci);
        }
        return Grey(x << 4 | x, x << 4 | x); // I4, and RGBA4 reads the same
    }
    case Bits8: {
        const std::uint32_t p = tmem_[byteAddress & 0xFFF];
        if (tl.fmt == Ia)
            return Grey((p & 0xF0) | (p >> 4), ((p & 0xF) << 4) | (p & 0xF));
        return Grey(p, p); // I8, CI8 (its index), RGBA8
    }
    case Bits16: {
        const std::uint16_t c = readShort(shortIndex & 0x7FF);
        if (tl.fmt == Rgba)
            return FromRgba16(c);
        if (tl.fmt == Ia)
            return Grey(c >> 8, c & 0xFF);
        return Raw16(c);
    }
    default: {
        if (tl.fmt != Rgba)
            return Raw16(readShort(shortIndex & 0x7FF));
        const std::uint16_t rg = readShort(shortIndex & 0x3FF);
        const std::uint16_t ba = readShort((shortIndex & 0x3FF) | 0x400);
        return {static_cast<std::uint8_t>(rg >> 8), static_cast<std::uint8_t>(rg),
                static_cast<std::uint8_t>(ba >> 8), static_cast<std::uint8_t>(ba)};
    }
    }
}

} // namespace vellora::rdp
