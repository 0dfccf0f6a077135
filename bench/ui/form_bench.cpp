// SPDX-License-Identifier: MIT
// One whole recalculation, byte-colour table included, as every keystroke in
// a size box runs it.
#include "core/tmemmap.h"
#include "ui/form.h"

#include <benchmark/benchmark.h>

namespace {

using vellora::CalcTMEM;
using vellora::CoreState;
using vellora::Settings;

// 1024 x 256 RGBA32 with a 32 x 32 RGBA32 detail map: the largest pyramid.
Settings Large32BitWithDetail() {
    Settings settings;
    settings.width = "1024";
    settings.height = "256";
    settings.baseFormat = vellora::Format::Bits32;
    settings.detailFormat = vellora::Format::Bits32;
    settings.detailWidth = "32";
    settings.detailHeight = "32";
    return settings;
}

void CountStartupState(benchmark::State& state) {
    const Settings settings; // 64 x 64 4-bit, 16 x 16 detail map, automatic levels
    CoreState core;
    core.tiles[0].Width = core.tiles[0].Height = 16;
    core.tiles[0].BitDepth = 4;
    core.tiles[1].Width = core.tiles[1].Height = 64;
    core.tiles[1].BitDepth = 4;
    for (auto _ : state) {
        auto result = CalcTMEM(settings, core);
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(CountStartupState);

void CountLarge32BitWithDetail(benchmark::State& state) {
    const Settings settings = Large32BitWithDetail();
    CoreState core;
    for (auto _ : state) {
        auto result = CalcTMEM(settings, core);
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(CountLarge32BitWithDetail);

} // namespace

// The byte-colour table alone, over the tiles the large count leaves, to see
// what share of a count it takes.
void TmemMapOfLargePyramid(benchmark::State& state) {
    const Settings settings = Large32BitWithDetail();
    CoreState core;
    const auto result = CalcTMEM(settings, core);
    vellora::TmemMap map{};
    for (auto _ : state) {
        vellora::BuildTmemMap(core.tiles, result.count.baseIsCI, map);
        benchmark::DoNotOptimize(map);
    }
}
BENCHMARK(TmemMapOfLargePyramid);
