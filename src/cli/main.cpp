// SPDX-License-Identifier: MIT
#include "cli/cli.h"

#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
#ifdef SIGXFSZ
    // A write past the file-size limit then fails like a full disk, and the
    // half-written output is cleaned up instead of the process being killed.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    // A reader that went away (a closed pipe) makes the write fail, which
    // ends the run with a line and exit 2, instead of a silent kill.
    std::signal(SIGPIPE, SIG_IGN);
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    // The progress line and the colours are for a person watching, never for a pipe or a log.
    vellora::CliTerminal terminal;
    terminal.progress = isatty(STDERR_FILENO) == 1;
    terminal.outTerminal = isatty(STDOUT_FILENO) == 1;
    terminal.colour = vellora::UseColour(terminal.outTerminal, std::getenv("NO_COLOR"));
    return vellora::RunCli(args, std::cout, std::cerr, terminal);
}
