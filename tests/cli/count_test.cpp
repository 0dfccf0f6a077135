// SPDX-License-Identifier: MIT
#include "clirun.h"

#include "core/version.h"
#include "jsonkeys.h"

#include "namedrows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using vellora::test::PrintTo;

using Args = std::vector<std::string>;

Args Count(Args rest) {
    rest.insert(rest.begin(), "count");
    rest.push_back("--json");
    return rest;
}

nlohmann::ordered_json CountJson(const Args& rest, int expectedCode) {
    CliRun r = RunTool(Count(rest));
    EXPECT_EQ(r.code, expectedCode) << r.err;
    EXPECT_EQ(r.err, "");
    return nlohmann::ordered_json::parse(r.out);
}

struct CountCase {
    const char* name;
    Args args;
    int code;
    long total, excess, percent, maxIndex, limit;
    const char* levelBox;
    std::vector<std::string> messages;
};

class CountJsonSummary : public ::testing::TestWithParam<CountCase> {};

TEST_P(CountJsonSummary, FieldsAndExitCode) {
    const CountCase& c = GetParam();
    const nlohmann::ordered_json j = CountJson(c.args, c.code);
    EXPECT_EQ(j.at("tmem_limit").get<long>(), c.limit);
    EXPECT_EQ(j.at("total_bytes").get<long>(), c.total);
    EXPECT_EQ(j.at("excess_bytes").get<long>(), c.excess);
    EXPECT_EQ(j.at("percent").get<long>(), c.percent);
    EXPECT_EQ(j.at("max_index").get<long>(), c.maxIndex);
    EXPECT_EQ(j.at("fits").get<bool>(), c.code == 0);
    EXPECT_EQ(j.at("level_box").get<std::string>(), c.levelBox);
    std::vector<std::string> messages;
    for (const auto& m : j.at("messages"))
        messages.push_back(m.get<std::string>());
    EXPECT_EQ(messages, c.messages);
    // The levels run from 0 to max_index, each at the sum of the bytes before it.
    const auto& levels = j.at("levels");
    ASSERT_EQ(static_cast<long>(levels.size()), c.maxIndex + 1);
    long address = 0;
    for (std::size_t i = 0; i < levels.size(); ++i) {
        EXPECT_EQ(levels[i].at("index").get<long>(), static_cast<long>(i));
        EXPECT_EQ(levels[i].at("tmem_address").get<long>(), address);
        EXPECT_EQ(levels[i].at("bytes").get<long>(), levels[i].at("bit_depth").get<long>() *
                                                         levels[i].at("line_width").get<long>() *
                                                         levels[i].at("height").get<long>() / 8);
        address += levels[i].at("bytes").get<long>();
    }
    EXPECT_EQ(address, c.total);
}

const std::string kLimit = "Cannot make any more levels\r\nSetting to maximum allowable by Texture size";

INSTANTIATE_TEST_SUITE_P(
    Cli, CountJsonSummary,
    ::testing::Values(
        CountCase{"Defaults", {}, 0, 2808, 0, 68, 6, 4096, "normal", {}},
        CountCase{"Manual5", {"--levels", "5"}, 0, 2800, 0, 68, 5, 4096, "normal", {}},
        CountCase{
            "EightBitManual5", {"--format", "8", "--levels", "5"}, 1, 5488, 1392, 133, 5, 4096, "normal", {}},
        CountCase{"WidthRule", {"--levels", "auto-w64"}, 0, 2688, 0, 65, 2, 4096, "normal", {}},
        CountCase{"Width47", {"--width", "47", "--levels", "0"}, 0, 1536, 0, 37, 0, 4096, "normal", {}},
        CountCase{
            "ExactlyAtLimit", {"--format", "i8", "--levels", "0"}, 0, 4096, 0, 100, 0, 4096, "normal", {}},
        CountCase{"StartupLike", {"--detail", "16x16"}, 0, 2936, 0, 71, 7, 4096, "normal", {}},
        CountCase{"CIExceeds", {"--format", "ci4"}, 1, 2808, 760, 137, 6, 2048, "normal", {}},
        CountCase{"LevelCutBack", {"--levels", "7"}, 0, 2808, 0, 68, 6, 4096, "yellow", {kLimit}},
        CountCase{
            "DetailOnManual0", {"--detail", "16x16", "--levels", "0"}, 0, 2176, 0, 53, 1, 4096, "normal", {}},
        CountCase{"MixedDetail",
                  {"--format", "ci8", "--detail", "16x16", "--levels", "1"},
                  1,
                  128 + 4096,
                  128 + 4096 - 2048,
                  206,
                  1,
                  2048,
                  "normal",
                  {"Cannot mix CI and NON CI Detail Maps"}},
        CountCase{
            "SharedTlutAndCutBack",
            {"--format", "ci8", "--detail", "8x8:ci4", "--width", "8", "--height", "8", "--levels", "7"},
            0,
            64 + 64 + 32 + 16 + 8,
            0,
            8,
            4,
            2048,
            "yellow",
            {"Detail Map MUST share the same TLUT as the base texture!", kLimit}},
        CountCase{"TypedTile", {"--levels", "1", "--tile", "16x16"}, 0, 2176, 0, 53, 1, 4096, "normal", {}},
        CountCase{"TypedTilesNotCutBack",
                  {"--width", "4",      "--height", "4",      "--levels", "7",      "--tile",
                   "512x2",   "--tile", "16x1",     "--tile", "1x1",      "--tile", "1x1",
                   "--tile",  "1x1",    "--tile",   "1x1",    "--tile",   "1x1"},
                  0,
                  32 + 512 + 8 + 8 * 5,
                  0,
                  14,
                  7,
                  4096,
                  "normal",
                  {}},
        CountCase{"TypedTilesWithDetail",
                  {"--detail", "16x16", "--levels", "2", "--tile", "8x8"},
                  0,
                  128 + 2048 + 64,
                  0,
                  54,
                  2,
                  4096,
                  "normal",
                  {}}),
    vellora::test::RowName());

TEST(CountJson, EveryFieldOfTheStartupLikeCount) {
    const nlohmann::ordered_json j = CountJson({"--detail", "17x16"}, 0);
    const std::vector<std::string> expectedKeys = {"tmem_limit",
                                                   "total_bytes",
                                                   "excess_bytes",
                                                   "percent",
                                                   "max_index",
                                                   "fits",
                                                   "levels",
                                                   "mask",
                                                   "wrap",
                                                   "base_width_aligned",
                                                   "detail_width_aligned",
                                                   "level_box",
                                                   "messages",
                                                   "tmem_map"};
    EXPECT_EQ(vellora::test::Keys(j), expectedKeys);
    EXPECT_EQ(j.at("total_bytes").get<long>(), 256 + 2808);

    struct Level {
        const char* role;
        long width, lineWidth, height, bytes;
    };
    const Level expected[] = {{"detail", 17, 32, 16, 256}, {"base", 64, 64, 64, 2048},
                              {"mip", 32, 32, 32, 512},    {"mip", 16, 16, 16, 128},
                              {"mip", 8, 16, 8, 64},       {"mip", 4, 16, 4, 32},
                              {"mip", 2, 16, 2, 16},       {"mip", 1, 16, 1, 8}};
    const auto& levels = j.at("levels");
    ASSERT_EQ(levels.size(), std::size(expected));
    for (std::size_t i = 0; i < levels.size(); ++i) {
        SCOPED_TRACE(i);
        const std::vector<std::string> keys = {"index",  "role",      "width", "line_width",
                                               "height", "bit_depth", "bytes", "tmem_address"};
        EXPECT_EQ(vellora::test::Keys(levels[i]), keys);
        EXPECT_EQ(levels[i].at("role").get<std::string>(), expected[i].role);
        EXPECT_EQ(levels[i].at("width").get<long>(), expected[i].width);
        EXPECT_EQ(levels[i].at("line_width").get<long>(), expected[i].lineWidth);
        EXPECT_EQ(levels[i].at("height").get<long>(), expected[i].height);
        EXPECT_EQ(levels[i].at("bit_depth").get<long>(), 4);
        EXPECT_EQ(levels[i].at("bytes").get<long>(), expected[i].bytes);
    }
    EXPECT_EQ(j.at("mask").at("width").get<long>(), 6);
    EXPECT_EQ(j.at("mask").at("height").get<long>(), 6);
    EXPECT_EQ(j.at("wrap").at("width").get<long>(), 64);
    EXPECT_EQ(j.at("wrap").at("height").get<long>(), 64);
    EXPECT_TRUE(j.at("base_width_aligned").get<bool>());
    EXPECT_FALSE(j.at("detail_width_aligned").get<bool>());

    const std::string& map = j.at("tmem_map").get<std::string>();
    ASSERT_EQ(map.size(), 4096u);
    // The detail map: 16 rows of 9 texel bytes (17 texels at 4 bits) and 7 of padding.
    std::string detailRows;
    for (int r = 0; r < 16; ++r)
        detailRows += std::string(9, 'b') + std::string(7, 'y');
    EXPECT_EQ(map.substr(0, 256), detailRows);
    EXPECT_EQ(map.substr(256, 2048), std::string(2048, 'B'));
    EXPECT_EQ(map.substr(256 + 2808), std::string(4096 - 256 - 2808, '.'));
}

TEST(CountJson, MaskWrapAlignmentAndNoDetail) {
    struct Case {
        const char* name;
        Args args;
        long maskW, maskH, wrapW, wrapH;
        bool aligned;
    };
    const Case cases[] = {
        {"Narrow", {"--width", "12", "--height", "100", "--format", "8"}, 4, 7, 16, 128, false},
        {"Widest", {"--width", "1024", "--height", "1"}, 10, 0, 1024, 1, true},
        {"OnePixel32", {"--width", "1", "--height", "256", "--format", "rgba32"}, 0, 8, 1, 256, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const nlohmann::ordered_json j = nlohmann::ordered_json::parse(RunTool(Count(c.args)).out);
        EXPECT_EQ(j.at("mask").at("width").get<long>(), c.maskW);
        EXPECT_EQ(j.at("mask").at("height").get<long>(), c.maskH);
        EXPECT_EQ(j.at("wrap").at("width").get<long>(), c.wrapW);
        EXPECT_EQ(j.at("wrap").at("height").get<long>(), c.wrapH);
        EXPECT_EQ(j.at("base_width_aligned").get<bool>(), c.aligned);
        EXPECT_TRUE(j.at("detail_width_aligned").is_null());
    }
}

TEST(CountJson, FormatNamesAndAliases) {
    struct Case {
        const char* name;
        long bits, limit;
    };
    const Case cases[] = {{"ci4", 4, 2048},    {"4", 4, 4096},     {"i4", 4, 4096},      {"ia4", 4, 4096},
                          {"ci8", 8, 2048},    {"8", 8, 4096},     {"i8", 8, 4096},      {"ia8", 8, 4096},
                          {"16", 16, 4096},    {"ia16", 16, 4096}, {"rgba16", 16, 4096}, {"32", 32, 4096},
                          {"rgba32", 32, 4096}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const nlohmann::ordered_json j =
            CountJson({"--format", c.name, "--levels", "0"}, 64 * 64 * c.bits / 8 > c.limit);
        EXPECT_EQ(j.at("levels")[0].at("bit_depth").get<long>(), c.bits);
        EXPECT_EQ(j.at("tmem_limit").get<long>(), c.limit);
    }
    // The detail map takes the same names.
    const nlohmann::ordered_json j = CountJson({"--detail", "4x4:ia16", "--levels", "1"}, 0);
    EXPECT_EQ(j.at("levels")[0].at("bit_depth").get<long>(), 16);
}

TEST(CountJson, MessagesAreEscaped) {
    CliRun r = RunTool(Count({"--levels", "7"}));
    EXPECT_NE(r.out.find("\"Cannot make any more levels\\r\\nSetting to maximum allowable by Texture size\""),
              std::string::npos);
}

TEST(CountText, ResultAsTheWindowShowsIt) {
    CliRun fits = RunTool({"count"});
    EXPECT_EQ(fits.code, 0);
    EXPECT_NE(fits.out.find("2808 Bytes"), std::string::npos);
    EXPECT_NE(fits.out.find("Good!"), std::string::npos);
    EXPECT_NE(fits.out.find("68%"), std::string::npos);

    CliRun over = RunTool({"count", "--format", "8", "--levels", "5"});
    EXPECT_EQ(over.code, 1);
    EXPECT_NE(over.out.find("Exceeds TMEM by 1392 Bytes"), std::string::npos);
    EXPECT_NE(over.out.find("133%"), std::string::npos);
    EXPECT_EQ(over.out.find("Good!"), std::string::npos);

    // Short by default: the result, the levels table, the mask and wrap; no map.
    EXPECT_NE(fits.out.find("Mask: 6 x 6"), std::string::npos);
    EXPECT_NE(fits.out.find("Record  Role    Size (texels)"), std::string::npos);
    EXPECT_EQ(fits.out.find("TMEM map"), std::string::npos);
    EXPECT_LT(LineCount(fits.out), 20);
    // No colour where the caller did not ask for it.
    EXPECT_EQ(fits.out.find('\x1b'), std::string::npos);

    // With --map-text, the map: 64 lines of 64 characters at the end, matching the JSON map.
    fits = RunTool({"count", "--map-text"});
    const std::string map =
        nlohmann::ordered_json::parse(RunTool(Count({})).out).at("tmem_map").get<std::string>();
    std::string tail;
    std::size_t pos = fits.out.size();
    for (int line = 0; line < 64; ++line) {
        const std::size_t start = fits.out.rfind('\n', pos - 2);
        ASSERT_NE(start, std::string::npos);
        const std::string text = fits.out.substr(start + 1, pos - start - 2);
        ASSERT_EQ(text.size(), 64u) << "line " << 63 - line;
        tail = text + tail;
        pos = start + 1;
    }
    EXPECT_EQ(tail, map);
}

struct RejectCase {
    const char* name;
    Args args;
    std::vector<std::string> mentions; // option, value and range
};

class CountRejects : public ::testing::TestWithParam<RejectCase> {};

TEST_P(CountRejects, OneLineNamingOptionValueAndRange) {
    const RejectCase& c = GetParam();
    Args args = c.args;
    args.insert(args.begin(), "count");
    ExpectOneLineRejection(RunTool(args), c.mentions);
}

INSTANTIATE_TEST_SUITE_P(
    Cli, CountRejects,
    ::testing::Values(
        RejectCase{"WidthLetters", {"--width", "abc"}, {"--width", "\"abc\"", "1 to 1024"}},
        RejectCase{"WidthZero", {"--width", "0"}, {"--width", "\"0\"", "1 to 1024"}},
        RejectCase{"WidthTooWide", {"--width", "1025"}, {"--width", "\"1025\"", "1 to 1024"}},
        RejectCase{"WidthNegative", {"--width", "-3"}, {"--width", "\"-3\"", "1 to 1024"}},
        RejectCase{"WidthFraction", {"--width", "12.5"}, {"--width", "\"12.5\"", "1 to 1024"}},
        RejectCase{"WidthHuge", {"--width", "99999999999"}, {"--width", "\"99999999999\"", "1 to 1024"}},
        RejectCase{"WidthMissing", {"--width"}, {"--width", "missing", "1 to 1024"}},
        RejectCase{"HeightTooHigh", {"--height", "257"}, {"--height", "\"257\"", "1 to 256"}},
        RejectCase{"FormatUnknown", {"--format", "24"}, {"--format", "\"24\"", "ci4", "rgba32"}},
        RejectCase{"FormatEmpty", {"--format", ""}, {"--format", "\"\"", "ci4"}},
        RejectCase{"LevelsTooMany", {"--levels", "8"}, {"--levels", "\"8\"", "auto, auto-w64 or 0 to 7"}},
        RejectCase{"LevelsWord", {"--levels", "many"}, {"--levels", "\"many\"", "0 to 7"}},
        RejectCase{"DetailNoHeight", {"--detail", "16"}, {"--detail", "\"16\"", "height 1 to 256"}},
        RejectCase{"DetailTooWide", {"--detail", "2000x16"}, {"--detail", "\"2000x16\"", "width 1 to 1024"}},
        RejectCase{"DetailBadFormat", {"--detail", "16x16:24"}, {"--detail", "\"16x16:24\"", "ci4"}},
        RejectCase{
            "TileTooHigh", {"--levels", "1", "--tile", "16x300"}, {"--tile", "\"16x300\"", "1 to 256"}},
        RejectCase{"TileWithAutoLevels", {"--tile", "16x16"}, {"--tile", "\"1 tile\"", "manual --levels"}},
        RejectCase{
            "TooFewTiles", {"--levels", "3", "--tile", "16x16"}, {"--tile", "\"1 tile\"", "exactly 3"}},
        RejectCase{"TooManyTiles",
                   {"--levels", "1", "--tile", "16x16", "--tile", "8x8"},
                   {"--tile", "\"2 tiles\"", "exactly 1"}},
        RejectCase{"TileBesideDetailAtLevel1",
                   {"--detail", "8x8", "--levels", "1", "--tile", "16x16"},
                   {"--tile", "\"1 tile\"", "exactly 0", "detail"}},
        RejectCase{"UnknownOption", {"--colour", "red"}, {"--colour", "--width"}}),
    vellora::test::RowName());

struct ColourRow {
    const char* name;
    bool terminal;
    const char* noColor;
    bool expected;
};

class ColourRule : public ::testing::TestWithParam<ColourRow> {};

TEST_P(ColourRule, OnlyOnATerminalWithoutNoColor) {
    const ColourRow& row = GetParam();
    EXPECT_EQ(vellora::UseColour(row.terminal, row.noColor), row.expected);
}

INSTANTIATE_TEST_SUITE_P(Cli, ColourRule,
                         ::testing::Values(ColourRow{"Terminal", true, nullptr, true},
                                           ColourRow{"Pipe", false, nullptr, false},
                                           ColourRow{"NoColorSet", true, "1", false},
                                           // An empty NO_COLOR counts as not set.
                                           ColourRow{"NoColorEmpty", true, "", true},
                                           ColourRow{"PipeAndNoColor", false, "1", false}),
                         vellora::test::RowName{});

TEST(Cli, VerdictsInColourWhenAsked) {
    vellora::CliTerminal terminal;
    terminal.colour = true;
    for (const auto& [args, painted] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"count"}, "\x1b[32mGood!\x1b[0m\n"},
             {{"count", "--format", "8", "--levels", "5"}, "\x1b[31mExceeds TMEM by 1392 Bytes\x1b[0m\n"},
             {{"count", "--width", "30", "--height", "34", "--format", "32", "--levels", "0", "--hardware"},
              "Hardware: \x1b[31mdoes not fit"}}) {
        std::ostringstream out, err;
        vellora::RunCli(args, out, err, terminal);
        EXPECT_NE(out.str().find(painted), std::string::npos) << out.str();
    }
}

TEST(Cli, UsageAndUnknownCommands) {
    CliRun version = RunTool({"--version"});
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out, std::string("vellora-cli ") + vellora::kVersionText + "\n");

    CliRun help = RunTool({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("vellora-cli count"), std::string::npos);
    EXPECT_NE(help.out.find("vellora-cli load"), std::string::npos);

    CliRun none = RunTool({});
    EXPECT_EQ(none.code, 2);
    EXPECT_NE(none.err.find("usage"), std::string::npos);

    CliRun countHelp = RunTool({"count", "--help"});
    EXPECT_EQ(countHelp.code, 0);
    EXPECT_NE(countHelp.out.find("--tile WxH"), std::string::npos);

    CliRun unknown = RunTool({"measure"});
    EXPECT_EQ(unknown.code, 2);
    EXPECT_EQ(LineCount(unknown.err), 1);
    EXPECT_NE(unknown.err.find("\"measure\""), std::string::npos);
}

} // namespace
