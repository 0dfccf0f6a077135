// SPDX-License-Identifier: MIT
// The preview as the window draws it: a 1024 x 256 base with its whole
// pyramid in a window stretched to 1920 x 1080, redrawn at every tile
// position; and a whole load of such a file through "Load Settings from bmp".
#include "bitmap/bmpwriter.h"
#include "ui/dialogs.h"
#include "ui/mainwindow.h"
#include "ui/previewdriver.h"
#include "ui/previewsurface.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QList>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "qtbenchmain.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <vector>

namespace {

constexpr int kBaseWidth = 1024;
constexpr int kBaseHeight = 256;

// Answers from a queue; a file request always gets the one file.
class QueueDialogs : public vellora::Dialogs {
  public:
    QList<int> answers;
    QString file;
    int messageBox(const QString&, int, const QString&, int) override {
        return answers.isEmpty() ? vellora::MsgResult::Ok : answers.takeFirst();
    }
    QString inputBox(const QString&, const QString&) override { return QString(); }
    QString chooseFile(const vellora::FileRequest&) override { return file; }
    QString chooseSaveFile(const vellora::FileRequest&) override { return QString(); }
    QString chooseFolder(const vellora::FileRequest&) override { return QString(); }
};

// A colourful 24-bit picture, bottom row first, rows padded to 4 bytes.
bool Write24BitBmp(const QString& path, int width, int height) {
    vellora::PixelGrid grid(height, width);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = grid.at(y, x);
            p[0] = static_cast<std::uint8_t>((x * 7 + y) & 0xFF);
            p[1] = static_cast<std::uint8_t>((y * 5) & 0xFF);
            p[2] = static_cast<std::uint8_t>((y * 3 + x) & 0xFF);
        }
    }
    const std::vector<std::uint8_t> bytes = vellora::EncodeBmp24(grid);
    QFile file(path);
    return file.open(QIODevice::WriteOnly) &&
           file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size())) ==
               static_cast<qint64>(bytes.size());
}

// One window for all benchmarks, with the picture loaded the way a user
// would: the detail map switched off, then the file loaded with generated
// tiles.
struct Stage {
    QTemporaryDir dir;
    QString path;
    QueueDialogs dialogs;
    std::unique_ptr<vellora::MainWindow> window;

    Stage() {
        path = QDir(dir.path()).filePath(QStringLiteral("base1024x256.bmp"));
        if (!Write24BitBmp(path, kBaseWidth, kBaseHeight)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            std::abort();
        }
        dialogs.file = path;
        window = std::make_unique<vellora::MainWindow>(dialogs);
        window->setExitHandler([] {});
        window->startUp(7);
        // The widest layout, as tall as a 1080-line screen.
        window->setWindowWidthTwips(vellora::MainWindow::kWideWidthTwips);
        window->resize(window->width(), 1080);
        QApplication::processEvents();
        window->selectTab(3);
        dialogs.answers = {vellora::MsgResult::Yes};
        window->findChild<QCheckBox*>(QStringLiteral("chkDetailEnabled"))->click();
        load();
        const QSize view = window->previewViewport();
        std::fprintf(stderr, "window %dx%d px, preview viewport %dx%d px, last level %d\n", window->width(),
                     window->height(), view.width(), view.height(), window->lastResult().count.maxIndex);
    }

    // Confirm, no detail map, the base, the 24-bit note, generated tiles.
    void load() {
        dialogs.answers = {vellora::MsgResult::Ok, vellora::MsgResult::No, vellora::MsgResult::Ok,
                           vellora::MsgResult::Yes};
        window->findChild<QPushButton*>(QStringLiteral("cmdBrowse"))->click();
    }
};

Stage& TheStage() {
    // Made on first use and never destroyed: a window outliving the
    // application object would be torn down after Qt itself at exit.
    static Stage* stage = new Stage;
    return *stage;
}

// One redraw at sliderTile value/10, through to the surface repainted.
void BM_RedrawAtTilePosition(benchmark::State& state) {
    Stage& s = TheStage();
    const auto value = static_cast<int>(state.range(0));
    auto* tile = s.window->findChild<QScrollBar*>(QStringLiteral("sliderTile"));
    if (value > tile->maximum()) {
        state.SkipWithError("tile position beyond the last level");
        return;
    }
    vellora::PreviewDriver* driver = s.window->previewDriver();
    vellora::PreviewSurface* surface = s.window->previewSurface();
    const int completed = driver->passesCompleted();
    for (auto _ : state) {
        s.window->drawPreview(static_cast<float>(value / 10.0));
        surface->repaint();
    }
    if (driver->passesCompleted() - completed != static_cast<int>(state.iterations()))
        state.SkipWithError("a pass did not complete");
    state.counters["tilePos"] = value / 10.0;
}

// The baseline for the redraw above: the renderer's own pass for the same
// plan and viewport (background and level pass into a kept canvas), with no
// window around it.
void BM_RendererPassAlone(benchmark::State& state) {
    Stage& s = TheStage();
    const auto value = static_cast<int>(state.range(0));
    s.window->drawPreview(static_cast<float>(value / 10.0));
    const vellora::PreviewPlan plan = s.window->previewDriver()->lastPlan();
    const vellora::TileTable& tiles = s.window->coreState().tiles;
    std::mt19937_64 engine(7);
    const vellora::PreviewRandom random = [&engine] {
        return std::uniform_real_distribution<double>(0.0, 1.0)(engine);
    };
    vellora::PreviewCanvas canvas;
    for (auto _ : state) {
        const vellora::PreviewResult r = vellora::RenderPlanned(plan, tiles, canvas, random, {});
        benchmark::DoNotOptimize(canvas.rgb.data());
        if (!r.completed)
            state.SkipWithError("the pass did not complete");
    }
    state.counters["tilePos"] = value / 10.0;
}

// A click of "Load Settings from bmp" with scripted answers, to the drawn
// preview: read, count, generated pyramid, one pass and its repaint.
void BM_LoadToFinishedPreview(benchmark::State& state) {
    Stage& s = TheStage();
    vellora::PreviewDriver* driver = s.window->previewDriver();
    for (auto _ : state) {
        const int completed = driver->passesCompleted();
        s.load();
        s.window->previewSurface()->repaint();
        if (driver->passesCompleted() != completed + 1) {
            state.SkipWithError("the load did not end in a drawn preview");
            break;
        }
    }
}

} // namespace

BENCHMARK(BM_RedrawAtTilePosition)->DenseRange(0, 70, 5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RendererPassAlone)->DenseRange(0, 70, 5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadToFinishedPreview)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    return RunQtBenchmarks(argc, argv);
}
