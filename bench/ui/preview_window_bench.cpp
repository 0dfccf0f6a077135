// SPDX-License-Identifier: MIT
// The preview as the window draws it: a 1024 x 256 base with its whole
// pyramid in a window stretched to 1920 x 1080, redrawn at every tile
// position; and a whole load of such a file through "Load Settings from bmp".
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

#include <cstdio>
#include <cstdlib>
#include <memory>
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
};

// A colourful 24-bit picture, bottom row first, rows padded to 4 bytes.
bool Write24BitBmp(const QString& path, int width, int height) {
    const int rowBytes = (width * 3 + 3) / 4 * 4;
    const int offBits = 14 + 40;
    const int size = offBits + rowBytes * height;
    std::vector<unsigned char> out(static_cast<std::size_t>(size), 0);
    auto put = [&](int at, std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out[static_cast<std::size_t>(at + i)] = static_cast<unsigned char>(v >> (8 * i));
    };
    out[0] = 'B';
    out[1] = 'M';
    put(2, static_cast<std::uint32_t>(size), 4);
    put(10, offBits, 4);
    put(14, 40, 4);
    put(18, static_cast<std::uint32_t>(width), 4);
    put(22, static_cast<std::uint32_t>(height), 4);
    put(26, 1, 2);
    put(28, 24, 2);
    for (int r = 0; r < height; ++r) {
        const int row = height - 1 - r;
        for (int c = 0; c < width; ++c) {
            const int at = offBits + r * rowBytes + c * 3;
            out[static_cast<std::size_t>(at)] = static_cast<unsigned char>((row * 3 + c) & 0xFF);     // blue
            out[static_cast<std::size_t>(at + 1)] = static_cast<unsigned char>((row * 5) & 0xFF);     // green
            out[static_cast<std::size_t>(at + 2)] = static_cast<unsigned char>((c * 7 + row) & 0xFF); // red
        }
    }
    QFile file(path);
    return file.open(QIODevice::WriteOnly) &&
           file.write(reinterpret_cast<const char*>(out.data()), size) == static_cast<qint64>(size);
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
                     window->height(), view.width(), view.height(), window->lastResult().maxIndex);
    }

    // Confirm, no detail map, the base, the 24-bit note, generated tiles.
    void load() {
        dialogs.answers = {vellora::MsgResult::Ok, vellora::MsgResult::No, vellora::MsgResult::Ok,
                           vellora::MsgResult::Yes};
        window->findChild<QPushButton*>(QStringLiteral("cmdBrowse"))->click();
    }
};

Stage& TheStage() {
    static Stage stage;
    return stage;
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
BENCHMARK(BM_LoadToFinishedPreview)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
