// SPDX-License-Identifier: MIT
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace vellora::cli {

// Plans a picture too large for TMEM as pieces that each fit, proves every
// piece on the RDP model and reports them, or prints their display list.
int PiecesCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

inline constexpr const char* kPiecesUsage =
    "vellora-cli pieces FILE [--format K] [--overlap 0|1] [--json | --emit gbi|words [--image-base ADDR] "
    "[--name NAME]]\n";

} // namespace vellora::cli
