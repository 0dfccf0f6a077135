// SPDX-License-Identifier: MIT
#pragma once

#include "core/count.h"
#include "core/formats.h"
#include "core/pictures.h"
#include "core/tilelevel.h"
#include "core/tmemmap.h"

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

// What a loaded picture writes into its size boxes: its size after each
// box's rule, and a message when the picture is larger than the boxes take
// (the window counts the smaller size and says so).
struct FileBoxes {
    std::string width;
    std::string height;
    std::optional<std::string> cutMessage;
};
FileBoxes BoxesFor(const TileLevel& picture, bool detail);

// Which of the six detail format options the window enables.
std::array<bool, kFormatCount> DetailOptionsEnabled(bool detailOn, bool baseIsCI);
extern const std::string kDetailToggleQuestion; // asked with Yes/No, title kWarningTitle
inline constexpr const char* kWarningTitle = "Warning!";

} // namespace vellora
