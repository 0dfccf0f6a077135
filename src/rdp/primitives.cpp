// SPDX-License-Identifier: MIT
// The triangle setup follows what an RSP microcode does and what
// parallel-rdp's test harness (triangle_converter.cpp) does in software:
// vertices sorted by y, positions on the quarter-pixel grid, the edges
// stepped from the top vertex's integer scanline, and every attribute a
// plane over the screen with its value at the top of that scanline.
#include "primitives.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace vellora::rdp {
namespace {

constexpr std::uint64_t Word(std::uint32_t hi, std::uint32_t lo) {
    return std::uint64_t{hi} << 32 | lo;
}
constexpr std::uint32_t U(int v) {
    return static_cast<std::uint32_t>(v);
}

std::int32_t Fixed(double v, double scale) {
    const double r = std::round(v * scale);
    return static_cast<std::int32_t>(
        static_cast<std::uint32_t>(static_cast<std::int64_t>(std::clamp(r, -2147483648.0, 2147483647.0))));
}

std::int32_t Quarter(double v) {
    return static_cast<std::int32_t>(std::clamp(std::round(v * 4), -8192.0, 8191.0));
}

std::int32_t DivideAway(std::int64_t x, std::int64_t y) { // rounding away from zero
    const std::int64_t rounding = y - 1;
    if (x < 0)
        x -= rounding;
    else if (x > 0)
        x += rounding;
    return static_cast<std::int32_t>(x / y);
}

} // namespace

std::uint64_t OtherModesWord(const DrawModes& m) {
    std::uint32_t hi = 0xEFu << 24;
    hi |= (m.twoCycle ? 1u : 0u) << 20;
    hi |= (m.perspective ? 1u : 0u) << 19;
    hi |= (m.detail ? 1u : 0u) << 18;
    hi |= (m.sharpen ? 1u : 0u) << 17;
    hi |= (m.lod ? 1u : 0u) << 16;
    if (m.tlut != TlutMode::None)
        hi |= 1u << 15 | (m.tlut == TlutMode::Ia16 ? 1u << 14 : 0u);
    if (m.filter != Filter::Point)
        hi |= 1u << 13;
    if (m.filter == Filter::Average)
        hi |= 1u << 12;
    hi |= 3u << 10;          // G_TC_FILT: both cycles filter, no YUV conversion
    hi |= 3u << 6 | 3u << 4; // G_CD_DISABLE, G_AD_DISABLE
    // Both blender cycles (CLR_IN, 0, CLR_IN, 1): the pixel passes on
    // unchanged; coverage clamps, nothing else is on.
    const std::uint32_t lo = 3u << 26 | 3u << 24 | 2u << 18 | 2u << 16;
    return Word(hi, lo);
}

std::uint64_t CombineWord(CombineForm form, bool twoCycle) {
    struct Cycle {
        int a, b, c, d, aa, ab, ac, ad;
    };
    constexpr Cycle texel0{15, 15, 31, 1, 7, 7, 7, 1};
    constexpr Cycle pass{15, 15, 31, 0, 7, 7, 7, 0};
    constexpr Cycle blend{2, 1, 13, 1, 2, 1, 0, 1};
    const Cycle c0 = (form == CombineForm::LevelBlend && twoCycle) ? blend : texel0;
    const Cycle c1 = twoCycle ? pass : c0;
    const std::uint32_t hi =
        0xFCu << 24 | U(c0.a) << 20 | U(c0.c) << 15 | U(c0.aa) << 12 | U(c0.ac) << 9 | U(c1.a) << 5 | U(c1.c);
    const std::uint32_t lo = U(c0.b) << 28 | U(c1.b) << 24 | U(c1.aa) << 21 | U(c1.ac) << 18 | U(c0.d) << 15 |
                             U(c0.ab) << 12 | U(c0.ad) << 9 | U(c1.d) << 6 | U(c1.ab) << 3 | U(c1.ad);
    return Word(hi, lo);
}

std::uint64_t ColorImageWord(int siz, int width, std::uint32_t address) {
    return Word(0xFFu << 24 | U(siz & 3) << 19 | U((width - 1) & 0x3FF), address & 0xFFFFFF);
}

std::uint64_t ScissorWord(int x0, int y0, int x1, int y1) {
    return Word(0xEDu << 24 | U((x0 * 4) & 0xFFF) << 12 | U((y0 * 4) & 0xFFF),
                U((x1 * 4) & 0xFFF) << 12 | U((y1 * 4) & 0xFFF));
}

std::uint64_t PrimColorWord(int minLevel, int lodFraction, std::uint32_t rgba) {
    return Word(0xFAu << 24 | U(minLevel & 0x1F) << 8 | U(lodFraction & 0xFF), rgba);
}

std::array<std::uint64_t, 2> TextureRectangleWords(int tile, int x0, int y0, int x1, int y1, int s, int t,
                                                   int dsdx, int dtdy, bool flip) {
    const std::uint32_t command = flip ? 0xE5u : 0xE4u;
    return {Word(command << 24 | U(x1 & 0xFFF) << 12 | U(y1 & 0xFFF),
                 U(tile & 7) << 24 | U(x0 & 0xFFF) << 12 | U(y0 & 0xFFF)),
            Word(U(s & 0xFFFF) << 16 | U(t & 0xFFFF), U(dsdx & 0xFFFF) << 16 | U(dtdy & 0xFFFF))};
}

std::array<std::uint64_t, 12> TriangleWords(const Vertex (&in)[3], int tile, int levels) {
    // Perspective: s/w, t/w and 1/w are linear on screen. W is scaled so the
    // nearest vertex has 0x4000, whose reciprocal the divider holds exactly
    // (a flat triangle then steps s and t without rounding); the RDP divides
    // S by W and multiplies by 0x8000, so S = s * 32 * W / 0x8000.
    double wmin = std::max(in[0].w, 1e-9);
    for (const Vertex& v : in)
        wmin = std::min(wmin, std::max(v.w, 1e-9));
    struct Plane {
        double x, y, s, t, w;
    };
    Plane p[3];
    std::int32_t xs[3], ys[3];
    for (int i = 0; i < 3; ++i) {
        const double w = 0x4000 * wmin / std::max(in[i].w, 1e-9);
        p[i] = {in[i].x, in[i].y, in[i].s * 32 * w / 0x8000, in[i].t * 32 * w / 0x8000, w};
        xs[i] = Quarter(in[i].x);
        ys[i] = Quarter(in[i].y);
    }
    int a = 0, b = 1, c = 2;
    const auto before = [&](int i, int j) { return ys[i] < ys[j] || (ys[i] == ys[j] && xs[i] < xs[j]); };
    if (before(b, a))
        std::swap(a, b);
    if (before(c, b))
        std::swap(b, c);
    if (before(b, a))
        std::swap(a, b);

    const std::int32_t yTop = ys[a], yMid = ys[b], yBottom = ys[c];
    std::int32_t dxMajor = DivideAway(std::int64_t{xs[c] - xs[a]} << 16, std::max(1, yBottom - yTop)) & ~7;
    std::int32_t dxTop = DivideAway(std::int64_t{xs[b] - xs[a]} << 16, std::max(1, yMid - yTop)) & ~7;
    const std::int32_t dxBottom =
        DivideAway(std::int64_t{xs[c] - xs[b]} << 16, std::max(1, yBottom - yMid)) & ~7;
    // Both top edges are stepped from the top vertex's integer scanline.
    const std::int32_t subY = yTop & 3;
    const std::int32_t xMajor = (xs[a] << 14) - (dxMajor >> 2) * subY;
    const std::int32_t xTop = (xs[a] << 14) - (dxTop >> 2) * subY;
    const std::int32_t xBottom = xs[b] << 14;
    const bool rightMajor = dxTop < dxMajor;

    // The planes over the quantized positions.
    const double abx = xs[b] - xs[a], bcx = xs[c] - xs[b], cax = xs[a] - xs[c];
    const double aby = yMid - yTop, bcy = yBottom - yMid, cay = yTop - yBottom;
    const double area = abx * bcy - aby * bcx;
    const double inv = area != 0 ? 4.0 / area : 0.0;
    const double slope = dxMajor / 65536.0, yfrac = subY / 4.0;
    struct Gradient {
        std::int32_t value, dx, de, dy;
    };
    const auto gradient = [&](double Plane::*field) {
        const double va = p[a].*field, vb = p[b].*field, vc = p[c].*field;
        const double dx = -inv * (aby * vc + cay * vb + bcy * va);
        const double dy = inv * (abx * vc + cax * vb + bcx * va);
        const double de = dy + dx * slope;
        return Gradient{Fixed(va - yfrac * de, 65536), Fixed(dx, 65536), Fixed(de, 65536), Fixed(dy, 65536)};
    };
    const Gradient s = gradient(&Plane::s), t = gradient(&Plane::t), w = gradient(&Plane::w);

    std::array<std::uint32_t, 24> e{};
    e[0] = 0xCAu << 24 | (rightMajor ? 0u : 1u << 23) | U(levels & 7) << 19 | U(tile & 7) << 16 |
           (U(yBottom) & 0x3FFF);
    e[1] = (U(yMid) & 0x3FFF) << 16 | (U(yTop) & 0x3FFF);
    e[2] = U(xBottom) & 0x0FFFFFFF;
    e[3] = U(dxBottom) & 0x3FFFFFFF;
    e[4] = U(xMajor) & 0x0FFFFFFF;
    e[5] = U(dxMajor);
    e[6] = U(xTop) & 0x0FFFFFFF;
    e[7] = U(dxTop) & 0x3FFFFFFF;
    // S, T and W with their x steps, then their edge and y steps: each
    // group as four words of integer halves, then four of fractions.
    const auto hi = [](std::int32_t v) { return U(v) >> 16; };
    const auto lo = [](std::int32_t v) { return U(v) & 0xFFFF; };
    const std::int32_t groups[2][4][2] = {
        {{s.value, t.value}, {w.value, 0}, {s.dx, t.dx}, {w.dx, 0}},
        {{s.de, t.de}, {w.de, 0}, {s.dy, t.dy}, {w.dy, 0}},
    };
    for (std::size_t g = 0; g < 2; ++g)
        for (std::size_t k = 0; k < 4; ++k) {
            const std::int32_t first = groups[g][k][0], second = groups[g][k][1];
            e[8 + 8 * g + k] = hi(first) << 16 | hi(second);
            e[12 + 8 * g + k] = lo(first) << 16 | lo(second);
        }
    std::array<std::uint64_t, 12> words{};
    for (std::size_t i = 0; i < 12; ++i)
        words[i] = Word(e[2 * i], e[2 * i + 1]);
    return words;
}

} // namespace vellora::rdp
