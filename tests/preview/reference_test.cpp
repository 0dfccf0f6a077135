// SPDX-License-Identifier: MIT
// The renderer builds whole rows at a time, copies spans and repeats, and
// picks a way of mixing per weight. Here a plain texel-by-texel drawing,
// written straight from the drawing rules, is compared with it pixel for
// pixel on random pictures.
#include "exactmix.h"
#include "preview/renderer.h"

#include "namedrows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <string>
#include <vector>

namespace vellora {
namespace {

using vellora::test::PrintTo;

using testing::ExactMix;
using Rgb = std::array<int, 3>;

constexpr std::uint32_t kClear = 0x654321;

class Picture {
  public:
    Picture(int w, int h, std::int64_t surfW, std::int64_t surfH)
        : w_(w), h_(h), drawW_(std::min<std::int64_t>(w, surfW)), drawH_(std::min<std::int64_t>(h, surfH)),
          rgb_(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 3u) {
        for (std::size_t k = 0; k < rgb_.size(); k += 3) {
            rgb_[k] = 0x65;
            rgb_[k + 1] = 0x43;
            rgb_[k + 2] = 0x21;
        }
    }
    // Fills the block of size x size pixels at (left, top), as far as it is
    // on the surface and in view.
    void block(std::int64_t left, std::int64_t top, std::int64_t size, const Rgb& c) {
        for (std::int64_t y = std::max<std::int64_t>(top, 0); y < std::min(top + size, drawH_); ++y)
            for (std::int64_t x = std::max<std::int64_t>(left, 0); x < std::min(left + size, drawW_); ++x) {
                std::uint8_t* p = &rgb_[static_cast<std::size_t>((y * w_ + x) * 3)];
                p[0] = static_cast<std::uint8_t>(c[0]);
                p[1] = static_cast<std::uint8_t>(c[1]);
                p[2] = static_cast<std::uint8_t>(c[2]);
            }
    }
    const std::vector<std::uint8_t>& rgb() const { return rgb_; }

  private:
    int w_, h_;
    std::int64_t drawW_, drawH_;
    std::vector<std::uint8_t> rgb_;
};

Rgb TexelOf(const TileLevel& level, std::int64_t row, std::int64_t col) {
    const std::uint8_t* p = level.Pixels.at(static_cast<int>(row), static_cast<int>(col));
    return {p[0], p[1], p[2]};
}

Rgb Mixed(double w, const Rgb& a, const Rgb& b) {
    return {ExactMix(w, a[0], b[0]), ExactMix(w, a[1], b[1]), ExactMix(w, a[2], b[2])};
}

// The k-th random number (from 0) gives the colour value (k + 1) * 97.
double RandomValue(int k) {
    return (k + 1) * 97 / 16000000.0;
}

Picture Reference(const TileTable& t, const PreviewPlan& plan) {
    Picture pic(plan.viewW, plan.viewH, plan.surfaceW, plan.surfaceH);
    if (!plan.zoomValid)
        return pic;
    const std::int64_t cell = 2 * plan.zoom;
    int calls = 0;
    for (std::int64_t y = 0; y < plan.surfaceH && y < plan.viewH; y += cell)
        for (std::int64_t x = 0; x < plan.surfaceW && x < plan.viewW; x += cell) {
            const int v = (calls++ + 1) * 97;
            pic.block(x, y, cell, {v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF});
        }

    if (plan.useDetailPass) {
        if (!plan.shiftValid || plan.zoom % plan.shiftScale != 0 || !plan.lodFracValid)
            return pic;
        const TileLevel& d = t[0];
        const TileLevel& b = t[1];
        const std::int64_t scale = plan.shiftScale;
        const std::int64_t s = plan.zoom / scale;
        const double f = std::max(plan.tileFrac, plan.lodFrac);
        for (std::int64_t r = 0; r < 3; ++r)
            for (std::int64_t c = 0; c < 3; ++c)
                for (std::int64_t i = 0; i < b.Height * scale; ++i) {
                    const std::int64_t top = r * plan.basePitchH * plan.zoom + i * s;
                    if (top > plan.viewH)
                        break;
                    for (std::int64_t j = 0; j < b.Width * scale; ++j) {
                        const std::int64_t left = c * plan.basePitchW * plan.zoom + j * s;
                        if (left > plan.viewW)
                            break;
                        pic.block(left, top, s,
                                  Mixed(f, TexelOf(d, i % d.Height, j % d.Width),
                                        TexelOf(b, i / scale, j / scale)));
                    }
                }
        return pic;
    }

    if (!plan.tileValid || !plan.levelScaleValid)
        return pic;
    const int index = plan.tileIndex;
    const TileLevel& level = t[static_cast<std::size_t>(index)];
    const bool blend = index < kLevelCount - 1 && t[static_cast<std::size_t>(index) + 1].BitDepth != 0 &&
                       plan.tileFrac != 0.0f;
    const std::int64_t size = plan.zoom * plan.levelScale;
    for (std::int64_t r = 0; r < 3; ++r)
        for (std::int64_t c = 0; c < 3; ++c)
            for (std::int64_t y = 0; y < level.Height; ++y)
                for (std::int64_t x = 0; x < level.Width; ++x) {
                    const std::int64_t left = (c * plan.pitchW + x) * size;
                    const std::int64_t top = (r * plan.pitchH + y) * size;
                    if (left > plan.viewW || top > plan.viewH)
                        break;
                    Rgb colour = TexelOf(level, y, x);
                    if (blend)
                        colour = Mixed(plan.tileFrac, colour,
                                       TexelOf(t[static_cast<std::size_t>(index) + 1], y / 2, x / 2));
                    pic.block(left, top, size, colour);
                }
    return pic;
}

struct Scene {
    TileTable tiles;
    PreviewInput input;
    std::string text;
};

// A random pyramid (sizes not powers of two, grids sometimes wider and
// taller than their levels, random alpha), a random detail map, position,
// zoom, Shift, clamp and viewport.
Scene RandomScene(std::mt19937& rng) {
    auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    // The grid covers at least minRows x minCols: a level is blended with
    // texel (y / 2, x / 2) of the next, which an odd size leaves uncovered.
    auto level = [&](int w, int h, int minRows = 0, int minCols = 0) {
        TileLevel lv;
        lv.Width = lv.LineWidth = w;
        lv.Height = h;
        lv.BitDepth = 16;
        lv.Pixels = PixelGrid(std::max(minRows, h + pick(0, 1) * pick(0, 2)),
                              std::max(minCols, w + pick(0, 1) * pick(0, 3)));
        for (auto& byte : lv.Pixels.bytes())
            byte = static_cast<std::uint8_t>(pick(0, 255));
        return lv;
    };
    Scene scene;
    PreviewInput& in = scene.input;
    in.detailFlag = pick(0, 1);
    if (in.detailFlag == 1)
        scene.tiles[0] = level(pick(1, 20), pick(1, 20));
    int w = pick(1, 40), h = pick(1, 40);
    int last = in.detailFlag;
    int needRows = 0, needCols = 0;
    for (int i = in.detailFlag; i < kLevelCount; ++i) {
        scene.tiles[static_cast<std::size_t>(i)] = level(w, h, needRows, needCols);
        last = i;
        if ((w == 1 && h == 1) || pick(0, 5) == 0)
            break;
        needRows = (h + 1) / 2;
        needCols = (w + 1) / 2;
        w = std::max(1, w / 2);
        h = std::max(1, h / 2);
    }
    const int zooms[] = {1, 2, 3, 4, 5, 8, 16, 32};
    in.zoom = zooms[pick(0, 7)];
    const char* shifts[] = {"0", "1", "2", "3", "1.5"};
    in.shiftText = shifts[pick(0, 4)];
    const char* clamps[] = {"0.8", "0.5", "0.37", "0.1", "0.95"};
    in.lodFracText = clamps[pick(0, 4)];
    if (pick(0, 3) == 0)
        in.tilePos = std::uniform_real_distribution<float>(0.0f, static_cast<float>(last))(rng);
    else
        in.tilePos = static_cast<float>(pick(0, 10 * last)) / 10.0f;
    in.viewW = pick(1, 300);
    in.viewH = pick(1, 200);
    scene.text = "detail " + std::to_string(in.detailFlag) + ", base " +
                 std::to_string(scene.tiles[static_cast<std::size_t>(in.detailFlag)].Width) + " x " +
                 std::to_string(scene.tiles[static_cast<std::size_t>(in.detailFlag)].Height) + ", zoom " +
                 std::to_string(in.zoom) + ", shift " + in.shiftText + ", clamp " + in.lodFracText +
                 ", tile " + std::to_string(in.tilePos) + ", view " + std::to_string(in.viewW) + " x " +
                 std::to_string(in.viewH);
    return scene;
}

// Renders the scene and compares every pixel with the plain drawing.
// A level of noise: every byte random, so no two texels mix alike by chance.
TileLevel RandomLevel(std::mt19937& rng, int w, int h) {
    TileLevel lv;
    lv.Width = lv.LineWidth = w;
    lv.Height = h;
    lv.BitDepth = 16;
    lv.Pixels = PixelGrid(h, w);
    for (auto& byte : lv.Pixels.bytes())
        byte = static_cast<std::uint8_t>(rng());
    return lv;
}

void ExpectMatchesReference(const Scene& scene) {
    const PreviewPlan plan = PlanPreview(scene.tiles, scene.input);
    int calls = 0;
    PreviewResult result = RenderPreview(
        scene.tiles, scene.input, [&calls] { return RandomValue(calls++); }, {}, {}, kClear);
    ASSERT_TRUE(result.completed) << scene.text;
    for (const PreviewFailure& f : result.failures)
        ASSERT_NE(f.step, PreviewStep::Texture) << scene.text << ": " << f.description;
    const Picture want = Reference(scene.tiles, plan);
    ASSERT_EQ(result.rgb.size(), want.rgb().size()) << scene.text;
    for (std::size_t k = 0; k < want.rgb().size(); k += 3)
        ASSERT_TRUE(std::equal(want.rgb().begin() + static_cast<std::ptrdiff_t>(k),
                               want.rgb().begin() + static_cast<std::ptrdiff_t>(k) + 3,
                               result.rgb.begin() + static_cast<std::ptrdiff_t>(k)))
            << scene.text << ": first difference at pixel (" << (k / 3) % static_cast<std::size_t>(plan.viewW)
            << ", " << (k / 3) / static_cast<std::size_t>(plan.viewW) << ")";
}

TEST(Reference, RandomPicturesMatchTexelByTexelDrawing) {
    std::mt19937 rng(4096);
    int detailPasses = 0, blendedLevels = 0;
    for (int trial = 0; trial < 600; ++trial) {
        const Scene scene = RandomScene(rng);
        ExpectMatchesReference(scene);
        if (::testing::Test::HasFatalFailure())
            return;
        const PreviewPlan plan = PlanPreview(scene.tiles, scene.input);
        detailPasses += plan.useDetailPass;
        blendedLevels += !plan.useDetailPass && plan.tileFrac != 0.0f;
    }
    // The draw must have reached both passes often enough to mean something.
    EXPECT_GT(detailPasses, 100);
    EXPECT_GT(blendedLevels, 100);
}

// Sizes the random scenes do not reach: a detail map whose repeated rows
// are too big to keep for the pass, wide viewports, big ShiftScale.
struct FixedRow {
    const char* name;
    int detailW, detailH, baseW, baseH;
    int zoom;
    const char* shift;
    float tilePos;
    int viewW, viewH;
};

class ReferenceScenes : public ::testing::TestWithParam<FixedRow> {};

TEST_P(ReferenceScenes, MatchTexelByTexelDrawing) {
    const FixedRow& row = GetParam();
    std::mt19937 rng(7);
    auto level = [&rng](int w, int h) { return RandomLevel(rng, w, h); };
    Scene scene;
    scene.input.detailFlag = row.detailW > 0 ? 1 : 0;
    if (row.detailW > 0)
        scene.tiles[0] = level(row.detailW, row.detailH);
    scene.tiles[static_cast<std::size_t>(scene.input.detailFlag)] = level(row.baseW, row.baseH);
    scene.tiles[static_cast<std::size_t>(scene.input.detailFlag) + 1] =
        level((row.baseW + 1) / 2, (row.baseH + 1) / 2);
    scene.input.zoom = row.zoom;
    scene.input.shiftText = row.shift;
    scene.input.lodFracText = "0.8";
    scene.input.tilePos = row.tilePos;
    scene.input.viewW = row.viewW;
    scene.input.viewH = row.viewH;
    scene.text = row.name;
    ExpectMatchesReference(scene);
}

INSTANTIATE_TEST_SUITE_P(
    Preview, ReferenceScenes,
    ::testing::Values(FixedRow{"DetailRowsTooBigToKeep", 100, 120, 2100, 70, 2, "1", 0.0f, 4000, 130},
                      FixedRow{"DetailRowsTooBigToKeepNearTies", 100, 120, 2100, 70, 2, "1", 0.9f, 4000, 130},
                      FixedRow{"DetailWiderThanView", 64, 3, 40, 20, 2, "1", 0.3f, 50, 40},
                      FixedRow{"ShiftFiveZoom32", 7, 5, 9, 6, 32, "5", 0.0f, 300, 200},
                      FixedRow{"ShiftScaleThree", 5, 3, 13, 11, 3, "1.5", 0.5f, 200, 150},
                      FixedRow{"WideLevelHalfBlend", 0, 0, 1000, 30, 2, "1", 0.5f, 1920, 70},
                      FixedRow{"WideLevelZoom1", 0, 0, 1000, 30, 1, "1", 0.7f, 1920, 70},
                      FixedRow{"LevelZoom3", 0, 0, 101, 77, 3, "1", 0.4f, 333, 222}),
    vellora::test::RowName());

// The row steps work in whole vector steps (4, 16 or 18 texels spread at a
// time, 32 bytes mixed at a time) and finish the rest byte by byte; every
// row width from 1 to 48 texels puts the cut somewhere else. Each pass
// kind is swept over all of them with a view exactly as wide as the row.
struct StepEdgeRow {
    const char* name;
    bool detail;
    const char* shift;
    float tilePos;
};

class StepEdges : public ::testing::TestWithParam<StepEdgeRow> {};

TEST_P(StepEdges, EveryRowWidthMatchesTexelByTexelDrawing) {
    const StepEdgeRow& row = GetParam();
    std::mt19937 rng(11);
    auto level = [&rng](int w, int h) { return RandomLevel(rng, w, h); };
    for (int width = 1; width <= 48; ++width) {
        Scene scene;
        scene.input.detailFlag = row.detail ? 1 : 0;
        if (row.detail)
            scene.tiles[0] = level(5, 3);
        const auto baseIndex = static_cast<std::size_t>(scene.input.detailFlag);
        scene.tiles[baseIndex] = level(width, 6);
        scene.tiles[baseIndex + 1] = level((width + 1) / 2, 3);
        scene.input.zoom = 2;
        scene.input.shiftText = row.shift;
        scene.input.lodFracText = "0.8";
        scene.input.tilePos = row.tilePos;
        scene.input.viewW = 2 * width;
        scene.input.viewH = 12;
        scene.text = std::string(row.name) + ", width " + std::to_string(width);
        ExpectMatchesReference(scene);
        if (::testing::Test::HasFatalFailure())
            return;
    }
}

INSTANTIATE_TEST_SUITE_P(Preview, StepEdges,
                         ::testing::Values(StepEdgeRow{"LevelHalfBlend", false, "1", 0.5f},
                                           StepEdgeRow{"LevelShortBlend", false, "1", 0.3f},
                                           StepEdgeRow{"LevelUnblended", false, "1", 0.0f},
                                           StepEdgeRow{"DetailSplitParts", true, "1", 0.0f},
                                           StepEdgeRow{"DetailZoomOneTexel", true, "0", 0.0f}),
                         vellora::test::RowName());

} // namespace
} // namespace vellora
