// SPDX-License-Identifier: MIT
#include "ui/form.h"

#include "core/numeric.h"
#include "document/messages.h"
#include "ui/inputrules.h"

#include <algorithm>
#include <cmath>

namespace vellora {

const std::string kDetailToggleQuestion = "This will re-set the preview.\r\nYou Will need to load the bitmap "
                                          "again.\r\n\r\nDo you want to proceede?";

FileBoxes BoxesFor(const TileLevel& picture, bool detail) {
    const DimensionRule widthRule = detail ? kDetailWidthRule : kWidthRule;
    const DimensionRule heightRule = detail ? kDetailHeightRule : kHeightRule;
    // The picture's size goes into a size box, whose rule then applies.
    auto boxText = [](std::int32_t size, DimensionRule rule) {
        const std::string typed = DecimalText(size);
        return ApplyDimensionRule(typed, rule).value_or(typed);
    };
    FileBoxes boxes{boxText(picture.Width, widthRule), boxText(picture.Height, heightRule), std::nullopt};
    if (picture.Width > widthRule.maximum || picture.Height > heightRule.maximum) {
        const std::string counted = DecimalText(std::min(picture.Width, widthRule.maximum)) + " x " +
                                    DecimalText(std::min(picture.Height, heightRule.maximum));
        boxes.cutMessage = std::string(detail ? "The detail map" : "The picture") + " is " +
                           DecimalText(picture.Width) + " x " + DecimalText(picture.Height) +
                           " pixels, larger than the size boxes take (" + DecimalText(widthRule.maximum) +
                           " x " + DecimalText(heightRule.maximum) + "): it is counted as " + counted + ".";
    }
    return boxes;
}

std::array<bool, kFormatCount> DetailOptionsEnabled(bool detailOn, bool baseIsCI) {
    std::array<bool, kFormatCount> enabled{};
    for (int i = 0; i < kFormatCount; ++i)
        enabled[i] = detailOn && (IsCI(kAllFormats[i]) == baseIsCI);
    return enabled;
}

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
std::int32_t ReadSize(const std::string& text, std::int32_t previous, int maximum) {
    if (text.empty())
        return previous;
    auto value = NumericValue(text);
    if (!value)
        return previous;
    double v = std::floor(*value);
    return static_cast<std::int32_t>(std::clamp(v, 0.0, static_cast<double>(maximum)));
}

int DesiredLevel(const Settings& s) {
    if (auto v = NumericValue(s.levels))
        return static_cast<int>(std::clamp(std::floor(*v), 0.0, 7.0));
    return 0;
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

// "Manually Define Mip-Map Tiles": a width and a height for every level
// above the base, asked in order.
std::vector<LevelSize> AskTileSizes(int desired, int detailFlag, const CalcHooks& hooks) {
    std::vector<LevelSize> sizes;
    const std::string of = " of " + DecimalText(desired);
    for (int i = detailFlag + 1; i <= desired; ++i) {
        const std::string title = "Tile " + DecimalText(i) + of;
        LevelSize size;
        size.width = AskSize(hooks, "width", i, title, 1024);
        size.height = AskSize(hooks, "Height", i, title, 256);
        sizes.push_back(size);
    }
    return sizes;
}

} // namespace

TextureSpec SpecFromSettings(const Settings& s, const TileTable& tiles) {
    TextureSpec spec;
    spec.format = s.baseFormat;
    spec.levels =
        !s.autoLevels ? LevelMode::Manual : (s.widthRule ? LevelMode::AutoWidth64 : LevelMode::Auto);
    spec.lastLevel = DesiredLevel(s);
    const int detailFlag = s.detailEnabled ? 1 : 0;
    if (s.detailEnabled) {
        DetailSpec d;
        d.size.width = ReadSize(s.detailWidth, tiles[0].Width, 1024);
        d.size.height = ReadSize(s.detailHeight, tiles[0].Height, 256);
        d.format = s.detailFormat;
        spec.detail = d;
    }
    const TileLevel& base = tiles[static_cast<std::size_t>(detailFlag)];
    spec.size.width = ReadSize(s.width, base.Width, 1024);
    spec.size.height = ReadSize(s.height, base.Height, 256);
    return spec;
}

CountResult CalcTMEM(const Settings& s, CoreState& st, bool askTileSizes, const CalcHooks& hooks) {
    CountResult r;
    const bool baseIsCI = IsCI(s.baseFormat);
    r.detailOptionsEnabled = DetailOptionsEnabled(s.detailEnabled, baseIsCI);
    if (s.detailEnabled) {
        if (const char* message = doc::DetailFormatMessage(s.detailFormat, s.baseFormat))
            r.messages.emplace_back(message);
    }

    TextureSpec spec = SpecFromSettings(s, st.tiles);
    const bool prompts = askTileSizes && hooks.askTile;
    if (prompts)
        spec.typedLevels = AskTileSizes(spec.lastLevel, s.detailEnabled ? 1 : 0, hooks);
    const Regenerate regenerate =
        (st.bitmapLoaded && !st.noAutoTiles && hooks.regenerate) ? hooks.regenerate : Regenerate{};
    r.count = CountTexture(spec, st.tiles, regenerate);
    const Count& c = r.count;

    if (c.detailWidthAligned)
        r.detailWidthBack = *c.detailWidthAligned ? Paint::Window : Paint::Red;
    r.maskW = DecimalText(c.maskWidth);
    r.maskH = DecimalText(c.maskHeight);
    r.wrapW = DecimalText(c.wrapWidth);
    r.wrapH = DecimalText(c.wrapHeight);
    r.maskWBack = c.maskWidth > 10 ? Paint::Red : Paint::ButtonFace;
    r.widthBack = (!c.baseWidthAligned || c.maskWidth > 10) ? Paint::Red : Paint::Window;
    r.maskHBack = c.maskHeight > 8 ? Paint::Red : Paint::ButtonFace;
    r.heightBack = c.maskHeight > 8 ? Paint::Red : Paint::Window;

    if (prompts) {
        r.levelsTextWritten = false;
    } else {
        r.sliderTileMax = c.maxIndex * 10;
        r.levelsBox = Paint::Window;
        if (!s.autoLevels) {
            auto typed = NumericValue(s.levels);
            if (typed && *typed > c.maxIndex) {
                r.levelsBox = Paint::Yellow;
                if (!st.levelWarned) {
                    r.messages.push_back(doc::kLevelLimitMessage);
                    st.levelWarned = true;
                }
            }
        }
    }

    r.fillBarWidth = static_cast<float>(c.fill());
    const std::string total = DecimalText(c.totalBytes);
    if (c.exceeds()) {
        r.fillBarWidth = 4096;
        r.fillBarPaint = Paint::Red;
        r.excedeCaption = total + " Bytes\r\n" + doc::VerdictText(c);
        r.excedeBack = Paint::Red;
        r.excedeFore = Paint::White;
    } else {
        r.fillBarPaint = Paint::Highlight;
        r.excedeCaption = "\r\n" + total + " Bytes\r\n" + doc::VerdictText(c);
        r.excedeBack = Paint::Green;
        r.excedeFore = Paint::Black;
    }
    r.percentCaption = DecimalText(c.percent()) + "%";
    return r;
}

} // namespace vellora
