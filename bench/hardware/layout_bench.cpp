// SPDX-License-Identifier: MIT
// The whole hardware layout of a 1024 x 256 pyramid with a detail map,
// beside the calculator's count of the same texture as its baseline.
#include "core/count.h"
#include "hardware/layout.h"

#include <benchmark/benchmark.h>

namespace {

using namespace vellora;

TextureSpec Large() {
    TextureSpec spec;
    spec.size = {1024, 256};
    spec.format = Format::Bits16;
    spec.levels = LevelMode::Auto;
    DetailSpec detail;
    detail.size = {32, 32};
    detail.format = Format::Bits16;
    spec.detail = detail;
    return spec;
}

void BM_CalculatorCount(benchmark::State& state) {
    const TextureSpec spec = Large();
    TileTable tiles{};
    for (auto _ : state) {
        Count c = CountTexture(spec, tiles, {});
        benchmark::DoNotOptimize(c);
    }
}
BENCHMARK(BM_CalculatorCount);

void BM_HardwareLayout(benchmark::State& state) {
    TileTable tiles{};
    const Count count = CountTexture(Large(), tiles, {});
    for (auto _ : state) {
        hw::Layout layout = hw::LayOut(hw::LevelsOf(count, Kind::RGBA16, Kind::IA16), {});
        benchmark::DoNotOptimize(layout);
    }
}
BENCHMARK(BM_HardwareLayout);

} // namespace
