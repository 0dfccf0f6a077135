// SPDX-License-Identifier: MIT
#include "cli/cli.h"

#include <unistd.h>

#include <csignal>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
#ifdef SIGXFSZ
    // A write past the file-size limit then fails like a full disk, and the
    // half-written output is cleaned up instead of the process being killed.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    // The progress line is for a person watching, never for a pipe or a log.
    return vellora::RunCli(args, std::cout, std::cerr, isatty(STDERR_FILENO) == 1);
}
