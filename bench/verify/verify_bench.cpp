// SPDX-License-Identifier: MIT
// What proving a plan on the RDP model costs beside making the plan: a
// 32 x 32 RGBA16 chain (6 levels, LoadBlock) and a 64 x 64 CI4 base with its
// palette, each laid out alone and laid out and proved.
#include "verify/verify.h"

#include "levelchain.h"

#include <benchmark/benchmark.h>

namespace {

using namespace vellora;

using test::Chain;

void LayOutOnly(benchmark::State& state, std::vector<hw::Level> levels) {
    for (auto _ : state)
        benchmark::DoNotOptimize(hw::LayOut(levels, {}).fits);
}

void LayOutAndProve(benchmark::State& state, std::vector<hw::Level> levels) {
    for (auto _ : state) {
        const hw::Layout layout = hw::LayOut(levels, {});
        benchmark::DoNotOptimize(verify::VerifyPlan(layout).ok());
    }
}

BENCHMARK_CAPTURE(LayOutOnly, Rgba16Chain32, Chain(32, 32, Kind::RGBA16, 6))->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(LayOutAndProve, Rgba16Chain32, Chain(32, 32, Kind::RGBA16, 6))
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(LayOutOnly, Ci4Base64, Chain(64, 64, Kind::CI4, 1))->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(LayOutAndProve, Ci4Base64, Chain(64, 64, Kind::CI4, 1))->Unit(benchmark::kMicrosecond);

} // namespace
