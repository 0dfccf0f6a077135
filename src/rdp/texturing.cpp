// SPDX-License-Identifier: MIT
// The texture unit: the perspective divide, the level and LOD_FRACTION from
// the texture coordinate steps, and a texel through shift, clamp, mask,
// mirror and the filter.
#include "drawing.h"

#include <algorithm>

namespace vellora::rdp::detail {

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

Drawing::LodLevel Drawing::lodLevel(bool lodclamp, std::int32_t lod) {
    std::uint32_t tile = 0;
    bool magnify = false, distant = false;
    std::int32_t& lf = lodFrac_;
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
    return {distant ? maxLevel_ : static_cast<int>(tile), magnify, distant};
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
    const auto [l, magnify, distant] = lodLevel(lodclamp, lod);
    if (!lodOn_)
        return;
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
    const LodLevel l = lodLevel(lodclamp, lod);
    if (!lodOn_)
        return;
    tile1_ = (primTile_ + l.level + ((!detail_ || l.magnify) ? 0 : 1)) & 7;
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

} // namespace vellora::rdp::detail
