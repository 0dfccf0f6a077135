// SPDX-License-Identifier: MIT
// From a typed width to a fully updated window, and from nothing to the
// first shown window.
#include "bitmap/mipmap.h"
#include "bitmap/startup.h"
#include "ui/dialogs.h"
#include "ui/form.h"
#include "ui/mainwindow.h"
#include "ui/tmemmapview.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>

#include <benchmark/benchmark.h>

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
BENCHMARK(BM_StartUpToFirstShownWindow)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

int main(int argc, char** argv) {
    return RunQtBenchmarks(argc, argv);
}
