// SPDX-License-Identifier: MIT
// The texture document: pictures loaded at their own size with the kinds
// their names state, and one analysis that leaves the texture as it was.
#include "document/analysis.h"
#include "document/export.h"
#include "document/messages.h"
#include "document/texture.h"
#include "reduce/reduce.h"

#include "bmpbuilder.h"
#include "namedrows.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

namespace vellora::doc {
namespace {

namespace fs = std::filesystem;
using test::PrintTo;

// A fresh folder for one test's files.
struct Folder {
    fs::path dir;
    Folder() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = fs::temp_directory_path() /
              ("vellora-doc-" + std::to_string(::getpid()) + "-" + std::string(info->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    ~Folder() {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    std::string write(const std::string& name, const testbmp::BmpSpec& spec) const {
        const std::string path = (dir / name).string();
        EXPECT_TRUE(testbmp::WriteBmp(path, spec));
        return path;
    }
};

testbmp::BmpSpec Grey(int width, int height, std::function<std::uint32_t(int, int)> value) {
    testbmp::BmpSpec spec;
    spec.width = width;
    spec.height = height;
    spec.bitCount = 24;
    spec.pixel = [value](int row, int col) { return value(row, col) * 0x010101u; };
    return spec;
}

struct LoadRow {
    const char* name;
    const char* file;
    LoadRole role;
    int width, height;
    Format format; // of the base, or of the detail map
    std::optional<Kind> kind;
};

class LoadPictures : public ::testing::TestWithParam<LoadRow> {};

TEST_P(LoadPictures, TakeTheirOwnSizeAndTheKindTheirNameStates) {
    const LoadRow& row = GetParam();
    Folder folder;
    const std::string path = folder.write(row.file, Grey(row.width, row.height, [](int r, int c) {
                                              return static_cast<std::uint32_t>(r * 7 + c) & 0xFF;
                                          }));
    Texture t;
    const int level = row.role == LoadRole::Detail ? 0 : 1;
    if (row.role == LoadRole::Base)
        t.spec.detail = DetailSpec{};
    const LoadResult r = LoadPicture(t, path, row.role, level);
    ASSERT_TRUE(r.ok) << r.error;
    if (row.role == LoadRole::Base) {
        EXPECT_EQ(t.spec.size, (LevelSize{row.width, row.height}));
        EXPECT_EQ(t.spec.format, row.format);
        EXPECT_EQ(t.baseKind, row.kind);
        ASSERT_TRUE(t.baseFile.has_value());
        EXPECT_EQ(t.baseFile->width, row.width);
    } else {
        ASSERT_TRUE(t.spec.detail.has_value());
        EXPECT_EQ(t.spec.detail->size, (LevelSize{row.width, row.height}));
        EXPECT_EQ(t.spec.detail->format, row.format);
        EXPECT_EQ(t.detailKind, row.kind);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Document, LoadPictures,
    ::testing::Values(
        // Larger than the window's boxes: counted as it is all the same.
        LoadRow{"BaseLargerThanTheBoxes", "wide.bmp", LoadRole::Base, 1500, 300, Format::Bits32,
                std::nullopt},
        LoadRow{"BaseNamedIA8", "stone.ia8.bmp", LoadRole::Base, 32, 16, Format::Bits8, Kind::IA8},
        LoadRow{"DetailNamedRGBA16", "rock.rgba16.bmp", LoadRole::Detail, 16, 8, Format::Bits16,
                Kind::RGBA16},
        LoadRow{"DetailWithAPlainName", "rock.bmp", LoadRole::Detail, 16, 8, Format::Bits4, std::nullopt}),
    test::RowName());

// The one wording of how many levels a texture has, in every front end.
TEST(Document, LevelsAreCountedInOneWording) {
    struct Row {
        int maxIndex, detailFlag;
        const char* said;
    };
    for (const Row& row :
         {Row{0, 0, "1 level (0)"}, Row{6, 0, "7 levels (0\u20136)"},
          Row{7, 1, "7 levels (0\u20136) and a detail map"}, Row{1, 1, "1 level (0) and a detail map"}}) {
        Count c;
        c.maxIndex = row.maxIndex;
        c.detailFlag = row.detailFlag;
        EXPECT_EQ(LevelsPhrase(c), row.said) << row.maxIndex << "," << row.detailFlag;
    }
}

TEST(Document, ARefusedFileLeavesTheTextureAsItWas) {
    Folder folder;
    testbmp::BmpSpec broken = Grey(8, 8, [](int, int) { return 0u; });
    broken.headerSize = 56;
    const std::string path = folder.write("broken.ia8.bmp", broken);
    Texture t;
    t.spec.size = {64, 32};
    const LoadResult r = LoadPicture(t, path, LoadRole::Base, 0);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.empty());
    EXPECT_EQ(t.spec.size, (LevelSize{64, 32}));
    EXPECT_FALSE(t.baseKind.has_value());
    EXPECT_FALSE(t.baseFile.has_value());
}

// CI is weighed by the colours the texture keeps once stored: thirty grey
// values that RGBA16 keeps as ten are a CI4 texture, not a CI8 one.
TEST(Document, SuggestionsCountTheColoursAsStored) {
    Folder folder;
    const std::string path =
        folder.write("greys.rgba16.bmp", Grey(64, 32, [](int row, int col) {
                         return static_cast<std::uint32_t>(reduce::Expand5(5 + col % 10) + row % 3);
                     }));
    Texture t;
    ASSERT_TRUE(LoadPicture(t, path, LoadRole::Base, 0).ok);
    const Analysis a = Analyze(t);
    ASSERT_FALSE(a.fits(hw::Rules::Both));
    EXPECT_EQ(a.colours, 10);
    bool ci4 = false;
    for (const hw::Suggestion& s : a.suggestions) {
        ci4 = ci4 || s.change.find("as CI4") != std::string::npos;
        EXPECT_EQ(s.change.find("as CI8"), std::string::npos) << s.change;
    }
    EXPECT_TRUE(ci4);
}

struct AnalyzeRow {
    const char* name;
    int width, height;
    Format format;
    LevelMode levels;
    bool detail;
};

class Analyses : public ::testing::TestWithParam<AnalyzeRow> {};

// The cheap verdict (no layout) and the full layout agree; the texture is
// left as it was; a plan that fits reads back right on the RDP model.
TEST_P(Analyses, AgreeLeaveTheTextureAndProveWhatFits) {
    const AnalyzeRow& row = GetParam();
    Texture t;
    t.spec.size = {row.width, row.height};
    t.spec.format = row.format;
    t.spec.levels = row.levels;
    if (row.detail)
        t.spec.detail = DetailSpec{{16, 16}, Format::Bits4};
    const TileTable before = t.pictures;

    AnalyzeOptions quick;
    quick.layout = false;
    const Analysis cheap = Analyze(t, quick);
    AnalyzeOptions full;
    full.verify = true;
    const Analysis proved = Analyze(t, full);

    EXPECT_EQ(t.pictures[0].Width, before[0].Width);
    EXPECT_EQ(t.pictures[1].Width, before[1].Width);
    EXPECT_EQ(t.pictures[2].BitDepth, before[2].BitDepth);
    EXPECT_FALSE(cheap.layout.has_value());
    ASSERT_TRUE(proved.layout.has_value());
    EXPECT_EQ(cheap.count.totalBytes, proved.count.totalBytes);
    EXPECT_EQ(cheap.hardwareReason.has_value(), !proved.layout->fits);
    if (proved.layout->fits) {
        ASSERT_TRUE(proved.proof.has_value());
        EXPECT_TRUE(proved.verified()) << proved.proof->describe();
        EXPECT_GT(proved.proof->texels, 0);
    } else {
        EXPECT_FALSE(proved.proof.has_value());
    }
    EXPECT_EQ(proved.fits(hw::Rules::Both), proved.fitsCalculator() && proved.fitsHardware());
}

INSTANTIATE_TEST_SUITE_P(
    Document, Analyses,
    ::testing::Values(AnalyzeRow{"Small4BitChain", 32, 32, Format::Bits4, LevelMode::Auto, false},
                      AnalyzeRow{"RGBA32WithDetail", 16, 16, Format::Bits32, LevelMode::Auto, true},
                      AnalyzeRow{"CI8Base", 32, 32, Format::CI8, LevelMode::Manual, false},
                      AnalyzeRow{"TooLarge", 128, 128, Format::Bits16, LevelMode::Auto, false},
                      AnalyzeRow{"OddWidth", 30, 34, Format::Bits32, LevelMode::Manual, false}),
    test::RowName());

struct ExportRow {
    const char* name;
    const char* file; // its name states the kind
    ExportChoice choice;
};

class Exports : public ::testing::TestWithParam<ExportRow> {};

// What the export writes is what the game loads: the .bin bytes (and the
// palette's file) are the data the layout's commands load on the RDP model,
// and every texel of every exported level reads back as reduced.
TEST_P(Exports, LoadOnTheRdpModelAndReadBackEveryTexel) {
    const ExportRow& row = GetParam();
    Folder folder;
    const std::string path = folder.write(row.file, Grey(16, 8, [](int r, int c) {
                                              return static_cast<std::uint32_t>(r * 37 + c * 11) & 0xFF;
                                          }));
    Texture t;
    ASSERT_TRUE(LoadPicture(t, path, LoadRole::Base, 0).ok);
    DrawLevels(t);
    const Analysis a = Analyze(t);
    const Exported e = ExportTexture(t, a, (folder.dir / "t.bin").string(), row.choice);
    ASSERT_FALSE(e.refused.has_value()) << *e.refused;
    ASSERT_FALSE(e.files.empty());
    EXPECT_EQ(e.files[0].bytes, reduce::TextureBytes(e.texture, {row.choice.wholeChain, {}}));
    if (!e.texture.palette.empty()) {
        ASSERT_EQ(e.files.size(), 2u);
        EXPECT_EQ(e.files[1].bytes, reduce::PaletteBytes(e.texture));
    }

    std::vector<hw::Level> levels = a.levels;
    if (row.choice.baseOnly)
        std::erase_if(levels, [](const hw::Level& l) { return l.role != LevelRole::Base; });
    EXPECT_EQ(e.texture.levels.size(), levels.size());
    const hw::Layout layout = hw::LayOut(levels, t.tiles);
    ASSERT_TRUE(layout.fits) << layout.reason.value_or("");
    const std::optional<verify::Result> proof = row.choice.wholeChain
                                                    ? verify::VerifyWholeChain(layout, e.texture)
                                                    : verify::VerifyLoads(layout, e.texture);
    ASSERT_TRUE(proof.has_value());
    EXPECT_TRUE(proof->ok()) << proof->describe();
    EXPECT_GT(proof->texels, 16 * 8 - 1);
}

INSTANTIATE_TEST_SUITE_P(Document, Exports,
                         ::testing::Values(ExportRow{"RGBA16Chain", "t.rgba16.bmp", {}},
                                           ExportRow{"IA8BaseOnly", "t.ia8.bmp", {true, false, false, {}}},
                                           ExportRow{
                                               "CI4WithItsPalette", "t.ci4.bmp", {false, false, true, {}}},
                                           ExportRow{"I4WholeChain", "t.i4.bmp", {false, true, false, {}}},
                                           ExportRow{"CI4WithAnIa16Palette", "t.ci4_ia16.bmp", {}},
                                           ExportRow{"CI8WithAnIa16Palette", "t.ci8_ia16.bmp", {}}),
                         test::RowName());

// An IA16 palette keeps 8 bits of intensity where RGBA16 keeps 5: three
// greys stay exactly as they are, and the list loads them with the IA16 LUT.
TEST(Document, Ia16PaletteKeepsEightBitGreys) {
    Folder folder;
    const std::uint32_t greys[] = {10, 200, 77};
    const auto picture = Grey(4, 2, [&greys](int r, int c) { return greys[(r * 4 + c) % 3]; });
    for (const char* name : {"p.ci4_ia16.bmp", "p.ci4.bmp"}) {
        Texture t;
        ASSERT_TRUE(LoadPicture(t, folder.write(name, picture), LoadRole::Base, 0).ok);
        t.spec.levels = LevelMode::Manual;
        DrawLevels(t);
        const Analysis a = Analyze(t);
        const Exported e = ExportTexture(t, a, (folder.dir / "p.bin").string(), {});
        ASSERT_FALSE(e.refused.has_value());
        const bool ia16 = std::string(name) == "p.ci4_ia16.bmp";
        std::vector<std::uint8_t> shown;
        for (std::uint16_t entry : e.texture.palette)
            shown.push_back(reduce::ExpandEntry(e.texture.levels[0].kind, entry)[0]);
        if (ia16)
            EXPECT_EQ(shown, (std::vector<std::uint8_t>{10, 200, 77}));
        else
            EXPECT_NE(shown, (std::vector<std::uint8_t>{10, 200, 77})) << "RGBA16 keeps 5 bits";
        const std::string list = hw::DisplayList(*a.layout, {});
        EXPECT_NE(list.find(ia16 ? "gsDPSetTextureLUT(G_TT_IA16)" : "gsDPSetTextureLUT(G_TT_RGBA16)"),
                  std::string::npos)
            << list;
        EXPECT_TRUE(verify::VerifyLoads(*a.layout, e.texture).ok());
    }
}

} // namespace
} // namespace vellora::doc
