// SPDX-License-Identifier: MIT
#pragma once

#include "cli/cli.h"

#include <gtest/gtest.h>

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

// A rejected option: exit 2, nothing on stdout, one line on stderr that
// names everything in mentions (option, value, allowed range).
inline void ExpectOneLineRejection(const CliRun& r, const std::vector<std::string>& mentions) {
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(LineCount(r.err), 1) << r.err;
    for (const std::string& m : mentions)
        EXPECT_NE(r.err.find(m), std::string::npos) << "missing \"" << m << "\" in " << r.err;
}
