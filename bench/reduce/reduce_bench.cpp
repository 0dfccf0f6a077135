// SPDX-License-Identifier: MIT
// A 256 x 256 RGBA PNG converted with its whole pyramid, as `convert` does
// it: decode, generate the levels, reduce, lay out the bytes. The decode and
// generation alone run beside it as the baseline.
#include "bitmap/loadstep.h"
#include "bitmap/mipmap.h"
#include "bitmap/pngwriter.h"
#include "core/count.h"
#include "hardware/layout.h"
#include "reduce/reduce.h"
#include "reduce/texturedata.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace vellora {
namespace {

// Smooth colour gradients with soft alpha: thousands of distinct colours,
// so CI8 has to quantize.
std::vector<std::uint8_t> Picture() {
    std::vector<std::uint8_t> px(256u * 256u * 4u);
    for (int y = 0; y < 256; ++y) {
        for (int x = 0; x < 256; ++x) {
            std::uint8_t* p =
                px.data() + (static_cast<std::size_t>(y) * 256u + static_cast<std::size_t>(x)) * 4u;
            p[0] = static_cast<std::uint8_t>(x);
            p[1] = static_cast<std::uint8_t>(y);
            p[2] = static_cast<std::uint8_t>(128 + 127 * std::sin((x + y) / 20.0));
            p[3] = static_cast<std::uint8_t>(x < 16 ? x * 16 : 255);
        }
    }
    return EncodePng(256, 256, 4, px);
}

// Decoded and generated down to 1 x 1, with the levels the count gives.
struct Pyramid {
    CoreState state;
    std::vector<hw::Level> levels;
};

Pyramid Generate(const std::vector<std::uint8_t>& png, Kind kind) {
    Pyramid p;
    LoadBytesInto(png, LoadRole::Base, p.state, 0);
    int w = 256, h = 256;
    for (int record = 0; record < kLevelCount && w >= 1 && h >= 1; ++record, w /= 2, h /= 2) {
        TileLevel& l = p.state.tiles[static_cast<std::size_t>(record)];
        l.Width = w;
        l.Height = h;
        p.levels.push_back(
            hw::Level{record, record == 0 ? LevelRole::Base : LevelRole::Mip, w, h, kind, record});
    }
    GeneratebmpMipMap(p.state.tiles, static_cast<int>(p.levels.size()) - 1, 0, MipFilter::Weighted3x3);
    return p;
}

void BM_DecodeAndGenerate(benchmark::State& state) {
    const std::vector<std::uint8_t> png = Picture();
    for (auto _ : state)
        benchmark::DoNotOptimize(Generate(png, Kind::RGBA16));
}

reduce::ReducedTexture Reduce(const Pyramid& p) {
    return reduce::ReduceTexture(p.state.tiles, p.levels, p.state.baseSource, {},
                                 {false, MipFilter::Weighted3x3, false});
}

// The reduction and the bytes alone, from a pyramid already generated.
void ReduceOnly(benchmark::State& state, Kind kind) {
    const Pyramid p = Generate(Picture(), kind);
    for (auto _ : state)
        benchmark::DoNotOptimize(reduce::TextureBytes(Reduce(p), {}));
}

// From the file's bytes to the texture's bytes.
void Convert(benchmark::State& state, Kind kind) {
    const std::vector<std::uint8_t> png = Picture();
    for (auto _ : state)
        benchmark::DoNotOptimize(reduce::TextureBytes(Reduce(Generate(png, kind)), {}));
}

void BM_ReduceRgba16(benchmark::State& state) {
    ReduceOnly(state, Kind::RGBA16);
}
void BM_ReduceCi8(benchmark::State& state) {
    ReduceOnly(state, Kind::CI8);
}
void BM_ConvertRgba16(benchmark::State& state) {
    Convert(state, Kind::RGBA16);
}
void BM_ConvertCi8(benchmark::State& state) {
    Convert(state, Kind::CI8);
}

BENCHMARK(BM_DecodeAndGenerate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReduceRgba16)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReduceCi8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertRgba16)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertCi8)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace vellora
