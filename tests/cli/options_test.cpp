// SPDX-License-Identifier: MIT
// Option forms: --name value and --name=value mean the same, -- ends the
// options, and check --detail tells a size from a file by its form alone.
#include "clirun.h"
#include "namedrows.h"
#include "testfiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

namespace {

using testfiles::MakeBmp;
using testfiles::ReadAll;
using testfiles::TempDir;
using vellora::test::PrintTo;

// One option of one command, given with a value; @ in the arguments stands
// for the test's folder, where a 32 x 16 picture lies as in.bmp.
struct FormRow {
    const char* name;
    std::vector<std::string> before; // the command and what comes before the option
    const char* option;
    const char* value;
    const char* output; // a file the run writes (under @), compared too; "" for none
};

class OptionForms : public ::testing::TestWithParam<FormRow> {};

// The run's own time, in the summary line and the JUnit report, differs
// from run to run; it is taken out before runs are compared.
std::string Untimed(const std::string& text) {
    static const std::regex kTimes(R"(time="[0-9.]+"|[0-9]+\.[0-9]+ s\n)");
    return std::regex_replace(text, kTimes, "T");
}

std::string At(const TempDir& dir, const std::string& text) {
    return text.rfind('@', 0) == 0 ? dir.file(text.substr(1)) : text;
}

TEST_P(OptionForms, SpaceAndEqualsGiveTheSameRun) {
    const FormRow& row = GetParam();
    TempDir dir;
    dir.write("in.bmp",
              MakeBmp(32, 16, 8, 40, [](int x, int y) { return static_cast<std::uint32_t>(x ^ y); }));
    auto run = [&](bool equals) {
        std::vector<std::string> args;
        for (const std::string& a : row.before)
            args.push_back(At(dir, a));
        const std::string value = At(dir, row.value);
        if (equals) {
            args.push_back(std::string(row.option) + "=" + value);
        } else {
            args.push_back(row.option);
            args.push_back(value);
        }
        CliRun r = RunTool(args);
        r.out = Untimed(r.out);
        std::string written;
        if (*row.output) {
            const std::vector<std::uint8_t> bytes = ReadAll(At(dir, row.output));
            written = Untimed(std::string(bytes.begin(), bytes.end()));
            std::filesystem::remove(At(dir, row.output));
        }
        return std::pair{r, written};
    };
    const auto [spaced, spacedFile] = run(false);
    const auto [joined, joinedFile] = run(true);
    EXPECT_EQ(joined.code, spaced.code);
    EXPECT_EQ(joined.out, spaced.out);
    EXPECT_EQ(joined.err, spaced.err);
    EXPECT_EQ(joinedFile, spacedFile);
    if (*row.output) {
        EXPECT_FALSE(spacedFile.empty()) << "nothing written to " << row.output;
    }
    // The option was taken, not ignored: without it the run differs.
    std::vector<std::string> without;
    for (const std::string& a : row.before)
        without.push_back(At(dir, a));
    const CliRun plain = RunTool(without);
    EXPECT_TRUE(Untimed(plain.out) != spaced.out || plain.code != spaced.code || !spacedFile.empty())
        << row.option << " changed nothing";
}

INSTANTIATE_TEST_SUITE_P(
    Cli, OptionForms,
    ::testing::Values(
        FormRow{"CountWidth", {"count", "--height", "256", "--format", "32"}, "--width", "1024", ""},
        FormRow{"CountFormat", {"count", "--width", "64"}, "--format", "ci4", ""},
        FormRow{"CountLevels", {"count", "--width", "64"}, "--levels", "auto-w64", ""},
        FormRow{"CountDetail", {"count", "--width", "64"}, "--detail", "16x16:ci8", ""},
        FormRow{"CountTile", {"count", "--width", "64", "--levels", "1"}, "--tile", "16x8", ""},
        FormRow{"CountImageBase", {"count", "--width", "64", "--emit", "words"}, "--image-base", "0x100", ""},
        FormRow{"CountWrap", {"count", "--width", "64", "--hardware"}, "--wrap", "mirror,clamp", ""},
        FormRow{"CountEmit", {"count", "--width", "64"}, "--emit", "words", ""},
        FormRow{"CountShift", {"count", "--detail", "16x16", "--hardware"}, "--shift", "3", ""},
        FormRow{"CheckLevels", {"check", "@in.bmp"}, "--levels", "0", ""},
        FormRow{"CheckDetail", {"check", "@in.bmp"}, "--detail", "64x32:32", ""},
        FormRow{"CheckJunit", {"check", "@in.bmp"}, "--junit", "@r.xml", "@r.xml"},
        FormRow{"LoadFormat", {"load", "@in.bmp"}, "--format", "rgba16", ""},
        FormRow{"LoadMap", {"load", "@in.bmp"}, "--map", "@m.png", "@m.png"},
        FormRow{"ConvertFormat", {"convert", "@in.bmp", "--out", "@t.bin"}, "--format", "ia8", "@t.bin"},
        FormRow{"ConvertOut", {"convert", "@in.bmp", "--format", "i4"}, "--out", "@u.bin", "@u.bin"}),
    vellora::test::RowName());

TEST(OptionForms, DoubleDashEndsTheOptions) {
    TempDir dir;
    const std::string dashed = dir.write("-dash.bmp", MakeBmp(16, 16, 8, 40, [](int x, int) { return x; }));
    const std::filesystem::path cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.file(""));
    const CliRun checked = RunTool({"check", "--jobs=1", "--", "-dash.bmp"});
    const CliRun unknown = RunTool({"check", "-dash.bmp"});
    const CliRun converted = RunTool({"convert", "--out", "o.bin", "--", "-dash.bmp"});
    // An option after -- is a file name too: with the one input taken, a second is refused.
    const CliRun extra = RunTool({"load", "--", "-dash.bmp", "--json"});
    std::filesystem::current_path(cwd);
    EXPECT_EQ(checked.code, 0) << checked.err;
    EXPECT_NE(checked.out.find("-dash.bmp  CI8"), std::string::npos) << checked.out;
    ExpectOneLineRejection(unknown, {"unknown option", "-dash.bmp"});
    EXPECT_EQ(converted.code, 0) << converted.err;
    EXPECT_TRUE(std::filesystem::exists(dir.file("o.bin")));
    ExpectOneLineRejection(extra, {"\"--json\""});
}

// check --detail WxH is a size even where a file of that name exists; a
// path is a file.
TEST(OptionForms, DetailSizeIsNeverReadAsAFile) {
    TempDir dir;
    const std::string base = dir.write("in.bmp", MakeBmp(32, 32, 8, 40, [](int x, int) { return x; }));
    dir.write("16x16", MakeBmp(256, 256, 8, 40, [](int x, int) { return x; }));
    const std::filesystem::path cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.file(""));
    const CliRun size = RunTool({"check", "--json", "--detail", "16x16", base});
    const CliRun file = RunTool({"check", "--json", "--detail", "./16x16", base});
    const CliRun bad = RunTool({"check", "--detail", "16x999", base});
    std::filesystem::current_path(cwd);
    EXPECT_NE(size.out.find("\"width\":16"), std::string::npos) << size.out.substr(0, 400);
    EXPECT_NE(file.out.find("\"width\":256"), std::string::npos) << file.out.substr(0, 400);
    ExpectOneLineRejection(bad, {"--detail", "16x999"});
}

} // namespace
