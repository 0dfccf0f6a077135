// SPDX-License-Identifier: MIT
// Each drawing pass is timed next to a plain std::fill of a buffer of the
// same size, so the ratio of the two says how close a pass gets to the cost
// of just writing the viewport once.
#include "preview/byteblend.h"
#include "preview/renderer.h"
#include "rdp/primitives.h"
#include "rdp/rdp.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

using namespace vellora;

// A 16 x 16 detail map over a 1024 x 256 base and its full pyramid.
const TileTable& Table() {
    static const TileTable table = [] {
        TileTable t;
        auto level = [&](int index, int w, int h) {
            TileLevel& lv = t[static_cast<std::size_t>(index)];
            lv.Width = lv.LineWidth = w;
            lv.Height = h;
            lv.BitDepth = 16;
            lv.Pixels = PixelGrid(h + 1, w + 1);
            for (int r = 0; r < h + 1; ++r)
                for (int c = 0; c < w + 1; ++c) {
                    std::uint8_t* p = lv.Pixels.at(r, c);
                    p[0] = static_cast<std::uint8_t>(r * 7 + c * 3 + index);
                    p[1] = static_cast<std::uint8_t>(r ^ c);
                    p[2] = static_cast<std::uint8_t>(c * 11 - r);
                    p[3] = 255;
                }
        };
        level(0, 16, 16);
        int w = 1024, h = 256;
        for (int i = 1; i < kLevelCount; ++i, w /= 2, h /= 2)
            level(i, w, h);
        return t;
    }();
    return table;
}

PreviewPlan Plan(const benchmark::State& state, float tilePos) {
    PreviewInput in;
    in.detailFlag = 1;
    in.viewW = static_cast<int>(state.range(0));
    in.viewH = static_cast<int>(state.range(1));
    in.zoom = static_cast<int>(state.range(2));
    in.shiftText = "1";
    in.lodFracText = "0.8";
    in.tilePos = tilePos;
    return PlanPreview(Table(), in);
}

void PlainFill(benchmark::State& state) {
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(state.range(0) * state.range(1) * 3));
    std::uint8_t value = 0;
    for (auto _ : state) {
        std::fill(buffer.begin(), buffer.end(), ++value);
        benchmark::DoNotOptimize(buffer.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(buffer.size()));
}

template <typename Pass> void RunPass(benchmark::State& state, const PreviewPlan& plan, Pass pass) {
    PreviewCanvas canvas;
    canvas.reset(plan.viewW, plan.viewH, plan.surfaceW, plan.surfaceH, 0);
    for (auto _ : state) {
        benchmark::DoNotOptimize(pass(canvas));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(canvas.rgb.size()));
}

// The base texture blended half and half with the next level: the costliest
// level pass.
void LevelPass(benchmark::State& state) {
    PreviewPlan plan = Plan(state, 1.5f);
    RunPass(state, plan, [&](PreviewCanvas& c) { return DrawLevelPass(plan, Table(), c, {}, {}); });
}

// A tenth of the way to the next level: no mix lands on a half, so the pass
// mixes with 16-bit products instead of the whole-256ths sums of 1.5.
void LevelPassTenths(benchmark::State& state) {
    PreviewPlan plan = Plan(state, 1.3f);
    RunPass(state, plan, [&](PreviewCanvas& c) { return DrawLevelPass(plan, Table(), c, {}, {}); });
}

// One row of 1920 RGB pixels mixed with each way's typical weight: 0.5
// (whole 256ths), the 0.8 clamp (short products) and a weight with mixes
// near a half on both sides (a table look-up a byte).
void MixRow(benchmark::State& state) {
    const double weights[] = {0.5, static_cast<double>(0.8f), static_cast<double>(0x1.fe8f02p-1f)};
    const ByteBlend blend(weights[state.range(0)]);
    std::vector<std::uint8_t> a(1920 * 3), b(1920 * 3), out(1920 * 3);
    for (std::size_t k = 0; k < a.size(); ++k) {
        a[k] = static_cast<std::uint8_t>(k * 7);
        b[k] = static_cast<std::uint8_t>(k * 13 + 5);
    }
    for (auto _ : state) {
        blend.mix(a.data(), b.data(), out.data(), out.size());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetLabel(blend.method() == ByteBlend::Method::Whole256 ? "whole 256ths"
                   : blend.method() == ByteBlend::Method::Short  ? "short products"
                                                                 : "table");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(out.size()));
}

// A level shown on its own, which copies texels without mixing.
void LevelPassUnblended(benchmark::State& state) {
    PreviewPlan plan = Plan(state, 1.0f);
    RunPass(state, plan, [&](PreviewCanvas& c) { return DrawLevelPass(plan, Table(), c, {}, {}); });
}

void DetailPass(benchmark::State& state) {
    PreviewPlan plan = Plan(state, 0.0f);
    RunPass(state, plan, [&](PreviewCanvas& c) { return DrawDetailPass(plan, Table(), c, {}, {}); });
}

void BackgroundPass(benchmark::State& state) {
    PreviewPlan plan = Plan(state, 0.0f);
    std::uint64_t seed = 1;
    PreviewRandom random = [&seed] {
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(seed >> 11) * 0x1.0p-53;
    };
    RunPass(state, plan, [&](PreviewCanvas& c) { return DrawBackground(plan, c, random, {}); });
}

// The console view: a 32 x 32 RGBA16 chain in TMEM, drawn by the RDP model
// in 2-cycle mode with the bilinear filter and LOD on, a flat quad of two
// triangles over the whole view at 0.7 pixels a texel, so that the levels
// and their blend change. Compared with the level pass at the same size.
void ConsolePass(benchmark::State& state) {
    using namespace vellora::rdp;
    const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
    const std::uint32_t image = 0x4000;
    Rdp rdp(image + static_cast<std::size_t>(w * h * 4));
    std::vector<std::uint64_t> words;
    const auto word = [](std::uint32_t hi, std::uint32_t lo) { return std::uint64_t{hi} << 32 | lo; };
    int tmem = 0;
    for (int level = 0, size = 32; size >= 1; ++level, size /= 2) {
        const std::uint32_t at = static_cast<std::uint32_t>(level) * 0x800;
        for (int i = 0; i < size * size; ++i) {
            rdp.rdram()[at + 2 * static_cast<std::uint32_t>(i)] =
                static_cast<std::uint8_t>(i * 7 + level * 40);
            rdp.rdram()[at + 2 * static_cast<std::uint32_t>(i) + 1] = static_cast<std::uint8_t>(i * 13 | 1);
        }
        const int line = std::max(size * 2 / 8, 1);
        const auto u = [](int v) { return static_cast<std::uint32_t>(v); };
        words.push_back(word(0xFD100000u | u(size - 1), at));
        words.push_back(word(0xF5100000u | u(line) << 9 | u(tmem), 7u << 24));
        words.push_back(word(0xE6000000u, 0));
        words.push_back(word(0xF4000000u, 7u << 24 | u(size - 1) << 14 | u(size - 1) << 2));
        words.push_back(word(0xE7000000u, 0));
        const int mask = level < 5 ? 5 - level : 0;
        words.push_back(word(0xF5100000u | u(line) << 9 | u(tmem),
                             u(level) << 24 | u(mask) << 14 | u(level) << 10 | u(mask) << 4 | u(level)));
        words.push_back(word(0xF2000000u, u(level) << 24 | u(size - 1) << 14 | u(size - 1) << 2));
        tmem += line * size;
    }
    DrawModes modes{true, Filter::Bilerp};
    modes.lod = modes.perspective = true;
    words.push_back(ColorImageWord(Bits32, w, image));
    words.push_back(ScissorWord(0, 0, w, h));
    words.push_back(OtherModesWord(modes));
    words.push_back(CombineWord(CombineForm::LevelBlend, true));
    const double k = 1 / 0.7;
    const Vertex a[3] = {
        {0, 0, 0, 0, 1}, {double(w), 0, w * k, 0, 1}, {double(w), double(h), w * k, h * k, 1}};
    const Vertex b[3] = {
        {0, 0, 0, 0, 1}, {double(w), double(h), w * k, h * k, 1}, {0, double(h), 0, h * k, 1}};
    for (const auto* v : {&a, &b}) {
        const auto tri = TriangleWords(*v, 0, 5);
        words.insert(words.end(), tri.begin(), tri.end());
    }
    rdp.run(words); // the loads once; each pass draws the primitives again
    const std::vector<std::uint64_t> draw(words.end() - 28, words.end());
    for (auto _ : state) {
        rdp.run(draw);
        benchmark::DoNotOptimize(rdp.rdram().data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * w * h);
}

void ConsoleSizes(benchmark::internal::Benchmark* b) {
    b->ArgNames({"w", "h"});
    b->Args({640, 480});
}

void Sizes(benchmark::internal::Benchmark* b) {
    b->ArgNames({"w", "h", "zoom"});
    b->Args({640, 480, 2});
    for (auto [w, h] : {std::pair{360, 260}, std::pair{1920, 1080}})
        for (int zoom : {2, 32})
            b->Args({w, h, zoom});
}

void FillSizes(benchmark::internal::Benchmark* b) {
    b->ArgNames({"w", "h"});
    b->Args({360, 260});
    b->Args({1920, 1080});
}

} // namespace

BENCHMARK(PlainFill)->Apply(FillSizes);
BENCHMARK(LevelPass)->Apply(Sizes);
BENCHMARK(ConsolePass)->Apply(ConsoleSizes)->Unit(benchmark::kMillisecond);
BENCHMARK(LevelPassTenths)->Apply(Sizes);
BENCHMARK(LevelPassUnblended)->Apply(Sizes);
BENCHMARK(DetailPass)->Apply(Sizes);
BENCHMARK(BackgroundPass)->Apply(Sizes);
BENCHMARK(MixRow)->ArgName("way")->DenseRange(0, 2);
