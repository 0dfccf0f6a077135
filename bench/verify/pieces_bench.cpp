// SPDX-License-Identifier: MIT
// A 640 x 480 background in pieces, planned and every piece proved on the
// RDP model, beside reading the picture's file in the same run: the ratio
// is what a user feels running `pieces` on a background.
#include "bitmap/picturefile.h"
#include "hardware/pieces.h"
#include "reduce/reduce.h"
#include "verify/verify.h"

#include <benchmark/benchmark.h>

namespace {

using namespace vellora;

constexpr const char* kPicture = VELLORA_BENCH_PICTURE;

void ReadPicture640x480(benchmark::State& state) {
    for (auto _ : state) {
        TileLevel level;
        const PictureReadResult r = ReadPictureFile(kPicture, level);
        if (!r.ok)
            state.SkipWithError(r.error.c_str());
        benchmark::DoNotOptimize(level.Pixels.rgba().data());
    }
}

// Plan, reduce to the kind and prove: what the command does after reading.
void PiecesPlannedAndProved640x480(benchmark::State& state, Kind kind, bool overlap) {
    TileTable tiles{};
    if (!ReadPictureFile(kPicture, tiles[0]).ok) {
        state.SkipWithError("cannot read the picture");
        return;
    }
    const int width = tiles[0].Width, height = tiles[0].Height;
    const std::vector<hw::Level> level = {hw::Level{0, LevelRole::Base, width, height, kind, 0}};
    reduce::ReduceOptions options;
    options.shown = false;
    for (auto _ : state) {
        const hw::PiecePlan plan = hw::PlanPieces(width, height, kind, {overlap, {}});
        const reduce::ReducedTexture reduced = reduce::ReduceTexture(tiles, level, {}, {}, options);
        const verify::Result proof = verify::VerifyPieces(plan, reduced);
        if (!proof.ok())
            state.SkipWithError(proof.describe().c_str());
        benchmark::DoNotOptimize(proof.texels);
    }
}

// The reduction alone, to tell its share from the plan's and the proof's.
void ReducedTo640x480(benchmark::State& state, Kind kind) {
    TileTable tiles{};
    if (!ReadPictureFile(kPicture, tiles[0]).ok) {
        state.SkipWithError("cannot read the picture");
        return;
    }
    const std::vector<hw::Level> level = {
        hw::Level{0, LevelRole::Base, tiles[0].Width, tiles[0].Height, kind, 0}};
    reduce::ReduceOptions options;
    options.shown = false;
    for (auto _ : state)
        benchmark::DoNotOptimize(reduce::ReduceTexture(tiles, level, {}, {}, options).levels.size());
}

BENCHMARK(ReadPicture640x480)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ReducedTo640x480, Rgba16, Kind::RGBA16)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ReducedTo640x480, Ci4, Kind::CI4)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PiecesPlannedAndProved640x480, Rgba16Overlap, Kind::RGBA16, true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PiecesPlannedAndProved640x480, Rgba16, Kind::RGBA16, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PiecesPlannedAndProved640x480, Rgba32, Kind::RGBA32, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PiecesPlannedAndProved640x480, Ci4, Kind::CI4, false)->Unit(benchmark::kMillisecond);

} // namespace
