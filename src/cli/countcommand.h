// SPDX-License-Identifier: MIT
#pragma once

#include "cli.h"
#include "hardwareoptions.h"
#include "options.h"
#include "report.h"

#include "core/count.h"
#include "document/analysis.h"

#include <ostream>
#include <string>
#include <vector>

namespace vellora::cli {

void ApplyLevels(const LevelsChoice& levels, TextureSpec& spec);
// Rejects typed tiles that the level choice cannot take.
void CheckTiles(std::string_view option, std::size_t given, const LevelsChoice& levels, bool detailOn);

// Writes the analysis's report (with the hardware layout when asked) or only
// the code --emit asks for; returns the exit code by the chosen rules. The
// analysis holds the layout whenever the hardware choice needs one.
int FinishReport(const doc::Analysis& analysis, std::optional<BitmapFacts> bitmap,
                 const HardwareChoice& hardware, bool json, const TextStyle& style, std::ostream& out,
                 std::ostream& err);

int CountCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                 const CliTerminal& terminal);

inline constexpr const char* kCountUsage =
    "vellora-cli count [--width N] [--height N] [--format F] [--levels L] [--detail WxH[:F]] [--tile WxH]... "
    "[--json] [--map-text] [--hardware] [--wrap S,T] [--shift S] [--palette N] [--emit gbi|words "
    "[--image-base ADDR]] "
    "[--rules calculator|hardware|both]\n";

} // namespace vellora::cli
