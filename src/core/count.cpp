// SPDX-License-Identifier: MIT
#include "count.h"

#include "numeric.h"

#include <algorithm>
#include <cmath>

namespace vellora {

const char* LevelRoleName(LevelRole role) {
    switch (role) {
    case LevelRole::Detail:
        return "detail";
    case LevelRole::Mip:
        return "mip";
    case LevelRole::Base:
        break;
    }
    return "base";
}

long Count::percent() const {
    return static_cast<long>(std::floor(fill() * 100 / 4096));
}

namespace {

// The largest picture a reader takes: the window's boxes cut their sizes to
// 1024 x 256 before they get here, the command line counts a picture at its
// own size.
constexpr std::int32_t kMaxWidth = 16384;
constexpr std::int32_t kMaxHeight = 16384;

// The smallest m with 2^m >= size. Done in integers: ln(w) / ln(2) can land
// just above a whole number for exact powers of two.
int MaskOf(std::int32_t size) {
    int m = 0;
    while ((1L << m) < size)
        ++m;
    return m;
}

void SetSize(TileLevel& level, LevelSize size) {
    level.Width = std::clamp(size.width, 0, kMaxWidth);
    level.Height = std::clamp(size.height, 0, kMaxHeight);
}

void AddBytes(double& total, const TileLevel& t) {
    total = Nearest(LevelBytes(t.BitDepth, t.LineWidth, t.Height) + total);
}

// Halves each level from the one above until the stop rule or maxIndex;
// returns the last record counted. Records above it are cleared.
int BuildPyramid(int maxIndex, const TextureSpec& spec, TileTable& tiles, int detailFlag, double& total) {
    if (spec.detail && maxIndex < 1)
        maxIndex = 1;
    int counted = -1;
    for (int i = 0; i <= maxIndex; ++i) {
        TileLevel& t = tiles[i];
        if (i > detailFlag) {
            const TileLevel& above = tiles[i - 1];
            const auto w = static_cast<std::int32_t>(Nearest(above.Width / 2.0));
            t.Width = w;
            t.LineWidth = w;
            if (!IsAligned(w, t.BitDepth)) {
                t.LineWidth = PaddedWidth(w, t.BitDepth);
                if (spec.levels == LevelMode::AutoWidth64 && 64 / t.BitDepth >= w) {
                    counted = i; // narrower than 64 bits: this level does not count
                    break;
                }
            }
            t.Height = static_cast<std::int32_t>(Nearest(above.Height / 2.0));
        }
        AddBytes(total, t);
        // The stop test starts at the base: a thin detail map must not cut
        // the pyramid before the base texture is counted.
        if ((i >= detailFlag && (t.Height <= 1 || t.Width <= 1)) || i == kLevelCount - 1) {
            counted = i + 1;
            break;
        }
    }
    if (counted < 0)
        counted = maxIndex + 1;
    for (int i = counted; i < kLevelCount; ++i) {
        TileLevel& t = tiles[i];
        t.Width = t.LineWidth = t.Height = t.BitDepth = 0;
    }
    return counted - 1;
}

// The levels above the base take the typed sizes; the pyramid is not built.
int TypedLevels(const TextureSpec& spec, const std::vector<LevelSize>& sizes, TileTable& tiles,
                int detailFlag, double& total) {
    AddBytes(total, tiles[detailFlag]);
    if (detailFlag == 1)
        total = Nearest(LevelBytes(tiles[0].BitDepth, tiles[0].LineWidth, tiles[0].Height) + total);
    const int last = std::clamp(spec.lastLevel, 0, kLevelCount - 1);
    for (int i = detailFlag + 1; i <= last; ++i) {
        TileLevel& t = tiles[i];
        const std::size_t k = static_cast<std::size_t>(i - detailFlag - 1);
        SetSize(t, k < sizes.size() ? sizes[k] : LevelSize{1, 1});
        t.LineWidth = PaddedWidth(t.Width, t.BitDepth);
        AddBytes(total, t);
    }
    return std::max(last, detailFlag);
}

} // namespace

Count CountTexture(const TextureSpec& spec, TileTable& tiles, const Regenerate& regenerate,
                   CountDetail detail) {
    Count c;
    c.baseIsCI = IsCI(spec.format);
    c.tmemLimit = c.baseIsCI ? 2048 : 4096;

    const int baseDepth = BitDepth(spec.format);
    for (TileLevel& t : tiles)
        t.BitDepth = baseDepth;

    c.detailFlag = spec.detail ? 1 : 0;
    if (spec.detail) {
        TileLevel& d = tiles[0];
        SetSize(d, spec.detail->size);
        d.BitDepth = BitDepth(spec.detail->format);
        c.detailWidthAligned = d.Width >= 1 && IsAligned(d.Width, d.BitDepth);
        d.LineWidth = PaddedWidth(d.Width, d.BitDepth);
    }

    TileLevel& base = tiles[c.detailFlag];
    SetSize(base, spec.size);
    base.BitDepth = baseDepth;
    // A width below one texel gives mask 0 and counts as misaligned rather
    // than reaching log(0).
    c.maskWidth = MaskOf(base.Width);
    c.maskHeight = MaskOf(base.Height);
    c.wrapWidth = 1L << c.maskWidth;
    c.wrapHeight = 1L << c.maskHeight;
    c.baseWidthAligned = base.Width >= 1 && IsAligned(base.Width, base.BitDepth);
    base.LineWidth = PaddedWidth(base.Width, base.BitDepth);

    double total = 0;
    if (spec.typedLevels) {
        c.maxIndex = TypedLevels(spec, *spec.typedLevels, tiles, c.detailFlag, total);
    } else {
        const int last = std::clamp(spec.lastLevel, 0, kLevelCount - 1);
        c.maxIndex = BuildPyramid(spec.levels == LevelMode::Manual ? last : kLevelCount - 1, spec, tiles,
                                  c.detailFlag, total);
        if (regenerate)
            regenerate(tiles, c.maxIndex, c.detailFlag);
        c.levelsCutBack = spec.levels == LevelMode::Manual && spec.lastLevel > c.maxIndex;
    }
    c.totalBytes = static_cast<long>(total);

    long address = 0;
    for (int i = 0; i <= c.maxIndex && i < kLevelCount; ++i) {
        const TileLevel& t = tiles[i];
        CountedLevel l;
        l.index = i;
        l.role = (c.detailFlag == 1 && i == 0) ? LevelRole::Detail
                                               : (i == c.detailFlag ? LevelRole::Base : LevelRole::Mip);
        l.width = t.Width;
        l.lineWidth = t.LineWidth;
        l.height = t.Height;
        l.bitDepth = t.BitDepth;
        l.bytes = static_cast<long>(LevelBytes(t.BitDepth, t.LineWidth, t.Height));
        l.tmemAddress = address;
        address += l.bytes;
        c.levels.push_back(l);
    }
    if (detail == CountDetail::Full)
        BuildTmemMap(tiles, c.baseIsCI, c.tmemMap);
    return c;
}

TmemLevels LevelsOfBytes(const Count& count) {
    TmemLevels levels;
    levels.fill(-1);
    for (const CountedLevel& l : count.levels) {
        const long end = std::min<long>(kTmemBytes, l.tmemAddress + l.bytes);
        for (long a = std::max(0L, l.tmemAddress); a < end; ++a)
            levels[static_cast<std::size_t>(a)] = static_cast<std::int8_t>(l.index);
    }
    return levels;
}

} // namespace vellora
