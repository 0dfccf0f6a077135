// SPDX-License-Identifier: MIT
// Output files are written all or nothing.
#include "document/outputfiles.h"

#include "namedrows.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

namespace vellora {
namespace {

namespace fs = std::filesystem;
using test::PrintTo;

fs::path FreshDir(const std::string& name) {
    fs::path dir = fs::path(::testing::TempDir());
    dir /= "vellora-out";
    dir /= name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

// Every path below dir with its contents, to compare before and after.
std::set<std::string> Snapshot(const fs::path& dir) {
    std::set<std::string> entries;
    for (const auto& e : fs::recursive_directory_iterator(dir)) {
        std::string item = e.path().lexically_relative(dir).string();
        if (e.is_regular_file()) {
            std::ifstream in(e.path(), std::ios::binary);
            item.push_back('=');
            item.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
        entries.insert(item);
    }
    return entries;
}

void Put(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::vector<std::uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

struct RefusalRow {
    const char* name;
    const char* folder; // addFolder, when set
    const char* file;   // relative to the test's folder
    const char* text;   // its contents
    const char* says;
};

class OutputRefusal : public ::testing::TestWithParam<RefusalRow> {};

TEST_P(OutputRefusal, NamesThePathAndChangesNothing) {
    const RefusalRow& row = GetParam();
    const fs::path dir = FreshDir(row.name);
    Put(dir / "old.png", "old");
    fs::create_directory(dir / "sub");
    const auto before = Snapshot(dir);

    OutputFiles out;
    out.add((dir / "first.png").string(), Bytes("first"));
    if (*row.folder)
        out.addFolder((dir / row.folder).string());
    out.add((dir / row.file).string(), Bytes(row.text));
    const auto problem = out.write();
    ASSERT_TRUE(problem.has_value());
    EXPECT_NE(problem->find(row.says), std::string::npos) << *problem;
    EXPECT_EQ(Snapshot(dir), before);
}

INSTANTIATE_TEST_SUITE_P(
    Checks, OutputRefusal,
    ::testing::Values(RefusalRow{"MissingFolder", "", "missing/m.png", "m", "does not exist"},
                      RefusalRow{"TargetIsAFolder", "", "sub", "m", "not a regular file"},
                      RefusalRow{"FolderIsAFile", "old.png", "old.png/level-0.png", "m", "not a folder"},
                      RefusalRow{"NothingToWrite", "", "empty.png", "", "nothing to write"}),
    test::RowName());

TEST(OutputFiles, WritesEveryFileAndItsFoldersLeavingNoTemporaries) {
    const fs::path dir = FreshDir("ok");
    Put(dir / "b.bin", "old contents");
    OutputFiles out;
    out.addFolder((dir / "made/deeper").string());
    out.add((dir / "made/deeper/level-0.png").string(), Bytes("level"));
    out.add((dir / "b.bin").string(), Bytes("new"));
    ASSERT_FALSE(out.write().has_value());
    EXPECT_EQ(Snapshot(dir),
              (std::set<std::string>{"b.bin=new", "made", "made/deeper", "made/deeper/level-0.png=level"}));
}

// A write cut short by the file-size limit (as by a full disk) keeps the
// earlier good file and removes everything the attempt made.
TEST(OutputFiles, AWriteCutShortLeavesTheFolderAsItWas) {
    const fs::path dir = FreshDir("cut");
    Put(dir / "b.bin", "old contents");
    const auto before = Snapshot(dir);

    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 4096;
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);

    OutputFiles out;
    out.add((dir / "a.bin").string(), Bytes("small"));
    out.addFolder((dir / "made").string());
    out.add((dir / "made/c.bin").string(), Bytes("c"));
    out.add((dir / "b.bin").string(), std::vector<std::uint8_t>(8192, 7));
    const auto problem = out.write();

    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    ASSERT_TRUE(problem.has_value());
    EXPECT_NE(problem->find("b.bin: cannot write the file"), std::string::npos) << *problem;
    EXPECT_EQ(Snapshot(dir), before);
}

// A texture and its palette change together: when the palette cannot be
// put in place, the texture already replaced goes back to what it was.
TEST(OutputFiles, ASecondReplaceThatFailsTakesTheFirstBack) {
    const fs::path dir = FreshDir("pair");
    Put(dir / "x.bin", "old texels");
    Put(dir / "x.pal.bin", "old palette");
    const auto before = Snapshot(dir);

    OutputFiles out;
    out.add((dir / "x.bin").string(), Bytes("new texels"));
    out.add((dir / "x.pal.bin").string(), Bytes("new palette"));
    out.add((dir / "fresh.bin").string(), Bytes("fresh"));
    int calls = 0;
    out.setReplace([&](const std::string& from, const std::string& to, std::error_code& ec) {
        if (++calls == 2)
            ec = std::make_error_code(std::errc::io_error);
        else
            fs::rename(from, to, ec);
    });
    const auto problem = out.write();
    ASSERT_TRUE(problem.has_value());
    EXPECT_NE(problem->find("x.pal.bin: cannot put the file in place"), std::string::npos) << *problem;
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(Snapshot(dir), before);
}

TEST(OutputFiles, RefusesAnInputAndATargetNamedTwice) {
    const fs::path dir = FreshDir("clash");
    Put(dir / "in.png", "picture");
    fs::create_hard_link(dir / "in.png", dir / "link.png");
    const auto before = Snapshot(dir);
    struct Case {
        const char* target;
        const char* second; // another target, or ""
        const char* says;
    };
    for (const Case& c : {Case{"in.png", "", "also read"}, Case{"sub/../link.png", "", "also read"},
                          Case{"a.png", "./a.png", "written twice"}}) {
        fs::create_directories(dir / "sub");
        OutputFiles out;
        out.addInput((dir / "in.png").string());
        out.add((dir / c.target).string(), Bytes("new"));
        if (*c.second)
            out.add((dir / c.second).string(), Bytes("other"));
        const auto problem = out.write();
        ASSERT_TRUE(problem.has_value()) << c.target;
        EXPECT_NE(problem->find(c.says), std::string::npos) << *problem;
        fs::remove(dir / "sub");
        EXPECT_EQ(Snapshot(dir), before) << c.target;
    }
}

// The temporary name is short, so any name the system takes can be written.
TEST(OutputFiles, TheLongestNameTheSystemTakesIsWritten) {
    const fs::path dir = FreshDir("long");
    const std::string name = std::string(251, 'n') + ".bin"; // 255 bytes
    Put(dir / "stale.pam", "earlier");
    OutputFiles out;
    out.add((dir / name).string(), Bytes("texels"));
    out.addStale((dir / "stale.pam").string());
    out.addStale((dir / "never-there.pam").string());
    ASSERT_FALSE(out.write().has_value());
    EXPECT_EQ(Snapshot(dir), (std::set<std::string>{name + "=texels"}));
}

} // namespace
} // namespace vellora
