// SPDX-License-Identifier: MIT
// vellora-cli check: exit codes, order under several jobs, paths.
#include "clirun.h"
#include "namedrows.h"
#include "testfiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace {

using testfiles::MakeBmp;
using testfiles::TempDir;
using vellora::test::PrintTo;

std::uint32_t Grey(int x, int y) {
    return static_cast<std::uint32_t>((x * 16 + y) & 0xFF) * 0x010101u;
}

// 16x16 at 8 bits fits; 128x64 at 24 bits (RGBA32) does not; a cut header cannot be read.
enum class Texture { Fits, TooLarge, Corrupt };

std::vector<std::uint8_t> Make(Texture t) {
    switch (t) {
    case Texture::Fits:
        return MakeBmp(16, 16, 8, 40, [](int x, int y) { return static_cast<std::uint32_t>(x + y); });
    case Texture::TooLarge:
        return MakeBmp(128, 64, 24, 40, Grey);
    case Texture::Corrupt:
        break;
    }
    return {'B', 'M', 0, 0};
}

std::string Name(const char* head, int number, const char* tail) {
    std::string name(head);
    name.append(std::to_string(number));
    name.append(tail);
    return name;
}

struct ExitRow {
    const char* name;
    std::vector<Texture> textures;
    int code;
};

class CheckExit : public ::testing::TestWithParam<ExitRow> {};

TEST_P(CheckExit, WorstFileDecides) {
    const ExitRow& row = GetParam();
    TempDir dir;
    for (std::size_t i = 0; i < row.textures.size(); ++i)
        dir.write(Name("t", static_cast<int>(i), ".bmp"), Make(row.textures[i]));
    const CliRun r = RunTool({"check", dir.file(""), "--jobs", "2"});
    EXPECT_EQ(r.code, row.code) << r.out << r.err;
    // Every file has its line, whatever happened to the others, then the summary.
    EXPECT_EQ(LineCount(r.out), static_cast<int>(row.textures.size()) + 1);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, CheckExit,
    ::testing::Values(ExitRow{"AllFit", {Texture::Fits, Texture::Fits}, 0},
                      ExitRow{"OneDoesNotFit", {Texture::Fits, Texture::TooLarge}, 1},
                      ExitRow{"OneUnreadable", {Texture::Corrupt, Texture::Fits}, 2},
                      ExitRow{"UnreadableWinsOverTooLarge", {Texture::TooLarge, Texture::Corrupt}, 2}),
    vellora::test::RowName());

// The lines stay in path order however many jobs share the work.
TEST(Check, OutputOrderDoesNotDependOnJobs) {
    TempDir dir;
    std::filesystem::create_directories(dir.file("b/sub"));
    for (int i = 0; i < 30; ++i) {
        const Texture t = i % 7 == 3 ? Texture::Corrupt : i % 3 == 0 ? Texture::TooLarge : Texture::Fits;
        dir.write((i % 2 == 0 ? "b/sub/" : "b/") + std::to_string(100 + i) + (i % 4 == 0 ? ".BMP" : ".bmp"),
                  Make(t));
    }
    dir.write("b/notes.txt", {'x'});
    auto withoutSummary = [](std::string text) {
        text.erase(text.rfind('\n', text.size() - 2) + 1);
        return text;
    };
    const CliRun one = RunTool({"check", dir.file("b"), "--jobs", "1"});
    const std::string expected = withoutSummary(one.out);
    EXPECT_EQ(LineCount(expected), 30);
    std::vector<std::string> paths;
    std::istringstream lines(expected);
    for (std::string line; std::getline(lines, line);)
        paths.push_back(line.substr(0, line.find(line.find(": cannot") != std::string::npos ? ": " : "  ")));
    EXPECT_TRUE(std::is_sorted(paths.begin(), paths.end()));
    for (const char* jobs : {"2", "3", "8"}) {
        const CliRun many = RunTool({"check", dir.file("b"), "--jobs", jobs});
        EXPECT_EQ(withoutSummary(many.out), expected) << jobs;
        EXPECT_EQ(many.code, 2);
    }
    // A file given twice, directly and inside its folder, is checked once.
    const CliRun twice = RunTool({"check", dir.file("b/sub/100.BMP"), dir.file("b/sub")});
    EXPECT_EQ(LineCount(twice.out), 15 + 1);
}

TEST(Check, QuietKeepsOnlyProblemsAndTheSummary) {
    TempDir dir;
    dir.write("a.bmp", Make(Texture::Fits));
    dir.write("b.bmp", Make(Texture::TooLarge));
    const CliRun r = RunTool({"check", dir.file(""), "--quiet"});
    EXPECT_EQ(LineCount(r.out), 2);
    EXPECT_NE(r.out.find("b.bmp  RGBA32  128x64"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("does not fit"), std::string::npos);
    EXPECT_NE(r.out.find("try: "), std::string::npos);
    EXPECT_NE(r.out.find("2 files: 1 fit, 1 do not fit, 0 unreadable"), std::string::npos);
}

// A file name that is not UTF-8 still gets its JSON object.
TEST(Check, JsonTakesAnyFileName) {
    TempDir dir;
    dir.write(std::string("bad\xff name.bmp"), Make(Texture::Fits));
    dir.write("broken.bmp", Make(Texture::Corrupt));
    const CliRun r = RunTool({"check", dir.file(""), "--json"});
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(LineCount(r.out), 4); // "[", two objects, "]"
    EXPECT_NE(r.out.find("\"error\":"), std::string::npos);
    EXPECT_NE(r.out.find("\"suggestions\":[]"), std::string::npos);
}

// 30 x 34 at 32 bits counts 4080 bytes, but its padded half-rows need
// 2176 bytes of a 2048-byte half: only the hardware refuses it, and says why.
TEST(Check, HardwareReasonIsNamed) {
    TempDir dir;
    dir.write("wide.bmp", MakeBmp(30, 34, 24, 40, Grey));
    for (const char* json : {"", "--json"}) {
        std::vector<std::string> args = {"check", dir.file(""), "--levels", "0"};
        if (*json)
            args.push_back(json);
        const CliRun r = RunTool(args);
        EXPECT_EQ(r.code, 1) << r.err;
        EXPECT_NE(r.out.find("2176 bytes of the 2048-byte lower half"), std::string::npos) << r.out;
    }
    const CliRun calculatorOnly = RunTool({"check", dir.file(""), "--levels", "0", "--rules", "calculator"});
    EXPECT_EQ(calculatorOnly.code, 0);
}

struct RejectRow {
    const char* name;
    std::vector<std::string> args;
    const char* says;
};

class CheckRejects : public ::testing::TestWithParam<RejectRow> {};

TEST_P(CheckRejects, OneLineExitTwo) {
    const RejectRow& row = GetParam();
    const CliRun r = RunTool(row.args);
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(LineCount(r.err), 1) << r.err;
    EXPECT_NE(r.err.find(row.says), std::string::npos) << r.err;
}

INSTANTIATE_TEST_SUITE_P(
    Usage, CheckRejects,
    ::testing::Values(
        RejectRow{"JobsZero", {"check", ".", "--jobs", "0"}, "--jobs: bad value \"0\""},
        RejectRow{"JobsNegative", {"check", ".", "--jobs", "-3"}, "--jobs: bad value \"-3\""},
        RejectRow{"JobsText", {"check", ".", "--jobs", "many"}, "--jobs: bad value \"many\""},
        RejectRow{"MissingPath", {"check", "/no/such/folder"}, "/no/such/folder: no such file"},
        RejectRow{"NoPath", {"check"}, "missing PATH"},
        RejectRow{"BadRules", {"check", ".", "--rules", "any"}, "--rules"},
        RejectRow{"JunitInMissingFolder", {"check", ".", "--junit", "/no/such/r.xml"}, "does not exist"}),
    vellora::test::RowName());

} // namespace
