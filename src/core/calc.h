// SPDX-License-Identifier: MIT
#pragma once

#include "formats.h"
#include "tilelevel.h"
#include "tmemmap.h"

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vellora {

// The calculator's inputs exactly as the window holds them: box texts are
// kept as typed (an empty text leaves the previous size in place).
struct Settings {
    std::string width = "64";
    std::string height = "64";
    int baseFormat = 1; // see formats.h
    bool autoLevels = true;
    bool widthRule = false; // "Stop When Tile Width = 64bit"
    std::string levels = "1";
    bool detailEnabled = true;
    std::string detailWidth = "16";
    std::string detailHeight = "16";
    int detailFormat = 1;
};

// What the count keeps between runs, owned by the window.
struct CoreState {
    TileTable tiles;
    bool levelWarned = false;
    bool bitmapLoaded = false;
    bool noAutoTiles = false;
};

// Colours the count gives to boxes and labels. System colours are named so
// the window can take them from its palette; the rest are fixed RGB values.
enum class Paint { Window, ButtonFace, Highlight, Red, Yellow, Green, Black, White };
Rgb FixedPaintRgb(Paint paint); // Window, ButtonFace and Highlight give a neutral stand-in

struct CalcHooks {
    // Ask one tile size: returns the typed answer, empty on Cancel.
    std::function<std::string(const std::string& prompt, const std::string& title)> askTile;
    // Rebuild the pixels of the derived levels up to lastLevel.
    std::function<void(TileTable& tiles, int lastLevel, int detailFlag)> regenerate;
};

struct CountResult {
    int tmemLimit = 4096;
    long totalBytes = 0;
    bool baseIsCI = false;
    int detailFlag = 0;

    // The last index counted and the records in TMEM order (indices 0..maxIndex).
    int maxIndex = 0;
    bool levelsTextWritten = true;  // the tile prompts leave the level box alone
    std::optional<Paint> levelsBox; // unchanged when empty

    float fillBarWidth = 0; // twips of the 4096-twip bar
    Paint fillBarPaint = Paint::Highlight;
    std::string percentCaption;
    std::string excedeCaption;
    Paint excedeBack = Paint::Green;
    Paint excedeFore = Paint::Black;
    bool exceeds() const { return totalBytes > tmemLimit; }

    std::string maskW, maskH, wrapW, wrapH;
    Paint maskWBack = Paint::ButtonFace, maskHBack = Paint::ButtonFace;
    Paint widthBack = Paint::Window, heightBack = Paint::Window;
    Paint detailWidthBack = Paint::Window;
    bool baseWidthAligned = true;
    std::optional<bool> detailWidthAligned;

    int sliderTileMax = 0;
    std::array<bool, kFormatCount> detailOptionsEnabled{};
    std::vector<std::string> messages; // message-box texts in the order shown
    TmemMap tmemMap{};
};

// The one recalculation. Fills state.tiles for the detail map, the base and
// the derived levels, and returns everything the window shows.
CountResult CalcTMEM(const Settings& settings, CoreState& state, bool askTileSizes = false,
                     const CalcHooks& hooks = {});

// The level-limit message, shown once per run.
extern const std::string kLevelLimitMessage;

} // namespace vellora
