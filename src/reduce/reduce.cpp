// SPDX-License-Identifier: MIT
#include "reduce.h"

#include <libimagequant.h>

#include <algorithm>
#include <bitset>
#include <climits>
#include <memory>

namespace vellora::reduce {

namespace {

// For each 8-bit value, the n-bit value whose expansion is nearest; scanning
// upwards with a strict comparison keeps the lower value on a tie.
template <unsigned Bits, class ExpandFn> std::array<std::uint8_t, 256> NearestTable(ExpandFn expand) {
    std::array<std::uint8_t, 256> table{};
    for (int v = 0; v < 256; ++v) {
        int best = 0, bestDistance = INT_MAX;
        for (unsigned x = 0; x < (1u << Bits); ++x) {
            const int d = std::abs(static_cast<int>(expand(x)) - v);
            if (d < bestDistance) {
                best = static_cast<int>(x);
                bestDistance = d;
            }
        }
        table[static_cast<std::size_t>(v)] = static_cast<std::uint8_t>(best);
    }
    return table;
}

const std::array<std::uint8_t, 256> kTo5 = NearestTable<5>(Expand5);
const std::array<std::uint8_t, 256> kTo4 = NearestTable<4>(Expand4);
const std::array<std::uint8_t, 256> kTo3 = NearestTable<3>(Expand3);

bool Opaque(const PictureSource& source) {
    return !source.alpha;
}

std::uint8_t AlphaOf(const std::uint8_t* rgba, bool opaque) {
    return opaque ? 255 : rgba[3];
}

std::uint8_t IntensityOf(const std::uint8_t* rgba) {
    // round(0.299 R + 0.587 G + 0.114 B): the weights in thousandths sum to
    // 1000, so this is round-half-up exactly.
    return static_cast<std::uint8_t>((299u * rgba[0] + 587u * rgba[1] + 114u * rgba[2] + 500u) / 1000u);
}

template <Kind K> std::uint32_t TexelOf(const std::uint8_t* rgba, bool opaque) {
    const std::uint32_t a = AlphaOf(rgba, opaque);
    if constexpr (K == Kind::RGBA32) {
        return std::uint32_t{rgba[0]} << 24 | std::uint32_t{rgba[1]} << 16 | std::uint32_t{rgba[2]} << 8 | a;
    } else if constexpr (K == Kind::RGBA16) {
        return std::uint32_t{kTo5[rgba[0]]} << 11 | std::uint32_t{kTo5[rgba[1]]} << 6 |
               std::uint32_t{kTo5[rgba[2]]} << 1 | (a >> 7);
    } else if constexpr (K == Kind::IA16) {
        return std::uint32_t{IntensityOf(rgba)} << 8 | a;
    } else if constexpr (K == Kind::IA8) {
        return std::uint32_t{kTo4[IntensityOf(rgba)]} << 4 | kTo4[a];
    } else if constexpr (K == Kind::IA4) {
        return std::uint32_t{kTo3[IntensityOf(rgba)]} << 1 | (a >> 7);
    } else if constexpr (K == Kind::I8) {
        return IntensityOf(rgba);
    } else {
        static_assert(K == Kind::I4);
        return kTo4[IntensityOf(rgba)];
    }
}

// How a palette entry holds a colour: RGBA16, or IA16 (8-bit intensity and
// alpha). posterization: the low bits of each 8-bit channel the entry drops.
// A flag rather than function pointers, so the per-pixel calls inline.
struct PaletteCode {
    bool ia16;
    int posterization;
    std::uint16_t code(const std::uint8_t* rgba, bool opaque) const {
        return ia16 ? ToIa16(rgba, opaque) : ToRgba16(rgba, opaque);
    }
    std::array<std::uint8_t, 4> expand(std::uint16_t value) const {
        return ia16 ? ExpandIa16(value) : ExpandRgba16(value);
    }
};

const PaletteCode kRgba16Code{false, 3};
const PaletteCode kIa16Code{true, 0};

const PaletteCode& CodeOf(Kind kind) {
    return HasIa16Palette(kind) ? kIa16Code : kRgba16Code;
}

// The levels' palette: its entries and, per 16-bit entry value, the nearest
// entry among the first `usable` ones, found once and then kept.
class Indexer {
  public:
    Indexer(const std::vector<std::uint16_t>& palette, std::size_t usable, const PaletteCode& code)
        : code_(&code) {
        const std::size_t n = std::min(palette.size(), usable);
        for (std::size_t i = 0; i < n; ++i)
            colours_.push_back(code.expand(palette[i]));
        nearest_.assign(65536, -1);
    }

    // The entry for a pixel (alpha taken as it is).
    int indexPixel(const std::uint8_t* rgba) { return index(code_->code(rgba, false)); }

    int index(std::uint16_t colour) {
        std::int16_t& slot = nearest_[colour];
        if (slot < 0) {
            const std::array<std::uint8_t, 4> c = code_->expand(colour);
            long best = LONG_MAX;
            for (std::size_t i = 0; i < colours_.size(); ++i) {
                long d = 0;
                for (int k = 0; k < 4; ++k) {
                    const long diff = static_cast<long>(c[k]) - static_cast<long>(colours_[i][k]);
                    d += diff * diff;
                }
                if (d < best) {
                    best = d;
                    slot = static_cast<std::int16_t>(i);
                }
            }
            if (slot < 0)
                slot = 0;
        }
        return slot;
    }

    const std::array<std::uint8_t, 4>& colour(int index) const {
        return colours_[static_cast<std::size_t>(index)];
    }
    bool empty() const { return colours_.empty(); }

  private:
    const PaletteCode* code_;
    std::vector<std::array<std::uint8_t, 4>> colours_;
    std::vector<std::int16_t> nearest_;
};

struct Region {
    int rows = 0, cols = 0;
};

// The part of a level the picture covers.
Region Covered(const TileLevel& level, int width, int height) {
    return {std::min(height, level.Pixels.rows()), std::min(width, level.Pixels.cols())};
}

struct PaletteResult {
    std::vector<std::uint16_t> palette;
    int colours = 0;
    bool quantized = false;
};

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

// The picture's own colours when they are few enough, in the file's
// palette order for a paletted file; else a quantized palette.
PaletteResult MakePalette(const TileLevel& level, int width, int height, const PictureSource& source,
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

int Clamp8(int v) {
    return std::clamp(v, 0, 255);
}

// The alpha below which a texel of the kind is stored clear: the one alpha
// bit of RGBA16, IA4 and an RGBA16 palette takes 128 and up as opaque; an
// IA16 palette keeps alpha whole, so only 0 is clear. I kinds store no
// alpha: the picture's clear pixels are those below 128 as for one bit.
std::uint8_t ClearBelow(Kind kind) {
    return HasIa16Palette(kind) ? 1 : 128;
}

// Whether the clear texels of a kind take their neighbours' colour: kinds
// with one bit of alpha or none, whose clear texels the filter would
// otherwise blend in at their own (often black) colour.
bool Bleeds(Kind kind) {
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
PixelGrid Bleed(const PixelGrid& in, std::uint8_t clearBelow, bool oneColour) {
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

// Indexes rows x cols of a level's grid with the palette; with dither, the
// error of each texel's colour is spread over its neighbours (Floyd-Steinberg).
// Error never flows into or out of a texel stored clear (alpha below
// clearBelow): its colour is not seen, and its error is not the picture's.
void IndexLevel(const PixelGrid& grid, int rows, int cols, bool opaque, bool dither, std::uint8_t clearBelow,
                Indexer& indexer, std::vector<std::uint32_t>& values) {
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

// rows x cols of a grid to a direct kind, the kind fixed at compile time so
// the loop does only that kind's arithmetic.
template <Kind K>
void StoreRows(const PixelGrid& grid, int rows, int cols, bool opaque, std::vector<std::uint32_t>& values) {
    std::uint32_t* out = values.data();
    for (int row = 0; row < rows; ++row) {
        const std::uint8_t* px = grid.at(row, 0);
        for (int col = 0; col < cols; ++col, px += 4)
            *out++ = TexelOf<K>(px, opaque);
    }
}

void StoreDirect(Kind kind, const PixelGrid& grid, int rows, int cols, bool opaque,
                 std::vector<std::uint32_t>& values) {
    switch (kind) {
    case Kind::RGBA32:
        return StoreRows<Kind::RGBA32>(grid, rows, cols, opaque, values);
    case Kind::RGBA16:
        return StoreRows<Kind::RGBA16>(grid, rows, cols, opaque, values);
    case Kind::IA16:
        return StoreRows<Kind::IA16>(grid, rows, cols, opaque, values);
    case Kind::IA8:
        return StoreRows<Kind::IA8>(grid, rows, cols, opaque, values);
    case Kind::IA4:
        return StoreRows<Kind::IA4>(grid, rows, cols, opaque, values);
    case Kind::I8:
        return StoreRows<Kind::I8>(grid, rows, cols, opaque, values);
    case Kind::I4:
        return StoreRows<Kind::I4>(grid, rows, cols, opaque, values);
    case Kind::CI8:
    case Kind::CI4:
    case Kind::CI8_IA16:
    case Kind::CI4_IA16:
        break;
    }
}

ReducedLevel ReduceLevel(const PixelGrid& grid, const hw::Level& level, bool opaque, Indexer* indexer,
                         bool dither, bool wantShown) {
    ReducedLevel out;
    out.record = level.record;
    out.role = level.role;
    out.distance = level.distance;
    out.kind = level.kind;
    out.width = level.width;
    out.height = level.height;
    // The level and the one row and column past it that drawing may read; a
    // picture larger than its level is not reduced beyond that.
    const int rows = std::min(grid.rows(), std::max(level.height, 0) + 1);
    const int cols = std::min(grid.cols(), std::max(level.width, 0) + 1);
    std::vector<std::uint32_t> values(static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols), 0);
    const bool ci = IsCIKind(level.kind);
    if (ci) {
        if (indexer != nullptr && !indexer->empty())
            IndexLevel(grid, rows, cols, opaque, dither, ClearBelow(level.kind), *indexer, values);
    } else {
        StoreDirect(level.kind, grid, rows, cols, opaque, values);
    }

    if (wantShown)
        out.shown = PixelGrid(rows, cols);
    for (int row = 0; row < (wantShown ? rows : 0); ++row) {
        for (int col = 0; col < cols; ++col) {
            const std::uint32_t v = values[static_cast<std::size_t>(row) * static_cast<std::size_t>(cols) +
                                           static_cast<std::size_t>(col)];
            const std::array<std::uint8_t, 4> c =
                ci ? (indexer != nullptr && !indexer->empty() ? indexer->colour(static_cast<int>(v))
                                                              : std::array<std::uint8_t, 4>{})
                   : Expand(level.kind, v);
            std::copy(c.begin(), c.end(), out.shown.at(row, col));
        }
    }

    out.texels.assign(static_cast<std::size_t>(std::max(out.width, 0)) *
                          static_cast<std::size_t>(std::max(out.height, 0)),
                      0);
    const int coveredRows = std::min(out.height, rows), coveredCols = std::min(out.width, cols);
    for (int row = 0; row < coveredRows; ++row)
        std::copy_n(values.begin() + static_cast<std::ptrdiff_t>(row) * cols, coveredCols,
                    out.texels.begin() + static_cast<std::ptrdiff_t>(row) * out.width);
    return out;
}

bool IsCi(Kind kind) {
    return IsCIKind(kind);
}

// An empty table with the sizes of another, for the generator to fill.
TileTable SizesOf(const TileTable& tiles) {
    TileTable sized;
    for (std::size_t i = 0; i < sized.size(); ++i) {
        sized[i].Width = tiles[i].Width;
        sized[i].Height = tiles[i].Height;
        sized[i].BitDepth = tiles[i].BitDepth;
    }
    return sized;
}

// The generated levels' grids with their alpha filtered from the base's:
// the base's alpha goes through the generator in the colour bytes of a table
// of the same sizes, and comes back as the alpha of each generated level.
// bleedBelow: the base's kind bleeds its clear texels (alpha below that), so
// the levels' colour is generated again from the base bled. The generator
// weighs every pixel alike; the clear pixels' own colour (often black) would
// darken the opaque texels beside a cut-out, which no later bleeding of the
// clear texels undoes. Returns the records it made a grid for.
std::vector<int> GeneratedAlpha(const TileTable& tiles, const std::vector<hw::Level>& levels,
                                MipFilter filter, std::optional<std::uint8_t> bleedBelow,
                                std::array<PixelGrid, kLevelCount>& out) {
    int baseRecord = -1, lastRecord = -1;
    for (const hw::Level& l : levels) {
        if (l.role == LevelRole::Base)
            baseRecord = l.record;
        lastRecord = std::max(lastRecord, l.record);
    }
    std::vector<int> made;
    if (baseRecord < 0 || lastRecord <= baseRecord)
        return made;
    TileTable alpha = SizesOf(tiles);
    const PixelGrid& base = tiles[static_cast<std::size_t>(baseRecord)].Pixels;
    PixelGrid& a = alpha[static_cast<std::size_t>(baseRecord)].Pixels = PixelGrid(base.rows(), base.cols());
    for (int r = 0; r < base.rows(); ++r)
        for (int c = 0; c < base.cols(); ++c)
            a.at(r, c)[0] = base.at(r, c)[3];
    GeneratebmpMipMap(alpha, lastRecord, baseRecord, filter);
    TileTable colour;
    if (bleedBelow) {
        colour = SizesOf(tiles);
        colour[static_cast<std::size_t>(baseRecord)].Pixels = Bleed(base, *bleedBelow, false);
        GeneratebmpMipMap(colour, lastRecord, baseRecord, filter);
    }
    for (int record = baseRecord + 1; record <= lastRecord; ++record) {
        PixelGrid& target = out[static_cast<std::size_t>(record)] =
            (bleedBelow ? colour : tiles)[static_cast<std::size_t>(record)].Pixels;
        const PixelGrid& from = alpha[static_cast<std::size_t>(record)].Pixels;
        for (int r = 0; r < std::min(target.rows(), from.rows()); ++r)
            for (int c = 0; c < std::min(target.cols(), from.cols()); ++c)
                target.at(r, c)[3] = from.at(r, c)[0];
        made.push_back(record);
    }
    return made;
}

int PaletteEntries(Kind kind) {
    return IsCI8Kind(kind) ? 256 : 16;
}

} // namespace

std::uint8_t To5(std::uint8_t v) {
    return kTo5[v];
}
std::uint8_t To4(std::uint8_t v) {
    return kTo4[v];
}
std::uint8_t To3(std::uint8_t v) {
    return kTo3[v];
}

std::uint16_t ToRgba16(const std::uint8_t* rgba, bool opaque) {
    return static_cast<std::uint16_t>(TexelOf<Kind::RGBA16>(rgba, opaque));
}

std::uint32_t TexelValue(Kind kind, const std::uint8_t* rgba, bool opaque) {
    switch (kind) {
    case Kind::RGBA32:
        return TexelOf<Kind::RGBA32>(rgba, opaque);
    case Kind::RGBA16:
        return TexelOf<Kind::RGBA16>(rgba, opaque);
    case Kind::IA16:
        return TexelOf<Kind::IA16>(rgba, opaque);
    case Kind::IA8:
        return TexelOf<Kind::IA8>(rgba, opaque);
    case Kind::IA4:
        return TexelOf<Kind::IA4>(rgba, opaque);
    case Kind::I8:
        return TexelOf<Kind::I8>(rgba, opaque);
    case Kind::I4:
        return TexelOf<Kind::I4>(rgba, opaque);
    case Kind::CI8:
    case Kind::CI4:
    case Kind::CI8_IA16:
    case Kind::CI4_IA16:
        break;
    }
    return 0;
}

std::array<std::uint8_t, 4> ExpandRgba16(std::uint16_t v) {
    return {Expand5(v >> 11 & 31u), Expand5(v >> 6 & 31u), Expand5(v >> 1 & 31u),
            static_cast<std::uint8_t>((v & 1u) != 0 ? 255 : 0)};
}

std::uint16_t ToIa16(const std::uint8_t* rgba, bool opaque) {
    return static_cast<std::uint16_t>(IntensityOf(rgba) << 8 | AlphaOf(rgba, opaque));
}

std::array<std::uint8_t, 4> ExpandIa16(std::uint16_t v) {
    const auto i = static_cast<std::uint8_t>(v >> 8), a = static_cast<std::uint8_t>(v);
    return {i, i, i, a};
}

std::array<std::uint8_t, 4> ExpandEntry(Kind kind, std::uint16_t value) {
    return HasIa16Palette(kind) ? ExpandIa16(value) : ExpandRgba16(value);
}

std::array<std::uint8_t, 4> Expand(Kind kind, std::uint32_t v) {
    const auto grey = [](std::uint8_t i, std::uint8_t a) { return std::array<std::uint8_t, 4>{i, i, i, a}; };
    switch (kind) {
    case Kind::RGBA32:
        return {static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16),
                static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)};
    case Kind::RGBA16:
        return ExpandRgba16(static_cast<std::uint16_t>(v));
    case Kind::IA16:
        return grey(static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v));
    case Kind::IA8:
        return grey(Expand4(v >> 4 & 15u), Expand4(v & 15u));
    case Kind::IA4:
        return grey(Expand3(v >> 1 & 7u), (v & 1u) != 0 ? 255 : 0);
    case Kind::I8:
        return grey(static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v));
    case Kind::I4:
        return grey(Expand4(v & 15u), Expand4(v & 15u));
    case Kind::CI8:
    case Kind::CI4:
    case Kind::CI8_IA16:
    case Kind::CI4_IA16:
        break;
    }
    return {};
}

ReducedTexture ReduceTexture(const TileTable& tiles, const std::vector<hw::Level>& counted,
                             const PictureSource& base, const PictureSource& detail,
                             const ReduceOptions& options) {
    ReducedTexture out;
    std::vector<hw::Level> levels;
    for (const hw::Level& l : counted) {
        if (l.record >= 0 && l.record < kLevelCount)
            levels.push_back(l);
    }
    // Each record's pixels: its own, or a copy whose alpha was filtered down from the base's.
    std::array<const PixelGrid*, kLevelCount> grids{};
    for (std::size_t i = 0; i < grids.size(); ++i)
        grids[i] = &tiles[i].Pixels;
    std::array<PixelGrid, kLevelCount> patched;
    if (options.generatedWith && base.alpha) {
        std::optional<std::uint8_t> bleedBelow;
        for (const hw::Level& l : levels)
            if (l.role == LevelRole::Base && (Bleeds(l.kind) || IsCIKind(l.kind)))
                bleedBelow = ClearBelow(l.kind);
        for (int record : GeneratedAlpha(tiles, levels, *options.generatedWith, bleedBelow, patched))
            grids[static_cast<std::size_t>(record)] = &patched[static_cast<std::size_t>(record)];
    }
    // Clear texels take their neighbours' colour (one colour for a palette),
    // in the pictures that have alpha.
    std::array<PixelGrid, kLevelCount> bled;
    for (const hw::Level& l : levels) {
        const bool alpha = (l.role == LevelRole::Detail ? detail : base).alpha;
        if (!alpha || !(Bleeds(l.kind) || IsCIKind(l.kind)))
            continue;
        const std::size_t record = static_cast<std::size_t>(l.record);
        bled[record] = Bleed(*grids[record], ClearBelow(l.kind), IsCIKind(l.kind));
        grids[record] = &bled[record];
    }
    // The one palette: the base picture's when the base is CI, else the detail map's.
    const hw::Level* source = nullptr;
    for (const hw::Level& l : levels) {
        if (IsCi(l.kind) && l.role == LevelRole::Base)
            source = &l;
    }
    if (source == nullptr) {
        for (const hw::Level& l : levels) {
            if (IsCi(l.kind) && l.role == LevelRole::Detail)
                source = &l;
        }
    }
    if (source != nullptr) {
        TileLevel picture = tiles[static_cast<std::size_t>(source->record)];
        picture.Pixels = *grids[static_cast<std::size_t>(source->record)];
        const PaletteResult p = MakePalette(
            picture, source->width, source->height, source->role == LevelRole::Detail ? detail : base,
            PaletteEntries(source->kind), CodeOf(source->kind), ClearBelow(source->kind));
        out.palette = p.palette;
        out.colours = p.colours;
        out.quantized = p.quantized;
    }
    std::optional<Indexer> ci8, ci4; // a CI4 level reads palette 0: the first 16 entries
    if (!out.palette.empty()) {
        ci8.emplace(out.palette, 256, CodeOf(source->kind));
        ci4.emplace(out.palette, 16, CodeOf(source->kind));
    }
    for (const hw::Level& l : levels) {
        const bool opaque = Opaque(l.role == LevelRole::Detail ? detail : base);
        Indexer* indexer = !ci8 ? nullptr : IsCI8Kind(l.kind) ? &*ci8 : IsCI4Kind(l.kind) ? &*ci4 : nullptr;
        out.levels.push_back(ReduceLevel(*grids[static_cast<std::size_t>(l.record)], l, opaque, indexer,
                                         options.dither && out.quantized, options.shown));
    }
    return out;
}

TileTable ShownTable(const TileTable& tiles, const ReducedTexture& reduced) {
    TileTable shown = tiles;
    for (const ReducedLevel& l : reduced.levels) {
        if (l.record >= 0 && l.record < kLevelCount)
            shown[static_cast<std::size_t>(l.record)].Pixels = l.shown;
    }
    return shown;
}

} // namespace vellora::reduce
