// SPDX-License-Identifier: MIT
#include "clirun.h"
#include "jsonkeys.h"
#include "testfiles.h"

#include "core/numeric.h"
#include "core/tmemmap.h"

#include "namedrows.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using vellora::test::PrintTo;

using Args = std::vector<std::string>;
using testfiles::MakeBmp;
using testfiles::PaletteRgb;
using testfiles::ReadPam;
using testfiles::TempDir;

const std::string kGreyscale = "24 bit loaded, could this be a greyscale image? Select correct setting.";
const std::string kMix = "Cannot mix CI and NON CI Detail Maps";

std::uint32_t Pattern(int x, int y) {
    return static_cast<std::uint32_t>((x * 7 + y * 3) & 0xFF) * 0x010101u;
}
std::uint32_t Index(int x, int y) {
    return static_cast<std::uint32_t>(x + y * 3);
}

nlohmann::ordered_json LoadJson(Args args, int expectedCode, CliRun* run = nullptr) {
    args.insert(args.begin(), "load");
    args.push_back("--json");
    CliRun r = RunTool(args);
    EXPECT_EQ(r.code, expectedCode) << r.err;
    if (run)
        *run = r;
    return nlohmann::ordered_json::parse(r.out);
}

std::vector<std::string> Messages(const nlohmann::ordered_json& j) {
    std::vector<std::string> out;
    for (const auto& m : j.at("messages"))
        out.push_back(m.get<std::string>());
    return out;
}

std::vector<std::uint8_t> Rgba(const std::uint8_t* p) {
    return {p[0], p[1], p[2], p[3]};
}

struct BitCountCase {
    const char* name;
    int bits;
    std::uint32_t headerSize;
    long bitDepth;
    long limit;
    std::vector<std::string> messages;
};

class LoadBitCounts : public ::testing::TestWithParam<BitCountCase> {};

TEST_P(LoadBitCounts, FormatAndBitmapFacts) {
    const BitCountCase& c = GetParam();
    TempDir dir;
    const bool palette = c.bits <= 8;
    const std::string base =
        dir.write("base.bmp", MakeBmp(16, 8, c.bits, c.headerSize, palette ? Index : Pattern));
    const nlohmann::ordered_json j = LoadJson({base, "--levels", "0"}, 0);
    EXPECT_EQ(j.at("levels")[0].at("role").get<std::string>(), "base");
    EXPECT_EQ(j.at("levels")[0].at("width").get<long>(), 16);
    EXPECT_EQ(j.at("levels")[0].at("height").get<long>(), 8);
    EXPECT_EQ(j.at("levels")[0].at("bit_depth").get<long>(), c.bitDepth);
    EXPECT_EQ(j.at("tmem_limit").get<long>(), c.limit);
    EXPECT_EQ(Messages(j), c.messages);
    EXPECT_EQ(j.at("bitmap").at("width").get<long>(), 16);
    EXPECT_EQ(j.at("bitmap").at("height").get<long>(), 8);
    EXPECT_EQ(j.at("bitmap").at("bit_count").get<long>(), c.bits);
    EXPECT_EQ(j.at("bitmap").at("header_size").get<long>(), static_cast<long>(c.headerSize));
}

INSTANTIATE_TEST_SUITE_P(Load, LoadBitCounts,
                         ::testing::Values(BitCountCase{"Pal4", 4, 40, 4, 2048, {}},
                                           BitCountCase{"Pal8", 8, 40, 8, 2048, {}},
                                           BitCountCase{"Pal8V5Header", 8, 124, 8, 2048, {}},
                                           BitCountCase{"Rgb16", 16, 40, 16, 4096, {}},
                                           BitCountCase{"Rgb24", 24, 40, 32, 4096, {kGreyscale}},
                                           BitCountCase{"Rgb24CoreHeader", 24, 12, 32, 4096, {kGreyscale}},
                                           BitCountCase{"Rgb32", 32, 40, 32, 4096, {}},
                                           BitCountCase{"Rgb32V4Header", 32, 108, 32, 4096, {}},
                                           BitCountCase{"OneBitKeepsTheFormat", 1, 40, 4, 4096, {}}),
                         vellora::test::RowName());

TEST(Load, JsonHasEveryCountFieldThenTheBitmap) {
    TempDir dir;
    const std::string base = dir.write("base.bmp", MakeBmp(64, 32, 24, 40, Pattern));
    CliRun run;
    const nlohmann::ordered_json j = LoadJson({base}, 1, &run);
    const std::vector<std::string> keys = {"tmem_limit",
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
                                           "tmem_map",
                                           "bitmap"};
    EXPECT_EQ(vellora::test::Keys(j), keys);
    EXPECT_EQ(j.at("tmem_map").get<std::string>().size(), 4096u);
    EXPECT_TRUE(j.at("detail_width_aligned").is_null());
    // 64 x 32 at 32 bits, automatic levels down to 2 x 1.
    EXPECT_EQ(j.at("max_index").get<long>(), 5);
    EXPECT_EQ(j.at("total_bytes").get<long>(), 8192 + 2048 + 512 + 128 + 32 + 8);
    EXPECT_EQ(Messages(j), std::vector<std::string>{kGreyscale});
    // The text report shows the same.
    CliRun text = RunTool({"load", base});
    EXPECT_EQ(text.code, 1);
    EXPECT_NE(text.out.find("Bitmap: 64x32, 24 bits"), std::string::npos);
    EXPECT_NE(text.out.find("24 bit loaded, could this be a greyscale image?"), std::string::npos);
    EXPECT_NE(text.out.find("Exceeds TMEM by 6824 Bytes"), std::string::npos);
}

TEST(Load, FormatOptionOverridesTheFile) {
    TempDir dir;
    const std::string base = dir.write("base.bmp", MakeBmp(16, 8, 24, 40, Pattern));
    const nlohmann::ordered_json j = LoadJson({base, "--format", "i8", "--levels", "auto-w64"}, 0);
    EXPECT_EQ(j.at("levels")[0].at("bit_depth").get<long>(), 8);
    EXPECT_EQ(j.at("max_index").get<long>(), 1); // 16, 8; the 4-texel level is under 64 bits
    EXPECT_EQ(Messages(j), std::vector<std::string>{kGreyscale});
}

TEST(Load, PictureLargerThanTheBoxesIsCountedAtItsOwnSize) {
    TempDir dir;
    const std::string base = dir.write("big.bmp", MakeBmp(1100, 300, 8, 40, [](int x, int y) {
                                           return static_cast<std::uint32_t>((x + y) & 0xFF);
                                       }));
    const std::string dump = dir.file("levels");
    const nlohmann::ordered_json j = LoadJson({base, "--levels", "0", "--dump-levels", dump}, 1);
    EXPECT_EQ(j.at("levels")[0].at("width").get<long>(), 1100);
    EXPECT_EQ(j.at("levels")[0].at("height").get<long>(), 300);
    EXPECT_EQ(j.at("total_bytes").get<long>(), 1104 * 300);
    EXPECT_EQ(j.at("bitmap").at("width").get<long>(), 1100);
    EXPECT_EQ(j.at("bitmap").at("height").get<long>(), 300);

    const testfiles::Pam pam = ReadPam(dump + "/level-0.pam");
    EXPECT_EQ(pam.width, 1100);
    EXPECT_EQ(pam.height, 300);
    EXPECT_EQ(pam.depth, 4);
    EXPECT_EQ(pam.maxval, 255);
    EXPECT_EQ(pam.tupltype, "RGB_ALPHA");
    ASSERT_EQ(pam.data.size(), 1100u * 300u * 4u);
    const std::uint32_t rgb = PaletteRgb((1099 + 299) & 0xFF);
    EXPECT_EQ(Rgba(pam.at(299, 1099)), (std::vector<std::uint8_t>{static_cast<std::uint8_t>(rgb >> 16),
                                                                  static_cast<std::uint8_t>(rgb >> 8),
                                                                  static_cast<std::uint8_t>(rgb), 0}));
}

TEST(Load, TopDownFileReportsAPositiveHeight) {
    TempDir dir;
    const std::string base = dir.write(
        "td.bmp", MakeBmp(
                      8, 4, 8, 40, [](int x, int y) { return static_cast<std::uint32_t>(y * 8 + x); }, true));
    const std::string dump = dir.file("levels");
    const nlohmann::ordered_json j = LoadJson({base, "--levels", "0", "--dump-levels", dump}, 0);
    EXPECT_EQ(j.at("bitmap").at("height").get<long>(), 4);
    EXPECT_EQ(j.at("levels")[0].at("height").get<long>(), 4);
    const testfiles::Pam pam = ReadPam(dump + "/level-0.pam");
    ASSERT_EQ(pam.data.size(), 8u * 4u * 4u);
    EXPECT_EQ(pam.at(0, 0)[1], (PaletteRgb(0) >> 8) & 0xFF);
    EXPECT_EQ(pam.at(3, 7)[0], (PaletteRgb(31) >> 16) & 0xFF);
    EXPECT_EQ(pam.at(3, 7)[2], PaletteRgb(31) & 0xFF);
}

struct DetailCase {
    const char* name;
    int baseBits;
    std::optional<std::string> detailFormat;
    long detailBits;
    std::vector<std::string> messages;
    const char* detailName = "detail.bmp"; // a name may state the kind
};

class LoadDetail : public ::testing::TestWithParam<DetailCase> {};

TEST_P(LoadDetail, DetailMapFirstWithItsFormatRules) {
    const DetailCase& c = GetParam();
    TempDir dir;
    const std::string base =
        dir.write("base.bmp", MakeBmp(32, 16, c.baseBits, 40, c.baseBits <= 8 ? Index : Pattern));
    const std::string detail = dir.write(c.detailName, MakeBmp(8, 4, 4, 40, Index));
    Args args = {base, "--detail", detail, "--levels", "2"};
    if (c.detailFormat) {
        args.push_back("--detail-format");
        args.push_back(*c.detailFormat);
    }
    CliRun run;
    const nlohmann::ordered_json j = LoadJson(args, 0, &run);
    EXPECT_EQ(Messages(j), c.messages);
    const auto& levels = j.at("levels");
    ASSERT_EQ(levels.size(), 3u);
    EXPECT_EQ(levels[0].at("role").get<std::string>(), "detail");
    EXPECT_EQ(levels[0].at("width").get<long>(), 8);
    EXPECT_EQ(levels[0].at("height").get<long>(), 4);
    EXPECT_EQ(levels[0].at("bit_depth").get<long>(), c.detailBits);
    EXPECT_EQ(levels[1].at("role").get<std::string>(), "base");
    EXPECT_EQ(levels[1].at("width").get<long>(), 32);
    EXPECT_EQ(levels[2].at("role").get<std::string>(), "mip");
    EXPECT_EQ(levels[2].at("width").get<long>(), 16);
    EXPECT_FALSE(j.at("detail_width_aligned").is_null());
}

INSTANTIATE_TEST_SUITE_P(
    Load, LoadDetail,
    ::testing::Values(
        DetailCase{"PlainDetailOnPlainBase", 24, std::nullopt, 4, {kGreyscale}},
        DetailCase{"DefaultDetailOnCIBase", 8, std::nullopt, 4, {kMix}},
        DetailCase{
            "CI4DetailOnCI8Base", 8, "ci4", 4, {"Detail Map MUST share the same TLUT as the base texture!"}},
        DetailCase{"CI8DetailOnCI4Base", 4, "ci8", 8, {"Detail Map MUST be 4Bit CI!"}},
        DetailCase{"CIDetailOnPlainBase", 32, "ci4", 4, {kMix}},
        DetailCase{"SixteenBitDetail", 16, "16", 16, {}},
        DetailCase{"KindFromTheDetailsName", 16, std::nullopt, 8, {}, "rock.ia8.bmp"},
        DetailCase{"OptionOverTheDetailsName", 16, "16", 16, {}, "rock.ia8.bmp"}),
    vellora::test::RowName());

TEST(Load, TileFilesReplaceGeneratedLevels) {
    TempDir dir;
    const std::string base = dir.write("base.bmp", MakeBmp(16, 16, 24, 40, Pattern));
    const std::string t1 = dir.write("t1.bmp", MakeBmp(8, 8, 24, 40, [](int, int) { return 0xFF0000u; }));
    const std::string t2 = dir.write("t2.bmp", MakeBmp(2, 2, 24, 40, [](int, int) { return 0x00FF00u; }));
    const std::string dump = dir.file("levels");
    const nlohmann::ordered_json j = LoadJson({base, "--tiles", t1 + "," + t2, "--dump-levels", dump}, 0);
    EXPECT_EQ(Messages(j), (std::vector<std::string>{kGreyscale, "Returning 3 Tiles."}));
    // The count still builds the pyramid from the base size.
    EXPECT_EQ(j.at("max_index").get<long>(), 4);
    EXPECT_EQ(j.at("levels")[2].at("width").get<long>(), 4);

    const testfiles::Pam l1 = ReadPam(dump + "/level-1.pam");
    ASSERT_EQ(l1.width, 8);
    ASSERT_EQ(l1.height, 8);
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c)
            ASSERT_EQ(Rgba(l1.at(r, c)), (std::vector<std::uint8_t>{255, 0, 0, 0})) << r << "," << c;
    // A tile file smaller than its level: the rest of the level is empty.
    const testfiles::Pam l2 = ReadPam(dump + "/level-2.pam");
    ASSERT_EQ(l2.width, 4);
    EXPECT_EQ(Rgba(l2.at(1, 1)), (std::vector<std::uint8_t>{0, 255, 0, 0}));
    EXPECT_EQ(Rgba(l2.at(3, 3)), (std::vector<std::uint8_t>{0, 0, 0, 0}));
    // Levels without a file keep the reset 1 x 1 picture.
    const testfiles::Pam l4 = ReadPam(dump + "/level-4.pam");
    EXPECT_EQ(Rgba(l4.at(0, 0)), (std::vector<std::uint8_t>{0, 0, 0, 0}));
}

TEST(Load, ReturningCountStartsAfterTheDetailMap) {
    TempDir dir;
    const std::string base = dir.write("base.bmp", MakeBmp(16, 16, 32, 40, Pattern));
    const std::string detail = dir.write("d.bmp", MakeBmp(16, 16, 32, 40, Pattern));
    const std::string t = dir.write("t.bmp", MakeBmp(8, 8, 32, 40, Pattern));
    EXPECT_EQ(Messages(LoadJson({base, "--detail", detail, "--detail-format", "32", "--tiles", t}, 0)),
              std::vector<std::string>{"Returning 3 Tiles."});
    // Files for every level up to 7 end without the message.
    const std::string all = t + "," + t + "," + t + "," + t + "," + t + "," + t + "," + t;
    EXPECT_TRUE(Messages(LoadJson({base, "--tiles", all}, 0)).empty());
}

TEST(Load, GeneratedLevelsUseTheChosenFilter) {
    TempDir dir;
    const std::uint32_t corners[2][2] = {{0xFF0000u, 0x00FF00u}, {0x0000FFu, 0xFFFFFFu}};
    const std::string quad =
        dir.write("quad.bmp", MakeBmp(2, 2, 24, 40, [&](int x, int y) { return corners[y][x]; }));
    const std::string dot = dir.write("dot.bmp", MakeBmp(4, 4, 32, 40, [](int x, int y) {
                                          return x == 0 && y == 0 ? 0xC8FFFFFFu : 0xC8000000u;
                                      }));
    struct Case {
        const char* name;
        std::string file;
        const char* filter; // nullptr: default
        int row, col;
        std::vector<std::uint8_t> level1;
    };
    const Case cases[] = {{"Box2x2HalvesToEven", quad, "2x2", 0, 0, {128, 128, 128, 0}},
                          {"Weighted3x3Corner", dot, nullptr, 0, 0, {64, 64, 64, 0}},
                          {"Weighted3x3FarTexel", dot, "3x3", 1, 1, {0, 0, 0, 0}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string dump = dir.file(std::string("dump-") + c.name);
        Args args = {c.file, "--dump-levels", dump};
        if (c.filter) {
            args.push_back("--filter");
            args.push_back(c.filter);
        }
        LoadJson(args, 0);
        const testfiles::Pam l1 = ReadPam(dump + "/level-1.pam");
        ASSERT_GT(l1.width, c.col);
        ASSERT_GT(l1.height, c.row);
        EXPECT_EQ(Rgba(l1.at(c.row, c.col)), c.level1);
    }
    // The base keeps the file's alpha.
    const testfiles::Pam l0 = ReadPam(dir.file("dump-Weighted3x3Corner") + "/level-0.pam");
    EXPECT_EQ(Rgba(l0.at(0, 0)), (std::vector<std::uint8_t>{255, 255, 255, 200}));
}

TEST(Load, MapPictureUsesTheByteColoursAndCellLayout) {
    TempDir dir;
    const std::string base = dir.write("base.bmp", MakeBmp(16, 16, 8, 40, Index));
    const std::string map = dir.file("map.png");
    LoadJson({base, "--map", map}, 0);
    const testfiles::Picture pic = testfiles::ReadPngFile(map);
    ASSERT_GT(pic.width, 0);
    const vellora::TmemLayout layout = vellora::ComputeTmemLayout(5934, 15, 15, 8.25);
    auto cell = [&](int address) {
        const auto& c = layout.cells[address];
        return pic.at(static_cast<int>(vellora::Nearest(c.left / 15.0)) + 2,
                      static_cast<int>(vellora::Nearest(c.top / 15.0)) + 2);
    };
    // 16 x 16 CI 8-bit: 256 bytes of level 0, then 64 of level 1; the upper half is the palette's.
    EXPECT_EQ(cell(0), 0x00007Fu);
    EXPECT_EQ(cell(255), 0x00007Fu);
    EXPECT_EQ(cell(256), 0x0000FEu);
    EXPECT_EQ(cell(1000), 0x00FF00u);
    EXPECT_EQ(cell(2048), 0x808080u);
    EXPECT_EQ(cell(4095), 0x808080u);

    // The two half captions sit above their halves, in black.
    const int labelTop = static_cast<int>(vellora::Nearest(layout.labelTop / 15.0));
    const int labelBottom = static_cast<int>(vellora::Nearest((layout.labelTop + layout.labelHeight) / 15.0));
    int leftInk = 0, rightInk = 0, strayInk = 0;
    for (int y = 0; y < labelTop; ++y)
        for (int x = 0; x < pic.width; ++x)
            strayInk += pic.at(x, y) == 0;
    for (int y = labelTop; y < labelBottom; ++y)
        for (int x = 0; x < pic.width; ++x)
            (x < pic.width / 2 ? leftInk : rightInk) += pic.at(x, y) == 0;
    EXPECT_GT(leftInk, 20);
    EXPECT_GT(rightInk, 20);
    EXPECT_EQ(strayInk, 0);
}

TEST(Load, PreviewPictureIsSeededAndSized) {
    TempDir dir;
    const std::string base = dir.write("base.bmp", MakeBmp(8, 8, 24, 40, Pattern));
    const std::string a = dir.file("a.png"), b = dir.file("b.png"), c = dir.file("c.png");
    LoadJson({base, "--preview", a, "--seed", "7"}, 0);
    LoadJson({base, "--preview", b, "--seed", "7"}, 0);
    LoadJson({base, "--preview", c, "--view", "40x30", "--zoom", "4", "--tile-pos", "0.5"}, 0);
    const testfiles::Picture pa = testfiles::ReadPngFile(a);
    EXPECT_EQ(pa.width, 360);
    EXPECT_EQ(pa.height, 260);
    EXPECT_EQ(testfiles::ReadAll(a), testfiles::ReadAll(b));
    const testfiles::Picture pc = testfiles::ReadPngFile(c);
    EXPECT_EQ(pc.width, 40);
    EXPECT_EQ(pc.height, 30);
}

struct RefusedCase {
    const char* name;
    const char* role;                                 // which file is bad: base, detail or tile
    std::optional<std::vector<std::uint8_t>> content; // nullopt: the file does not exist
    const char* reason;
};

class LoadRefusesFiles : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(LoadRefusesFiles, OneLineNamingFileAndReason) {
    const RefusedCase& c = GetParam();
    TempDir dir;
    const std::string good = dir.write("good.bmp", MakeBmp(8, 8, 24, 40, Pattern));
    const std::string bad = c.content ? dir.write("bad.bmp", *c.content) : dir.file("missing.bmp");
    const std::string role = c.role;
    Args args = {"load", role == "base" ? bad : good};
    if (role == "detail")
        args.insert(args.end(), {"--detail", bad});
    if (role == "tile")
        args.insert(args.end(), {"--tiles", good + "," + bad});
    CliRun r = RunTool(args);
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(LineCount(r.err), 1) << r.err;
    EXPECT_NE(r.err.find(bad), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(c.reason), std::string::npos) << r.err;
}

std::vector<std::uint8_t> WithHeaderSize(std::uint32_t size) {
    auto v = MakeBmp(4, 4, 24, 40, Pattern);
    v[14] = static_cast<std::uint8_t>(size);
    return v;
}

INSTANTIATE_TEST_SUITE_P(
    Load, LoadRefusesFiles,
    ::testing::Values(RefusedCase{"MissingBase", "base", std::nullopt, "no such file"},
                      RefusedCase{"EmptyBase", "base", std::vector<std::uint8_t>{}, "Unknown bmp type"},
                      RefusedCase{"HeaderSize56", "base", WithHeaderSize(56), "Unknown bmp type"},
                      RefusedCase{"ZeroWidth", "base", MakeBmp(0, 4, 24, 40, Pattern), "bad.bmp"},
                      RefusedCase{"BadDetail", "detail", WithHeaderSize(64), "Unknown bmp type"},
                      RefusedCase{"MissingTile", "tile", std::nullopt, "no such file"}),
    vellora::test::RowName());

struct LoadRejectCase {
    const char* name;
    Args args; // after the base file
    std::vector<std::string> mentions;
};

class LoadRejects : public ::testing::TestWithParam<LoadRejectCase> {};

TEST_P(LoadRejects, OneLineNamingOptionValueAndRange) {
    const LoadRejectCase& c = GetParam();
    TempDir dir;
    const std::string base = dir.write("base.bmp", MakeBmp(8, 8, 24, 40, Pattern));
    Args args = {"load", base};
    args.insert(args.end(), c.args.begin(), c.args.end());
    ExpectOneLineRejection(RunTool(args), c.mentions);
}

INSTANTIATE_TEST_SUITE_P(
    Load, LoadRejects,
    ::testing::Values(
        LoadRejectCase{"Filter", {"--filter", "4x4"}, {"--filter", "\"4x4\"", "3x3 or 2x2"}},
        LoadRejectCase{"Levels", {"--levels", "9"}, {"--levels", "\"9\"", "0 to 7"}},
        LoadRejectCase{"Format", {"--format", "rgb"}, {"--format", "\"rgb\"", "ci4"}},
        LoadRejectCase{"DetailFormatAlone", {"--detail-format", "ci4"}, {"--detail-format", "--detail"}},
        LoadRejectCase{"ZoomZero", {"--preview", "p.png", "--zoom", "0"}, {"--zoom", "\"0\"", "1 to 32"}},
        LoadRejectCase{
            "ZoomTooLarge", {"--preview", "p.png", "--zoom", "33"}, {"--zoom", "\"33\"", "1 to 32"}},
        LoadRejectCase{"Shift", {"--preview", "p.png", "--shift", "6"}, {"--shift", "\"6\"", "0 to 5"}},
        LoadRejectCase{
            "LodFracOne", {"--preview", "p.png", "--lodfrac", "1"}, {"--lodfrac", "\"1\"", "below 1"}},
        LoadRejectCase{
            "LodFracZero", {"--preview", "p.png", "--lodfrac", "0"}, {"--lodfrac", "\"0\"", "above 0"}},
        LoadRejectCase{
            "TilePos", {"--preview", "p.png", "--tile-pos", "7.5"}, {"--tile-pos", "\"7.5\"", "0 to 7"}},
        LoadRejectCase{"View", {"--preview", "p.png", "--view", "0x10"}, {"--view", "\"0x10\"", "1 to 4096"}},
        LoadRejectCase{
            "Seed", {"--preview", "p.png", "--seed", "-1"}, {"--seed", "\"-1\"", "0 to 4294967295"}},
        LoadRejectCase{"ZoomWithoutPreview", {"--zoom", "4"}, {"--zoom", "--preview"}},
        LoadRejectCase{
            "EmptyTileInList", {"--tiles", "a.bmp,,b.bmp"}, {"--tiles", "\"a.bmp,,b.bmp\"", "none empty"}},
        LoadRejectCase{
            "TooManyTiles", {"--tiles", "a,b,c,d,e,f,g,h"}, {"--tiles", "\"8 files\"", "at most 7"}},
        LoadRejectCase{"SecondBase", {"other.bmp"}, {"\"other.bmp\"", "--detail"}},
        LoadRejectCase{"MissingValue", {"--map"}, {"--map", "missing"}}),
    vellora::test::RowName());

TEST(Load, MissingBaseAndUnwritableOutputs) {
    CliRun none = RunTool({"load", "--json"});
    EXPECT_EQ(none.code, 2);
    EXPECT_EQ(LineCount(none.err), 1);
    EXPECT_NE(none.err.find("missing BASE"), std::string::npos);

    TempDir dir;
    const std::string base = dir.write("base.bmp", MakeBmp(8, 8, 24, 40, Pattern));
    const std::string where = dir.file("no-such-folder/map.png");
    CliRun r = RunTool({"load", base, "--map", where});
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(LineCount(r.err), 1);
    EXPECT_NE(r.err.find(where), std::string::npos);

    // A folder is no file: one line that names it once.
    const std::string folder = dir.file("");
    CliRun f = RunTool({"load", folder});
    EXPECT_EQ(f.code, 2);
    EXPECT_EQ(LineCount(f.err), 1);
    EXPECT_EQ(f.err.find(folder), f.err.rfind(folder)) << f.err;

    const std::string blocker = dir.write("file-not-folder", {1});
    CliRun d = RunTool({"load", base, "--dump-levels", blocker + "/sub"});
    EXPECT_EQ(d.code, 2);
    EXPECT_EQ(LineCount(d.err), 1);
    EXPECT_NE(d.err.find(blocker), std::string::npos);
}

} // namespace
