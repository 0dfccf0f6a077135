// SPDX-License-Identifier: MIT
// Drawing: the modes, the colour combiner, an opaque blender and the colour
// image. The arithmetic throughout the drawing is the hardware's as
// angrylion-rdp-plus reproduces it (rasterizer.c: edgewalker_for_prims,
// render_spans_1cycle_notexel1, render_spans_2cycle_complete, rdp_tex_rect;
// coverage.c; tcoord.c: tcdiv_persp, tclod_*, tcshift_cycle, tcclamp_cycle;
// tex.c: tcmask_coupled, texture_pipeline_cycle; combiner.c; blender.c;
// fbuffer.c), bit for bit where the texture is concerned, so that a picture
// drawn here can be compared pixel for pixel with an accurate emulator.
//
// What the model leaves out it refuses rather than draws wrong: copy and
// fill modes, dither, Z, antialiasing, forced blending, alpha compare, the
// chroma key, the texture unit's YUV conversion, the combiner's noise, a
// blender that reads the colour image back, and the one-pixel-ahead TEXEL1
// (in 1-cycle mode TEXEL1 is the next pixel's texel, in 2-cycle mode the
// second cycle's TEXEL1 likewise).
#include "drawing.h"

#include <algorithm>
#include <string>

namespace vellora::rdp {
namespace detail {

// The reciprocal the texture unit divides s and t by: a 64-entry table
// with a slope each (ROM values of the hardware, as angrylion lists them).
constexpr std::int32_t kNormPoint[64] = {
    0x4000, 0x3f04, 0x3e10, 0x3d22, 0x3c3c, 0x3b5d, 0x3a83, 0x39b1, 0x38e4, 0x381c, 0x375a, 0x369d, 0x35e5,
    0x3532, 0x3483, 0x33d9, 0x3333, 0x3291, 0x31f4, 0x3159, 0x30c3, 0x3030, 0x2fa1, 0x2f15, 0x2e8c, 0x2e06,
    0x2d83, 0x2d03, 0x2c86, 0x2c0b, 0x2b93, 0x2b1e, 0x2aab, 0x2a3a, 0x29cc, 0x2960, 0x28f6, 0x288e, 0x2828,
    0x27c4, 0x2762, 0x2702, 0x26a4, 0x2648, 0x25ed, 0x2594, 0x253d, 0x24e7, 0x2492, 0x243f, 0x23ee, 0x239e,
    0x234f, 0x2302, 0x22b6, 0x226c, 0x2222, 0x21da, 0x2193, 0x214d, 0x2108, 0x20c5, 0x2082, 0x2041};
constexpr std::int32_t kNormSlope[64] = {
    0xf03, 0xf0b, 0xf11, 0xf19, 0xf20, 0xf25, 0xf2d, 0xf32, 0xf37, 0xf3d, 0xf42, 0xf47, 0xf4c,
    0xf50, 0xf55, 0xf59, 0xf5d, 0xf62, 0xf64, 0xf69, 0xf6c, 0xf70, 0xf73, 0xf76, 0xf79, 0xf7c,
    0xf7f, 0xf82, 0xf84, 0xf87, 0xf8a, 0xf8c, 0xf8e, 0xf91, 0xf93, 0xf95, 0xf97, 0xf99, 0xf9b,
    0xf9d, 0xf9f, 0xfa1, 0xfa3, 0xfa4, 0xfa6, 0xfa8, 0xfa9, 0xfaa, 0xfac, 0xfae, 0xfaf, 0xfb0,
    0xfb2, 0xfb3, 0xfb5, 0xfb5, 0xfb7, 0xfb8, 0xfb9, 0xfba, 0xfbc, 0xfbc, 0xfbe, 0xfbe};

Tables::Tables() {
    for (int i = 2; i < 256; ++i)
        for (int k = 7; k > 0; --k)
            if ((i >> k) & 1) {
                log2[static_cast<std::size_t>(i)] = k;
                break;
            }
    for (int i = 0; i < 0x8000; ++i) {
        int k = 1;
        while (k <= 14 && !((i << k) & 0x8000))
            ++k;
        const int shift = k - 1;
        int normout = (i << shift) & 0x3fff;
        const int wnorm = (normout & 0xff) << 2;
        normout >>= 8;
        const int slope = (kNormSlope[normout] | ~0x3ff) + 1;
        const int rcp = (((slope * wnorm) >> 10) + kNormPoint[normout]) & 0x7fff;
        tcdiv[static_cast<std::size_t>(i)] = shift | (rcp << 4);
    }
    for (int i = 0; i < 256; ++i) {
        cvbit[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>((i >> 7) & 1);
        int n = 0;
        for (int k = 0; k < 8; ++k)
            n += (i >> k) & 1;
        cvg[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(n);
    }
}
const Tables& Table() {
    static const Tables tables;
    return tables;
}

void Refuse(const std::string& what) {
    throw Error("the model does not draw " + what);
}

void Drawing::decodeModes() {
    const std::uint64_t m = rdp_.otherModes_;
    const auto hi = static_cast<std::uint32_t>(m >> 32), lo = static_cast<std::uint32_t>(m);
    cycle_ = static_cast<int>((hi >> 20) & 3);
    persp_ = (hi >> 19) & 1;
    detail_ = (hi >> 18) & 1;
    sharpen_ = (hi >> 17) & 1;
    lodOn_ = (hi >> 16) & 1;
    tlut_ = rdp_.tlutMode();
    sampleType_ = (hi >> 13) & 1;
    midTexel_ = (hi >> 12) & 1;
    const bool biLerp0 = (hi >> 11) & 1, biLerp1 = (hi >> 10) & 1, convertOne = (hi >> 9) & 1;
    for (int c = 0; c < 2; ++c) {
        m1a_[c] = static_cast<int>((lo >> (30 - 2 * c)) & 3);
        m1b_[c] = static_cast<int>((lo >> (26 - 2 * c)) & 3);
        m2a_[c] = static_cast<int>((lo >> (22 - 2 * c)) & 3);
        m2b_[c] = static_cast<int>((lo >> (18 - 2 * c)) & 3);
    }
    cvgDest_ = static_cast<int>((lo >> 8) & 3);
    alphaCvgSelect_ = (lo >> 13) & 1;
    cvgTimesAlpha_ = (lo >> 12) & 1;

    if (cycle_ >= 2)
        Refuse(cycle_ == 2 ? "in copy mode" : "in fill mode");
    if (((hi >> 6) & 3) != 3 || ((hi >> 4) & 3) != 3)
        Refuse("dithered pixels (colour and alpha dither must be off)");
    if ((hi >> 8) & 1)
        Refuse("with the chroma key");
    if (!biLerp0 || (cycle_ == 1 && !biLerp1) || convertOne)
        Refuse("texels through the YUV conversion (the texture filter needs both bilerp bits, G_TC_FILT)");
    if ((lo >> 14) & 1)
        Refuse("blended pixels (force blend)");
    if ((lo >> 4) & 3)
        Refuse("with Z");
    if ((lo >> 3) & 1)
        Refuse("antialiased edges");
    if (lo & 1)
        Refuse("with alpha compare");
    if ((lo >> 7) & 1)
        Refuse("colour on coverage");
    if (m1a_[cycle_] == 1 || (cycle_ == 1 && (m1a_[0] == 1 || m2a_[0] == 1 || m2b_[0] == 1)))
        Refuse("with a blender that reads the colour image");

    // Colours.
    const auto colour = [](std::uint64_t word) {
        const auto c = static_cast<std::uint32_t>(word);
        return Colour{static_cast<std::int32_t>(c >> 24), static_cast<std::int32_t>((c >> 16) & 0xff),
                      static_cast<std::int32_t>((c >> 8) & 0xff), static_cast<std::int32_t>(c & 0xff)};
    };
    prim_ = colour(rdp_.primColor_);
    env_ = colour(rdp_.envColor_);
    blend_ = colour(rdp_.blendColor_);
    fog_ = colour(rdp_.fogColor_);
    minLevel_ = static_cast<int>((rdp_.primColor_ >> 40) & 0x1f);
    primLodFrac_ = static_cast<std::int32_t>((rdp_.primColor_ >> 32) & 0xff);

    // The combiner's inputs, as SetCombineMode names them.
    const std::uint64_t cm = rdp_.combineMode_;
    const auto chi = static_cast<std::uint32_t>(cm >> 32), clo = static_cast<std::uint32_t>(cm);
    const int subARgb[2] = {static_cast<int>((chi >> 20) & 0xf), static_cast<int>((chi >> 5) & 0xf)};
    const int mulRgb[2] = {static_cast<int>((chi >> 15) & 0x1f), static_cast<int>(chi & 0x1f)};
    const int subAA[2] = {static_cast<int>((chi >> 12) & 7), static_cast<int>((clo >> 21) & 7)};
    const int mulA[2] = {static_cast<int>((chi >> 9) & 7), static_cast<int>((clo >> 18) & 7)};
    const int subBRgb[2] = {static_cast<int>((clo >> 28) & 0xf), static_cast<int>((clo >> 24) & 0xf)};
    const int addRgb[2] = {static_cast<int>((clo >> 15) & 7), static_cast<int>((clo >> 6) & 7)};
    const int subBA[2] = {static_cast<int>((clo >> 12) & 7), static_cast<int>((clo >> 3) & 7)};
    const int addA[2] = {static_cast<int>((clo >> 9) & 7), static_cast<int>(clo & 7)};

    const auto rgbOf = [&](Colour& c, const std::int32_t* out[3]) {
        out[0] = &c.r;
        out[1] = &c.g;
        out[2] = &c.b;
    };
    const auto all = [&](const std::int32_t* v, const std::int32_t* out[3]) { out[0] = out[1] = out[2] = v; };
    // Inputs 0-5 are the same in every slot: COMBINED, TEXEL0, TEXEL1,
    // PRIMITIVE, SHADE, ENVIRONMENT.
    const auto common = [&](int code, const std::int32_t* out[3]) {
        Colour* const colours[] = {&combined_, &texel0_, &texel1_, &prim_, &shade_, &env_};
        if (code < 6) {
            rgbOf(*colours[code], out);
            return true;
        }
        return false;
    };
    for (int c = 0; c < 2; ++c) {
        if (!common(subARgb[c], subA_[c])) {
            if (subARgb[c] == 7)
                Refuse("the combiner's noise");
            all(subARgb[c] == 6 ? &one_ : &zero_, subA_[c]);
        }
        if (!common(subBRgb[c], subB_[c])) // 6 key centre, 7 K4: zero without SetKey/SetConvert
            all(&zero_, subB_[c]);
        if (!common(mulRgb[c], mul_[c])) {
            const std::int32_t* alphas[] = {&combined_.a, &texel0_.a, &texel1_.a, &prim_.a,
                                            &shade_.a,    &env_.a,    &lodFrac_,  &primLodFrac_};
            all(mulRgb[c] >= 7 && mulRgb[c] <= 14 ? alphas[mulRgb[c] - 7] : &zero_, mul_[c]);
        }
        if (!common(addRgb[c], add_[c]))
            all(addRgb[c] == 6 ? &one_ : &zero_, add_[c]);
        const std::int32_t* subAlpha[] = {&combined_.a, &texel0_.a, &texel1_.a, &prim_.a,
                                          &shade_.a,    &env_.a,    &one_,      &zero_};
        const std::int32_t* mulAlpha[] = {&lodFrac_, &texel0_.a, &texel1_.a,    &prim_.a,
                                          &shade_.a, &env_.a,    &primLodFrac_, &zero_};
        aSubA_[c] = subAlpha[subAA[c]];
        aSubB_[c] = subAlpha[subBA[c]];
        aMul_[c] = mulAlpha[mulA[c]];
        aAdd_[c] = subAlpha[addA[c]];
    }
    // The cycle-1 TEXEL1 (and in 1-cycle mode the only cycle's) is the next
    // pixel's texel, which the model does not fetch.
    const int last = 1;
    const bool texel1Late = subARgb[last] == 2 || subBRgb[last] == 2 || mulRgb[last] == 2 ||
                            mulRgb[last] == 9 || addRgb[last] == 2 || subAA[last] == 2 || subBA[last] == 2 ||
                            mulA[last] == 2 || addA[last] == 2;
    if (texel1Late)
        Refuse("TEXEL1 in the last combiner cycle (the next pixel's texel)");
    const bool lodFracUsed =
        mulRgb[1] == 13 || mulA[1] == 0 || (cycle_ == 1 && (mulRgb[0] == 13 || mulA[0] == 0));
    dolod_ = lodOn_ || lodFracUsed;
}

// One combiner cycle: (A - B) * C + D on 9-bit signed inputs. The last
// cycle leaves the pixel's colour clamped to 8 bits.
void Drawing::combine(int c, bool last) {
    const auto rgb = [&](int k) {
        if (mul_[c][k] == &zero_)
            return ((Ext9(*add_[c][k]) << 8) + 0x80) & 0x1ffff;
        const std::int32_t a = Ext9(*subA_[c][k]), b = Ext9(*subB_[c][k]);
        return ((a - b) * SignF9(*mul_[c][k]) + (Ext9(*add_[c][k]) << 8) + 0x80) & 0x1ffff;
    };
    combined_.r = rgb(0) >> 8;
    combined_.g = rgb(1) >> 8;
    combined_.b = rgb(2) >> 8;
    if (aMul_[c] == &zero_)
        combined_.a = Ext9(*aAdd_[c]) & 0x1ff;
    else
        combined_.a =
            (((Ext9(*aSubA_[c]) - Ext9(*aSubB_[c])) * SignF9(*aMul_[c]) + (Ext9(*aAdd_[c]) << 8) + 0x80) >>
             8) &
            0x1ff;
    if (!last)
        return;
    pixel_.r = Clamp9(combined_.r);
    pixel_.g = Clamp9(combined_.g);
    pixel_.b = Clamp9(combined_.b);
}

// The pixel's alpha and coverage after the last cycle: coverage times alpha,
// or alpha from coverage, as the render mode asks.
std::uint32_t Drawing::finishAlpha(std::uint32_t cvg) {
    std::int32_t a = Clamp9(combined_.a);
    if (a == 0xff)
        a = 0x100;
    std::int32_t temp = 0;
    if (cvgTimesAlpha_) {
        temp = (a * static_cast<std::int32_t>(cvg) + 4) >> 3;
        cvg = static_cast<std::uint32_t>((temp >> 5) & 0xf);
    }
    if (!alphaCvgSelect_)
        a = (a & 0x100) ? 0xff : a;
    else
        a = std::min(cvgTimesAlpha_ ? temp : static_cast<std::int32_t>(cvg) << 5, 0xff);
    pixel_.a = a;
    return cvg;
}

void Drawing::budget(long pixels) {
    if (rdp_.budget_ < 0)
        return;
    rdp_.budget_ -= pixels;
    if (rdp_.budget_ < 0) {
        rdp_.budget_ = 0;
        throw Error("the primitives visit more pixels than the model was allowed to draw");
    }
}

void Drawing::record(int x, int line, std::int32_t sss, std::int32_t sst) {
    if (!rdp_.samples_ || x < 0 || line < 0 || x >= rdp_.traceWidth_ || line >= rdp_.traceHeight_)
        return;
    Sample& sample =
        (*rdp_.samples_)[static_cast<std::size_t>(line) * static_cast<std::size_t>(rdp_.traceWidth_) +
                         static_cast<std::size_t>(x)];
    sample.s = Sign16(sss);
    sample.t = Sign16(sst);
    sample.tile = static_cast<std::uint8_t>(tile1_);
    sample.level = static_cast<std::uint8_t>((tile1_ - primTile_) & 7);
    sample.lodFrac = static_cast<std::uint8_t>(std::min(lodFrac_, 0xff));
    sample.alpha = static_cast<std::uint8_t>(pixel_.a);
    sample.drawn = true;
}

// The blender passes the pixel on (no blending is modelled), and the pixel
// goes to the colour image with its coverage.
void Drawing::write(int x, int line, std::uint32_t cvg, std::uint32_t cvbit, bool twoCycle) {
    if (!cvbit) // without antialiasing a pixel is written where its first sample lies inside
        return;
    Colour out;
    if (!twoCycle) {
        const Colour* inputs[] = {&pixel_, nullptr, &blend_, &fog_};
        out = *inputs[m1a_[0]];
    } else {
        // Cycle 0: (P * A + M * (B + 1)) >> 5 with the 5-bit alphas; cycle 1
        // passes its first input.
        const Colour* colours[] = {&pixel_, nullptr, &blend_, &fog_};
        const std::int32_t alphaA[] = {pixel_.a, fog_.a, 0, 0};
        const std::int32_t alphaB[] = {(~pixel_.a) & 0xff, 0, 0xff, 0};
        const std::int32_t a = alphaA[m1b_[0]] >> 3, b = (alphaB[m2b_[0]] >> 3) + 1;
        const Colour& p = *colours[m1a_[0]];
        const Colour& m = *colours[m2a_[0]];
        blended_ = {((p.r * a + m.r * b) >> 5) & 0xff, ((p.g * a + m.g * b) >> 5) & 0xff,
                    ((p.b * a + m.b * b) >> 5) & 0xff, 0};
        const Colour* second[] = {&blended_, nullptr, &blend_, &fog_};
        out = *second[m1a_[1]];
    }
    std::int32_t finalcvg = 0;
    switch (cvgDest_) {
    case 0: // clamp, without blending
        finalcvg = static_cast<std::int32_t>(cvg) - 1;
        finalcvg = (finalcvg & 8) ? 7 : finalcvg & 7;
        break;
    case 1: // wrap: the colour image's own coverage is not read back, so none
        finalcvg = static_cast<std::int32_t>(cvg) & 7;
        break;
    case 2:
        finalcvg = 7;
        break;
    default:
        finalcvg = 0;
        break;
    }
    const ColorImage& image = rdp_.colorImage_;
    const std::uint64_t pixel = static_cast<std::uint64_t>(image.width) * static_cast<std::uint64_t>(line) +
                                static_cast<std::uint64_t>(x);
    std::vector<std::uint8_t>& ram = rdp_.rdram_;
    if (image.siz == Bits32) {
        const std::uint64_t at = image.address + pixel * 4;
        if (at + 4 > ram.size())
            return;
        ram[at] = static_cast<std::uint8_t>(out.r);
        ram[at + 1] = static_cast<std::uint8_t>(out.g);
        ram[at + 2] = static_cast<std::uint8_t>(out.b);
        ram[at + 3] = static_cast<std::uint8_t>(finalcvg << 5);
    } else {
        const std::uint64_t at = image.address + pixel * 2;
        if (at + 2 > ram.size())
            return;
        const auto value = static_cast<std::uint16_t>(((out.r & ~7) << 8) | ((out.g & ~7) << 3) |
                                                      ((out.b & ~7) >> 2) | (finalcvg >> 2));
        ram[at] = static_cast<std::uint8_t>(value >> 8);
        ram[at + 1] = static_cast<std::uint8_t>(value);
    }
}

} // namespace detail

void Rdp::draw(std::span<const std::uint64_t> command) {
    detail::Drawing drawing(*this, command);
}

std::vector<Rgba8> ReadColorImage(const Rdp& rdp, int width, int height) {
    const ColorImage& image = rdp.colorImage();
    const auto& ram = rdp.rdram();
    std::vector<Rgba8> pixels(static_cast<std::size_t>(std::max(width, 0)) *
                              static_cast<std::size_t>(std::max(height, 0)));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::uint64_t index =
                static_cast<std::uint64_t>(image.width) * static_cast<std::uint64_t>(y) +
                static_cast<std::uint64_t>(x);
            Rgba8& out = pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                                static_cast<std::size_t>(x)];
            if (image.siz == Bits32) {
                const std::uint64_t at = image.address + index * 4;
                if (at + 4 <= ram.size())
                    out = {ram[at], ram[at + 1], ram[at + 2], 255};
            } else {
                const std::uint64_t at = image.address + index * 2;
                if (at + 2 <= ram.size()) {
                    out = FromRgba16(static_cast<std::uint16_t>(ram[at] << 8 | ram[at + 1]));
                    out.a = 255;
                }
            }
        }
    return pixels;
}

} // namespace vellora::rdp
