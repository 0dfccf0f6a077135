// SPDX-License-Identifier: MIT
#include "mipmap.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vellora {

namespace {

// Sum / divisor rounded to the nearest integer, halves to the even
// neighbour. The sums are small integers, so this equals rounding the
// floating-point quotient without any floating-point work.
template <unsigned Shift> constexpr std::uint8_t DivideHalfEven(unsigned sum) {
    // Adding just under a half, plus one more when the truncated quotient is
    // odd, carries exactly the halves that must go up. Branch-free, as the
    // remainders of real pictures are unpredictable.
    constexpr unsigned belowHalf = (1u << (Shift - 1)) - 1;
    return static_cast<std::uint8_t>((sum + belowHalf + ((sum >> Shift) & 1u)) >> Shift);
}

// The source level as the filters see it: exactly Height rows by Width
// columns. The record's grid is used directly when it covers that area
// (generated grids carry one extra row and column, which are skipped by
// the stride); a grid smaller than its record, as after a reset, is copied
// into a zero-padded buffer once per level so no sample reads outside it.
struct SourceView {
    const std::uint8_t* data = nullptr;
    std::size_t stride = 0; // bytes per row
    std::vector<std::uint8_t> padded;

    SourceView(const TileLevel& s, int width, int height) {
        const PixelGrid& g = s.Pixels;
        if (g.rows() >= height && g.cols() >= width) {
            data = g.rgba().data();
            stride = static_cast<std::size_t>(g.cols()) * 4u;
            return;
        }
        stride = static_cast<std::size_t>(width) * 4u;
        padded.assign(stride * static_cast<std::size_t>(height), 0);
        const int rows = std::min(height, g.rows());
        const int cols = std::min(width, g.cols());
        for (int r = 0; r < rows; ++r)
            std::copy_n(g.at(r, 0), static_cast<std::size_t>(cols) * 4u,
                        padded.data() + static_cast<std::size_t>(r) * stride);
        data = padded.data();
    }
};

// For every output index, the clamped centre sample and its wrapped
// neighbours in the source, so the inner loops do no clamping or modulo.
struct Taps {
    std::vector<int> before, centre, after;

    Taps(int outCount, int sourceCount) : before(outCount), centre(outCount), after(outCount) {
        for (int i = 0; i < outCount; ++i) {
            const int x = std::min(2 * i, sourceCount - 1);
            centre[i] = x;
            before[i] = x == 0 ? sourceCount - 1 : x - 1;
            after[i] = x == sourceCount - 1 ? 0 : x + 1;
        }
    }
};

void Filter3x3(const SourceView& src, const Taps& rows, const Taps& cols, PixelGrid& out) {
    // Byte offsets of the three columns of every output column.
    const std::size_t n = cols.centre.size();
    std::vector<std::size_t> left(n), mid(n), right(n);
    for (std::size_t c = 0; c < n; ++c) {
        left[c] = static_cast<std::size_t>(cols.before[c]) * 4u;
        mid[c] = static_cast<std::size_t>(cols.centre[c]) * 4u;
        right[c] = static_cast<std::size_t>(cols.after[c]) * 4u;
    }
    for (int r = 0; r < out.rows(); ++r) {
        const std::uint8_t* above = src.data + static_cast<std::size_t>(rows.before[r]) * src.stride;
        const std::uint8_t* same = src.data + static_cast<std::size_t>(rows.centre[r]) * src.stride;
        const std::uint8_t* below = src.data + static_cast<std::size_t>(rows.after[r]) * src.stride;
        std::uint8_t* o = out.at(r, 0);
        for (std::size_t c = 0; c < n; ++c, o += 4) {
            const std::size_t l = left[c], m = mid[c], ri = right[c];
            for (int ch = 0; ch < 3; ++ch) {
                // The weights are lopsided on purpose: left column and row
                // above weigh more than right column and row below.
                const unsigned sum = 2u * above[l + ch] + 2u * above[m + ch] + above[ri + ch] +
                                     2u * same[l + ch] + 4u * same[m + ch] + same[ri + ch] + below[l + ch] +
                                     2u * below[m + ch] + below[ri + ch];
                o[ch] = DivideHalfEven<4>(sum);
            }
            o[3] = 0;
        }
    }
}

void Filter2x2(const SourceView& src, const Taps& rows, const Taps& cols, PixelGrid& out) {
    const std::size_t n = cols.centre.size();
    std::vector<std::size_t> mid(n), right(n);
    for (std::size_t c = 0; c < n; ++c) {
        mid[c] = static_cast<std::size_t>(cols.centre[c]) * 4u;
        right[c] = static_cast<std::size_t>(cols.after[c]) * 4u;
    }
    for (int r = 0; r < out.rows(); ++r) {
        const std::uint8_t* same = src.data + static_cast<std::size_t>(rows.centre[r]) * src.stride;
        const std::uint8_t* below = src.data + static_cast<std::size_t>(rows.after[r]) * src.stride;
        std::uint8_t* o = out.at(r, 0);
        for (std::size_t c = 0; c < n; ++c, o += 4) {
            const std::size_t m = mid[c], ri = right[c];
            for (int ch = 0; ch < 3; ++ch) {
                const unsigned sum = same[m + ch] + below[m + ch] + below[ri + ch] + same[ri + ch];
                o[ch] = DivideHalfEven<2>(sum);
            }
            o[3] = 0;
        }
    }
}

} // namespace

void GeneratebmpMipMap(TileTable& tiles, int lastLevel, int detailFlag, MipFilter filter) {
    // The level number may come from a text box; records beyond the table do
    // not exist, and the base (or detail map) below the first derived level
    // is never written.
    const int first = std::clamp(detailFlag, 0, kLevelCount - 1) + 1;
    const int last = std::min(lastLevel, kLevelCount - 1);
    for (int level = first; level <= last; ++level) {
        TileLevel& target = tiles[level];
        const TileLevel& source = tiles[level - 1];
        // A cleared record (size 0) still gets a 1 x 1 grid.
        const int width = std::max(target.Width, 0);
        const int height = std::max(target.Height, 0);
        PixelGrid out(height + 1, width + 1);

        const int sw = source.Width;
        const int sh = source.Height;
        if (sw > 0 && sh > 0) {
            const SourceView view(source, sw, sh);
            const Taps rows(out.rows(), sh);
            const Taps cols(out.cols(), sw);
            if (filter == MipFilter::Box2x2)
                Filter2x2(view, rows, cols, out);
            else
                Filter3x3(view, rows, cols, out);
        }
        // else: nothing can be read from a source of size 0; the grid stays zero.
        target.Pixels = std::move(out);
    }
}

} // namespace vellora
