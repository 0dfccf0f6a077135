// SPDX-License-Identifier: MIT
// Each measured operation runs beside a baseline doing the least work of the
// same size (a copy of the same bytes, a fill of the same pixels), so the
// figures can be read as ratios independent of the machine.
#include "bitmap/bmpreader.h"
#include "bitmap/mipmap.h"
#include "bitmap/pngreader.h"
#include "bitmap/pngwriter.h"

#include <benchmark/benchmark.h>
#include <spng.h>

#include <cstring>
#include <memory>
#include <random>
#include <vector>

using namespace vellora;

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 256;

void Put(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i)
        b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::vector<std::uint8_t> Bmp24() {
    const std::size_t rowBytes = (static_cast<std::size_t>(kWidth) * 3 + 3) / 4 * 4;
    std::vector<std::uint8_t> b(54 + rowBytes * kHeight);
    b[0] = 'B';
    b[1] = 'M';
    Put(b, 2, static_cast<std::uint32_t>(b.size()), 4);
    Put(b, 10, 54, 4);
    Put(b, 14, 40, 4);
    Put(b, 18, kWidth, 4);
    Put(b, 22, kHeight, 4);
    Put(b, 26, 1, 2);
    Put(b, 28, 24, 2);
    std::mt19937 random(1);
    for (std::size_t i = 54; i < b.size(); ++i)
        b[i] = static_cast<std::uint8_t>(random());
    return b;
}

void BM_DecodeBmp24(benchmark::State& state) {
    const auto bytes = Bmp24();
    TileLevel level;
    for (auto _ : state) {
        const PictureReadResult r = ReadBmp(bytes, level);
        benchmark::DoNotOptimize(r.ok);
        benchmark::DoNotOptimize(level.Pixels.rgba().data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_DecodeBmp24);

void BM_DecodeBaselineMemcpy(benchmark::State& state) {
    const auto bytes = Bmp24();
    std::vector<std::uint8_t> copy(bytes.size());
    for (auto _ : state) {
        std::memcpy(copy.data(), bytes.data(), bytes.size());
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_DecodeBaselineMemcpy);

// A 1024 x 256 RGBA picture as texture files are: smooth colour with some
// noise, so it compresses about as a real one does.
std::vector<std::uint8_t> PngRgba() {
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(kWidth) * kHeight * 4);
    std::mt19937 random(3);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            std::uint8_t* p = rgba.data() + (static_cast<std::size_t>(y) * kWidth + x) * 4;
            const unsigned noise = random() & 15;
            p[0] = static_cast<std::uint8_t>(x / 4 + noise);
            p[1] = static_cast<std::uint8_t>(y + noise);
            p[2] = static_cast<std::uint8_t>((x ^ y) & 0xF0);
            p[3] = static_cast<std::uint8_t>(255 - (x & 0x7F));
        }
    }
    return EncodePng(kWidth, kHeight, 4, rgba);
}

void BM_DecodePngRgba(benchmark::State& state) {
    const auto bytes = PngRgba();
    TileLevel level;
    for (auto _ : state) {
        const PictureReadResult r = ReadPng(bytes, level);
        if (!r.ok)
            state.SkipWithError(r.error.c_str());
        benchmark::DoNotOptimize(r.ok);
        benchmark::DoNotOptimize(level.Pixels.rgba().data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kWidth * kHeight * 4);
}
BENCHMARK(BM_DecodePngRgba);

// libspng alone, into a fresh plain buffer of the same size.
void BM_DecodePngBaselineLibspng(benchmark::State& state) {
    const auto bytes = PngRgba();
    for (auto _ : state) {
        std::unique_ptr<spng_ctx, decltype(&spng_ctx_free)> ctx(spng_ctx_new(0), spng_ctx_free);
        spng_set_png_buffer(ctx.get(), bytes.data(), bytes.size());
        std::size_t size = 0;
        spng_decoded_image_size(ctx.get(), SPNG_FMT_RGBA8, &size);
        std::vector<std::uint8_t> out(size);
        const int e = spng_decode_image(ctx.get(), out.data(), out.size(), SPNG_FMT_RGBA8, 0);
        if (e != 0)
            state.SkipWithError(spng_strerror(e));
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kWidth * kHeight * 4);
}
BENCHMARK(BM_DecodePngBaselineLibspng);

// A 1024 x 256 base in record 0 and the sizes the count gives its levels.
TileTable Pyramid() {
    TileTable t;
    std::mt19937 random(2);
    t[0].Width = kWidth;
    t[0].Height = kHeight;
    t[0].Pixels = PixelGrid(kHeight, kWidth);
    for (auto& b : t[0].Pixels.bytes())
        b = static_cast<std::uint8_t>(random());
    for (int i = 1; i < kLevelCount; ++i) {
        t[i].Width = t[i - 1].Width / 2;
        t[i].Height = std::max(1, t[i - 1].Height / 2);
    }
    return t;
}

std::size_t OutputPixels(const TileTable& t) {
    std::size_t n = 0;
    for (int i = 1; i < kLevelCount; ++i)
        n += static_cast<std::size_t>(t[i].Width + 1) * static_cast<std::size_t>(t[i].Height + 1);
    return n;
}

void BM_Pyramid(benchmark::State& state, MipFilter filter) {
    TileTable t = Pyramid();
    for (auto _ : state) {
        GeneratebmpMipMap(t, kLevelCount - 1, 0, filter);
        benchmark::DoNotOptimize(t[kLevelCount - 1].Pixels.rgba().data());
    }
    state.counters["pixels"] = static_cast<double>(OutputPixels(t));
}
BENCHMARK_CAPTURE(BM_Pyramid, Weighted3x3, MipFilter::Weighted3x3)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Pyramid, Box2x2, MipFilter::Box2x2)->Unit(benchmark::kMicrosecond);

// The same levels allocated afresh and filled with one value: the floor any
// generator that writes every output pixel must pay.
void BM_PyramidBaselineFill(benchmark::State& state) {
    TileTable t = Pyramid();
    for (auto _ : state) {
        for (int i = 1; i < kLevelCount; ++i) {
            PixelGrid g(t[i].Height + 1, t[i].Width + 1);
            std::memset(g.bytes().data(), 0x55, g.bytes().size());
            t[i].Pixels = std::move(g);
        }
        benchmark::DoNotOptimize(t[kLevelCount - 1].Pixels.rgba().data());
    }
    state.counters["pixels"] = static_cast<double>(OutputPixels(t));
}
BENCHMARK(BM_PyramidBaselineFill)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
