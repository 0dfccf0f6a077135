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

// What the program's streams are attached to.
struct CliTerminal {
    bool progress = false;    // err is a terminal, where a long check may show its progress
    bool colour = false;      // out is a terminal that takes colours: verdicts green or red
    bool outTerminal = false; // out is a terminal: control characters in file names are escaped
};

// Colours only on a terminal, and never while NO_COLOR is set to anything
// but the empty string.
bool UseColour(bool outIsTerminal, const char* noColor);

// Runs one command line (without the program name) and returns its exit
// code. Never throws: every failure ends as one line on err and kExitUsage.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           CliTerminal terminal = {});

} // namespace vellora
