// SPDX-License-Identifier: MIT
#pragma once

#include "cli.h"
#include "hardwareoptions.h"
#include "options.h"
#include "report.h"

#include "core/count.h"

#include <ostream>
#include <string>
#include <vector>

namespace vellora::cli {

// Counts the texture as the window would once these settings are entered.
// With typed tile sizes it is the click of "Manually Define Mip-Map Tiles":
// a plain count first (which clears the records above the counted levels;
// its messages were the window's earlier edits and are not reported), then
// the count with the typed sizes. leading holds messages raised before.
CountReport RunCount(TextureSpec spec, const std::vector<Size>& typed, TileTable& tiles,
                     const Regenerate& regenerate, std::vector<std::string> leading = {},
                     CountDetail detail = CountDetail::Full);

void ApplyLevels(const LevelsChoice& levels, TextureSpec& spec);
// Rejects typed tiles that the level choice cannot take.
void CheckTiles(std::string_view option, std::size_t given, const LevelsChoice& levels, bool detailOn);

// Writes the report (with the hardware layout when asked) or only the code
// --emit asks for; returns the exit code by the chosen rules.
int FinishReport(CountReport& rep, const HardwareChoice& hardware, Kind baseKind, Kind detailKind, bool json,
                 const TextStyle& style, std::ostream& out, std::ostream& err);

int CountCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                 const CliTerminal& terminal);

inline constexpr const char* kCountUsage =
    "vellora-cli count [--width N] [--height N] [--format F] [--levels L] [--detail WxH[:F]] [--tile WxH]... "
    "[--json] [--map-text] [--hardware] [--wrap S,T] [--shift S] [--emit gbi|words [--image-base ADDR]] "
    "[--rules calculator|hardware|both]\n";

} // namespace vellora::cli
