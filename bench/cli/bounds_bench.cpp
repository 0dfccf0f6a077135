// SPDX-License-Identifier: MIT
// The bounds of vellora-cli check: a 4096 x 4096 detail map over 100
// generated textures against the same run without it (the ratio should stay
// within 2), and the peak memory of check --json and of the text report over
// 10,000 generated textures, run as a child process and measured by wait4;
// and convert of 300 generated textures in one run against check of the same
// files (the ratio should stay within 1.5) and against one process a file.
#include "bitmap/pngwriter.h"
#include "cli/cli.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace {

namespace fs = std::filesystem;

void WriteFile(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// count textures of side x side pixels in a fresh folder, removed at exit.
struct Folder {
    fs::path dir;
    Folder(const char* name, int count, int side) {
        dir = fs::temp_directory_path() / name;
        fs::remove_all(dir);
        fs::create_directories(dir / "textures");
        std::mt19937 random(11);
        for (int i = 0; i < count; ++i) {
            vellora::PixelGrid grid(side, side);
            for (auto& b : grid.bytes())
                b = static_cast<std::uint8_t>(random() % 16 * 16);
            std::string file = std::to_string(i);
            file.insert(0, 1, 't');
            file += ".png";
            WriteFile(dir / "textures" / file, vellora::EncodePng(side, side, 4, grid.rgba()));
        }
    }
    ~Folder() {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    std::string textures() const { return (dir / "textures").string(); }
};

const Folder& DetailCorpus() {
    static const Folder folder = [] {
        Folder f("vellora-bounds-detail", 100, 64);
        vellora::PixelGrid big(4096, 4096);
        std::uint8_t v = 0;
        for (auto& b : big.bytes())
            b = v += 37;
        WriteFile(f.dir / "detail.png", vellora::EncodePng(4096, 4096, 4, big.rgba()));
        return f;
    }();
    return folder;
}

double SecondsOfCheck(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const auto started = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(vellora::RunCli(args, out, err));
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
}

// Both runs in each iteration, so the ratio compares like with like.
void BM_CheckDetailMapOver100Files(benchmark::State& state) {
    const Folder& f = DetailCorpus();
    const std::string detail = (f.dir / "detail.png").string();
    double plain = 0, withDetail = 0;
    for (auto _ : state) {
        plain += SecondsOfCheck({"check", f.textures(), "--jobs", "1", "--quiet"});
        withDetail += SecondsOfCheck({"check", f.textures(), "--detail", detail, "--jobs", "1", "--quiet"});
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["plain_ms"] = plain / n * 1000;
    state.counters["detail_ms"] = withDetail / n * 1000;
    state.counters["ratio"] = withDetail / plain;
}
BENCHMARK(BM_CheckDetailMapOver100Files)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// The child's peak resident memory in MiB; its output goes to /dev/null.
double PeakMiBOfChild(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    std::vector<std::string> all = {VELLORA_CLI_PATH};
    all.insert(all.end(), args.begin(), args.end());
    for (std::string& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) == 127)
        return -1;
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void PeakOfCheck(benchmark::State& state, bool json) {
    static const Folder folder("vellora-bounds-many", 10000, 16);
    double peak = 0;
    for (auto _ : state) {
        std::vector<std::string> args = {"check", folder.textures(), "--jobs", "2"};
        if (json)
            args.push_back("--json");
        peak = std::max(peak, PeakMiBOfChild(args));
    }
    state.counters["peak_MiB"] = peak;
}

void BM_CheckJsonPeakMemory10000Files(benchmark::State& state) {
    PeakOfCheck(state, true);
}
BENCHMARK(BM_CheckJsonPeakMemory10000Files)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

void BM_CheckTextPeakMemory10000Files(benchmark::State& state) {
    PeakOfCheck(state, false);
}
BENCHMARK(BM_CheckTextPeakMemory10000Files)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

const Folder& ConvertCorpus() {
    static const Folder folder("vellora-bounds-convert", 300, 64);
    return folder;
}

// check and convert of the same 300 files, both in each iteration: to I4
// (no palette to choose) and to CI4 (a palette quantized for each file).
void BM_Convert300FilesAgainstCheck(benchmark::State& state, const char* format) {
    const Folder& f = ConvertCorpus();
    std::vector<std::string> inputs;
    for (const auto& e : fs::directory_iterator(f.textures()))
        inputs.push_back(e.path().string());
    std::vector<std::string> convert = {"convert"};
    convert.insert(convert.end(), inputs.begin(), inputs.end());
    for (const char* a : {"--format", format, "--type", "bin", "--jobs", "2", "--out-dir"})
        convert.emplace_back(a);
    convert.push_back((f.dir / "out").string());
    double check = 0, converted = 0;
    for (auto _ : state) {
        check += SecondsOfCheck({"check", f.textures(), "--jobs", "2", "--quiet"});
        converted += SecondsOfCheck(convert);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["check_ms"] = check / n * 1000;
    state.counters["convert_ms"] = converted / n * 1000;
    state.counters["ratio"] = converted / check;
}
BENCHMARK_CAPTURE(BM_Convert300FilesAgainstCheck, i4, "i4")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK_CAPTURE(BM_Convert300FilesAgainstCheck, ci4, "ci4")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

// The same conversion as a build script without several inputs would run
// it: one process a file, against the one run above.
void BM_Convert300FilesOneProcessEach(benchmark::State& state) {
    const Folder& f = ConvertCorpus();
    double seconds = 0;
    for (auto _ : state) {
        const auto started = std::chrono::steady_clock::now();
        for (const auto& e : fs::directory_iterator(f.textures()))
            PeakMiBOfChild({"convert", e.path().string(), "--format", "ci4", "--out",
                            (f.dir / "single" / e.path().filename().replace_extension(".bin")).string()});
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    }
    state.counters["processes_ms"] = seconds / static_cast<double>(state.iterations()) * 1000;
}
BENCHMARK(BM_Convert300FilesOneProcessEach)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

} // namespace
