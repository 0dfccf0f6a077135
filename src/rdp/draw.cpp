// SPDX-License-Identifier: MIT
// Drawing: the edge walker, the span renderer, the texture pipeline, the
// colour combiner and an opaque blender. The arithmetic is the hardware's as
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
#include "rdp.h"

#include <algorithm>
#include <string>

namespace vellora::rdp {
namespace {

std::int32_t Sign(std::uint32_t x, int bits) {
    const std::uint32_t mask = (1u << bits) - 1;
    std::uint32_t v = x & mask;
    if (x & (1u << (bits - 1)))
        v |= ~mask;
    return static_cast<std::int32_t>(v);
}
std::int32_t Sign16(std::int32_t x) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(static_cast<std::uint32_t>(x)));
}
// Two's-complement arithmetic on the 32-bit registers, where the hardware
// wraps.
std::int32_t Add(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}
std::int32_t Mul(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) * static_cast<std::uint32_t>(b));
}

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

struct Tables {
    std::array<std::int32_t, 0x8000> tcdiv{};
    std::array<std::int32_t, 256> log2{};
    std::array<std::uint8_t, 256> cvg{}, cvbit{};
    Tables() {
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
};
const Tables& Table() {
    static const Tables tables;
    return tables;
}

std::int32_t Clamp9(std::int32_t x) { // special_9bit_clamptable
    x &= 0x1ff;
    switch ((x >> 7) & 3) {
    case 2:
        return 0xff;
    case 3:
        return 0;
    default:
        return x & 0xff;
    }
}
std::int32_t Ext9(std::int32_t x) { // special_9bit_exttable
    x &= 0x1ff;
    return (x & 0x180) == 0x180 ? (x | ~0x1ff) : x;
}
std::int32_t SignF9(std::int32_t x) {
    return x | -(x & 0x100);
}

struct Colour {
    std::int32_t r = 0, g = 0, b = 0, a = 0;
};

struct Span {
    int lx = 0, rx = 0, unscrx = 0;
    bool valid = false;
    std::int32_t s = 0, t = 0, w = 0;
    int majorx[4] = {}, minorx[4] = {};
    bool invalid[4] = {};
};

std::int32_t RightCvg(std::int32_t x, std::int32_t fmask) {
    return (0xf0 >> (((x & 7) + 1) >> 1)) & fmask;
}
std::int32_t LeftCvg(std::int32_t x, std::int32_t fmask) {
    return (0xf >> (((x & 7) + 1) >> 1)) & fmask;
}

void Refuse(const std::string& what) {
    throw Error("the model does not draw " + what);
}

} // namespace

// One primitive's drawing: the state the hardware derives from the modes,
// the spans the edge walker leaves, and the per-pixel registers.
class Drawing {
  public:
    Drawing(Rdp& rdp, std::span<const std::uint64_t> command) : rdp_(rdp) {
        decodeModes();
        std::int32_t ew[44] = {};
        const auto cmd = static_cast<Command>(command[0] >> 56);
        if (cmd == Command::TextureTriangle) {
            for (std::size_t i = 0; i < 4; ++i) {
                ew[2 * i] = static_cast<std::int32_t>(command[i] >> 32);
                ew[2 * i + 1] = static_cast<std::int32_t>(command[i]);
            }
            for (std::size_t i = 0; i < 8; ++i) {
                ew[24 + 2 * i] = static_cast<std::int32_t>(command[4 + i] >> 32);
                ew[24 + 2 * i + 1] = static_cast<std::int32_t>(command[4 + i]);
            }
        } else {
            rectangle(command, cmd == Command::TextureRectangleFlip, ew);
        }
        walk(ew);
    }

  private:
    void decodeModes();
    void rectangle(std::span<const std::uint64_t> command, bool flipped, std::int32_t* ew);
    void walk(const std::int32_t* ew);
    void coverage(int line, bool flip);
    void render1Cycle(int start, int end, bool flip);
    void render2Cycle(int start, int end, bool flip);
    void tcdiv(std::int32_t ss, std::int32_t st, std::int32_t sw, std::int32_t& sss, std::int32_t& sst) const;
    void lodSignals(bool lodclamp, std::int32_t lod, std::uint32_t& tile, bool& magnify, bool& distant,
                    std::int32_t& lf) const;
    void lod2Cycle(std::int32_t& sss, std::int32_t& sst, std::int32_t s, std::int32_t t, std::int32_t w);
    void lod1Cycle(std::int32_t& sss, std::int32_t& sst, std::int32_t s, std::int32_t t, std::int32_t w,
                   int line, bool endspan, bool preendspan);
    Colour texel(std::int32_t sss, std::int32_t sst, int tile, int cycle) const;
    void combine(int cycle, bool last);
    std::uint32_t finishAlpha(std::uint32_t cvg);
    void write(int x, int line, std::uint32_t cvg, std::uint32_t cvbit, bool twoCycle);
    void record(int x, int line, std::int32_t sss, std::int32_t sst);
    void budget(long pixels);

    Rdp& rdp_;
    const Tables& tables_ = Table();
    // Modes.
    int cycle_ = 0;
    bool persp_ = false, detail_ = false, sharpen_ = false, lodOn_ = false, sampleType_ = false,
         midTexel_ = false;
    bool dolod_ = false, cvgTimesAlpha_ = false, alphaCvgSelect_ = false;
    TlutMode tlut_ = TlutMode::None;
    int cvgDest_ = 0, m1a_[2] = {}, m1b_[2] = {}, m2a_[2] = {}, m2b_[2] = {};
    int minLevel_ = 0, maxLevel_ = 0, primTile_ = 0;
    // Combiner inputs as (slot, cycle) -> register.
    const std::int32_t* subA_[2][3] = {};
    const std::int32_t* subB_[2][3] = {};
    const std::int32_t* mul_[2][3] = {};
    const std::int32_t* add_[2][3] = {};
    const std::int32_t* aSubA_[2] = {};
    const std::int32_t* aSubB_[2] = {};
    const std::int32_t* aMul_[2] = {};
    const std::int32_t* aAdd_[2] = {};
    // Registers.
    Colour combined_, texel0_, texel1_, prim_, shade_, env_, pixel_, blended_, blend_, fog_;
    std::int32_t lodFrac_ = 0, primLodFrac_ = 0, one_ = 0x100, zero_ = 0;
    int tile1_ = 0, tile2_ = 0;
    // Edge walker results.
    std::vector<Span> spans_ = std::vector<Span>(1026);
    std::array<std::uint8_t, 1024> cvgbuf_{};
    std::int32_t dsx_ = 0, dtx_ = 0, dwx_ = 0, dsy_ = 0, dty_ = 0, dwy_ = 0; // spans_ds, spans_dsdy, ...
    std::int32_t dsinc_ = 0, dtinc_ = 0, dwinc_ = 0;
    int lodLength_ = 0;
};

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

void Drawing::rectangle(std::span<const std::uint64_t> command, bool flipped, std::int32_t* ew) {
    const auto a0 = static_cast<std::uint32_t>(command[0] >> 32), a1 = static_cast<std::uint32_t>(command[0]);
    const auto a2 = static_cast<std::uint32_t>(command[1] >> 32), a3 = static_cast<std::uint32_t>(command[1]);
    const std::uint32_t tile = (a1 >> 24) & 7;
    const std::uint32_t xl = (a0 >> 12) & 0xfff, yl = a0 & 0xfff;
    const std::uint32_t xh = (a1 >> 12) & 0xfff, yh = a1 & 0xfff;
    const std::uint32_t s = (a2 >> 16) & 0xffff, t = a2 & 0xffff;
    const std::int32_t dsdx = Sign16(static_cast<std::int32_t>(a3 >> 16));
    const std::int32_t dtdy = Sign16(static_cast<std::int32_t>(a3 & 0xffff));
    const std::uint32_t xlint = (xl >> 2) & 0x3ff, xhint = (xh >> 2) & 0x3ff;
    const auto u = [](std::int64_t v) { return static_cast<std::int32_t>(static_cast<std::uint32_t>(v)); };
    ew[0] = u((std::int64_t{flipped ? 0x25 : 0x24} << 24) | ((0x80 | tile) << 16) | yl);
    ew[1] = u((std::int64_t{yl} << 16) | yh);
    ew[2] = u((std::int64_t{xlint} << 16) | ((xl & 3) << 14));
    ew[4] = u((std::int64_t{xhint} << 16) | ((xh & 3) << 14));
    ew[6] = ew[2];
    ew[24] = u((std::int64_t{s} << 16) | t);
    const std::uint32_t x = static_cast<std::uint32_t>(flipped ? dtdy : dsdx);
    const std::uint32_t y = static_cast<std::uint32_t>(flipped ? dsdx : dtdy);
    const auto sx = static_cast<std::uint32_t>(static_cast<std::int32_t>(x) >> 5);
    const auto sy = static_cast<std::uint32_t>(static_cast<std::int32_t>(y) >> 5);
    if (!flipped) {
        ew[26] = u(std::int64_t{sx} << 16);
        ew[30] = u(std::int64_t{(x & 0x1f) << 11} << 16);
        ew[32] = ew[34] = u(sy & 0xffff);
        ew[36] = ew[38] = u((y & 0x1f) << 11);
    } else {
        ew[26] = u(sx & 0xffff);
        ew[30] = u((x & 0x1f) << 11);
        ew[32] = ew[34] = u(std::int64_t{sy} << 16);
        ew[36] = ew[38] = u(std::int64_t{y & 0x1f} << 27);
    }
}

void Drawing::walk(const std::int32_t* ew) {
    const bool flip = (ew[0] & 0x800000) != 0;
    maxLevel_ = (ew[0] >> 19) & 7;
    primTile_ = (ew[0] >> 16) & 7;
    const auto uew = [ew](int i) { return static_cast<std::uint32_t>(ew[i]); };
    const std::int32_t yl = Sign(uew(0), 14), ym = Sign(uew(1) >> 16, 14), yh = Sign(uew(1), 14);
    const std::int32_t xl = Sign(uew(2), 28), xh = Sign(uew(4), 28), xm = Sign(uew(6), 28);
    const std::int32_t dxldy = Sign(uew(3), 30), dxhdy = Sign(uew(5), 30), dxmdy = Sign(uew(7), 30);
    const auto join = [&](int high, int low, bool upper) {
        return upper ? static_cast<std::int32_t>((uew(high) & 0xffff0000u) | ((uew(low) >> 16) & 0xffff))
                     : static_cast<std::int32_t>(((uew(high) << 16) & 0xffff0000u) | (uew(low) & 0xffff));
    };
    std::int32_t s = join(24, 28, true), t = join(24, 28, false), w = join(25, 29, true);
    const std::int32_t dsdx = join(26, 30, true), dtdx = join(26, 30, false), dwdx = join(27, 31, true);
    const std::int32_t dsde = join(32, 36, true), dtde = join(32, 36, false), dwde = join(33, 37, true);
    const std::int32_t dsdy = join(34, 38, true), dtdy = join(34, 38, false), dwdy = join(35, 39, true);

    dsx_ = dsdx & ~0x1f;
    dtx_ = dtdx & ~0x1f;
    dwx_ = dwdx & ~0x1f;
    dsy_ = dsdy & ~0x7fff;
    dty_ = dtdy & ~0x7fff;
    dwy_ = dwdy & ~0x7fff;

    std::int32_t xleftInc = (dxmdy >> 2) & ~1, xrightInc = (dxhdy >> 2) & ~1;
    std::int32_t xright = xh & ~1, xleft = xm & ~1;
    const bool signDxhdy = (uew(5) & 0x80000000u) != 0;
    const bool doOffset = !(signDxhdy ^ flip);
    std::int32_t dsdiff = 0, dtdiff = 0, dwdiff = 0;
    if (doOffset) {
        const auto diff = [](std::int32_t de, std::int32_t dy) {
            const std::int64_t deh = de & ~0x1ff, dyh = dy & ~0x1ff;
            return static_cast<std::int32_t>(static_cast<std::uint32_t>(deh - (deh >> 2) - dyh + (dyh >> 2)));
        };
        dsdiff = diff(dsde, dsdy);
        dtdiff = diff(dtde, dtdy);
        dwdiff = diff(dwde, dwdy);
    }
    const std::int32_t dsdxh = (dsdx >> 8) & ~1, dtdxh = (dtdx >> 8) & ~1, dwdxh = (dwdx >> 8) & ~1;

    const int clipXh = rdp_.scissor_[0], clipYh = rdp_.scissor_[1], clipXl = rdp_.scissor_[2],
              clipYl = rdp_.scissor_[3];
    std::int32_t yllimit = 0, yhlimit = 0;
    if (yl & 0x2000)
        yllimit = 1;
    else if (yl & 0x1000)
        yllimit = 0;
    else
        yllimit = (yl & 0xfff) < clipYl;
    yllimit = yllimit ? yl : clipYl;
    std::int32_t ylfar = yllimit | 3;
    if ((yl >> 2) > (ylfar >> 2))
        ylfar += 4;
    else if ((yllimit >> 2) >= 0 && (yllimit >> 2) < 1023)
        spans_[static_cast<std::size_t>((yllimit >> 2) + 1)].valid = false;
    if (yh & 0x2000)
        yhlimit = 0;
    else if (yh & 0x1000)
        yhlimit = 1;
    else
        yhlimit = yh >= clipYh;
    yhlimit = yhlimit ? yh : clipYh;
    const std::int32_t yhclose = yhlimit & ~3;
    const std::int32_t clipxlshift = clipXl << 1, clipxhshift = clipXh << 1;
    const int ldflag = (signDxhdy ^ flip) ? 0 : 3;
    int maxx = 0, minx = 0xfff;
    bool allover = true, allunder = true, allinval = true;
    std::int32_t xfrac = 0;

    const auto scissored = [&](std::int32_t x, bool& over, bool& under) {
        const std::int32_t sticky = ((x >> 1) & 0x1fff) > 0;
        std::int32_t sc = ((x >> 13) & 0x1ffe) | sticky;
        under = (x & 0x8000000) || (sc < clipxhshift && !(x & 0x4000000));
        sc = under ? clipxhshift : (((x >> 13) & 0x3ffe) | sticky);
        over = (sc & 0x2000) || (sc & 0x1fff) >= clipxlshift;
        return over ? clipxlshift : sc;
    };

    for (std::int32_t k = yh & ~3; k <= ylfar; ++k) {
        if (k == ym) {
            xleft = xl & ~1;
            xleftInc = (dxldy >> 2) & ~1;
        }
        const int spix = k & 3;
        if (k >= yhclose) {
            bool invaly = k < yhlimit || k >= yllimit;
            const auto j = static_cast<std::size_t>(k >> 2);
            Span& span = spans_[j];
            if (spix == 0) {
                maxx = 0;
                minx = 0xfff;
                allover = allunder = allinval = true;
            }
            bool over = false, under = false;
            const std::int32_t xrsc = scissored(xright, over, under);
            span.majorx[spix] = xrsc & 0x1fff;
            allover &= over;
            allunder &= under;
            const std::int32_t xlsc = scissored(xleft, over, under);
            span.minorx[spix] = xlsc & 0x1fff;
            allover &= over;
            allunder &= under;
            const std::int32_t a = ((xleft ^ (1 << 27)) & (0x3fff << 14));
            const std::int32_t b = ((xright ^ (1 << 27)) & (0x3fff << 14));
            invaly |= flip ? a < b : b < a;
            span.invalid[spix] = invaly;
            allinval &= invaly;
            if (!invaly) {
                // flip: lx the largest minor x, rx the smallest major x;
                // else lx the smallest minor x, rx the largest major x.
                const int minor = (xlsc >> 3) & 0xfff, major = (xrsc >> 3) & 0xfff;
                if (flip) {
                    maxx = std::max(maxx, minor);
                    minx = std::min(minx, major);
                } else {
                    minx = std::min(minx, minor);
                    maxx = std::max(maxx, major);
                }
            }
            if (spix == ldflag) {
                span.unscrx = Sign(static_cast<std::uint32_t>(xright >> 16), 12);
                xfrac = (xright >> 8) & 0xff;
                span.s = Add(Add(s & ~0x1ff, dsdiff), Mul(-xfrac, dsdxh)) & ~0x3ff;
                span.t = Add(Add(t & ~0x1ff, dtdiff), Mul(-xfrac, dtdxh)) & ~0x3ff;
                span.w = Add(Add(w & ~0x1ff, dwdiff), Mul(-xfrac, dwdxh)) & ~0x3ff;
            }
            if (spix == 3) {
                span.lx = flip ? maxx : minx;
                span.rx = flip ? minx : maxx;
                span.valid = !allinval && !allover && !allunder;
            }
        }
        if (spix == 3) {
            s = Add(s, dsde);
            t = Add(t, dtde);
            w = Add(w, dwde);
        }
        xleft = Add(xleft, xleftInc);
        xright = Add(xright, xrightInc);
    }

    dsinc_ = flip ? dsx_ : Mul(dsx_, -1);
    dtinc_ = flip ? dtx_ : Mul(dtx_, -1);
    dwinc_ = flip ? dwx_ : Mul(dwx_, -1);
    tile1_ = primTile_;
    tile2_ = (primTile_ + 1) & 7;
    if (cycle_ == 0)
        render1Cycle(yhlimit >> 2, yllimit >> 2, flip);
    else
        render2Cycle(yhlimit >> 2, yllimit >> 2, flip);
}

void Drawing::coverage(int line, bool flip) {
    const Span& span = spans_[static_cast<std::size_t>(line)];
    const int purgestart = flip ? span.rx : span.lx;
    const int purgeend = flip ? span.lx : span.rx;
    if (purgeend - purgestart < 0)
        return;
    for (int k = purgestart; k <= purgeend; ++k)
        cvgbuf_[static_cast<std::size_t>(k)] = 0xff;
    for (int i = 0; i < 4; ++i) {
        const std::int32_t fmask = 0xa >> (i & 1);
        const int maskshift = (i - 2) & 4;
        const auto cleared = static_cast<std::uint8_t>(~(fmask << maskshift));
        const auto at = [&](int k) -> std::uint8_t& { return cvgbuf_[static_cast<std::size_t>(k)]; };
        if (span.invalid[i]) {
            for (int k = purgestart; k <= purgeend; ++k)
                at(k) &= cleared;
            continue;
        }
        const std::int32_t minorcur = span.minorx[i], majorcur = span.majorx[i];
        const int minorint = minorcur >> 3, majorint = majorcur >> 3;
        if (flip) {
            for (int k = purgestart; k <= majorint; ++k)
                at(k) &= cleared;
            for (int k = minorint; k <= purgeend; ++k)
                at(k) &= cleared;
            if (minorint > majorint) {
                at(minorint) |= static_cast<std::uint8_t>(RightCvg(minorcur, fmask) << maskshift);
                at(majorint) |= static_cast<std::uint8_t>(LeftCvg(majorcur, fmask) << maskshift);
            } else if (minorint == majorint) {
                at(majorint) |= static_cast<std::uint8_t>(
                    (RightCvg(minorcur, fmask) & LeftCvg(majorcur, fmask)) << maskshift);
            }
        } else {
            for (int k = purgestart; k <= minorint; ++k)
                at(k) &= cleared;
            for (int k = majorint; k <= purgeend; ++k)
                at(k) &= cleared;
            if (majorint > minorint) {
                at(minorint) |= static_cast<std::uint8_t>(LeftCvg(minorcur, fmask) << maskshift);
                at(majorint) |= static_cast<std::uint8_t>(RightCvg(majorcur, fmask) << maskshift);
            } else if (minorint == majorint) {
                at(majorint) |= static_cast<std::uint8_t>(
                    (LeftCvg(minorcur, fmask) & RightCvg(majorcur, fmask)) << maskshift);
            }
        }
    }
}

void Drawing::tcdiv(std::int32_t ss, std::int32_t st, std::int32_t sw, std::int32_t& sss,
                    std::int32_t& sst) const {
    if (!persp_) {
        sss = Sign16(ss) & 0x1ffff;
        sst = Sign16(st) & 0x1ffff;
        return;
    }
    const bool wCarry = Sign16(sw) <= 0;
    const std::int32_t entry = tables_.tcdiv[static_cast<std::size_t>(sw & 0x7fff)];
    const std::int32_t rcp = entry >> 4, shift = entry & 0xf;
    std::int32_t sprod = Sign16(ss) * rcp, tprod = Sign16(st) * rcp;
    const std::int32_t tempmask = ((1 << 30) - 1) & -((1 << 29) >> shift);
    const std::int32_t outS = sprod & tempmask, outT = tprod & tempmask;
    std::int32_t temps = 0, tempt = 0;
    if (shift != 0xe) {
        temps = sprod = sprod >> (13 - shift);
        tempt = tprod = tprod >> (13 - shift);
    } else {
        temps = sprod * 2;
        tempt = tprod * 2;
    }
    std::int32_t overS = 0, overT = 0;
    if (outS != tempmask && outS != 0)
        overS = (sprod & (1 << 29)) ? 1 << 17 : 2 << 17;
    if (outT != tempmask && outT != 0)
        overT = (tprod & (1 << 29)) ? 1 << 17 : 2 << 17;
    if (wCarry) {
        overS |= 2 << 17;
        overT |= 2 << 17;
    }
    sss = (temps & 0x1ffff) | overS;
    sst = (tempt & 0x1ffff) | overT;
}

namespace {

// The larger step of s and t in s10.5, from 17-bit coordinates; a step of
// 512 texels or more sets the saturating bit (tclod_4x17_to_15).
std::int32_t LodStep(std::int32_t scurr, std::int32_t snext, std::int32_t tcurr, std::int32_t tnext,
                     std::int32_t previous) {
    std::int32_t dels =
        Sign(static_cast<std::uint32_t>(snext), 17) - Sign(static_cast<std::uint32_t>(scurr), 17);
    if (dels & 0x20000)
        dels = ~dels & 0x1ffff;
    std::int32_t delt =
        Sign(static_cast<std::uint32_t>(tnext), 17) - Sign(static_cast<std::uint32_t>(tcurr), 17);
    if (delt & 0x20000)
        delt = ~delt & 0x1ffff;
    dels = std::max({dels, delt, previous});
    std::int32_t lod = dels & 0x7fff;
    if (dels & 0x1c000)
        lod |= 0x4000;
    return lod;
}

// A coordinate out of the 16-bit range after the divide saturates
// (tclod_tcclamp).
std::int32_t LodClampCoord(std::int32_t c) {
    if (c & 0x40000)
        return 0x7fff;
    if (c & 0x20000)
        return 0x8000;
    const std::int32_t anded = c & 0x18000;
    if (anded == 0x8000)
        return 0x7fff;
    if (anded == 0x10000)
        return 0x8000;
    return c & 0xffff;
}

} // namespace

void Drawing::lodSignals(bool lodclamp, std::int32_t lod, std::uint32_t& tile, bool& magnify, bool& distant,
                         std::int32_t& lf) const {
    const bool sharpenOrDetail = sharpen_ || detail_;
    if ((lod & 0x4000) || lodclamp) {
        magnify = false;
        tile = 0;
        distant = true;
        lf = 0xff;
    } else if (lod < minLevel_ || lod < 32) {
        magnify = true;
        tile = 0;
        distant = maxLevel_ == 0;
        if (!sharpenOrDetail)
            lf = distant ? 0xff : 0;
        else {
            lf = (lod < minLevel_ ? minLevel_ : lod) << 3;
            if (sharpen_)
                lf |= 0x100;
        }
    } else {
        magnify = false;
        tile = static_cast<std::uint32_t>(tables_.log2[static_cast<std::size_t>((lod >> 5) & 0xff)]);
        distant = maxLevel_ ? ((lod & 0x6000) || tile >= static_cast<std::uint32_t>(maxLevel_)) : true;
        if (!sharpenOrDetail && distant)
            lf = 0xff;
        else
            lf = ((lod << 3) >> tile) & 0xff;
    }
}

void Drawing::lod2Cycle(std::int32_t& sss, std::int32_t& sst, std::int32_t s, std::int32_t t,
                        std::int32_t w) {
    const std::int32_t inits = sss, initt = sst;
    sss = LodClampCoord(sss);
    sst = LodClampCoord(sst);
    if (!dolod_)
        return;
    std::int32_t nexts = 0, nextt = 0, nextys = 0, nextyt = 0;
    tcdiv(Add(s, dsinc_) >> 16, Add(t, dtinc_) >> 16, Add(w, dwinc_) >> 16, nexts, nextt);
    tcdiv(Add(s, dsy_) >> 16, Add(t, dty_) >> 16, Add(w, dwy_) >> 16, nextys, nextyt);
    const bool lodclamp = ((initt | nextt | inits | nexts | nextys | nextyt) & 0x60000) != 0;
    std::int32_t lod = 0;
    if (!lodclamp) {
        lod = LodStep(inits, nexts, initt, nextt, 0);
        lod = LodStep(inits, nextys, initt, nextyt, lod);
    }
    std::uint32_t ltile = 0;
    bool magnify = false, distant = false;
    lodSignals(lodclamp, lod, ltile, magnify, distant, lodFrac_);
    if (!lodOn_)
        return;
    if (distant)
        ltile = static_cast<std::uint32_t>(maxLevel_);
    const int l = static_cast<int>(ltile);
    if (!detail_) {
        tile1_ = (primTile_ + l) & 7;
        tile2_ = (distant || (!sharpen_ && magnify)) ? tile1_ : (tile1_ + 1) & 7;
    } else {
        tile1_ = (primTile_ + l + (magnify ? 0 : 1)) & 7;
        tile2_ = (!distant && !magnify) ? (primTile_ + l + 2) & 7 : (primTile_ + l + 1) & 7;
    }
}

void Drawing::lod1Cycle(std::int32_t& sss, std::int32_t& sst, std::int32_t s, std::int32_t t, std::int32_t w,
                        int line, bool endspan, bool preendspan) {
    sss = LodClampCoord(sss);
    sst = LodClampCoord(sst);
    if (!dolod_)
        return;
    // A pixel's steps come from the next two pixels; near the end of a long
    // span from the next line's start (tclod_1cycle_current_simple).
    std::int32_t ns = 0, nt = 0, nw = 0, fs = 0, ft = 0, fw = 0;
    const Span& next = spans_[static_cast<std::size_t>(line + 1)];
    const int length = lodLength_;
    const bool longspan = length > 7, midspan = length == 7;
    if (next.valid && endspan && longspan) {
        ns = next.s >> 16;
        nt = next.t >> 16;
        nw = next.w >> 16;
        fs = Add(next.s, dsinc_) >> 16;
        ft = Add(next.t, dtinc_) >> 16;
        fw = Add(next.w, dwinc_) >> 16;
    } else {
        ns = Add(s, dsinc_) >> 16;
        nt = Add(t, dtinc_) >> 16;
        nw = Add(w, dwinc_) >> 16;
        const bool back = next.valid && ((preendspan && longspan) || (endspan && midspan));
        const int far = back ? -1 : 2;
        fs = Add(s, Mul(dsinc_, far)) >> 16;
        ft = Add(t, Mul(dtinc_, far)) >> 16;
        fw = Add(w, Mul(dwinc_, far)) >> 16;
    }
    tcdiv(ns, nt, nw, ns, nt);
    tcdiv(fs, ft, fw, fs, ft);
    const bool lodclamp = ((ft | nt | fs | ns) & 0x60000) != 0;
    const std::int32_t lod = lodclamp ? 0 : LodStep(ns, fs, nt, ft, 0);
    std::uint32_t ltile = 0;
    bool magnify = false, distant = false;
    lodSignals(lodclamp, lod, ltile, magnify, distant, lodFrac_);
    if (!lodOn_)
        return;
    if (distant)
        ltile = static_cast<std::uint32_t>(maxLevel_);
    tile1_ = (primTile_ + static_cast<int>(ltile) + ((!detail_ || magnify) ? 0 : 1)) & 7;
}

Colour Drawing::texel(std::int32_t sss, std::int32_t sst, int index, int cycle) const {
    (void)cycle; // both cycles filter alike once the YUV conversion is off
    const Tile& tile = rdp_.tiles_[static_cast<std::size_t>(index)];
    if (tile.fmt == Yuv)
        Refuse("a YUV tile");
    const auto shift = [](std::int32_t coord, int shifter) {
        return shifter < 11 ? Sign16(coord) >> shifter : Sign16(coord << (16 - shifter));
    };
    std::int32_t s = shift(sss, tile.shifts), t = shift(sst, tile.shiftt);
    const bool maxs = (s >> 3) >= tile.sh, maxt = (t >> 3) >= tile.th;
    s -= tile.sl << 3;
    t -= tile.tl << 3;
    std::int32_t sfrac = s & 0x1f, tfrac = t & 0x1f;
    const bool clampS = (tile.cms & 2) || tile.masks == 0, clampT = (tile.cmt & 2) || tile.maskt == 0;
    const auto clamp = [](std::int32_t c, bool enabled, bool beyond, std::int32_t diff, std::int32_t& frac) {
        if (!enabled)
            return c >> 5;
        if (beyond) {
            frac = 0;
            return diff;
        }
        if (c & 0x10000) {
            frac = 0;
            return 0;
        }
        return c >> 5;
    };
    s = clamp(s, clampS, maxs, ((tile.sh >> 2) - (tile.sl >> 2)) & 0x3ff, sfrac);
    t = clamp(t, clampT, maxt, ((tile.th >> 2) - (tile.tl >> 2)) & 0x3ff, tfrac);

    const bool filtered = sampleType_ || tlut_ != TlutMode::None;
    // Mask and mirror; the filter's second texel is diff away (it wraps at
    // the mask, stays put on a mirror's edge).
    const auto mask = [filtered](std::int32_t& c, int m, bool mirror, bool isT) {
        if (m == 0)
            return 1;
        const std::int32_t bits = static_cast<std::int32_t>((0xffffu >> (16 - m)) & 0x3ff);
        if (mirror) {
            const std::int32_t wrap = (c >> std::min(m, 10)) & 1;
            c ^= -wrap;
            c &= bits;
            if (!filtered)
                return 1;
            return ((c - wrap) & bits) == bits ? 0 : 1 - (wrap << 1);
        }
        c &= bits;
        if (c == bits)
            return isT ? -(c & 0xff) : -c;
        return 1;
    };
    const std::int32_t sdiff = mask(s, tile.masks, (tile.cms & 1) != 0, false);
    const std::int32_t tdiff = mask(t, tile.maskt, (tile.cmt & 1) != 0, true);
    const auto fetch = [&](std::int32_t ss, std::uint32_t row) {
        const Rgba8 c = rdp_.decodeAt(tile, static_cast<std::uint32_t>(ss), row, tlut_);
        return Colour{c.r, c.g, c.b, c.a};
    };
    const std::uint32_t row0 = static_cast<std::uint32_t>(t) & 0xff;
    if (!filtered) {
        const Colour c = fetch(s, row0);
        return {c.r & 0x1ff, c.g & 0x1ff, c.b, c.a};
    }
    const bool upper = ((sfrac + tfrac) & 0x20) != 0;
    Colour t0, t1, t2, t3;
    if (!sampleType_) { // point sampling through the palette: one texel
        t0 = t1 = t2 = t3 = fetch(s, row0);
    } else {
        const std::uint32_t row1 = static_cast<std::uint32_t>(static_cast<std::int32_t>(row0) + tdiff);
        t0 = fetch(s, row0);
        t1 = fetch(s + sdiff, row0);
        t2 = fetch(s, row1);
        t3 = fetch(s + sdiff, row1);
    }
    const bool center = midTexel_ && sfrac == 0x10 && tfrac == 0x10;
    const std::int32_t invtf = 0x20 - tfrac, invsf = 0x20 - sfrac;
    const auto filter = [&](std::int32_t a0, std::int32_t a1, std::int32_t a2, std::int32_t a3) {
        if (center) // the average of the four
            return a3 + ((((a1 + a2) << 6) - (a3 << 7) + ((~a3 + a0) << 6) + 0xc0) >> 8);
        if (upper)
            return a3 + ((invsf * (a2 - a3) + invtf * (a1 - a3) + 0x10) >> 5);
        return a0 + ((sfrac * (a1 - a0) + tfrac * (a2 - a0) + 0x10) >> 5);
    };
    return {filter(t0.r, t1.r, t2.r, t3.r) & 0x1ff, filter(t0.g, t1.g, t2.g, t3.g) & 0x1ff,
            filter(t0.b, t1.b, t2.b, t3.b) & 0x1ff, filter(t0.a, t1.a, t2.a, t3.a) & 0x1ff};
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

void Drawing::render1Cycle(int start, int end, bool flip) {
    const int xinc = flip ? 1 : -1;
    for (int i = start; i <= end; ++i) {
        const Span& span = spans_[static_cast<std::size_t>(i)];
        if (!span.valid)
            continue;
        if (rdp_.cancel_ && rdp_.cancel_->load(std::memory_order_relaxed))
            throw Cancelled("the drawing was cancelled");
        std::int32_t s = span.s, t = span.t, w = span.w;
        int x = span.rx;
        const int length = flip ? span.lx - span.rx : span.rx - span.lx;
        int scdiff = flip ? span.rx - span.unscrx : span.unscrx - span.rx;
        coverage(i, flip);
        if (scdiff) {
            scdiff &= 0xfff;
            s = Add(s, Mul(dsinc_, scdiff));
            t = Add(t, Mul(dtinc_, scdiff));
            w = Add(w, Mul(dwinc_, scdiff));
        }
        lodLength_ = length + scdiff;
        budget(length + 1);
        for (int j = 0; j <= length; ++j, x += xinc) {
            const std::uint8_t mask = cvgbuf_[static_cast<std::size_t>(x & 0x3ff)];
            std::int32_t sss = 0, sst = 0;
            tcdiv(s >> 16, t >> 16, w >> 16, sss, sst);
            lod1Cycle(sss, sst, s, t, w, i, j == length, j == length - 1);
            texel0_ = texel(sss, sst, tile1_, 0);
            combine(1, true);
            const std::uint32_t cvg = finishAlpha(tables_.cvg[mask]);
            record(x, i, sss, sst);
            write(x, i, cvg, tables_.cvbit[mask], false);
            s = Add(s, dsinc_);
            t = Add(t, dtinc_);
            w = Add(w, dwinc_);
        }
    }
}

void Drawing::render2Cycle(int start, int end, bool flip) {
    const int xinc = flip ? 1 : -1;
    for (int i = start; i <= end; ++i) {
        const Span& span = spans_[static_cast<std::size_t>(i)];
        if (!span.valid)
            continue;
        if (rdp_.cancel_ && rdp_.cancel_->load(std::memory_order_relaxed))
            throw Cancelled("the drawing was cancelled");
        std::int32_t s = span.s, t = span.t, w = span.w;
        int x = span.rx;
        const int length = flip ? span.lx - span.rx : span.rx - span.lx;
        int scdiff = flip ? span.rx - span.unscrx : span.unscrx - span.rx;
        coverage(i, flip);
        if (scdiff) {
            scdiff &= 0xfff;
            s = Add(s, Mul(dsinc_, scdiff));
            t = Add(t, Mul(dtinc_, scdiff));
            w = Add(w, Mul(dwinc_, scdiff));
        }
        budget(length + 1);
        for (int j = 0; j <= length; ++j, x += xinc) {
            const std::uint8_t mask = cvgbuf_[static_cast<std::size_t>(x & 0x3ff)];
            std::int32_t sss = 0, sst = 0;
            tcdiv(s >> 16, t >> 16, w >> 16, sss, sst);
            lod2Cycle(sss, sst, s, t, w);
            texel0_ = texel(sss, sst, tile1_, 0);
            texel1_ = texel(sss, sst, tile2_, 1);
            combine(0, false);
            // The second cycle sees the first's TEXEL1 as its TEXEL0.
            const Colour first0 = texel0_;
            texel0_ = texel1_;
            combine(1, true);
            texel0_ = first0;
            const std::uint32_t cvg = finishAlpha(tables_.cvg[mask]);
            record(x, i, sss, sst);
            write(x, i, cvg, tables_.cvbit[mask], true);
            s = Add(s, dsinc_);
            t = Add(t, dtinc_);
            w = Add(w, dwinc_);
        }
    }
}

void Rdp::draw(std::span<const std::uint64_t> command) {
    Drawing drawing(*this, command);
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
                    const auto c = static_cast<std::uint16_t>(ram[at] << 8 | ram[at + 1]);
                    const auto five = [](unsigned v) {
                        return static_cast<std::uint8_t>((v << 3) | (v >> 2));
                    };
                    out = {five(c >> 11), five((c >> 6) & 0x1f), five((c >> 1) & 0x1f), 255};
                }
            }
        }
    return pixels;
}

} // namespace vellora::rdp
