// SPDX-License-Identifier: MIT
#include "preview/renderer.h"

#include "namedrows.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <limits>
#include <string>

namespace vellora {
namespace {

using vellora::test::PrintTo;

using Rgb = std::array<int, 3>;
using Paint = std::function<Rgb(int row, int col)>;

constexpr std::uint32_t kClear = 0x123456;
const Rgb kClearRgb{0x12, 0x34, 0x56};

TileLevel MakeLevel(int w, int h, const Paint& paint, int gridRows = -1, int gridCols = -1) {
    TileLevel level;
    level.Width = w;
    level.LineWidth = w;
    level.Height = h;
    level.BitDepth = 4;
    level.Pixels = PixelGrid(gridRows < 0 ? h : gridRows, gridCols < 0 ? w : gridCols);
    for (int r = 0; r < level.Pixels.rows(); ++r)
        for (int c = 0; c < level.Pixels.cols(); ++c) {
            Rgb v = paint(r, c);
            std::uint8_t* p = level.Pixels.at(r, c);
            p[0] = static_cast<std::uint8_t>(v[0]);
            p[1] = static_cast<std::uint8_t>(v[1]);
            p[2] = static_cast<std::uint8_t>(v[2]);
            p[3] = 255;
        }
    return level;
}

// Every texel of every level tells where it came from.
Rgb Marked(int level, int row, int col) {
    return {level * 30 + 1, row * 3 % 256, col * 5 % 256};
}

// A halving pyramid starting at index `first`, down to 1 texel or index 7.
TileTable Pyramid(int w, int h, int first = 0) {
    TileTable t;
    for (int i = first; i < kLevelCount && w >= 1 && h >= 1; ++i) {
        t[static_cast<std::size_t>(i)] = MakeLevel(w, h, [i](int r, int c) { return Marked(i, r, c); });
        if (w == 1 || h == 1)
            break;
        w /= 2;
        h /= 2;
    }
    return t;
}

Rgb Texel(const TileTable& t, int level, int row, int col) {
    const std::uint8_t* p = t[static_cast<std::size_t>(level)].Pixels.at(row, col);
    return {p[0], p[1], p[2]};
}

Rgb At(const PreviewResult& r, int x, int y) {
    const std::uint8_t* p = r.rgb.data() + (static_cast<std::size_t>(y) * r.viewW + x) * 3;
    return {p[0], p[1], p[2]};
}

// Deterministic random source: the k-th call gives a value whose colour is
// (k + 1) * 160, so every background cell can be traced to its call.
struct Counter {
    int calls = 0;
    PreviewRandom source() {
        return [this] { return (++calls) * 160 / 16000000.0; };
    }
};

Rgb CellColour(int callIndex) { // callIndex from 0
    int v = (callIndex + 1) * 160;
    return {v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF};
}

PreviewInput Input(int detailFlag, int zoom, float tilePos, std::string shift = "1",
                   std::string lod = "0.8") {
    PreviewInput in;
    in.detailFlag = detailFlag;
    in.zoom = zoom;
    in.tilePos = tilePos;
    in.shiftText = std::move(shift);
    in.lodFracText = std::move(lod);
    return in;
}

PreviewResult Render(const TileTable& t, const PreviewInput& in, const PreviewCheckpoint& cp = {}) {
    Counter counter;
    return RenderPreview(t, in, counter.source(), cp, {}, kClear);
}

// Independent half-to-even mean of two bytes.
int HalfEvenMean(int a, int b) {
    int sum = a + b;
    if (sum % 2 == 0)
        return sum / 2;
    int low = sum / 2;
    return low % 2 == 0 ? low : low + 1;
}

// ---------------------------------------------------------------- geometry

struct GeometryRow {
    const char* name;
    int detailFlag;
    int baseW, baseH;
    int zoom;
    float tilePos;
    const char* shift;
    std::int64_t sizedW, sizedH, surfaceW, surfaceH;
    int zoomAfter;
    std::int64_t pitchW, levelScale;
};

class Geometry : public ::testing::TestWithParam<GeometryRow> {};

TEST_P(Geometry, SurfacePitchAndZoom) {
    const GeometryRow& row = GetParam();
    TileTable t = Pyramid(row.baseW, row.baseH, row.detailFlag);
    if (row.detailFlag == 1)
        t[0] = MakeLevel(16, 16, [](int, int) { return Rgb{0, 0, 0}; });
    PreviewPlan plan = PlanPreview(t, Input(row.detailFlag, row.zoom, row.tilePos, row.shift));
    EXPECT_TRUE(plan.failures.empty());
    EXPECT_EQ(plan.sizedW, row.sizedW);
    EXPECT_EQ(plan.sizedH, row.sizedH);
    EXPECT_EQ(plan.surfaceW, row.surfaceW);
    EXPECT_EQ(plan.surfaceH, row.surfaceH);
    EXPECT_EQ(plan.zoom, row.zoomAfter);
    EXPECT_EQ(plan.pitchW, row.pitchW);
    EXPECT_EQ(plan.levelScale, row.levelScale);
}

INSTANTIATE_TEST_SUITE_P(
    Preview, Geometry,
    ::testing::Values(
        GeometryRow{"Base64Zoom2", 0, 64, 64, 2, 0.0f, "1", 384, 384, 384, 384, 2, 64, 1},
        GeometryRow{"Width47PitchesTo64", 0, 47, 64, 2, 0.0f, "1", 384, 384, 384, 384, 2, 64, 1},
        GeometryRow{"Level2Of64", 0, 64, 64, 2, 2.5f, "1", 384, 384, 384, 384, 2, 16, 4},
        GeometryRow{"Shift2RaisesZoomTo4", 1, 64, 64, 2, 0.0f, "2", 384, 384, 768, 768, 4, 16, 4},
        GeometryRow{"Shift5Zoom32Stays", 1, 64, 64, 32, 0.0f, "5", 6144, 6144, 6144, 6144, 32, 16, 4},
        GeometryRow{"Shift1Zoom3To4", 1, 64, 32, 3, 0.0f, "1", 576, 288, 768, 384, 4, 16, 2},
        GeometryRow{"NoDetailNoAlignment", 0, 64, 64, 3, 0.0f, "2", 576, 576, 576, 576, 3, 64, 1},
        // The surface follows the aligned zoom on every level, not only the top one.
        GeometryRow{"AlignedZoomResizesAnyLevel", 1, 64, 64, 2, 1.5f, "2", 384, 384, 768, 768, 4, 64, 1},
        GeometryRow{"TallRatioRounds", 0, 100, 20, 1, 4.0f, "1", 384, 96, 384, 96, 1, 8, 20}),
    vellora::test::RowName());

// ---------------------------------------------------------------- level pass

TEST(LevelPass, Base64Zoom2RepeatsEvery128Pixels) {
    TileTable t = Pyramid(64, 64);
    PreviewResult r = Render(t, Input(0, 2, 0.0f));
    ASSERT_TRUE(r.completed);
    EXPECT_TRUE(r.failures.empty());
    ASSERT_EQ(r.viewW, 360);
    ASSERT_EQ(r.viewH, 260);
    for (int y = 0; y < r.viewH; ++y)
        for (int x = 0; x < r.viewW; ++x)
            ASSERT_EQ(At(r, x, y), Texel(t, 0, (y % 128) / 2, (x % 128) / 2)) << x << "," << y;
}

TEST(LevelPass, OddWidthLeavesBackgroundBandUntilThePitch) {
    TileTable t;
    t[0] = MakeLevel(47, 64, [](int r, int c) { return Marked(0, r, c); });
    PreviewResult r = Render(t, Input(0, 2, 0.0f));
    ASSERT_TRUE(r.completed);
    // 90 background cells of 4 pixels per row lie inside the 360-pixel viewport.
    for (int y = 0; y < r.viewH; ++y)
        for (int x = 0; x < r.viewW; ++x) {
            int inRepeat = x % 128;
            Rgb want =
                inRepeat < 94 ? Texel(t, 0, (y % 128) / 2, inRepeat / 2) : CellColour((y / 4) * 90 + x / 4);
            ASSERT_EQ(At(r, x, y), want) << x << "," << y;
        }
}

TEST(LevelPass, HalfPositionBlendsWithNextLevelHalfToEven) {
    TileTable t = Pyramid(64, 64);
    // Odd and even neighbours so that ties round both ways.
    t[2] = MakeLevel(16, 16, [](int r, int c) { return Rgb{(r + c) % 4, 2 * c + 1, 200}; });
    t[3] = MakeLevel(8, 8, [](int r, int c) { return Rgb{(r * 3 + c) % 5, 2 * c, 255}; });
    PreviewResult r = Render(t, Input(0, 2, 2.5f));
    ASSERT_TRUE(r.completed);
    for (int y = 0; y < r.viewH; ++y)
        for (int x = 0; x < r.viewW; ++x) {
            int ty = (y % 128) / 8, tx = (x % 128) / 8; // texels of 4 x zoom pixels
            Rgb p = Texel(t, 2, ty, tx), n = Texel(t, 3, ty / 2, tx / 2);
            Rgb want{HalfEvenMean(p[0], n[0]), HalfEvenMean(p[1], n[1]), HalfEvenMean(p[2], n[2])};
            ASSERT_EQ(At(r, x, y), want) << x << "," << y;
        }
}

struct NoBlendRow {
    const char* name;
    int first; // index of the base texture
    float tilePos;
    int level;
};

class LevelAlone : public ::testing::TestWithParam<NoBlendRow> {};

TEST_P(LevelAlone, LastLevelIsNotBlended) {
    const NoBlendRow& row = GetParam();
    TileTable t = Pyramid(128, 128, row.first);
    if (row.first == 1)
        t[0] = MakeLevel(16, 16, [](int, int) { return Rgb{9, 9, 9}; });
    // A stray picture above the last level must not be mixed in.
    if (row.level < 7)
        t[static_cast<std::size_t>(row.level) + 1] = MakeLevel(1, 1, [](int, int) { return Rgb{7, 7, 7}; });
    if (row.level < 7)
        t[static_cast<std::size_t>(row.level) + 1].BitDepth = 0;
    PreviewResult r = Render(t, Input(row.first, 1, row.tilePos, "0"));
    ASSERT_TRUE(r.completed);
    const TileLevel& lv = t[static_cast<std::size_t>(row.level)];
    int block = 128 / lv.Height;
    for (int y = 0; y < r.viewH; y += 7)
        for (int x = 0; x < r.viewW; x += 7) {
            int px = x % 128, py = y % 128;
            ASSERT_EQ(At(r, x, y), Texel(t, row.level, py / block, px / block)) << x << "," << y;
        }
}

INSTANTIATE_TEST_SUITE_P(Preview, LevelAlone,
                         ::testing::Values(NoBlendRow{"LastLevelWhole", 0, 7.0f, 7},
                                           NoBlendRow{"LastLevelWithFraction", 0, 7.5f, 7},
                                           NoBlendRow{"Index7WithDetailMap", 1, 7.9f, 7},
                                           NoBlendRow{"NextRecordUnused", 1, 5.5f, 5}),
                         vellora::test::RowName());

TEST(LevelPass, Zoom32OnLevelSixteenTimesSmallerDraws512PixelBlocks) {
    TileTable t = Pyramid(64, 64);
    PreviewInput in = Input(0, 32, 4.0f); // level 4 is 4 x 4
    in.viewW = 1100;
    in.viewH = 600;
    PreviewResult r = Render(t, in);
    ASSERT_TRUE(r.completed);
    struct Probe {
        int x, y, row, col;
    };
    for (Probe p : {Probe{0, 0, 0, 0}, Probe{511, 511, 0, 0}, Probe{512, 0, 0, 1}, Probe{511, 512, 1, 0},
                    Probe{1023, 599, 1, 1}, Probe{1024, 0, 0, 2}})
        EXPECT_EQ(At(r, p.x, p.y), Texel(t, 4, p.row, p.col)) << p.x << "," << p.y;
}

// ---------------------------------------------------------------- detail pass

// The start-up picture: a black and white detail map over a white base with a grey X.
TileTable StartupTable() {
    TileTable t;
    t[0] = MakeLevel(
        16, 16,
        [](int r, int c) {
            return (r * 7 + c * 3) % 5 < 2 ? Rgb{255, 255, 255} : Rgb{0, 0, 0};
        },
        17, 17);
    t[1] = MakeLevel(
        64, 64,
        [](int r, int c) {
            return (r == c || r + c == 64) ? Rgb{90, 90, 90} : Rgb{255, 255, 255};
        },
        65, 65);
    return t;
}

struct DetailRow {
    const char* name;
    float tilePos;
    int blackOnWhite, whiteOnWhite, blackOnGrey, whiteOnGrey;
};

class DetailBlend : public ::testing::TestWithParam<DetailRow> {};

TEST_P(DetailBlend, StartupPictureMixesDetailIntoBase) {
    const DetailRow& row = GetParam();
    TileTable t = StartupTable();
    PreviewResult r = Render(t, Input(1, 2, row.tilePos, "1", "0.8"));
    ASSERT_TRUE(r.completed);
    EXPECT_TRUE(r.failures.empty());
    EXPECT_EQ(r.zoom, 2);
    for (int y = 0; y < r.viewH; ++y)
        for (int x = 0; x < r.viewW; ++x) {
            int i = y % 128, j = x % 128; // one detail texel per pixel, base texels of 2 x 2
            bool white = Texel(t, 0, i % 16, j % 16)[0] == 255;
            bool grey = Texel(t, 1, i / 2, j / 2)[0] == 90;
            int want = grey ? (white ? row.whiteOnGrey : row.blackOnGrey)
                            : (white ? row.whiteOnWhite : row.blackOnWhite);
            ASSERT_EQ(At(r, x, y), (Rgb{want, want, want})) << x << "," << y;
        }
}

// 0.9 as a single is 0.89999998, so 229.5 and 106.5 are not quite ties.
INSTANTIATE_TEST_SUITE_P(Preview, DetailBlend,
                         ::testing::Values(DetailRow{"ClampWeight08", 0.0f, 204, 255, 72, 123},
                                           DetailRow{"TilePosAboveClamp09", 0.9f, 229, 255, 81, 107}),
                         vellora::test::RowName());

TEST(DetailPass, Shift2RaisesZoomAndDrawsQuarterPixelDetail) {
    TileTable t = StartupTable();
    PreviewResult r = Render(t, Input(1, 2, 0.0f, "2", "0.5"));
    ASSERT_TRUE(r.completed);
    EXPECT_EQ(r.zoom, 4);
    EXPECT_EQ(r.sizedW, 384);
    EXPECT_EQ(r.surfaceW, 768);
    EXPECT_EQ(r.surfaceH, 768);
    // Four detail texels per base texel, one pixel each; a base texel is 4 x 4 pixels.
    for (int y = 0; y < r.viewH; ++y)
        for (int x = 0; x < r.viewW; ++x) {
            int i = y % 256, j = x % 256;
            int d = Texel(t, 0, i % 16, j % 16)[0], b = Texel(t, 1, i / 4, j / 4)[0];
            ASSERT_EQ(At(r, x, y)[0], HalfEvenMean(d, b)) << x << "," << y;
        }
}

// Half and half puts every odd sum on a tie: one texel a pixel (the mix
// written straight into the picture) and bigger blocks (mixed, then spread)
// must both round them to even.
struct MixPathRow {
    const char* name;
    bool detail;
    int zoom;
};

class MixPaths : public ::testing::TestWithParam<MixPathRow> {};

TEST_P(MixPaths, GiveExactHalfToEvenMeans) {
    const MixPathRow& row = GetParam();
    TileTable t;
    Paint noisy = [](int r, int c) {
        return Rgb{(r * 16 + c) % 256, (r * 37 + c * 11) % 256, (r + 3 * c) % 256};
    };
    PreviewInput in = Input(row.detail ? 1 : 0, row.zoom, row.detail ? 0.0f : 0.5f, "1", "0.5");
    if (row.detail) {
        t[0] = MakeLevel(16, 16, noisy); // every byte value appears
        t[1] = MakeLevel(256, 256, [](int r, int c) {
            return Rgb{(r * 5 + c) % 256, (c * 9) % 256, 255 - r};
        });
    } else {
        t[0] = MakeLevel(256, 256, noisy);
        t[1] = MakeLevel(128, 128, [](int r, int c) {
            return Rgb{(r * 5 + c) % 256, (c * 9) % 256, 255 - r};
        });
    }
    PreviewResult r = Render(t, in);
    ASSERT_TRUE(r.completed);
    for (int y = 0; y < r.viewH; ++y)
        for (int x = 0; x < r.viewW; ++x) {
            Rgb a, b;
            if (row.detail) {
                int s = row.zoom / 2, i = (y % (256 * row.zoom)) / s, j = (x % (256 * row.zoom)) / s;
                a = Texel(t, 0, i % 16, j % 16);
                b = Texel(t, 1, i / 2, j / 2);
            } else {
                int ty = (y % (256 * row.zoom)) / row.zoom, tx = (x % (256 * row.zoom)) / row.zoom;
                a = Texel(t, 0, ty, tx);
                b = Texel(t, 1, ty / 2, tx / 2);
            }
            Rgb want{HalfEvenMean(a[0], b[0]), HalfEvenMean(a[1], b[1]), HalfEvenMean(a[2], b[2])};
            ASSERT_EQ(At(r, x, y), want) << x << "," << y;
        }
}

INSTANTIATE_TEST_SUITE_P(Preview, MixPaths,
                         ::testing::Values(MixPathRow{"LevelZoom1", false, 1},
                                           MixPathRow{"LevelZoom16", false, 16},
                                           MixPathRow{"DetailZoom2", true, 2},
                                           MixPathRow{"DetailZoom32", true, 32}),
                         vellora::test::RowName());

// ---------------------------------------------------------------- background and cancelling

TEST(Background, CellsTakeColoursFromTheRandomSourceRedLow) {
    TileTable t;
    t[0] = MakeLevel(1, 1, [](int, int) { return Rgb{1, 2, 3}; });
    // A 1 x 1 texture at zoom 32 leaves all of the surface but one block to the background.
    PreviewInput in = Input(0, 32, 0.0f);
    PreviewPlan plan = PlanPreview(t, in);
    PreviewCanvas canvas;
    canvas.reset(plan.viewW, plan.viewH, plan.surfaceW, plan.surfaceH, kClear);
    std::vector<double> values{658188 / 16000000.0, 0.0, 0.0};
    std::size_t calls = 0;
    ASSERT_EQ(DrawBackground(plan, canvas, [&] { return values[calls++ % values.size()]; }, {}),
              PassOutcome::Completed);
    // The surface is 96 x 96 pixels: a 2 x 2 grid of 64-pixel cells (the second partly outside).
    EXPECT_EQ(calls, 4u);
    auto px = [&](int x, int y) {
        const std::uint8_t* p = canvas.pixel(x, y);
        return Rgb{p[0], p[1], p[2]};
    };
    EXPECT_EQ(px(0, 0), (Rgb{0x0C, 0x0B, 0x0A}));
    EXPECT_EQ(px(63, 63), (Rgb{0x0C, 0x0B, 0x0A}));
    EXPECT_EQ(px(64, 0), (Rgb{0, 0, 0}));
    EXPECT_EQ(px(95, 95), (Rgb{0x0C, 0x0B, 0x0A}));
    EXPECT_EQ(px(96, 0), kClearRgb); // outside the surface
    EXPECT_EQ(px(0, 96), kClearRgb);
}

TEST(Cancel, CheckpointStopsTheBackgroundAfterItsFirstRow) {
    TileTable t = Pyramid(64, 64);
    int checkpoints = 0;
    PreviewResult r = Render(t, Input(0, 2, 0.0f), [&] { return ++checkpoints == 1; });
    EXPECT_FALSE(r.completed);
    EXPECT_EQ(checkpoints, 1);
    EXPECT_EQ(At(r, 359, 3), CellColour(89));
    EXPECT_EQ(At(r, 0, 4), kClearRgb);
    EXPECT_EQ(At(r, 359, 259), kClearRgb);
}

TEST(Cancel, CheckpointAfterFirstRepeatLeavesTheOthersUndrawn) {
    TileTable t = Pyramid(64, 64);
    int total = 0;
    ASSERT_TRUE(Render(t, Input(0, 2, 0.0f), [&] { return ++total < 0; }).completed);
    int seen = 0;
    PreviewResult r = Render(t, Input(0, 2, 0.0f), [&] { return ++seen == total - 8; });
    EXPECT_FALSE(r.completed);
    EXPECT_EQ(At(r, 127, 127), Texel(t, 0, 63, 63)); // repeat (0, 0) drawn
    EXPECT_EQ(At(r, 128, 0), CellColour(32));        // repeat (0, 1) still background
    EXPECT_EQ(At(r, 0, 128), CellColour(32 * 90));   // repeat (1, 0) too
}

// ---------------------------------------------------------------- failures

enum class Origin { Textured, Untextured };

struct FailureRow {
    const char* name;
    std::function<void(TileTable&, PreviewInput&)> setup;
    std::vector<int> steps;
    Origin origin; // what pixel (0, 0) shows afterwards
};

class Failures : public ::testing::TestWithParam<FailureRow> {};

TEST_P(Failures, AreReportedWithTheirStepAndNeverReadOutside) {
    const FailureRow& row = GetParam();
    TileTable t = StartupTable();
    PreviewInput in = Input(1, 2, 0.0f);
    row.setup(t, in);
    std::vector<PreviewFailure> sunk;
    Counter counter;
    PreviewResult r = RenderPreview(
        t, in, counter.source(), {}, [&](const PreviewFailure& f) { sunk.push_back(f); }, kClear);
    EXPECT_TRUE(r.completed);
    std::vector<int> steps;
    for (const PreviewFailure& f : r.failures) {
        steps.push_back(f.step);
        EXPECT_FALSE(f.description.empty());
    }
    EXPECT_EQ(steps, row.steps);
    EXPECT_EQ(sunk, r.failures);
    bool untextured = At(r, 0, 0) == kClearRgb || At(r, 0, 0) == CellColour(0);
    EXPECT_EQ(untextured, row.origin == Origin::Untextured);
}

void NoDetail(TileTable& t, PreviewInput& in) {
    in.detailFlag = 0;
    t[0] = t[1];
    t[1] = TileLevel{};
}

INSTANTIATE_TEST_SUITE_P(
    Preview, Failures,
    ::testing::Values(
        FailureRow{"EmptyShiftWithoutDetailStillDraws",
                   [](TileTable& tiles, PreviewInput& in) {
                       NoDetail(tiles, in);
                       in.shiftText = "";
                   },
                   {1},
                   Origin::Textured},
        FailureRow{"WordShiftSkipsDetailPass",
                   [](TileTable&, PreviewInput& in) { in.shiftText = "abc"; },
                   {1},
                   Origin::Untextured},
        FailureRow{"HugeShiftOverflows",
                   [](TileTable&, PreviewInput& in) { in.shiftText = "20"; },
                   {1},
                   Origin::Untextured},
        FailureRow{"NegativeShiftRoundsToZero",
                   [](TileTable&, PreviewInput& in) { in.shiftText = "-3"; },
                   {4},
                   Origin::Untextured},
        FailureRow{"ScaleWithoutMultipleUpTo32",
                   [](TileTable&, PreviewInput& in) {
                       in.shiftText = "4.6"; // 2^4.6 rounds to 24
                       in.zoom = 25;
                   },
                   {4},
                   Origin::Untextured},
        FailureRow{"EmptyLodFracSkipsDetailPass",
                   [](TileTable&, PreviewInput& in) { in.lodFracText = " "; },
                   {8},
                   Origin::Untextured},
        FailureRow{"EmptyLodFracUnreadByLevelPass",
                   [](TileTable& tiles, PreviewInput& in) {
                       NoDetail(tiles, in);
                       in.lodFracText = "";
                   },
                   {},
                   Origin::Textured},
        FailureRow{"ZoomZero", [](TileTable&, PreviewInput& in) { in.zoom = 0; }, {3}, Origin::Untextured},
        FailureRow{"Zoom33", [](TileTable&, PreviewInput& in) { in.zoom = 33; }, {3}, Origin::Untextured},
        FailureRow{"Shift5Zoom32TilePos7",
                   [](TileTable&, PreviewInput& in) {
                       in.shiftText = "5";
                       in.zoom = 32;
                       in.tilePos = 7.0f;
                   },
                   {3},
                   Origin::Untextured},
        FailureRow{"NegativeTilePos",
                   [](TileTable&, PreviewInput& in) { in.tilePos = -0.5f; },
                   {3},
                   Origin::Untextured},
        FailureRow{"NanTilePos",
                   [](TileTable&, PreviewInput& in) { in.tilePos = std::numeric_limits<float>::quiet_NaN(); },
                   {3},
                   Origin::Untextured},
        FailureRow{"DetailFlagTwo",
                   [](TileTable&, PreviewInput& in) { in.detailFlag = 2; },
                   {3},
                   Origin::Untextured},
        FailureRow{"AllRecordsEmpty",
                   [](TileTable& tiles, PreviewInput&) { tiles = TileTable{}; },
                   {3, 3, 8},
                   Origin::Untextured},
        FailureRow{"DetailGridSmallerThanMap",
                   [](TileTable& tiles, PreviewInput&) { tiles[0].Pixels = PixelGrid(8, 8); },
                   {8},
                   Origin::Untextured},
        FailureRow{"DetailWithoutSize",
                   [](TileTable& tiles, PreviewInput&) { tiles[0].Width = 0; },
                   {8},
                   Origin::Untextured},
        FailureRow{"BaseGridShorterThanBase",
                   [](TileTable& tiles, PreviewInput&) { tiles[1].Pixels = PixelGrid(3, 64); },
                   {8},
                   Origin::Textured},
        FailureRow{"LevelGridSmallerDrawsWhatItHas",
                   [](TileTable& tiles, PreviewInput& in) {
                       NoDetail(tiles, in);
                       tiles[0].Pixels = StartupTable()[1].Pixels;
                       tiles[0].Width = tiles[0].Height = 100;
                   },
                   {8},
                   Origin::Textured},
        FailureRow{"NextGridTooSmallToBlend",
                   [](TileTable& tiles, PreviewInput& in) {
                       NoDetail(tiles, in);
                       tiles[1] = MakeLevel(
                           32, 32,
                           [](int, int) {
                               return Rgb{1, 1, 1};
                           },
                           4, 4);
                       in.tilePos = 0.5f;
                   },
                   {8},
                   Origin::Textured},
        FailureRow{"HugeLevelRecords",
                   [](TileTable& tiles, PreviewInput& in) {
                       NoDetail(tiles, in);
                       tiles[0].Width = tiles[0].Height = std::numeric_limits<std::int32_t>::max();
                       in.zoom = 32;
                   },
                   {8},
                   Origin::Textured}),
    vellora::test::RowName());

TEST(Failures, SmallGridLeavesUnreadTexelsToTheBackground) {
    TileTable t;
    t[0] = MakeLevel(
        16, 16, [](int r, int c) { return Marked(0, r, c); }, 10, 12);
    PreviewResult r = Render(t, Input(0, 2, 0.0f));
    ASSERT_EQ(r.failures.size(), 1u);
    EXPECT_EQ(At(r, 23, 19), Texel(t, 0, 9, 11));
    EXPECT_EQ(At(r, 24, 0), CellColour(6));      // column 12 was never read
    EXPECT_EQ(At(r, 0, 20), CellColour(5 * 24)); // the 96-pixel surface holds 24 cells a row
}

} // namespace
} // namespace vellora
