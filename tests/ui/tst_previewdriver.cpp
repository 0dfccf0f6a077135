// SPDX-License-Identifier: MIT
#include "scripteddialogs.h"
#include "ui/previewdriver.h"
#include "ui/previewsurface.h"

#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace vellora;

namespace {

TileLevel Level(int w, int h, int tag) {
    TileLevel lv;
    lv.Width = lv.LineWidth = w;
    lv.Height = h;
    lv.BitDepth = 4;
    lv.Pixels = PixelGrid(h, w);
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c) {
            std::uint8_t* p = lv.Pixels.at(r, c);
            p[0] = static_cast<std::uint8_t>(tag);
            p[1] = static_cast<std::uint8_t>(r);
            p[2] = static_cast<std::uint8_t>(c);
        }
    return lv;
}

// The window's side of a pass: flags, level table, inputs, slider, surface.
struct Window {
    RecalcGuard guard;
    CoreState core;
    TileTable& tiles = core.tiles;
    int detailFlag = 0;
    QString shift = QStringLiteral("1");
    QString lodFrac = QStringLiteral("0.8");
    QSize viewport{360, 260};
    QScrollBar slider{Qt::Vertical};
    PreviewSurface surface;
    ScriptedDialogs dialogs;
    std::unique_ptr<PreviewDriver> driver;
    int zoomChanges = 0;

    explicit Window(bool withDetail = false) {
        detailFlag = withDetail ? 1 : 0;
        core.bitmapLoaded = true;
        int w = 64, h = 64;
        if (withDetail)
            tiles[0] = Level(16, 16, 200);
        for (int i = detailFlag; i < kLevelCount && w >= 1; ++i, w /= 2, h /= 2)
            tiles[static_cast<std::size_t>(i)] = Level(w, h, 10 * i);
        slider.setRange(1, 32);
        slider.setValue(2);
        // The window's zoom handler: a redraw unless a pass or a count runs.
        QObject::connect(&slider, &QScrollBar::valueChanged, [this] {
            ++zoomChanges;
            if (!guard.held())
                driver->Drawbmp(0.0f);
        });
        PreviewSources sources;
        sources.detailFlag = [this] { return detailFlag; };
        sources.shiftText = [this] { return shift; };
        sources.lodFracText = [this] { return lodFrac; };
        sources.viewportPixels = [this] { return viewport; };
        driver = std::make_unique<PreviewDriver>(guard, core, sources, &slider, &surface, dialogs);
        int calls = 0;
        driver->setRandomSource([calls]() mutable { return (++calls % 1000) / 1000.0; });
    }

    QRgb shown(int x, int y) const { return surface.image().pixel(x, y) & 0xFFFFFF; }
};

QRgb TexelRgb(const TileTable& t, int level, int row, int col) {
    const std::uint8_t* p = t[static_cast<std::size_t>(level)].Pixels.at(row, col);
    return qRgb(p[0], p[1], p[2]) & 0xFFFFFF;
}

} // namespace

class TestPreviewDriver : public QObject {
    Q_OBJECT

  private slots:
    void drawsTheLevelAndShrinksToTheViewport() {
        Window w;
        QSignalSpy sizes(&w.surface, &PreviewSurface::surfaceSizeChanged);
        w.driver->Drawbmp(0.0f);
        QCOMPARE(w.driver->passesCompleted(), 1);
        QCOMPARE(sizes.count(), 2);
        QCOMPARE(sizes.at(0).at(0).toSize(), QSize(384, 384));
        QCOMPARE(w.surface.surfaceSize(), QSize(360, 260));
        QCOMPARE(w.surface.image().size(), QSize(360, 260));
        QCOMPARE(w.shown(0, 0), TexelRgb(w.tiles, 0, 0, 0));
        QCOMPARE(w.shown(130, 3), TexelRgb(w.tiles, 0, 1, 1)); // second repeat at 128
        QVERIFY(!w.guard.held());
        QVERIFY(!w.guard.redrawPending());
    }

    void nothingDrawnWithoutABitmap() {
        Window w;
        w.core.bitmapLoaded = false;
        w.surface.setSurfaceSize(QSize(16, 16));
        w.driver->Drawbmp(0.0f);
        QCOMPARE(w.driver->passesStarted(), 0);
        QVERIFY(w.surface.isClear());
        QCOMPARE(w.surface.surfaceSize(), QSize(16, 16));
        QVERIFY(!w.guard.held());
        QVERIFY(!w.guard.redrawPending());
    }

    void requestDuringACountIsOnlyNoted() {
        Window w;
        w.guard.set(true);
        w.driver->Drawbmp(0.0f);
        QCOMPARE(w.driver->passesStarted(), 0);
        QVERIFY(w.guard.redrawPending());
        QVERIFY(w.guard.held());
    }

    void requestDuringAPassStopsItAndDrawsTheNewPosition() {
        Window w;
        bool pendingSeen = false;
        QTimer::singleShot(0, [&] {
            QVERIFY(w.driver->isDrawing());
            w.driver->Drawbmp(2.5f);
            pendingSeen = w.guard.redrawPending(); // only noted, no second pass inside the first
            QCOMPARE(w.driver->passesStarted(), 1);
        });
        w.driver->Drawbmp(0.0f);
        QVERIFY(pendingSeen);
        QCOMPARE(w.driver->passesCancelled(), 1);
        QCOMPARE(w.driver->passesStarted(), 2);
        QCOMPARE(w.driver->passesCompleted(), 1);
        QCOMPARE(w.driver->lastPlan().tileIndex, 2);
        QCOMPARE(w.surface.surfaceSize(), QSize(360, 260));
        // Level 2 (16 x 16) blended half and half with level 3, texels of 8 pixels.
        const std::uint8_t* p = w.tiles[2].Pixels.at(0, 1);
        const std::uint8_t* n = w.tiles[3].Pixels.at(0, 0);
        QCOMPARE(qRed(w.shown(8, 0)), (p[0] + n[0]) / 2);
        QCOMPARE(qBlue(w.shown(8, 0)), 0); // (1 + 0) / 2 = 0.5 goes to the even 0
        QVERIFY(!w.guard.held());
        QVERIFY(!w.guard.redrawPending());
    }

    void requestNotedBeforeAPassDoesNotStopIt() {
        // A load notes a request while it runs, then asks for its own pass.
        Window w;
        w.guard.set(true);
        w.driver->Drawbmp(0.0f);
        w.guard.set(false);
        QVERIFY(w.guard.redrawPending());
        w.driver->Drawbmp(0.0f);
        QCOMPARE(w.driver->passesCompleted(), 1);
        QCOMPARE(w.driver->passesCancelled(), 0);
        QCOMPARE(w.shown(359, 259), TexelRgb(w.tiles, 0, (259 % 128) / 2, (359 % 128) / 2));
    }

    void shift2RaisesTheZoomSliderTo4() {
        Window w(true);
        w.shift = QStringLiteral("2");
        QSignalSpy sizes(&w.surface, &PreviewSurface::surfaceSizeChanged);
        w.driver->Drawbmp(0.0f);
        QCOMPARE(w.slider.value(), 4);
        QCOMPARE(w.zoomChanges, 2); // 3 and 4, one step at a time, neither drawing
        QCOMPARE(w.driver->passesStarted(), 1);
        QCOMPARE(sizes.count(), 3);
        QCOMPARE(sizes.at(0).at(0).toSize(), QSize(384, 384));
        QCOMPARE(sizes.at(1).at(0).toSize(), QSize(768, 768));
        QCOMPARE(w.surface.surfaceSize(), QSize(360, 260));
        QVERIFY(w.dialogs.messages.isEmpty());
    }

    void missingTileDrawsWhatItHasWithoutABox() {
        Window w;
        // Level 2's tile file was not loaded: its grid is the reset 1 x 1.
        w.tiles[2].Pixels = PixelGrid(1, 1);
        for (int move = 0; move < 3; ++move)
            w.driver->Drawbmp(2.0f);
        QVERIFY(w.dialogs.messages.isEmpty());
        QCOMPARE(w.driver->passesCompleted(), 3);
        QCOMPARE(w.shown(0, 0), TexelRgb(w.tiles, 2, 0, 0));
        QVERIFY(!w.guard.held());
    }

    void failuresShowTheApplicationErrorBox() {
        Window w(true);
        w.shift = QString();
        w.driver->Drawbmp(0.0f);
        QCOMPARE(w.dialogs.messages.size(), 1);
        const ScriptedDialogs::Message& m = w.dialogs.messages.first();
        QVERIFY(m.prompt.endsWith(QStringLiteral("\r\nin Vellora.Form1.Drawbmp at line 1")));
        QVERIFY(m.prompt.startsWith(QStringLiteral("Type mismatch")));
        QCOMPARE(m.style, 48);
        QCOMPARE(m.title, QStringLiteral("Application Error"));
        QCOMPARE(m.timeout, 0);
        // The pass goes on and ends normally.
        QCOMPARE(w.driver->passesCompleted(), 1);
        QCOMPARE(w.slider.value(), 2);
        QVERIFY(!w.guard.held());
    }

    void flagsClearAfterEveryPass_data() {
        QTest::addColumn<QString>("shift");
        QTest::addColumn<QString>("lodFrac");
        QTest::addColumn<float>("tilePos");
        QTest::addColumn<bool>("interrupt");
        QTest::addColumn<int>("boxes");
        QTest::newRow("plain") << "1"
                               << "0.8" << 0.0f << false << 0;
        QTest::newRow("interrupted") << "1"
                                     << "0.8" << 0.0f << true << 0;
        QTest::newRow("empty LODFrac") << "1"
                                       << "" << 0.0f << false << 1;
        QTest::newRow("word Shift") << "x"
                                    << "0.8" << 0.0f << false << 1;
        QTest::newRow("Shift 5 at the last level") << "5"
                                                   << "0.8" << 7.0f << false << 0;
        QTest::newRow("position past level 7, interrupted") << "1"
                                                            << "0.8" << 8.5f << true << 2;
    }

    void flagsClearAfterEveryPass() {
        QFETCH(QString, shift);
        QFETCH(QString, lodFrac);
        QFETCH(float, tilePos);
        QFETCH(bool, interrupt);
        QFETCH(int, boxes);
        Window w(true);
        w.shift = shift;
        w.lodFrac = lodFrac;
        if (interrupt)
            QTimer::singleShot(0, [&] { w.driver->Drawbmp(tilePos); });
        w.driver->Drawbmp(tilePos);
        QVERIFY(!w.guard.held());
        QVERIFY(!w.guard.redrawPending());
        QVERIFY(!w.driver->isDrawing());
        QCOMPARE(w.driver->passesCancelled(), interrupt ? 1 : 0);
        QCOMPARE(w.dialogs.messages.size(), boxes);
        QCOMPARE(w.surface.surfaceSize(), QSize(360, 260));
    }

    void paintsOnlyInsideTheSurface() {
        PreviewSurface s;
        s.resize(40, 40);
        PreviewCanvas red;
        red.reset(40, 40, 40, 40, 0xFF0000);
        s.showCanvas(red);
        s.setSurfaceSize(QSize(10, 20));
        QPalette pal = s.palette();
        pal.setColor(QPalette::Window, Qt::blue);
        s.setPalette(pal);
        s.setAutoFillBackground(true);
        QImage grab = s.grab().toImage();
        QCOMPARE(grab.pixelColor(9, 19), QColor(Qt::red));
        QCOMPARE(grab.pixelColor(10, 0), QColor(Qt::blue));
        QCOMPARE(grab.pixelColor(0, 20), QColor(Qt::blue));
        s.clearSurface();
        QCOMPARE(s.grab().toImage().pixelColor(0, 0), QColor(Qt::blue));
    }
};

QTEST_MAIN(TestPreviewDriver)
#include "tst_previewdriver.moc"
