// SPDX-License-Identifier: MIT
#include "reduce.h"
#include "reducing.h"

#include <algorithm>
#include <optional>

namespace vellora::reduce {

using namespace detail;

namespace {

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
// colourBase: the base with its clear texels bled, when its kind bleeds
// them; the levels' colour is then generated again from it. The generator
// weighs every pixel alike; the clear pixels' own colour (often black) would
// darken the opaque texels beside a cut-out, which no later bleeding of the
// clear texels undoes. Returns the records it made a grid for.
std::vector<int> GeneratedAlpha(const TileTable& tiles, const std::vector<hw::Level>& levels,
                                MipFilter filter, const PixelGrid* colourBase,
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
    if (colourBase != nullptr) {
        colour = SizesOf(tiles);
        colour[static_cast<std::size_t>(baseRecord)].Pixels = *colourBase;
        GeneratebmpMipMap(colour, lastRecord, baseRecord, filter);
    }
    for (int record = baseRecord + 1; record <= lastRecord; ++record) {
        PixelGrid& target = out[static_cast<std::size_t>(record)] =
            (colourBase != nullptr ? colour : tiles)[static_cast<std::size_t>(record)].Pixels;
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
    // Clear texels take their neighbours' colour (one colour for a palette),
    // in the pictures that have alpha: the base first, as generated levels
    // take their colour from it.
    const auto bleeds = [&](const hw::Level& l) {
        return (l.role == LevelRole::Detail ? detail : base).alpha && (Bleeds(l.kind) || IsCIKind(l.kind));
    };
    std::array<PixelGrid, kLevelCount> bled;
    const auto bleed = [&](const hw::Level& l) {
        const std::size_t record = static_cast<std::size_t>(l.record);
        bled[record] = Bleed(*grids[record], ClearBelow(l.kind), IsCIKind(l.kind));
        grids[record] = &bled[record];
    };
    const auto baseLevel = std::find_if(levels.begin(), levels.end(),
                                        [](const hw::Level& l) { return l.role == LevelRole::Base; });
    const bool bleedBase = baseLevel != levels.end() && bleeds(*baseLevel);
    if (bleedBase)
        bleed(*baseLevel);
    std::array<PixelGrid, kLevelCount> patched;
    if (options.generatedWith && base.alpha) {
        // A palette gives the base's clear texels one colour; its levels are
        // generated from the base bled texel by texel, as the direct kinds'.
        PixelGrid perTexel;
        const PixelGrid* colourBase = nullptr;
        if (bleedBase) {
            const std::size_t record = static_cast<std::size_t>(baseLevel->record);
            colourBase = IsCIKind(baseLevel->kind)
                             ? &(perTexel = Bleed(tiles[record].Pixels, ClearBelow(baseLevel->kind), false))
                             : &bled[record];
        }
        for (int record : GeneratedAlpha(tiles, levels, *options.generatedWith, colourBase, patched))
            grids[static_cast<std::size_t>(record)] = &patched[static_cast<std::size_t>(record)];
    }
    for (const hw::Level& l : levels)
        if (l.role != LevelRole::Base && bleeds(l))
            bleed(l);
    // The one palette: the base picture's when the base is CI, else the detail map's.
    const hw::Level* source = nullptr;
    for (const hw::Level& l : levels) {
        if (IsCIKind(l.kind) && l.role == LevelRole::Base)
            source = &l;
    }
    if (source == nullptr) {
        for (const hw::Level& l : levels) {
            if (IsCIKind(l.kind) && l.role == LevelRole::Detail)
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
