// SPDX-License-Identifier: MIT
#pragma once

#include "cli.h"

#include <ostream>
#include <string>
#include <vector>

namespace vellora::cli {

// Checks every texture under the given paths; progress goes to err while it
// is a terminal (showProgress).
int CheckCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                 const CliTerminal& terminal);

inline constexpr const char* kCheckUsage =
    "vellora-cli check [--levels L] [--filter 3x3|2x2] [--detail FILE | --detail WxH[:F]] [--wrap S,T] "
    "[--palette N] "
    "[--rules calculator|hardware|both] [--verify] [--jobs N] [--json] [--junit FILE] [--quiet] PATH...\n";
// How --detail tells a size from a file, whatever is on disk.
inline constexpr const char* kDetailRule =
    "check --detail: WxH[:F] is a size, anything else a file (a file named like a size is ./16x16).\n";

} // namespace vellora::cli
