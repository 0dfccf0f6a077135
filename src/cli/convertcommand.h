// SPDX-License-Identifier: MIT
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace vellora::cli {

// Reduces a picture's texture to its kind and writes it as the game loads
// it; several pictures go side by side into one folder.
int ConvertCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

inline constexpr const char* kConvertUsage =
    "vellora-cli convert IN... [--format K] [--levels L] [--filter 3x3|2x2] [--dither] [--whole-chain] "
    "(--out FILE.bin|.c|.h|.png | --out-dir DIR --type bin|c|h|png [--jobs N])\n";

} // namespace vellora::cli
