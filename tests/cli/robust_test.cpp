// SPDX-License-Identifier: MIT
// The command line under faults: folders it cannot read, limits on open
// files and threads, standard output that fails, outputs that would replace
// an input, several inputs for convert, and names that are no text.
#include "clirun.h"
#include "namedrows.h"
#include "testfiles.h"

#include "cli/parallel.h"
#include "cli/report.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <stdexcept>

namespace {

namespace fs = std::filesystem;
using testfiles::MakeBmp;
using testfiles::TempDir;
using vellora::test::PrintTo;

std::vector<std::uint8_t> Small() {
    return MakeBmp(16, 16, 8, 40, [](int x, int y) { return static_cast<std::uint32_t>(x + y); });
}

struct Shell {
    int code = -1;
    std::string out, err;
};

// Runs the program through sh, so that limits and redirections apply to
// the whole process; {} in the script stands for the program.
Shell RunShell(const std::string& script, const TempDir& dir) {
    const std::string program = std::string("'") + VELLORA_CLI_PROGRAM + "'";
    std::string line;
    for (std::size_t from = 0;;) {
        const std::size_t at = script.find("{}", from);
        line.append(script, from, at == std::string::npos ? std::string::npos : at - from);
        if (at == std::string::npos)
            break;
        line.append(program);
        from = at + 2;
    }
    const std::string out = dir.file("sh.out"), err = dir.file("sh.err"), file = dir.file("run.sh");
    {
        std::ofstream text(file);
        text << "cd '" << dir.file("") << "' || exit 99\nexec >'" << out << "' 2>'" << err << "'\n"
             << line << "\n";
    }
    const int status = std::system(("sh '" + file + "'").c_str());
    Shell s;
    s.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    auto read = [](const std::string& p) {
        const std::vector<std::uint8_t> b = testfiles::ReadAll(p);
        return std::string(b.begin(), b.end());
    };
    s.out = read(out);
    s.err = read(err);
    return s;
}

TEST(Robust, AFolderThatCannotBeReadIsReportedAndTheWalkGoesOn) {
    TempDir dir;
    fs::create_directories(dir.file("tree/a"));
    fs::create_directories(dir.file("tree/locked"));
    fs::create_directories(dir.file("tree/z"));
    dir.write("tree/a/one.bmp", Small());
    dir.write("tree/locked/hidden.bmp", Small());
    dir.write("tree/z/two.bmp", Small());
    fs::permissions(dir.file("tree/locked"), fs::perms::none);
    // Root reads every folder: the check then runs as nobody, if it can.
    std::string prefix;
    if (::geteuid() == 0) {
        if (std::system("setpriv --reuid=65534 --regid=65534 --clear-groups true 2>/dev/null") != 0)
            GTEST_SKIP() << "running as root without setpriv: every folder is readable";
        prefix = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
        fs::permissions(dir.file(""), fs::perms::all); // for the JUnit report
        for (const char* p : {"tree", "tree/a", "tree/z"})
            fs::permissions(dir.file(p),
                            fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    }
    const Shell text = RunShell(prefix + "{} check tree --junit r.xml", dir);
    const Shell json = RunShell(prefix + "{} check tree --json", dir);
    fs::permissions(dir.file("tree/locked"), fs::perms::owner_all);
    if (text.err.find("Permission denied") != std::string::npos && text.out.empty() && text.code != 2)
        GTEST_SKIP() << "nobody cannot reach the test's folder: " << text.err;
    EXPECT_EQ(text.code, 2) << text.err << text.out;
    EXPECT_NE(text.out.find("tree/a/one.bmp  CI8"), std::string::npos) << text.out << text.err;
    EXPECT_NE(text.out.find("tree/z/two.bmp  CI8"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("tree/locked: cannot be read: the folder cannot be listed (Permission denied)"),
              std::string::npos)
        << text.out;
    EXPECT_NE(text.out.find("3 files: 2 fit, 0 do not fit, 1 unreadable"), std::string::npos) << text.out;
    const std::vector<std::uint8_t> junit = testfiles::ReadAll(dir.file("r.xml"));
    const std::string expected = "<testcase classname=\"textures\" name=\"tree/locked\">\n"
                                 "    <error message=\"the folder cannot be listed (Permission denied)\"/>";
    EXPECT_NE(std::string(junit.begin(), junit.end()).find(expected), std::string::npos);
    EXPECT_EQ(json.code, 2);
    EXPECT_NE(json.out.find(R"({"path":"tree/locked","error":)"), std::string::npos) << json.out;
}

// Each folder is closed before the walk goes deeper: a tree far deeper
// than the open-file limit is walked whole.
TEST(Robust, ADeepTreeNeedsFewOpenFiles) {
    TempDir dir;
    fs::path folder = "deep";
    int placed = 0;
    for (int depth = 0; depth < 200; ++depth) {
        folder /= "d";
        if (depth % 20 == 19) {
            fs::create_directories(dir.file(folder.string()));
            std::string name = std::to_string(depth);
            name += ".bmp";
            dir.write((folder / name).string(), Small());
            ++placed;
        }
    }
    const Shell s = RunShell("ulimit -n 16 && {} check --jobs 2 deep", dir);
    EXPECT_EQ(s.code, 0) << s.err;
    EXPECT_NE(s.out.find(std::to_string(placed) + " files: " + std::to_string(placed) + " fit"),
              std::string::npos)
        << s.out;
}

// Threads that cannot be started leave their share to the others.
TEST(Robust, ThreadsThatCannotStartReduceTheJobs) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer reserves far more address space than the limit leaves";
#endif
    TempDir dir;
    fs::create_directories(dir.file("many"));
    for (int i = 0; i < 24; ++i)
        dir.write("many/f" + std::to_string(i) + ".bmp", Small());
    const Shell s = RunShell("ulimit -v 100000 && {} check --jobs 64 many", dir);
    EXPECT_EQ(s.code, 0) << s.err;
    EXPECT_NE(s.out.find("24 files: 24 fit"), std::string::npos) << s.out;
}

struct OutputRow {
    const char* name;
    const char* redirect;
};

class FailedOutput : public ::testing::TestWithParam<OutputRow> {};

// A report that cannot be written is no success, whatever the run found.
TEST_P(FailedOutput, EndsWithOneLineAndExitTwo) {
    TempDir dir;
    dir.write("a.bmp", Small());
    // The program starts a moment late, so that a closing reader is gone by then.
    const Shell s = RunShell(std::string("(sleep 0.2; exec {} check a.bmp) ") + GetParam().redirect, dir);
    EXPECT_EQ(s.code, 2);
    EXPECT_EQ(s.err, "vellora-cli: cannot write to standard output\n");
}

INSTANTIATE_TEST_SUITE_P(Cli, FailedOutput,
                         ::testing::Values(OutputRow{"Closed", ">&-"}, OutputRow{"Full", ">/dev/full"}),
                         vellora::test::RowName());

TEST(Robust, ClosedPipeKeepsTheExitCode) {
    // The pipeline's status is the reader's: the program's own is read back from a file.
    TempDir dir;
    dir.write("a.bmp", Small());
    const Shell s = RunShell("(sleep 0.2; {} check a.bmp; echo $? >code) | (exec 0<&-; sleep 1)", dir);
    const std::vector<std::uint8_t> code = testfiles::ReadAll(dir.file("code"));
    EXPECT_EQ(std::string(code.begin(), code.end()), "2\n") << s.err;
}

struct ClashRow {
    const char* name;
    std::vector<std::string> args; // run in the test's folder, where a.bmp lies
    const char* says;
};

class OutputClash : public ::testing::TestWithParam<ClashRow> {};

TEST_P(OutputClash, IsRefusedBeforeAnythingIsWritten) {
    TempDir dir;
    dir.write("a.bmp", Small());
    fs::create_directories(dir.file("sub"));
    ASSERT_EQ(RunTool({"convert", dir.file("a.bmp"), "--out", dir.file("a.png")}).code, 0);
    auto listing = [&] {
        std::map<std::string, std::vector<std::uint8_t>> files;
        for (const auto& e : fs::recursive_directory_iterator(dir.file("")))
            files[e.path().string()] =
                e.is_regular_file() ? testfiles::ReadAll(e.path().string()) : std::vector<std::uint8_t>();
        return files;
    };
    const auto before = listing();
    const fs::path cwd = fs::current_path();
    fs::current_path(dir.file(""));
    const CliRun r = RunTool(GetParam().args);
    fs::current_path(cwd);
    ExpectOneLineRejection(r, {GetParam().says});
    EXPECT_EQ(listing(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Cli, OutputClash,
    ::testing::Values(
        ClashRow{"ConvertOverItsInput", {"convert", "a.png", "--out", "./sub/../a.png"}, "also read"},
        ClashRow{
            "ConvertManyOverAnInput", {"convert", "a.png", "--out-dir", ".", "--type", "png"}, "also read"},
        ClashRow{"MapOverTheBase", {"load", "a.bmp", "--map", "a.bmp"}, "also read"},
        ClashRow{"MapAndPreviewOnOnePath",
                 {"load", "a.bmp", "--map", "m.png", "--preview", "sub/../m.png"},
                 "written twice"},
        ClashRow{"TwoInputsOfOneName",
                 {"convert", "a.bmp", "sub/../a.bmp", "--out-dir", "out", "--type", "bin"},
                 "written twice"}),
    vellora::test::RowName());

TEST(Robust, DumpLevelsLeavesNoLevelsOfAnEarlierRun) {
    TempDir dir;
    const std::string base = dir.write("a.bmp", Small());
    ASSERT_EQ(RunTool({"load", base, "--dump-levels", dir.file("dump"), "--dump-format", "png"}).code, 0);
    ASSERT_TRUE(fs::exists(dir.file("dump/level-4.png")));
    dir.write("dump/keep.txt", {'k'});
    const CliRun r = RunTool({"load", base, "--levels", "1", "--dump-levels", dir.file("dump")});
    ASSERT_EQ(r.code, 0) << r.err;
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir.file("dump")))
        names.insert(e.path().filename().string());
    EXPECT_EQ(names, (std::set<std::string>{"keep.txt", "level-0.pam", "level-1.pam"}));
}

TEST(Robust, ConvertManyCountsEachFailureAndWritesTheRest) {
    TempDir dir;
    std::vector<std::string> args{"convert"};
    for (int i = 0; i < 5; ++i)
        args.push_back(dir.write("t" + std::to_string(i) + ".bmp", Small()));
    args.push_back(dir.write("broken.bmp", {'B', 'M', 1}));
    for (const char* a : {"--out-dir", "", "--type", "c", "--jobs", "3"})
        args.emplace_back(a);
    args[args.size() - 5] = dir.file("out");
    const CliRun r = RunTool(args);
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.out.find("6 files: 5 converted, 1 failed"), std::string::npos) << r.out;
    EXPECT_EQ(LineCount(r.err), 1) << r.err;
    EXPECT_NE(r.err.find("broken.bmp"), std::string::npos) << r.err;
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(fs::exists(dir.file("out/t" + std::to_string(i) + ".c"))) << i;
    // The reports come in the order of the inputs, whatever finished first.
    EXPECT_LT(r.out.find("t0.bmp"), r.out.find("t4.bmp"));
}

TEST(Robust, AWorkerThatThrowsIsOneFailedItem) {
    std::atomic<int> ran{0};
    std::vector<std::string> failures(50);
    const vellora::cli::ParallelRun run = vellora::cli::RunParallel(
        50, 4,
        [&](std::size_t i) {
            ++ran;
            if (i % 10 == 3)
                throw std::runtime_error("item " + std::to_string(i));
            return true;
        },
        [&](std::size_t i, const std::string& reason) { failures[i] = reason; });
    EXPECT_EQ(ran, 50);
    EXPECT_FALSE(run.stopped);
    for (std::size_t i = 0; i < failures.size(); ++i)
        EXPECT_EQ(failures[i], i % 10 == 3 ? "internal error: item " + std::to_string(i) : "") << i;
    // A task that asks to stop ends the run: nothing after it begins.
    std::atomic<int> begun{0};
    const auto stopped = vellora::cli::RunParallel(
        1000, 1, [&](std::size_t i) { return ++begun, i < 10; }, [](std::size_t, const std::string&) {});
    EXPECT_TRUE(stopped.stopped);
    EXPECT_EQ(begun, 11);
}

struct NameRow {
    const char* name;
    std::string raw;
    std::string utf8;     // as JSON and JUnit write it
    std::string terminal; // as a terminal shows it
};

class Names : public ::testing::TestWithParam<NameRow> {};

TEST_P(Names, AreWrittenSafely) {
    EXPECT_EQ(vellora::cli::Utf8OrReplaced(GetParam().raw), GetParam().utf8);
    EXPECT_EQ(vellora::cli::TerminalSafe(GetParam().raw), GetParam().terminal);
}

INSTANTIATE_TEST_SUITE_P(
    Cli, Names,
    ::testing::Values(NameRow{"Plain", "walls/brick.png", "walls/brick.png", "walls/brick.png"},
                      NameRow{"Accented", "b\xC3\xA9ton.png", "b\xC3\xA9ton.png", "b\xC3\xA9ton.png"},
                      NameRow{"Latin1Byte", "b\xE9ton.png", "b\xEF\xBF\xBDton.png", "b\\xE9ton.png"},
                      NameRow{"CutSequence", "a\xE2\x82", "a\xEF\xBF\xBD\xEF\xBF\xBD", "a\\xE2\\x82"},
                      NameRow{"Overlong", "\xC0\xAF", "\xEF\xBF\xBD\xEF\xBF\xBD", "\\xC0\\xAF"},
                      NameRow{"Surrogate", "\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD",
                              "\\xED\\xA0\\x80"},
                      NameRow{"Escape", "red\x1B[31m.png", "red\x1B[31m.png", "red\\x1B[31m.png"},
                      NameRow{"NewLine", "a\nb.png", "a\nb.png", "a\\x0Ab.png"},
                      NameRow{"C1Control",
                              "a\xC2\x9B"
                              "b",
                              "a\xC2\x9B"
                              "b",
                              "a\\xC2\\x9Bb"},
                      NameRow{"Backslash", "a\\b", "a\\b", "a\\x5Cb"},
                      NameRow{"FourBytes", "\xF0\x9F\x8E\xA8", "\xF0\x9F\x8E\xA8", "\xF0\x9F\x8E\xA8"}),
    vellora::test::RowName());

} // namespace
