// SPDX-License-Identifier: MIT
// A CI texture's palette: the picture's colours or a quantized set, each
// pixel's entry, and the dither that spreads what an entry misses.
#include "reduce.h"
#include "reducing.h"

#include <libimagequant.h>

#include <algorithm>
#include <bitset>
#include <climits>
#include <memory>
#include <optional>

namespace vellora::reduce {

using namespace detail;

namespace {

// Distinct entry values of the covered part, in the order they first occur.
std::vector<std::uint16_t> DistinctCodes(const TileLevel& level, int width, int height, bool opaque,
                                         const PaletteCode& code) {
    const Region r = Covered(level, width, height);
    std::bitset<65536> seen;
    std::vector<std::uint16_t> order;
    for (int row = 0; row < r.rows; ++row) {
        for (int col = 0; col < r.cols; ++col) {
            const std::uint16_t c = code.code(level.Pixels.at(row, col), opaque);
            if (!seen.test(c)) {
                seen.set(c);
                order.push_back(c);
            }
        }
    }
    return order;
}

} // namespace

int StoredColours(const TileLevel& level, int width, int height, const PictureSource& source, int limit) {
    const Region r = Covered(level, width, height);
    std::bitset<65536> seen;
    int count = 0;
    for (int row = 0; row < r.rows; ++row) {
        for (int col = 0; col < r.cols; ++col) {
            const std::uint16_t c = ToRgba16(level.Pixels.at(row, col), !source.alpha);
            if (!seen.test(c)) {
                seen.set(c);
                if (++count > limit)
                    return count;
            }
        }
    }
    return count;
}

namespace {

// Deleters as types: the library's functions carry attributes a function
// pointer type would drop.
struct LiqDelete {
    void operator()(liq_attr* p) const { liq_attr_destroy(p); }
    void operator()(liq_image* p) const { liq_image_destroy(p); }
    void operator()(liq_result* p) const { liq_result_destroy(p); }
};

std::vector<std::uint16_t> Quantize(const TileLevel& level, int width, int height, bool opaque, int entries,
                                    const PaletteCode& code) {
    const Region r = Covered(level, width, height);
    // The picture as the palette's entries hold it, so the palette is chosen
    // among colours the texture can show.
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(r.rows) * static_cast<std::size_t>(r.cols) *
                                     4u);
    std::size_t at = 0;
    for (int row = 0; row < r.rows; ++row) {
        for (int col = 0; col < r.cols; ++col) {
            const std::array<std::uint8_t, 4> c = code.expand(code.code(level.Pixels.at(row, col), opaque));
            std::copy(c.begin(), c.end(), pixels.begin() + static_cast<std::ptrdiff_t>(at));
            at += 4;
        }
    }
    std::vector<std::uint16_t> palette;
    const std::unique_ptr<liq_attr, LiqDelete> attr(liq_attr_create());
    if (!attr)
        return palette;
    liq_set_max_colors(attr.get(), entries);
    // Half the time of the default speed (4) for a 256 x 256 picture to CI8;
    // on a 6,341-colour plasma picture the error against RGBA16 grew by 0.4%.
    liq_set_speed(attr.get(), 6);
    // RGBA16 keeps 5 bits a channel; finer palette colours would be lost.
    liq_set_min_posterization(attr.get(), code.posterization);
    const std::unique_ptr<liq_image, LiqDelete> image(
        liq_image_create_rgba(attr.get(), pixels.data(), r.cols, r.rows, 0.0));
    if (!image)
        return palette;
    liq_result* raw = nullptr;
    if (liq_image_quantize(image.get(), attr.get(), &raw) != LIQ_OK || raw == nullptr)
        return palette;
    const std::unique_ptr<liq_result, LiqDelete> result(raw);
    const liq_palette* p = liq_get_palette(result.get());
    std::bitset<65536> seen;
    for (unsigned i = 0; i < p->count; ++i) {
        const liq_color& e = p->entries[i];
        const std::uint8_t px[4] = {e.r, e.g, e.b, e.a};
        const std::uint16_t c = code.code(px, false);
        if (!seen.test(c)) {
            seen.set(c);
            palette.push_back(c);
        }
    }
    return palette;
}

// The quantizer chooses its own colour for the clear entry (whatever its
// clear pixels averaged to, or its own fill), which would undo the bleeding:
// the filter blends a clear texel's colour in at a cut-out's edge. After the
// bleeding every clear pixel holds one code, so that code takes the place of
// the clear entries, and the palette keeps one of them.
void KeepClearColour(const TileLevel& level, int width, int height, bool opaque, std::uint8_t clearBelow,
                     const PaletteCode& code, std::vector<std::uint16_t>& palette) {
    const Region r = Covered(level, width, height);
    std::optional<std::uint16_t> clear;
    for (int row = 0; row < r.rows && !clear; ++row)
        for (int col = 0; col < r.cols && !clear; ++col)
            if (AlphaOf(level.Pixels.at(row, col), opaque) < clearBelow)
                clear = code.code(level.Pixels.at(row, col), opaque);
    if (!clear)
        return;
    bool kept = false;
    std::vector<std::uint16_t> out;
    for (std::uint16_t entry : palette) {
        if (code.expand(entry)[3] >= clearBelow) {
            out.push_back(entry);
        } else if (!kept) {
            out.push_back(*clear);
            kept = true;
        }
    }
    palette = std::move(out);
}

} // namespace

PaletteResult detail::MakePalette(const TileLevel& level, int width, int height, const PictureSource& source,
                                  int entries, const PaletteCode& code, std::uint8_t clearBelow) {
    const bool opaque = Opaque(source);
    PaletteResult result;
    std::vector<std::uint16_t> distinct = DistinctCodes(level, width, height, opaque, code);
    result.colours = static_cast<int>(distinct.size());
    if (result.colours <= entries) {
        if (!source.palette.empty()) {
            std::vector<int> rank(65536, INT_MAX);
            for (std::size_t i = 0; i < source.palette.size(); ++i) {
                const std::uint32_t e = source.palette[i];
                const std::uint8_t px[4] = {static_cast<std::uint8_t>(e >> 24),
                                            static_cast<std::uint8_t>(e >> 16),
                                            static_cast<std::uint8_t>(e >> 8), static_cast<std::uint8_t>(e)};
                int& r = rank[code.code(px, opaque)];
                r = std::min(r, static_cast<int>(i));
            }
            // Stable: colours the file's palette lacks keep their order of appearance.
            std::stable_sort(distinct.begin(), distinct.end(),
                             [&rank](std::uint16_t a, std::uint16_t b) { return rank[a] < rank[b]; });
        }
        result.palette = std::move(distinct);
        return result;
    }
    result.quantized = true;
    result.palette = Quantize(level, width, height, opaque, entries, code);
    KeepClearColour(level, width, height, opaque, clearBelow, code, result.palette);
    return result;
}

namespace {

int Clamp8(int v) {
    return std::clamp(v, 0, 255);
}

} // namespace

// Indexes rows x cols of a level's grid with the palette; with dither, the
// error of each texel's colour is spread over its neighbours (Floyd-Steinberg).
// Error never flows into or out of a texel stored clear (alpha below
// clearBelow): its colour is not seen, and its error is not the picture's.
void detail::IndexLevel(const PixelGrid& grid, int rows, int cols, bool opaque, bool dither,
                        std::uint8_t clearBelow, Indexer& indexer, std::vector<std::uint32_t>& values) {
    std::vector<int> errThis, errNext;
    if (dither) {
        errThis.assign(static_cast<std::size_t>(cols + 2) * 3u, 0);
        errNext = errThis;
    }
    for (int row = 0; row < rows; ++row) {
        for (int col = 0; col < cols; ++col) {
            const std::uint8_t* src = grid.at(row, col);
            std::uint8_t px[4] = {src[0], src[1], src[2], AlphaOf(src, opaque)};
            std::size_t e = static_cast<std::size_t>(col + 1) * 3u;
            const bool spread = dither && px[3] >= clearBelow;
            if (spread) {
                for (int k = 0; k < 3; ++k)
                    px[k] = static_cast<std::uint8_t>(
                        Clamp8(px[k] + errThis[e + static_cast<std::size_t>(k)] / 16));
            }
            const int index = indexer.indexPixel(px);
            values[static_cast<std::size_t>(row) * static_cast<std::size_t>(cols) +
                   static_cast<std::size_t>(col)] = static_cast<std::uint32_t>(index);
            if (spread) {
                const std::array<std::uint8_t, 4>& chosen = indexer.colour(index);
                for (std::size_t k = 0; k < 3; ++k) {
                    const int err = static_cast<int>(px[k]) - static_cast<int>(chosen[k]);
                    errThis[e + 3 + k] += err * 7;
                    errNext[e - 3 + k] += err * 3;
                    errNext[e + k] += err * 5;
                    errNext[e + 3 + k] += err;
                }
            }
        }
        if (dither) {
            std::swap(errThis, errNext);
            std::fill(errNext.begin(), errNext.end(), 0);
        }
    }
}

} // namespace vellora::reduce
