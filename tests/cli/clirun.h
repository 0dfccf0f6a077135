// SPDX-License-Identifier: MIT
#pragma once

#include "cli/cli.h"

#include <sstream>
#include <string>
#include <vector>

struct CliRun {
    int code = -1;
    std::string out;
    std::string err;
};

inline CliRun RunTool(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    CliRun r;
    r.code = vellora::RunCli(args, out, err);
    r.out = out.str();
    r.err = err.str();
    return r;
}

inline int LineCount(const std::string& text) {
    int n = 0;
    for (char c : text)
        n += c == '\n';
    return n;
}
