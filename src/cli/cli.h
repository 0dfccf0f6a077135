// SPDX-License-Identifier: MIT
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace vellora {

// Exit codes of vellora-cli.
inline constexpr int kExitFits = 0;
inline constexpr int kExitExceeds = 1;
inline constexpr int kExitUsage = 2;

// Runs one command line (without the program name) and returns its exit
// code. Never throws: every failure ends as one line on err and kExitUsage.
// showProgress: err is a terminal, where a long check may show its progress.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           bool showProgress = false);

} // namespace vellora
