// SPDX-License-Identifier: MIT
#pragma once

#include "count.h"
#include "formats.h"
#include "tilelevel.h"
#include "tmemmap.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vellora {

// The form over the count: the calculator's inputs exactly as the window
// holds them, box texts kept as typed (an empty text leaves the previous size
// in place), and the captions, colours and messages the window shows.
struct Settings {
    std::string width = "64";
    std::string height = "64";
    std::optional<Format> baseFormat = Format::Bits4; // none when no option is selected
    bool autoLevels = true;
    bool widthRule = false; // "Stop When Tile Width = 64bit"
    std::string levels = "1";
    bool detailEnabled = true;
    std::string detailWidth = "16";
    std::string detailHeight = "16";
    std::optional<Format> detailFormat = Format::Bits4;
};

// What the reductions to the game's formats need to know of a loaded file.
struct PictureSource {
    bool alpha = false;                 // else every pixel counts as opaque
    std::vector<std::uint32_t> palette; // a paletted file's colours in its order, 0xRRGGBBAA
    friend bool operator==(const PictureSource&, const PictureSource&) = default;
};

// What the count keeps between runs, owned by the window.
struct CoreState {
    TileTable tiles;
    bool levelWarned = false;
    bool bitmapLoaded = false;
    bool noAutoTiles = false;
    // The exact kinds the loaded files' names gave ("brick.ia16.png"); none
    // leaves the row's own kind.
    std::optional<Kind> baseKind;
    std::optional<Kind> detailKind;
    PictureSource baseSource;
    PictureSource detailSource;
};

// Colours the count gives to boxes and labels. System colours are named so
// the window can take them from its palette; the rest are fixed RGB values.
enum class Paint { Window, ButtonFace, Highlight, Red, Yellow, Green, Black, White };
Rgb FixedPaintRgb(Paint paint); // Window, ButtonFace and Highlight give a neutral stand-in

struct CalcHooks {
    // Ask one tile size: returns the typed answer, empty on Cancel.
    std::function<std::string(const std::string& prompt, const std::string& title)> askTile;
    // Rebuild the pixels of the derived levels; runs only while a picture is
    // loaded and its levels are generated.
    Regenerate regenerate;
};

struct CountResult {
    Count count;

    bool levelsTextWritten = true;  // the tile prompts leave the level box alone
    std::optional<Paint> levelsBox; // unchanged when empty

    float fillBarWidth = 0; // twips of the 4096-twip bar
    Paint fillBarPaint = Paint::Highlight;
    std::string percentCaption;
    std::string excedeCaption;
    Paint excedeBack = Paint::Green;
    Paint excedeFore = Paint::Black;

    std::string maskW, maskH, wrapW, wrapH;
    Paint maskWBack = Paint::ButtonFace, maskHBack = Paint::ButtonFace;
    Paint widthBack = Paint::Window, heightBack = Paint::Window;
    Paint detailWidthBack = Paint::Window;

    int sliderTileMax = 0;
    std::array<bool, kFormatCount> detailOptionsEnabled{};
    std::vector<std::string> messages; // message-box texts in the order shown
};

// The settings as numbers: sizes read from their boxes (previous sizes taken
// from tiles where a box is empty or unreadable), levels from the level box.
TextureSpec SpecFromSettings(const Settings& settings, const TileTable& tiles);

// The one recalculation. Fills state.tiles for the detail map, the base and
// the derived levels, and returns everything the window shows.
CountResult CalcTMEM(const Settings& settings, CoreState& state, bool askTileSizes = false,
                     const CalcHooks& hooks = {});

// The level-limit message, shown once per run.
extern const std::string kLevelLimitMessage;

} // namespace vellora
