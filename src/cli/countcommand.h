// SPDX-License-Identifier: MIT
#pragma once

#include "options.h"
#include "report.h"

#include "core/calc.h"

#include <ostream>
#include <string>
#include <vector>

namespace vellora::cli {

// Runs the recalculation the window would run once these settings are
// entered. With typed tile sizes it is the click of "Manually Define Mip-Map
// Tiles": a plain count first (which leaves the records above the typed
// levels empty), then the count that asks the sizes, answered from tiles.
// The messages of that plain first count are the window's earlier edits and
// are not reported. leading holds messages raised before the count.
CountReport RunCount(const Settings& settings, const std::vector<Size>& tiles, CoreState& state,
                     CalcHooks hooks, std::vector<std::string> leading = {});

// The settings of count and load share these options.
struct LevelOptions {
    LevelsChoice levels;
    std::vector<Size> tiles;
};
void ApplyLevels(const LevelsChoice& levels, Settings& settings);
// Rejects typed tiles that the level choice cannot take.
void CheckTiles(std::string_view option, std::size_t given, const LevelsChoice& levels, bool detailOn);

int CountCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

inline constexpr const char* kCountUsage =
    "vellora-cli count [--width N] [--height N] [--format F] [--levels L] [--detail WxH[:F]] [--tile WxH]... "
    "[--json]\n";

} // namespace vellora::cli
