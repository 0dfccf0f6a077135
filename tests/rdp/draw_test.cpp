// SPDX-License-Identifier: MIT
// Drawing on the model: pixels worked out by hand from the hardware's
// filter, LOD and combiner arithmetic, and point sampling checked against
// the model's own texel read-back.
#include "rdp/primitives.h"
#include "rdp/rdp.h"
#include "words.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace vellora::rdp {
namespace {

using namespace test;

constexpr std::uint32_t kImage = 0x10000;
constexpr int kWidth = 32;

// RGBA16 texels at RDRAM 0, loaded with LoadTile into TMEM 0 and set up
// on `tile` with the given axis modes.
struct Scene {
    Rdp rdp{0x20000};
    std::vector<std::uint64_t> words;

    void texture(const std::vector<std::uint16_t>& texels, int w, int h, int tile, int tmemWord, int masks,
                 int maskt, int cms = 0, int cmt = 0, int fmt = Rgba, int siz = Bits16) {
        const std::uint32_t at = static_cast<std::uint32_t>(tmemWord) * 64;
        for (std::size_t i = 0; i < texels.size(); ++i) {
            rdp.rdram()[at + 2 * i] = static_cast<std::uint8_t>(texels[i] >> 8);
            rdp.rdram()[at + 2 * i + 1] = static_cast<std::uint8_t>(texels[i]);
        }
        const int line = (w * 2 + 7) / 8;
        words.push_back(SetTextureImage(Rgba, Bits16, w, at));
        words.push_back(SetTile({Rgba, Bits16, line, tmemWord, kLoadTile}));
        words.push_back(kLoadSync);
        words.push_back(LoadTile(kLoadTile, w, h));
        words.push_back(kPipeSync);
        words.push_back(SetTile({fmt, siz, line, tmemWord, tile, 0, cmt, maskt, 0, cms, masks, 0}));
        words.push_back(SetTileSize(tile, w, h));
    }
    void modes(const DrawModes& m, CombineForm form) {
        words.push_back(ColorImageWord(Bits32, kWidth, kImage));
        words.push_back(ScissorWord(0, 0, kWidth, kWidth));
        words.push_back(OtherModesWord(m));
        words.push_back(CombineWord(form, m.twoCycle));
    }
    template <std::size_t N> void add(const std::array<std::uint64_t, N>& command) {
        words.insert(words.end(), command.begin(), command.end());
    }
    std::vector<Sample> samples;
    std::vector<Rgba8> run() {
        rdp.traceInto(&samples, kWidth, kWidth);
        rdp.run(words);
        return ReadColorImage(rdp, kWidth, kWidth);
    }
};

constexpr std::uint16_t kRed = 0xF801, kGreen = 0x07C1, kBlue = 0x003F, kWhite = 0xFFFF, kBlack = 0x0001;

TEST(Filter, TwoByTwoTextureAtKnownFractions) {
    struct Row {
        const char* name;
        Filter filter;
        int sfrac, tfrac;
        Rgba8 expected;
    } rows[] = {
        // Lower triangle: t0 + (sf (t1 - t0) + tf (t2 - t0) + 16) >> 5, not a
        // four-texel bilinear mix (which would give red 159 here).
        {"bilerp lower", Filter::Bilerp, 8, 8, {128, 64, 64, 255}},
        // Upper triangle from t3 (white) with 32 - sf and 32 - tf.
        {"bilerp upper", Filter::Bilerp, 24, 24, {128, 191, 191, 255}},
        {"bilerp at the centre takes the upper triangle", Filter::Bilerp, 16, 16, {0, 128, 128, 255}},
        {"average at the centre: all four", Filter::Average, 16, 16, {128, 128, 128, 255}},
        {"average off the centre filters as bilerp", Filter::Average, 8, 8, {128, 64, 64, 255}},
        {"point takes the texel the integer part names", Filter::Point, 24, 24, {255, 0, 0, 255}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Scene scene;
        scene.texture({kRed, kGreen, kBlue, kWhite}, 2, 2, 0, 0, 1, 1);
        scene.modes({false, row.filter}, CombineForm::Texel0);
        scene.add(TextureRectangleWords(0, 0, 0, 4, 4, row.sfrac, row.tfrac, 0, 0));
        EXPECT_EQ(scene.run()[0], row.expected);
    }
}

TEST(Filter, PointSamplingAtTexelCentresReadsTheModelsTexels) {
    std::vector<std::uint16_t> texels(8 * 4);
    for (std::size_t i = 0; i < texels.size(); ++i)
        texels[i] = static_cast<std::uint16_t>(i * 0x0842 + 0x3001 + (i % 3) * 0x1000);
    for (int cms : {0, 1, 2}) {
        SCOPED_TRACE("axis mode " + std::to_string(cms));
        Scene scene;
        scene.texture(texels, 8, 4, 0, 0, 3, 2, cms, cms);
        scene.modes({true, Filter::Point}, CombineForm::Texel0);
        // One texel a pixel, from texel (-3, -2): past every edge of the tile.
        scene.add(TextureRectangleWords(0, 0, 0, 20 * 4, 12 * 4, -3 * 32, -2 * 32, 1 << 10, 1 << 10));
        const std::vector<Rgba8> image = scene.run();
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 20; ++x) {
                Rgba8 expected = scene.rdp.fetch(0, x - 3, y - 2, TlutMode::None);
                expected.a = 255;
                ASSERT_EQ(image[static_cast<std::size_t>(y * kWidth + x)], expected) << x << "," << y;
            }
    }
}

TEST(Filter, MirrorAndClampAtTheTilesEdge) {
    const std::vector<std::uint16_t> row = {kRed, kGreen, kBlue, kWhite};
    struct Case {
        const char* name;
        int cms;
        std::vector<std::uint16_t> expected; // texels 0..7 along s
    } cases[] = {
        {"wrap", 0, {kRed, kGreen, kBlue, kWhite, kRed, kGreen, kBlue, kWhite}},
        {"mirror", 1, {kRed, kGreen, kBlue, kWhite, kWhite, kBlue, kGreen, kRed}},
        {"clamp", 2, {kRed, kGreen, kBlue, kWhite, kWhite, kWhite, kWhite, kWhite}},
    };
    const auto colour = [](std::uint16_t c) {
        const auto five = [](unsigned v) { return static_cast<std::uint8_t>(v << 3 | v >> 2); };
        return Rgba8{five(c >> 11), five((c >> 6) & 31), five((c >> 1) & 31), 255};
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Scene scene;
        scene.texture(row, 4, 1, 0, 0, 2, 0, c.cms, 0);
        scene.modes({false, Filter::Point}, CombineForm::Texel0);
        scene.add(TextureRectangleWords(0, 0, 0, 8 * 4, 4, 0, 0, 1 << 10, 1 << 10));
        const std::vector<Rgba8> image = scene.run();
        for (std::size_t x = 0; x < 8; ++x)
            EXPECT_EQ(image[x], colour(c.expected[x])) << x;
    }
}

TEST(Lod, RectangleAtScaleTwoAndAHalfSamplesItsOwnTile) {
    Scene scene;
    scene.texture(std::vector<std::uint16_t>(64, kRed), 8, 8, 0, 0, 3, 3);
    scene.texture(std::vector<std::uint16_t>(16, kGreen), 4, 4, 1, 32, 2, 2);
    DrawModes m{true, Filter::Bilerp};
    m.lod = true;
    scene.modes(m, CombineForm::LevelBlend);
    scene.add(TextureRectangleWords(0, 0, 0, 16 * 4, 16 * 4, 0, 0, 2560, 2560)); // 2.5 texels a pixel
    const std::vector<Rgba8> image = scene.run();
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const std::size_t i = static_cast<std::size_t>(y * kWidth + x);
            ASSERT_EQ(image[i], (Rgba8{255, 0, 0, 255})) << x << "," << y;
            ASSERT_EQ(scene.samples[i].tile, 0);
            ASSERT_EQ(scene.samples[i].lodFrac, 255); // LOD_FRACTION stays at its maximum
        }
}

// A flat quad as two triangles, stepping `step` texels a pixel.
void FlatQuad(Scene& scene, double step, int levels) {
    const double size = 16;
    const Vertex a[3] = {
        {0, 0, 0, 0, 1}, {size, 0, size * step, 0, 1}, {size, size, size * step, size * step, 1}};
    const Vertex b[3] = {
        {0, 0, 0, 0, 1}, {size, size, size * step, size * step, 1}, {0, size, 0, size * step, 1}};
    scene.add(TriangleWords(a, 0, levels));
    scene.add(TriangleWords(b, 0, levels));
}

TEST(Lod, LevelAndFractionFromTheStepsOnATriangle) {
    struct Row {
        const char* name;
        double step;
        int level, fraction;
    } rows[] = {
        {"magnified: level 0, fraction 0", 0.5, 0, 0},
        {"1.5 texels a pixel: level 0, half way", 1.5, 0, 128},
        {"2 texels: level 1", 2, 1, 0},
        {"6 texels: level 2, half way to 3", 6, 2, 128},
        {"past the chain: the last level", 64, 3, 255},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Scene scene;
        for (int tile = 0; tile < 4; ++tile)
            scene.texture(std::vector<std::uint16_t>(16, kBlue), 4, 4, tile, tile * 8, 2, 2);
        DrawModes m{true, Filter::Bilerp};
        m.lod = true;
        m.perspective = true;
        scene.modes(m, CombineForm::LevelBlend);
        FlatQuad(scene, row.step, 3);
        scene.run();
        const Sample& s = scene.samples[static_cast<std::size_t>(8 * kWidth + 8)];
        ASSERT_TRUE(s.drawn);
        EXPECT_EQ(s.level, row.level);
        EXPECT_EQ(s.lodFrac, row.fraction);
    }
}

TEST(Lod, DetailBlendAtAKnownFraction) {
    // Magnified twice: LOD 16 (in 1/32 texels), so in detail mode TEXEL0 is
    // the detail map (tile 0), TEXEL1 the base and LOD_FRACTION 16 << 3.
    // (black - white) * 128 / 256 + white, as the combiner rounds it: 128.
    Scene scene;
    scene.texture(std::vector<std::uint16_t>(16, kWhite), 4, 4, 0, 0, 2, 2);
    scene.texture(std::vector<std::uint16_t>(16, kBlack), 4, 4, 1, 8, 2, 2);
    DrawModes m{true, Filter::Bilerp};
    m.lod = true;
    m.detail = true;
    m.perspective = true;
    scene.modes(m, CombineForm::LevelBlend);
    FlatQuad(scene, 0.5, 1);
    const std::vector<Rgba8> image = scene.run();
    EXPECT_EQ(image[static_cast<std::size_t>(8 * kWidth + 8)], (Rgba8{128, 128, 128, 255}));
    EXPECT_EQ(scene.samples[static_cast<std::size_t>(8 * kWidth + 8)].lodFrac, 128);
}

TEST(Palette, RgbaAndIaEntriesOfACi4Texture) {
    // A CI4 texture of index 1 everywhere; entry 1 is 0xF801: red as RGBA16,
    // intensity 0xF8 (alpha 1) as IA16.
    struct Row {
        TlutMode mode;
        Rgba8 expected;
    } rows[] = {{TlutMode::Rgba16, {255, 0, 0, 255}}, {TlutMode::Ia16, {248, 248, 248, 255}}};
    for (const Row& row : rows) {
        Scene scene;
        for (std::size_t i = 0; i < 8; ++i)
            scene.rdp.rdram()[i] = 0x11; // 16 texels of index 1
        scene.rdp.rdram()[0x100] = 0x00;
        scene.rdp.rdram()[0x101] = 0x00;
        scene.rdp.rdram()[0x102] = 0xF8;
        scene.rdp.rdram()[0x103] = 0x01;
        scene.words = {SetTextureImage(Rgba, Bits16, 1, 0x100),
                       SetTile({Rgba, Bits4, 0, 0x100, kLoadTile}),
                       kLoadSync,
                       LoadTlut(kLoadTile, 2),
                       SetTextureImage(Ci, Bits16, 1, 0),
                       SetTile({Ci, Bits16, 0, 0, kLoadTile}),
                       kLoadSync,
                       LoadBlock(kLoadTile, 4, 0),
                       kPipeSync,
                       SetTile({Ci, Bits4, 1, 0, 0, 0, 0, 2, 0, 0, 2, 0}),
                       SetTileSize(0, 4, 4)};
        DrawModes m{false, Filter::Bilerp};
        m.tlut = row.mode;
        scene.modes(m, CombineForm::Texel0);
        scene.add(TextureRectangleWords(0, 0, 0, 16, 16, 0, 0, 1 << 10, 1 << 10));
        EXPECT_EQ(scene.run()[1], row.expected);
    }
}

// Without antialiasing a pixel is written when the sample at its top-left
// corner lies inside: the edge's coverage bits at sub-scanline 0, left.
TEST(Edges, PixelsAtHalfPixelCoordinates) {
    struct Row {
        const char* name;
        bool triangle;
        std::vector<std::pair<int, int>> drawn; // (x, y)
    } rows[] = {
        // [0.5, 2.5) x [0.5, 2.5): corners 1 and 2 lie inside, 0 does not.
        {"rectangle", false, {{1, 1}, {2, 1}, {1, 2}, {2, 2}}},
        // (0.5, 0.5), (6.5, 0.5), (0.5, 3.5): the long edge crosses y = 1, 2
        // and 3 at x = 5.5, 3.5 and 1.5.
        {"triangle", true, {{1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 1}, {1, 2}, {2, 2}, {3, 2}, {1, 3}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Scene scene;
        scene.texture(std::vector<std::uint16_t>(16, kWhite), 4, 4, 0, 0, 2, 2);
        DrawModes m{false, Filter::Point};
        m.perspective = row.triangle;
        scene.modes(m, CombineForm::Texel0);
        if (row.triangle) {
            const Vertex v[3] = {{0.5, 0.5, 0, 0, 1}, {6.5, 0.5, 6, 0, 1}, {0.5, 3.5, 0, 3, 1}};
            scene.add(TriangleWords(v, 0, 0));
        } else {
            scene.add(TextureRectangleWords(0, 2, 2, 10, 10, 0, 0, 1 << 10, 1 << 10));
        }
        const std::vector<Rgba8> image = scene.run();
        std::vector<std::pair<int, int>> drawn;
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                if (image[static_cast<std::size_t>(y * kWidth + x)].r != 0)
                    drawn.emplace_back(x, y);
        std::sort(drawn.begin(), drawn.end(),
                  [](auto a, auto b) { return std::pair(a.second, a.first) < std::pair(b.second, b.first); });
        EXPECT_EQ(drawn, row.drawn);
    }
}

TEST(Refusals, ModesTheModelDoesNotDraw) {
    struct Row {
        const char* name;
        std::uint64_t modes;
    } rows[] = {
        {"dither on", OtherModesWord({}) & ~(std::uint64_t{0xF0} << 32)},
        {"copy mode", OtherModesWord({}) | std::uint64_t{2} << 52},
        {"Z compare", OtherModesWord({}) | 0x10},
        {"YUV conversion", OtherModesWord({}) & ~(std::uint64_t{3} << 42)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Scene scene;
        scene.texture({kRed, kGreen, kBlue, kWhite}, 2, 2, 0, 0, 1, 1);
        scene.words.push_back(row.modes);
        scene.words.push_back(CombineWord(CombineForm::Texel0, false));
        scene.add(TextureRectangleWords(0, 0, 0, 4, 4, 0, 0, 0, 0));
        EXPECT_THROW(scene.rdp.run(scene.words), Error);
    }
}

TEST(Commands, AStreamEndingInsideARectangleIsRefused) {
    Rdp rdp(64);
    const auto rect = TextureRectangleWords(0, 0, 0, 4, 4, 0, 0, 0, 0);
    const std::uint64_t first[] = {rect[0]};
    EXPECT_THROW(rdp.run(first), Error);
    EXPECT_EQ(rdp.pendingWords(), 0u);
}

} // namespace
} // namespace vellora::rdp
