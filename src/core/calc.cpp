// SPDX-License-Identifier: MIT
#include "calc.h"

#include "detailmap.h"
#include "numeric.h"

#include <algorithm>
#include <cmath>

namespace vellora {

const std::string kLevelLimitMessage =
    "Cannot make any more levels\r\nSetting to maximum allowable by Texture size";

Rgb FixedPaintRgb(Paint paint) {
    switch (paint) {
    case Paint::Window:
    case Paint::White:
        return {255, 255, 255};
    case Paint::ButtonFace:
        return {240, 240, 240};
    case Paint::Highlight:
        return {0, 120, 215};
    case Paint::Red:
        return {255, 0, 0};
    case Paint::Yellow:
        return {255, 255, 0};
    case Paint::Green:
        return {0, 255, 0};
    case Paint::Black:
        return {0, 0, 0};
    }
    return {};
}

namespace {

// A size box: the floor of its number, kept within what a box can hold so a
// stray text never reaches the arithmetic. Empty or unreadable text leaves
// the previous size.
void ReadSize(const std::string& text, std::int32_t& size, int maximum) {
    if (text.empty())
        return;
    auto value = NumericValue(text);
    if (!value)
        return;
    double v = std::floor(*value);
    size = static_cast<std::int32_t>(std::clamp(v, 0.0, static_cast<double>(maximum)));
}

// The smallest m with 2^m >= size. Done in integers: ln(w) / ln(2) can land
// just above a whole number for exact powers of two.
int MaskOf(std::int32_t size) {
    int m = 0;
    while ((1L << m) < size)
        ++m;
    return m;
}

void AddBytes(double& total, const TileLevel& t) {
    total = Nearest(LevelBytes(t.BitDepth, t.LineWidth, t.Height) + total);
}

struct Pyramid {
    double total = 0;
    int maxIndex = 0;
};

Pyramid ClampLevels(int maxIndex, const Settings& s, CoreState& st, int detailFlag, const CalcHooks& hooks,
                    CountResult& r) {
    TileTable& tiles = st.tiles;
    if (s.detailEnabled && maxIndex < 1)
        maxIndex = 1;
    Pyramid p;
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
                if (s.autoLevels && s.widthRule && 64 / t.BitDepth >= w) {
                    counted = i; // narrower than 64 bits: this level does not count
                    break;
                }
            }
            t.Height = static_cast<std::int32_t>(Nearest(above.Height / 2.0));
        }
        AddBytes(p.total, t);
        // The stop test starts at the base: a thin detail map must not cut
        // the pyramid before the base texture is counted.
        if ((i >= detailFlag && (t.Height <= 1 || t.Width <= 1)) || i == kLevelCount - 1) {
            counted = i + 1;
            break;
        }
    }
    if (counted < 0)
        counted = maxIndex + 1;
    p.maxIndex = counted - 1;

    for (int i = counted; i < kLevelCount; ++i) {
        TileLevel& t = tiles[i];
        t.Width = t.LineWidth = t.Height = t.BitDepth = 0;
    }
    if (st.bitmapLoaded && !st.noAutoTiles && hooks.regenerate)
        hooks.regenerate(tiles, p.maxIndex, detailFlag);

    r.levelsBox = Paint::Window;
    if (!s.autoLevels) {
        auto typed = NumericValue(s.levels);
        if (typed && *typed > p.maxIndex) {
            r.levelsBox = Paint::Yellow;
            if (!st.levelWarned) {
                r.messages.push_back(kLevelLimitMessage);
                st.levelWarned = true;
            }
        }
    }
    return p;
}

std::int32_t AskSize(const CalcHooks& hooks, const std::string& what, int tile, const std::string& title,
                     int maximum) {
    const std::string n = DecimalText(tile);
    double v = Nearest(LeadingNumber(hooks.askTile("Enter the " + what + " of tile " + n, title)));
    while (!(v > 0 && v <= maximum))
        v = Nearest(
            LeadingNumber(hooks.askTile("Error: Please Re-Enter the " + what + " of tile " + n, title)));
    return static_cast<std::int32_t>(v);
}

Pyramid TilePrompts(int desired, CoreState& st, int detailFlag, const CalcHooks& hooks) {
    TileTable& tiles = st.tiles;
    Pyramid p;
    AddBytes(p.total, tiles[detailFlag]);
    if (detailFlag == 1)
        p.total = Nearest(LevelBytes(tiles[0].BitDepth, tiles[0].LineWidth, tiles[0].Height) + p.total);
    const std::string of = " of " + DecimalText(desired);
    for (int i = detailFlag + 1; i <= desired; ++i) {
        TileLevel& t = tiles[i];
        const std::string title = "Tile " + DecimalText(i) + of;
        t.Width = AskSize(hooks, "width", i, title, 1024);
        t.LineWidth = PaddedWidth(t.Width, t.BitDepth);
        t.Height = AskSize(hooks, "Height", i, title, 256);
        AddBytes(p.total, t);
    }
    p.maxIndex = std::max(desired, detailFlag);
    return p;
}

} // namespace

CountResult CalcTMEM(const Settings& s, CoreState& st, bool askTileSizes, const CalcHooks& hooks) {
    CountResult r;
    TileTable& tiles = st.tiles;

    r.baseIsCI = FormatIsCI(s.baseFormat);
    r.tmemLimit = r.baseIsCI ? 2048 : 4096;
    r.detailOptionsEnabled = DetailOptionsEnabled(s.detailEnabled, r.baseIsCI);

    const int baseDepth = FormatBitDepth(s.baseFormat);
    for (TileLevel& t : tiles)
        t.BitDepth = baseDepth;

    int desired = 0;
    if (auto v = NumericValue(s.levels))
        desired = static_cast<int>(std::clamp(std::floor(*v), 0.0, 7.0));

    r.detailFlag = s.detailEnabled ? 1 : 0;
    if (s.detailEnabled) {
        if (const char* message = DetailFormatMessage(s.detailFormat, s.baseFormat))
            r.messages.emplace_back(message);
        TileLevel& d = tiles[0];
        ReadSize(s.detailWidth, d.Width, 1024);
        ReadSize(s.detailHeight, d.Height, 256);
        d.BitDepth = FormatBitDepth(s.detailFormat);
        const bool aligned = d.Width >= 1 && IsAligned(d.Width, d.BitDepth);
        r.detailWidthAligned = aligned;
        r.detailWidthBack = aligned ? Paint::Window : Paint::Red;
        d.LineWidth = PaddedWidth(d.Width, d.BitDepth);
    }

    TileLevel& base = tiles[r.detailFlag];
    ReadSize(s.width, base.Width, 1024);
    ReadSize(s.height, base.Height, 256);
    base.BitDepth = baseDepth;

    // Mask and wrap of the base texture. A width below one texel (a typed
    // fraction such as 0.5) is shown as misaligned rather than left to log(0).
    const int maskW = MaskOf(base.Width);
    const int maskH = MaskOf(base.Height);
    r.maskW = DecimalText(maskW);
    r.maskH = DecimalText(maskH);
    r.wrapW = DecimalText(1L << maskW);
    r.wrapH = DecimalText(1L << maskH);
    r.baseWidthAligned = base.Width >= 1 && IsAligned(base.Width, base.BitDepth);
    r.maskWBack = maskW > 10 ? Paint::Red : Paint::ButtonFace;
    r.widthBack = (!r.baseWidthAligned || maskW > 10) ? Paint::Red : Paint::Window;
    base.LineWidth = PaddedWidth(base.Width, base.BitDepth);
    r.maskHBack = maskH > 8 ? Paint::Red : Paint::ButtonFace;
    r.heightBack = maskH > 8 ? Paint::Red : Paint::Window;

    Pyramid p;
    if (askTileSizes && hooks.askTile) {
        p = TilePrompts(desired, st, r.detailFlag, hooks);
        r.levelsTextWritten = false;
    } else {
        p = ClampLevels(s.autoLevels ? kLevelCount - 1 : desired, s, st, r.detailFlag, hooks, r);
        r.sliderTileMax = p.maxIndex * 10;
    }
    r.maxIndex = p.maxIndex;
    r.totalBytes = static_cast<long>(p.total);

    BuildTmemMap(tiles, r.baseIsCI, r.tmemMap);

    const double scale = 4096.0 / r.tmemLimit;
    r.fillBarWidth = static_cast<float>(scale * p.total);
    const std::string total = DecimalText(r.totalBytes);
    if (r.exceeds()) {
        r.fillBarWidth = 4096;
        r.fillBarPaint = Paint::Red;
        r.excedeCaption =
            total + " Bytes\r\nExceeds TMEM by " + DecimalText(r.totalBytes - r.tmemLimit) + " Bytes";
        r.excedeBack = Paint::Red;
        r.excedeFore = Paint::White;
    } else {
        r.fillBarPaint = Paint::Highlight;
        r.excedeCaption = "\r\n" + total + " Bytes\r\nGood!";
        r.excedeBack = Paint::Green;
        r.excedeFore = Paint::Black;
    }
    r.percentCaption = DecimalText(static_cast<long long>(std::floor(scale * p.total * 100 / 4096))) + "%";
    return r;
}

} // namespace vellora
