// SPDX-License-Identifier: MIT
// From a typed width to a fully updated window, and from nothing to the
// first shown window.
#include "bitmap/mipmap.h"
#include "bitmap/startup.h"
#include "ui/dialogs.h"
#include "ui/form.h"
#include "ui/mainwindow.h"
#include "ui/pictureopener.h"
#include "ui/tmemmapview.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <array>
#include <memory>

#include "qtbenchmain.h"

namespace {

// Benchmarks never show a dialog; every answer is "OK".
class SilentDialogs : public vellora::Dialogs {
  public:
    int messageBox(const QString&, int, const QString&, int) override { return vellora::MsgResult::Ok; }
    QString inputBox(const QString&, const QString&) override { return QStringLiteral("16"); }
    QString chooseFile(const vellora::FileRequest&) override { return QString(); }
    QString chooseSaveFile(const vellora::FileRequest&) override { return QString(); }
    QString chooseFolder(const vellora::FileRequest&) override { return QString(); }
};

// One edit of txtWidth through to a repainted map: the Change rule, the
// count (with the start-up pictures' mip-maps regenerated), the labels, the
// fill bar and a paint of all 4096 cells.
void EditWidth(benchmark::State& state, bool wide, bool paintMap = true) {
    SilentDialogs dialogs;
    vellora::MainWindow window(dialogs);
    window.setExitHandler([] {});
    window.startUp(1);
    if (wide)
        window.setWindowWidthTwips(vellora::MainWindow::kWideWidthTwips);
    QApplication::processEvents();
    auto* width = window.findChild<QLineEdit*>(QStringLiteral("txtWidth"));
    auto* result = window.findChild<QLabel*>(QStringLiteral("lblExcede"));
    vellora::TmemMapView* map = window.tmemMapView();
    const QString sizes[] = {QStringLiteral("47"), QStringLiteral("64"), QStringLiteral("128"),
                             QStringLiteral("32")};
    int i = 0;
    for (auto _ : state) {
        width->setText(sizes[i++ % 4]);
        if (paintMap) {
            QPixmap mapPixels = map->grab();
            benchmark::DoNotOptimize(mapPixels);
        }
        QPixmap resultPixels = result->grab();
        benchmark::DoNotOptimize(resultPixels);
    }
}

void BM_WidthEditToUpdatedWindow(benchmark::State& state) {
    EditWidth(state, false);
}
void BM_WidthEditToUpdatedWindowWide(benchmark::State& state) {
    EditWidth(state, true);
}
// The same without painting the map: what the count and the window's own
// updates cost on their own.
void BM_WidthEditWithoutMapPaint(benchmark::State& state) {
    EditWidth(state, false, false);
}

// The baseline: the count that edit runs, alone, on the same pictures and
// the same widths. The window's figures are read as ratios to it.
void BM_CountOfTheSameEdit(benchmark::State& state) {
    vellora::CoreState core;
    vellora::MakeStartupPictures(core.tiles, 1);
    core.bitmapLoaded = true;
    vellora::CalcHooks hooks;
    hooks.regenerate = [](vellora::TileTable& tiles, int lastLevel, int detailFlag) {
        vellora::GeneratebmpMipMap(tiles, lastLevel, detailFlag, vellora::MipFilter::Weighted3x3);
    };
    vellora::Settings settings;
    const char* sizes[] = {"47", "64", "128", "32"};
    int i = 0;
    for (auto _ : state) {
        settings.width = sizes[i++ % 4];
        vellora::CountResult r = vellora::CalcTMEM(settings, core, false, hooks);
        benchmark::DoNotOptimize(r);
    }
}

// Reloading as the artist paints: a picture saved again, to the repainted
// window (the watch, the settle time, the read, the count, the paint); the
// reload alone; and the first open of the same picture, its baseline.
struct OpenedPicture {
    SilentDialogs dialogs;
    QTemporaryDir dir;
    QString path;
    std::array<QByteArray, 2> versions;
    std::unique_ptr<vellora::MainWindow> window;

    OpenedPicture() {
        path = dir.filePath(QStringLiteral("paint.png"));
        for (int v = 0; v < 2; ++v) {
            QImage picture(128, 128, QImage::Format_RGB32);
            for (int y = 0; y < 128; ++y)
                for (int x = 0; x < 128; ++x)
                    picture.setPixel(x, y, qRgb((x * 7 + v * 90) % 256, (y * 5) % 256, 120));
            QBuffer buffer(&versions[static_cast<std::size_t>(v)]);
            buffer.open(QIODevice::WriteOnly);
            picture.save(&buffer, "PNG");
        }
        save(0);
        window = std::make_unique<vellora::MainWindow>(dialogs);
        window->setExitHandler([] {});
        window->startUp(1);
        QApplication::processEvents();
        window->opener().open(path);
    }
    void save(int version) {
        QFile file(path);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(versions[static_cast<std::size_t>(version)]);
    }
};

void BM_SavedToRepaintedWindow(benchmark::State& state) {
    OpenedPicture p;
    auto* result = p.window->findChild<QLabel*>(QStringLiteral("lblExcede"));
    int version = 1;
    for (auto _ : state) {
        const int counted = p.window->recalculations();
        p.save(version);
        version ^= 1;
        QElapsedTimer waited;
        waited.start();
        while (p.window->recalculations() == counted && waited.elapsed() < 2000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        if (p.window->recalculations() == counted) {
            state.SkipWithError("the saved picture was not reloaded within 2 s");
            break;
        }
        QPixmap pixels = result->grab();
        benchmark::DoNotOptimize(pixels);
    }
}

void BM_ReloadAlone(benchmark::State& state) {
    OpenedPicture p;
    for (auto _ : state)
        benchmark::DoNotOptimize(p.window->opener().reload());
}

void BM_FirstOpenOfThePicture(benchmark::State& state) {
    OpenedPicture p;
    for (auto _ : state) {
        state.PauseTiming();
        SilentDialogs dialogs;
        vellora::MainWindow window(dialogs);
        window.setExitHandler([] {});
        window.startUp(1);
        QApplication::processEvents();
        state.ResumeTiming();
        benchmark::DoNotOptimize(window.opener().open(p.path));
    }
}

void BM_StartUpToFirstShownWindow(benchmark::State& state) {
    SilentDialogs dialogs;
    for (auto _ : state) {
        vellora::MainWindow window(dialogs);
        window.setExitHandler([] {});
        window.startUp(1);
        QApplication::processEvents();
        benchmark::DoNotOptimize(window.isVisible());
    }
}

} // namespace

BENCHMARK(BM_WidthEditToUpdatedWindow)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_WidthEditToUpdatedWindowWide)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_WidthEditWithoutMapPaint)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_CountOfTheSameEdit)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_SavedToRepaintedWindow)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);
BENCHMARK(BM_ReloadAlone)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_FirstOpenOfThePicture)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_StartUpToFirstShownWindow)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

int main(int argc, char** argv) {
    return RunQtBenchmarks(argc, argv);
}
