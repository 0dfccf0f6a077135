// SPDX-License-Identifier: MIT
#include "cli/cli.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    return vellora::RunCli(args, std::cout, std::cerr);
}
