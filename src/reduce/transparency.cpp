// SPDX-License-Identifier: MIT
// Clear texels: which are clear in each kind, and the colour they take from
// their opaque neighbours so that the filter draws no fringe at a cut-out.
#include "reducing.h"

#include <utility>

namespace vellora::reduce {

using namespace detail;

// The alpha below which a texel of the kind is stored clear: the one alpha
// bit of RGBA16, IA4 and an RGBA16 palette takes 128 and up as opaque; an
// IA16 palette keeps alpha whole, so only 0 is clear. I kinds store no
// alpha: the picture's clear pixels are those below 128 as for one bit.
std::uint8_t detail::ClearBelow(Kind kind) {
    return HasIa16Palette(kind) ? 1 : 128;
}

// Whether the clear texels of a kind take their neighbours' colour: kinds
// with one bit of alpha or none, whose clear texels the filter would
// otherwise blend in at their own (often black) colour.
bool detail::Bleeds(Kind kind) {
    switch (kind) {
    case Kind::RGBA16:
    case Kind::IA4:
    case Kind::I8:
    case Kind::I4:
    case Kind::CI8:
    case Kind::CI4:
        return true;
    default:
        return false;
    }
}

// The grid with its clear pixels (alpha below clearBelow) coloured from
// their opaque neighbours, alpha left as it is. Each ring of clear pixels
// next to coloured ones takes the rounded mean of those neighbours (of 8),
// so colour spreads outward as far as the clear area goes. oneColour: every
// clear pixel takes one colour, the mean of the opaque pixels next to clear
// ones, so that a palette spends one entry on all of them. A grid without
// an opaque pixel stays as it is.
PixelGrid detail::Bleed(const PixelGrid& in, std::uint8_t clearBelow, bool oneColour) {
    PixelGrid out = in;
    const int rows = in.rows(), cols = in.cols();
    const auto at = [cols](int r, int c) {
        return static_cast<std::size_t>(r) * static_cast<std::size_t>(cols) + static_cast<std::size_t>(c);
    };
    std::vector<std::uint8_t> known(static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols));
    bool anyKnown = false, anyClear = false;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
            known[at(r, c)] = in.at(r, c)[3] >= clearBelow ? 1 : 0;
            anyKnown = anyKnown || known[at(r, c)] != 0;
            anyClear = anyClear || known[at(r, c)] == 0;
        }
    if (!anyKnown || !anyClear)
        return out;
    const auto forNeighbours = [rows, cols](int r, int c, auto&& f) {
        for (int dr = -1; dr <= 1; ++dr)
            for (int dc = -1; dc <= 1; ++dc)
                if ((dr != 0 || dc != 0) && r + dr >= 0 && r + dr < rows && c + dc >= 0 && c + dc < cols)
                    f(r + dr, c + dc);
    };
    const auto touches = [&](int r, int c, std::uint8_t state) {
        bool found = false;
        forNeighbours(r, c, [&](int nr, int nc) { found = found || known[at(nr, nc)] == state; });
        return found;
    };
    if (oneColour) {
        long sum[3] = {0, 0, 0}, n = 0;
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < cols; ++c)
                if (known[at(r, c)] != 0 && touches(r, c, 0)) {
                    for (int k = 0; k < 3; ++k)
                        sum[k] += in.at(r, c)[k];
                    ++n;
                }
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < cols; ++c)
                if (known[at(r, c)] == 0)
                    for (int k = 0; k < 3; ++k)
                        out.at(r, c)[k] = static_cast<std::uint8_t>((sum[k] + n / 2) / n);
        return out;
    }
    std::vector<std::pair<int, int>> ring, next;
    std::vector<std::uint8_t> queued(known.size(), 0);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c)
            if (known[at(r, c)] == 0 && touches(r, c, 1)) {
                ring.emplace_back(r, c);
                queued[at(r, c)] = 1;
            }
    while (!ring.empty()) {
        // A ring is coloured from the pixels known before it, then joins them.
        for (const auto& [r, c] : ring) {
            long sum[3] = {0, 0, 0}, n = 0;
            forNeighbours(r, c, [&](int nr, int nc) {
                if (known[at(nr, nc)] == 0)
                    return;
                for (int k = 0; k < 3; ++k)
                    sum[k] += out.at(nr, nc)[k];
                ++n;
            });
            for (int k = 0; k < 3; ++k)
                out.at(r, c)[k] = static_cast<std::uint8_t>((sum[k] + n / 2) / n);
        }
        for (const auto& [r, c] : ring)
            known[at(r, c)] = 1;
        next.clear();
        for (const auto& [r, c] : ring)
            forNeighbours(r, c, [&](int nr, int nc) {
                if (known[at(nr, nc)] == 0 && queued[at(nr, nc)] == 0) {
                    queued[at(nr, nc)] = 1;
                    next.emplace_back(nr, nc);
                }
            });
        std::swap(ring, next);
    }
    return out;
}

} // namespace vellora::reduce
