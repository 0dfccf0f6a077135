// SPDX-License-Identifier: MIT
// vellora-cli check over 2,000 generated textures (PNG and BMP, with and
// without format names, 32 x 32 to 256 x 64), with one and with two jobs,
// with every plan proved on the RDP model, beside reading the same files alone.
#include "bitmap/bmpwriter.h"
#include "bitmap/picturefile.h"
#include "bitmap/pngwriter.h"
#include "cli/cli.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using vellora::EncodeBmp24;
using vellora::EncodePng;
using vellora::PixelGrid;

constexpr int kFiles = 2000;

struct Corpus {
    fs::path dir;
    std::vector<std::string> files;
    Corpus() {
        dir = fs::temp_directory_path() / "vellora-check-bench";
        fs::remove_all(dir);
        fs::create_directories(dir);
        std::mt19937 random(7);
        const int widths[] = {32, 64, 128, 256};
        const int heights[] = {32, 64};
        const char* kinds[] = {"", ".rgba16", ".ci8", ".i4", ".ia8", ".rgba32"};
        for (int i = 0; i < kFiles; ++i) {
            const int w = widths[random() % 4], h = heights[random() % 2];
            PixelGrid grid(h, w);
            for (auto& b : grid.bytes())
                b = static_cast<std::uint8_t>(random() % 32 * 8);
            const bool png = i % 2 == 0;
            std::string name("t");
            name += std::to_string(i);
            name += kinds[i % 6];
            name += png ? ".png" : ".bmp";
            std::vector<std::uint8_t> bytes;
            if (png) {
                bytes = EncodePng(w, h, 4, grid.rgba());
            } else {
                bytes = EncodeBmp24(grid);
            }
            const fs::path path = dir / name;
            std::ofstream(path, std::ios::binary)
                .write(reinterpret_cast<const char*>(bytes.data()),
                       static_cast<std::streamsize>(bytes.size()));
            files.push_back(path.string());
        }
    }
    ~Corpus() {
        std::error_code ec;
        if (!std::getenv("VELLORA_KEEP_CORPUS"))
            fs::remove_all(dir, ec);
    }
};

const Corpus& Files() {
    static const Corpus corpus;
    return corpus;
}

void Check(benchmark::State& state, const char* jobs) {
    const Corpus& c = Files();
    for (auto _ : state) {
        std::ostringstream out, err;
        const int code = vellora::RunCli({"check", c.dir.string(), "--jobs", jobs, "--quiet"}, out, err);
        benchmark::DoNotOptimize(code);
    }
    state.SetItemsProcessed(state.iterations() * kFiles);
}

void BM_CheckOneJob(benchmark::State& state) {
    Check(state, "1");
}
BENCHMARK(BM_CheckOneJob)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CheckTwoJobs(benchmark::State& state) {
    Check(state, "2");
}
BENCHMARK(BM_CheckTwoJobs)->Unit(benchmark::kMillisecond)->UseRealTime();

// Proving each texture that fits on the RDP model, against the same check
// by the hardware rules alone.
void BM_CheckHardwareRules(benchmark::State& state) {
    const Corpus& c = Files();
    for (auto _ : state) {
        std::ostringstream out, err;
        benchmark::DoNotOptimize(vellora::RunCli(
            {"check", c.dir.string(), "--jobs", "1", "--quiet", "--rules", "hardware"}, out, err));
    }
    state.SetItemsProcessed(state.iterations() * kFiles);
}
BENCHMARK(BM_CheckHardwareRules)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CheckVerify(benchmark::State& state) {
    const Corpus& c = Files();
    for (auto _ : state) {
        std::ostringstream out, err;
        benchmark::DoNotOptimize(vellora::RunCli(
            {"check", c.dir.string(), "--jobs", "1", "--quiet", "--rules", "hardware", "--verify"}, out,
            err));
    }
    state.SetItemsProcessed(state.iterations() * kFiles);
}
BENCHMARK(BM_CheckVerify)->Unit(benchmark::kMillisecond)->UseRealTime();

// The baseline: every file read into a level, one after another.
void BM_ReadFilesOnly(benchmark::State& state) {
    const Corpus& c = Files();
    for (auto _ : state) {
        for (const std::string& f : c.files) {
            vellora::TileLevel level;
            benchmark::DoNotOptimize(vellora::ReadPictureFile(f, level).ok);
        }
    }
    state.SetItemsProcessed(state.iterations() * kFiles);
}
BENCHMARK(BM_ReadFilesOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
