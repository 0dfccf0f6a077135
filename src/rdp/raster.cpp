// SPDX-License-Identifier: MIT
// The edge walker, the coverage of each span and the span renderers of 1-
// and 2-cycle mode.
#include "drawing.h"

#include <algorithm>

namespace vellora::rdp::detail {
namespace {

std::int32_t RightCvg(std::int32_t x, std::int32_t fmask) {
    return (0xf0 >> (((x & 7) + 1) >> 1)) & fmask;
}
std::int32_t LeftCvg(std::int32_t x, std::int32_t fmask) {
    return (0xf >> (((x & 7) + 1) >> 1)) & fmask;
}
} // namespace

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
        // The left edge is the major one when the triangle is left-major
        // (flip), the minor one otherwise.
        const std::int32_t left = flip ? span.majorx[i] : span.minorx[i];
        const std::int32_t right = flip ? span.minorx[i] : span.majorx[i];
        const int leftint = left >> 3, rightint = right >> 3;
        for (int k = purgestart; k <= leftint; ++k)
            at(k) &= cleared;
        for (int k = rightint; k <= purgeend; ++k)
            at(k) &= cleared;
        if (rightint > leftint) {
            at(rightint) |= static_cast<std::uint8_t>(RightCvg(right, fmask) << maskshift);
            at(leftint) |= static_cast<std::uint8_t>(LeftCvg(left, fmask) << maskshift);
        } else if (rightint == leftint) {
            at(leftint) |=
                static_cast<std::uint8_t>((RightCvg(right, fmask) & LeftCvg(left, fmask)) << maskshift);
        }
    }
}

// Every pixel of the valid spans from start to end, in the order the
// hardware walks them, with s, t and w stepped from the span's start (past
// what the scissor cut off); pixel(x, line, j, length, s, t, w, mask).
template <typename Pixel> void Drawing::spanPixels(int start, int end, bool flip, Pixel pixel) {
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
            pixel(x, i, j, length, s, t, w, cvgbuf_[static_cast<std::size_t>(x & 0x3ff)]);
            s = Add(s, dsinc_);
            t = Add(t, dtinc_);
            w = Add(w, dwinc_);
        }
    }
}

void Drawing::render1Cycle(int start, int end, bool flip) {
    spanPixels(start, end, flip,
               [this](int x, int line, int j, int length, std::int32_t s, std::int32_t t, std::int32_t w,
                      std::uint8_t mask) {
                   std::int32_t sss = 0, sst = 0;
                   tcdiv(s >> 16, t >> 16, w >> 16, sss, sst);
                   lod1Cycle(sss, sst, s, t, w, line, j == length, j == length - 1);
                   texel0_ = texel(sss, sst, tile1_, 0);
                   combine(1, true);
                   const std::uint32_t cvg = finishAlpha(tables_.cvg[mask]);
                   record(x, line, sss, sst);
                   write(x, line, cvg, tables_.cvbit[mask], false);
               });
}

void Drawing::render2Cycle(int start, int end, bool flip) {
    spanPixels(
        start, end, flip,
        [this](int x, int line, int, int, std::int32_t s, std::int32_t t, std::int32_t w, std::uint8_t mask) {
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
            record(x, line, sss, sst);
            write(x, line, cvg, tables_.cvbit[mask], true);
        });
}

} // namespace vellora::rdp::detail
