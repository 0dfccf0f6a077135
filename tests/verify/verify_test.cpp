// SPDX-License-Identifier: MIT
// Every load Vellora plans, run on the RDP model over the data it exports.
#include "verify/verify.h"

#include "core/count.h"
#include "hardware/gbi.h"
#include "hardware/pieces.h"
#include "hardware/words.h"
#include "rdp/primitives.h"
#include "reduce/texturedata.h"

#include "levelchain.h"
#include "namedrows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace vellora::verify {
namespace {

using test::PrintTo;

struct Texture {
    hw::Layout layout;
    reduce::ReducedTexture reduced;
};

// Stored values for every level, as a reduction would leave them: each
// within its kind's bits, CI indices within a palette of `colours` entries.
Texture Make(const std::vector<hw::Level>& levels, const hw::TileOptions& options, int colours,
             std::mt19937& random) {
    Texture t;
    t.layout = hw::LayOut(levels, options);
    for (int i = 0; i < colours; ++i)
        t.reduced.palette.push_back(static_cast<std::uint16_t>(random()));
    for (const hw::Level& l : levels) {
        reduce::ReducedLevel r;
        r.record = l.record;
        r.role = l.role;
        r.distance = l.distance;
        r.kind = l.kind;
        r.width = l.width;
        r.height = l.height;
        const int bits = hw::BitsOf(l.kind);
        const bool ci = l.kind == Kind::CI4 || l.kind == Kind::CI8;
        const std::uint32_t range = ci ? static_cast<std::uint32_t>(std::min(colours, 1 << bits))
                                       : static_cast<std::uint32_t>(bits == 32 ? 0 : 1u << bits);
        r.texels.resize(static_cast<std::size_t>(l.width) * static_cast<std::size_t>(l.height));
        for (std::uint32_t& v : r.texels)
            v = range == 0 ? static_cast<std::uint32_t>(random())
                           : static_cast<std::uint32_t>(random() % range);
        t.reduced.levels.push_back(std::move(r));
    }
    return t;
}

using test::Chain;

struct NamedCase {
    const char* name;
    int width, height;
    Kind kind;
    int levels;
    bool fits;
};

class NamedCases : public ::testing::TestWithParam<NamedCase> {};

// The cases the hardware notes work out by hand, and the two that landed
// wrong before the loads were mended.
TEST_P(NamedCases, ReadBackAsPlanned) {
    const NamedCase& c = GetParam();
    std::mt19937 random(7);
    const Texture t = Make(Chain(c.width, c.height, c.kind, c.levels), {}, 16, random);
    ASSERT_EQ(t.layout.fits, c.fits) << t.layout.reason.value_or("");
    const Result r = VerifyLoads(t.layout, t.reduced);
    EXPECT_EQ(r.ok(), c.fits) << r.describe();
}

INSTANTIATE_TEST_SUITE_P(
    Hardware, NamedCases,
    ::testing::Values(NamedCase{"Rgba32At32x32", 32, 32, Kind::RGBA32, 1, true},
                      NamedCase{"Rgba32Odd30x34DoesNotFit", 30, 34, Kind::RGBA32, 1, false},
                      NamedCase{"Rgba16ChainTo1x1", 32, 32, Kind::RGBA16, 6, true},
                      NamedCase{"Rgba16Width44PastTheSafeRows", 44, 40, Kind::RGBA16, 1, true},
                      NamedCase{"Rgba16Width52", 52, 39, Kind::RGBA16, 1, true},
                      NamedCase{"Rgba16Width80", 80, 25, Kind::RGBA16, 1, true},
                      NamedCase{"Rgba32ChainWithItsTwoByTwoLevel", 16, 16, Kind::RGBA32, 5, true},
                      NamedCase{"Rgba32Width6", 6, 9, Kind::RGBA32, 1, true},
                      NamedCase{"Rgba16PaddedRows86x5", 86, 5, Kind::RGBA16, 1, true},
                      NamedCase{"Rgba16PaddedRows43x30", 43, 30, Kind::RGBA16, 1, true},
                      NamedCase{"Ia8PaddedRows170x5", 170, 5, Kind::IA8, 1, true},
                      NamedCase{"Ci8PaddedRows82x21", 82, 21, Kind::CI8, 1, true},
                      NamedCase{"I4PaddedRows161x21", 161, 21, Kind::I4, 1, true},
                      NamedCase{"Rgba32PaddedRows33x14", 33, 14, Kind::RGBA32, 1, true},
                      NamedCase{"Ci8Over2048BytesDoesNotFit", 48, 48, Kind::CI8, 1, false},
                      NamedCase{"Rgba16Chain64x64DoesNotFit", 64, 64, Kind::RGBA16, 7, false},
                      NamedCase{"I4RowsPast256DoNotFit", 4, 300, Kind::I4, 1, false}),
    test::RowName());

TEST(Palette, TwoColoursStillLoadSixteenEntries) {
    std::mt19937 random(3);
    Texture t = Make(Chain(8, 8, Kind::CI4, 1), {}, 2, random);
    EXPECT_EQ(reduce::PaletteBytes(t.reduced).size(), 32u);
    EXPECT_TRUE(VerifyLoads(t.layout, t.reduced).ok());
}

// Each of the sixteen CI4 palettes loads where its tiles read it; a LoadTLUT
// left at the first palette while the tiles name another reads wrong, so the
// read-back does look at the palette field.
TEST(Palette, EachOfTheSixteenLoadsWhereTheTilesReadIt) {
    for (int n = 0; n < hw::kPalettes; ++n) {
        std::mt19937 random(static_cast<unsigned>(n));
        hw::TileOptions options;
        options.palette = n;
        Texture t = Make(Chain(16, 16, Kind::CI4, 3), options, 16, random);
        ASSERT_TRUE(t.layout.palette);
        EXPECT_EQ(t.layout.palette->tmemAddress, 0x800 + 128 * n);
        const std::string map = hw::MapString(t.layout);
        EXPECT_EQ(map.substr(static_cast<std::size_t>(0x800 + 128 * n), 128), std::string(128, 'P')) << n;
        EXPECT_EQ(std::count(map.begin(), map.end(), 'P'), 128) << n;
        EXPECT_TRUE(VerifyLoads(t.layout, t.reduced).ok()) << "palette " << n;
        if (n == 0)
            continue;
        t.layout.palette->loadTileSetTile = hw::LayOut(t.layout.levels, {}).palette->loadTileSetTile;
        EXPECT_FALSE(VerifyLoads(t.layout, t.reduced).ok()) << "palette " << n << " loaded at 0x800";
    }
}

// CI8 reads all 256 entries from 0x800 whatever palette is asked for.
TEST(Palette, Ci8TakesTheWholeUpperHalf) {
    std::mt19937 random(9);
    hw::TileOptions options;
    options.palette = 7;
    const Texture t = Make(Chain(16, 16, Kind::CI8, 2), options, 256, random);
    ASSERT_TRUE(t.layout.palette);
    EXPECT_EQ(t.layout.palette->tmemAddress, 0x800);
    EXPECT_EQ(t.layout.tiles.front().palette, 0);
    EXPECT_TRUE(VerifyLoads(t.layout, t.reduced).ok());
}

TEST(Refusal, MixedPaletteModeReadsWrong) {
    std::mt19937 random(5);
    std::vector<hw::Level> levels = Chain(16, 16, Kind::CI4, 1);
    levels.insert(levels.begin(), hw::Level{0, LevelRole::Detail, 16, 16, Kind::I8, 0});
    levels[1].record = 1;
    const Texture t = Make(levels, {}, 16, random);
    ASSERT_FALSE(t.layout.fits);
    EXPECT_FALSE(VerifyLoads(t.layout, t.reduced).ok());
}

// A random texture as the calculator counts it: any kind, size, level
// choice, detail map, shift and wrap.
struct Drawn {
    std::vector<hw::Level> levels;
    hw::TileOptions options;
    int colours = 16;
    std::string what;
};

Drawn Draw(std::mt19937& random) {
    const auto pick = [&random](int lo, int hi) {
        return std::uniform_int_distribution<int>(lo, hi)(random);
    };
    // Most textures drawn near the sizes that fit, some anywhere.
    const auto size = [&](int most, int limit) { return pick(0, 3) == 0 ? pick(1, limit) : pick(1, most); };
    const Kind kinds[] = {Kind::RGBA32, Kind::RGBA16, Kind::IA16, Kind::IA8, Kind::IA4,
                          Kind::I8,     Kind::I4,     Kind::CI8,  Kind::CI4};
    const Kind base = kinds[pick(0, 8)];
    TextureSpec spec;
    spec.size = {size(96, 1024), size(64, 256)};
    spec.format = RowOf(base);
    switch (pick(0, 3)) {
    case 0:
        spec.levels = LevelMode::Auto;
        break;
    case 1:
        spec.levels = LevelMode::AutoWidth64;
        break;
    case 2:
        spec.levels = LevelMode::Manual;
        spec.lastLevel = pick(0, 7);
        break;
    default:
        spec.levels = LevelMode::Manual;
        spec.lastLevel = pick(1, 4);
        spec.typedLevels = std::vector<LevelSize>{};
        for (int i = 0; i < spec.lastLevel; ++i)
            spec.typedLevels->push_back({pick(1, 40), pick(1, 40)});
        break;
    }
    Kind detail = base;
    if (pick(0, 2) == 0) {
        // Mostly a detail map of the base's palette family, so that many fit.
        detail = pick(0, 3) == 0 ? kinds[pick(0, 8)] : base == Kind::CI8 ? Kind::CI4 : base;
        spec.detail = DetailSpec{{pick(1, 32), pick(1, 32)}, RowOf(detail)};
    }
    TileTable tiles{};
    const Count count = CountTexture(spec, tiles, {}, CountDetail::SizesOnly);
    Drawn d;
    d.levels = hw::LevelsOf(count, base, detail);
    const hw::AxisMode modes[] = {hw::AxisMode::Wrap, hw::AxisMode::Mirror, hw::AxisMode::Clamp};
    d.options = {modes[pick(0, 2)], modes[pick(0, 2)], pick(0, 5), pick(0, hw::kPalettes - 1)};
    // Two colours at least: with one, a texel read from the wrong place
    // cannot show.
    d.colours = pick(2, base == Kind::CI8 || detail == Kind::CI8 ? 256 : 16);
    d.what = std::string(KindName(base)) + " " + std::to_string(spec.size.width) + "x" +
             std::to_string(spec.size.height) + ", " + std::to_string(d.levels.size()) + " tiles" +
             (spec.detail ? ", detail " + std::string(KindName(detail)) : std::string());
    return d;
}

// Thousands of textures: every one the hardware rules call loadable reads
// back exactly, and every refusal is borne out by a read-back that comes out
// wrong. The whole-chain form is proved wherever one block can carry it.
TEST(Property, EveryPlanReadsBackAsTheRulesSay) {
    std::mt19937 random(20261209);
    int fitted = 0, refused = 0, chains = 0;
    for (int n = 0; n < 3000; ++n) {
        const Drawn d = Draw(random);
        const Texture t = Make(d.levels, d.options, d.colours, random);
        const Result r = VerifyLoads(t.layout, t.reduced);
        if (t.layout.fits) {
            ++fitted;
            ASSERT_TRUE(r.ok()) << d.what << ": " << r.describe();
            if (const std::optional<Result> chain = VerifyWholeChain(t.layout, t.reduced)) {
                ++chains;
                ASSERT_TRUE(chain->ok()) << d.what << ", whole chain: " << chain->describe();
            }
        } else {
            ++refused;
            ASSERT_FALSE(r.ok()) << d.what << " is refused (" << t.layout.reason.value_or("")
                                 << ") but reads back right";
        }
    }
    // The draw must exercise both sides, or the property says little.
    EXPECT_GT(fitted, 500);
    EXPECT_GT(refused, 500);
    EXPECT_GT(chains, 200);
    RecordProperty("fitted", fitted);
    RecordProperty("refused", refused);
    RecordProperty("whole_chains", chains);
}

hw::Material Second(std::vector<hw::Level> levels, int palette = 0, std::optional<int> word = std::nullopt) {
    hw::Material m;
    m.levels = std::move(levels);
    m.options.palette = palette;
    m.tmemWord = word;
    return m;
}

// Two 32 x 32 CI4 textures: 64 words each (a row is 2 words), texture 1 from
// word 64 on tile 1; palette 0 at 0x800 and palette 1 at 0x880. Both load
// and read back through their own palettes; with texture 1's palette moved
// onto texture 0's, texture 0 reads the wrong colours.
TEST(Material, TwoCi4TexturesWithPalettes0And1) {
    hw::TileOptions first;
    first.palette = 0;
    const hw::Material second = Second(Chain(32, 32, Kind::CI4, 1), 1);
    hw::Layout layout = hw::LayOut(Chain(32, 32, Kind::CI4, 1), first, &second);
    ASSERT_TRUE(layout.fits) << *layout.reason;
    ASSERT_EQ(layout.tiles.size(), 2u);
    EXPECT_EQ(layout.tiles[1].tile, 1);
    EXPECT_EQ(layout.tiles[1].tmem, 64);
    EXPECT_EQ(layout.tiles[1].palette, 1);
    ASSERT_TRUE(layout.palette && layout.palette1);
    EXPECT_EQ(layout.palette->tmemAddress, 0x800);
    EXPECT_EQ(layout.palette1->tmemAddress, 0x880);
    const std::string list = hw::DisplayList(layout, {});
    EXPECT_NE(list.find("gsDPLoadTLUT_pal16(0, texture_pal)"), std::string::npos) << list;
    EXPECT_NE(list.find("gsDPLoadTLUT_pal16(1, texture1_pal)"), std::string::npos) << list;
    EXPECT_NE(list.find("texture1_base"), std::string::npos) << list;
    EXPECT_TRUE(VerifyPlan(layout).ok()) << VerifyPlan(layout).describe();
    layout.palette1->loadTileSetTile = layout.palette->loadTileSetTile;
    EXPECT_FALSE(VerifyPlan(layout).ok());
}

// One palette number for both: loaded once, texture 1 drawn with texture 0's
// colours, and the model bears that out.
TEST(Material, TwoCi4TexturesShareAPalette) {
    const hw::Material second = Second(Chain(16, 16, Kind::CI4, 2), 2);
    hw::TileOptions first;
    first.palette = 2;
    const hw::Layout layout = hw::LayOut(Chain(32, 32, Kind::CI4, 1), first, &second);
    ASSERT_TRUE(layout.fits) << *layout.reason;
    EXPECT_FALSE(layout.palette1);
    EXPECT_EQ(hw::LoadCommands(layout).front().name, "SetTextureImage");
    EXPECT_NE(layout.notes.back().find("share palette 2"), std::string::npos);
    EXPECT_TRUE(VerifyPlan(layout).ok()) << VerifyPlan(layout).describe();
}

struct RefusedMaterial {
    const char* name;
    std::vector<hw::Level> first;
    hw::Material second;
    const char* reason;
};

class RefusedMaterials : public ::testing::TestWithParam<RefusedMaterial> {};

// Each refusal says why, and the model bears it out: the plan's own commands
// read some texel back wrong.
TEST_P(RefusedMaterials, SayWhyAndReadBackWrong) {
    const RefusedMaterial& row = GetParam();
    const hw::Layout layout = hw::LayOut(row.first, {}, &row.second);
    ASSERT_FALSE(layout.fits);
    EXPECT_EQ(*layout.reason, row.reason);
    EXPECT_FALSE(VerifyPlan(layout).ok());
}

// A CI8 texture's 256 entries fill 0x800 to 0xFFF, so a CI4 palette beside
// it overwrites 16 of them; texture 1 placed at word 32 lands on the last
// half of texture 0 (64 words).
INSTANTIATE_TEST_SUITE_P(
    Material, RefusedMaterials,
    ::testing::Values(
        RefusedMaterial{"Ci8BesideCi4", Chain(32, 32, Kind::CI8, 1), Second(Chain(32, 32, Kind::CI4, 1), 0),
                        "a CI8 texture takes all 256 palette entries from 0x800: texture 1's palette would "
                        "overlap texture 0's"},
        RefusedMaterial{"Ci4BesideCi8", Chain(32, 32, Kind::CI4, 1), Second(Chain(16, 16, Kind::CI8, 1), 3),
                        "a CI8 texture takes all 256 palette entries from 0x800: texture 0's palette would "
                        "overlap texture 1's"},
        RefusedMaterial{"Texture1OnTexture0", Chain(32, 32, Kind::RGBA16, 1),
                        Second(Chain(32, 32, Kind::RGBA16, 1), 0, 128),
                        "texture 1 at word 128 overlaps texture 0, which ends at word 256"},
        RefusedMaterial{"PastTmem", Chain(16, 16, Kind::RGBA16, 1),
                        Second(Chain(32, 32, Kind::RGBA16, 1), 0, 400),
                        "texture 1 at word 400 ends at word 656, past TMEM's 512"},
        RefusedMaterial{
            "LutTypeIsGlobal", Chain(16, 16, Kind::CI4_IA16, 1), Second(Chain(16, 16, Kind::CI4, 1), 1),
            "the palette's colour type is global: the base (CI4_IA16) cannot be drawn beside texture "
            "1's base (CI4)"},
        RefusedMaterial{
            "PaletteModeIsGlobal", Chain(16, 16, Kind::CI4, 1), Second(Chain(16, 16, Kind::RGBA16, 1)),
            "palette mode is global: the base (CI4) cannot be drawn beside texture 1's base (RGBA16)"}),
    test::RowName());

// A picture of random stored values as one level, with a palette for CI.
Texture Picture(int width, int height, Kind kind, std::mt19937& random) {
    const int colours = kind == Kind::CI8 ? 256 : 16;
    return Make({hw::Level{0, LevelRole::Base, width, height, kind, 0}}, {}, colours, random);
}

// Random pictures in pieces, with and without overlap: every piece's load
// reads back as the picture holds it. A load tile whose line is one word
// short, the mistake a hand-written list makes, does not.
TEST(Pieces, EveryPieceReadsBackOnTheModel) {
    std::mt19937 random(20261210);
    const Kind kinds[] = {Kind::RGBA32, Kind::RGBA16, Kind::IA16, Kind::IA8, Kind::IA4,
                          Kind::I8,     Kind::I4,     Kind::CI8,  Kind::CI4};
    int mended = 0;
    for (int n = 0; n < 60; ++n) {
        const Kind kind = kinds[n % 9];
        const int width = std::uniform_int_distribution<int>(1, 700)(random);
        const int height = std::uniform_int_distribution<int>(1, 200)(random);
        const hw::PiecePlan plan = hw::PlanPieces(width, height, kind, {n % 2 == 1, {}});
        ASSERT_FALSE(plan.refused) << *plan.refused;
        const Texture t = Picture(width, height, kind, random);
        const Result r = VerifyPieces(plan, t.reduced);
        ASSERT_TRUE(r.ok()) << KindName(kind) << " " << width << "x" << height << ": " << r.describe();
        EXPECT_EQ(r.texels, [&plan] {
            long texels = 0;
            for (const hw::Piece& p : plan.pieces)
                texels += static_cast<long>(p.width) * p.height;
            return texels;
        }());
        hw::PiecePlan wrong = plan;
        hw::Piece& first = wrong.pieces.front();
        if (first.line < 2 || first.height < 2)
            continue;
        first.loadTileSetTile =
            hw::words::SetTile(hw::FormatCode(kind), hw::BitsOf(kind) == 4 ? 1 : hw::SizeCode(kind),
                               first.line - 1, 0, hw::kLoadTile, 0, 0, 0, 0, 0, 0, 0);
        ++mended;
        EXPECT_FALSE(VerifyPieces(wrong, t.reduced).ok()) << KindName(kind) << " " << width << "x" << height;
    }
    EXPECT_GT(mended, 20);
}

// The whole list drawn: each piece's TextureRectangle with point sampling
// puts the picture on screen texel for texel, seams included.
TEST(Pieces, TheDrawnFrameIsThePicture) {
    struct Case {
        int width, height;
        Kind kind;
        bool overlap;
    };
    std::mt19937 random(11);
    for (const Case& c :
         {Case{100, 50, Kind::RGBA16, false}, Case{100, 50, Kind::RGBA16, true},
          Case{301, 40, Kind::CI4, true}, Case{70, 40, Kind::RGBA32, false}, Case{90, 60, Kind::IA8, true}}) {
        const hw::PiecePlan plan = hw::PlanPieces(c.width, c.height, c.kind, {c.overlap, {}});
        ASSERT_GT(plan.pieces.size(), 1u);
        const Texture t = Picture(c.width, c.height, c.kind, random);
        const reduce::ReducedLevel& level = t.reduced.levels.front();
        const std::vector<std::uint8_t> data = reduce::LevelBytes(level, {});
        const std::vector<std::uint8_t> palette =
            plan.palette ? reduce::PaletteBytes(t.reduced) : std::vector<std::uint8_t>{};
        const std::size_t image = (static_cast<std::size_t>(plan.palette ? plan.palette->offset : 0) +
                                   palette.size() + data.size() + 63) /
                                  64 * 64;
        rdp::Rdp model(image + 4u * static_cast<std::size_t>(c.width * c.height));
        std::copy(data.begin(), data.end(), model.rdram().begin());
        if (plan.palette)
            std::copy(palette.begin(), palette.end(), model.rdram().begin() + plan.palette->offset);
        rdp::DrawModes modes;
        modes.filter = rdp::Filter::Point;
        modes.tlut = plan.palette ? rdp::TlutMode::Rgba16 : rdp::TlutMode::None;
        std::vector<std::uint64_t> words = {
            rdp::ColorImageWord(rdp::Bits32, c.width, static_cast<std::uint32_t>(image)),
            rdp::ScissorWord(0, 0, c.width, c.height), rdp::OtherModesWord(modes),
            rdp::CombineWord(rdp::CombineForm::Texel0, false)};
        for (const hw::Command& command : hw::PieceCommands(plan))
            words.push_back(command.word);
        words.push_back(rdp::kSyncFull);
        model.run(words);
        const std::vector<rdp::Rgba8> frame = rdp::ReadColorImage(model, c.width, c.height);
        for (int y = 0; y < c.height; ++y) {
            for (int x = 0; x < c.width; ++x) {
                const std::size_t i = static_cast<std::size_t>(y) * static_cast<std::size_t>(c.width) +
                                      static_cast<std::size_t>(x);
                rdp::Rgba8 expected = ExpectedTexel(level, level.texels[i], t.reduced);
                expected.a = 255;
                ASSERT_EQ(frame[i], expected) << KindName(c.kind) << " pixel (" << x << ", " << y << ")";
            }
        }
    }
}

} // namespace
} // namespace vellora::verify
