// SPDX-License-Identifier: MIT
// The console scene of a texture: drawn on the model, written as words and
// RDRAM, and replayed from those files to the same pixels.
#include "document/console.h"
#include "hardware/layout.h"
#include "reduce/reduce.h"
#include "verify/verify.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace vellora::doc {
namespace {

hw::Layout Chain(Kind kind, int w, int h, int levels) {
    std::vector<hw::Level> list;
    for (int i = 0; i < levels; ++i)
        list.push_back({i, i == 0 ? LevelRole::Base : LevelRole::Mip, std::max(w >> i, 1),
                        std::max(h >> i, 1), kind, i});
    return hw::LayOut(list, {});
}

TEST(ConsoleScene, ReplayedFromItsFilesGivesTheSamePixels) {
    struct Row {
        const char* name;
        Kind kind;
        ConsoleOptions options;
    } rows[] = {
        {"flat rectangle, 1-cycle bilerp",
         Kind::RGBA16,
         {rdp::Filter::Bilerp, false, false, SceneKind::Flat, 40, 30, 2.5}},
        {"flat triangles with LOD, 2-cycle",
         Kind::CI8,
         {rdp::Filter::Bilerp, true, true, SceneKind::Flat, 40, 30, 0.3}},
        {"floor, average, 16-bit image",
         Kind::IA8,
         {rdp::Filter::Average, true, true, SceneKind::Floor, 48, 32, 2, 16}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const hw::Layout layout = Chain(row.kind, 16, 16, 5);
        ASSERT_TRUE(layout.fits);
        const SceneBuild build = BuildScene(layout, verify::PatternTexture(layout), row.options);
        ASSERT_TRUE(build.scene) << build.refused;
        const Scene& scene = *build.scene;
        const ConsoleImage drawn = RenderScene(scene, true);
        ASSERT_FALSE(drawn.error) << *drawn.error;
        const long covered = std::count_if(drawn.samples.begin(), drawn.samples.end(),
                                           [](const rdp::Sample& s) { return s.drawn; });
        EXPECT_GT(covered, scene.width * scene.height / 4);

        std::string error;
        const auto words = ParseSceneWords(SceneWordsText(scene), &error);
        ASSERT_TRUE(words) << error;
        ASSERT_EQ(*words, scene.words);
        rdp::Rdp replay(scene.imageAddress + static_cast<std::size_t>(scene.width * scene.height * 4));
        std::copy(scene.rdram.begin(), scene.rdram.begin() + static_cast<std::ptrdiff_t>(scene.dataBytes),
                  replay.rdram().begin());
        replay.run(*words);
        EXPECT_EQ(rdp::ReadColorImage(replay, scene.width, scene.height), drawn.pixels);
    }
}

TEST(ConsoleScene, PointSamplingAtScaleOneShowsTheStoredTexels) {
    const hw::Layout layout = Chain(Kind::RGBA16, 8, 8, 1);
    const reduce::ReducedTexture texture = verify::PatternTexture(layout);
    ConsoleOptions o;
    o.sampling = rdp::Filter::Point;
    o.lod = false;
    o.width = o.height = 8;
    const SceneBuild build = BuildScene(layout, texture, o);
    ASSERT_TRUE(build.scene);
    const ConsoleImage image = RenderScene(*build.scene);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const reduce::ReducedLevel& level = texture.levels[0];
            rdp::Rgba8 expected =
                verify::ExpectedTexel(level, level.texels[static_cast<std::size_t>(y * 8 + x)], texture);
            expected.a = 255;
            ASSERT_EQ(image.pixels[static_cast<std::size_t>(y * 8 + x)], expected) << x << "," << y;
        }
}

// A cut-out drawn with the 3-point filter: the left half white, the right
// half clear (stored black in the file). Clear texels take their opaque
// neighbours' colour, so the seam the filter blends across stays white; a
// clear texel left black would draw a grey fringe there.
TEST(ConsoleScene, ACutOutEdgeDrawsNoDarkFringe) {
    TileTable tiles{};
    tiles[0].Width = tiles[0].Height = 4;
    tiles[0].Pixels = PixelGrid(4, 4);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 2; ++c)
            std::fill_n(tiles[0].Pixels.at(r, c), 4, std::uint8_t{255});
    const hw::Layout layout = Chain(Kind::RGBA16, 4, 4, 1);
    const reduce::ReducedTexture texture =
        reduce::ReduceTexture(tiles, layout.levels, PictureSource{true, {}}, {}, {});
    ConsoleOptions options;
    options.sampling = rdp::Filter::Bilerp;
    options.width = options.height = 16;
    options.scale = 4;
    const SceneBuild build = BuildScene(layout, texture, options);
    ASSERT_TRUE(build.scene) << build.refused;
    const ConsoleImage drawn = RenderScene(*build.scene);
    ASSERT_FALSE(drawn.error) << *drawn.error;
    const auto darkest = std::min_element(drawn.pixels.begin(), drawn.pixels.end(),
                                          [](const rdp::Rgba8& a, const rdp::Rgba8& b) { return a.r < b.r; });
    EXPECT_GE(darkest->r, 248) << "pixel " << darkest - drawn.pixels.begin();
}

TEST(ConsoleScene, RefusedWhatCannotBeDrawn) {
    const hw::Layout fits = Chain(Kind::RGBA16, 8, 8, 1);
    ConsoleOptions tooWide;
    tooWide.width = 2000;
    ConsoleOptions tooSmall;
    tooSmall.scale = 0.01;
    for (const ConsoleOptions& o : {tooWide, tooSmall})
        EXPECT_FALSE(BuildScene(fits, verify::PatternTexture(fits), o).scene);
    const hw::Layout big = Chain(Kind::RGBA32, 64, 64, 1);
    ASSERT_FALSE(big.fits);
    EXPECT_FALSE(BuildScene(big, verify::PatternTexture(big), {}).scene);
    std::string error;
    EXPECT_FALSE(ParseSceneWords("E900000000000000\nnot a word\n", &error));
    EXPECT_EQ(error, "line 2 is not a command word (16 hex digits)");
}

} // namespace
} // namespace vellora::doc
