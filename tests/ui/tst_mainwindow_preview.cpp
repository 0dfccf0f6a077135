// SPDX-License-Identifier: MIT
// The preview as the window draws it by itself: the start-up picture, the
// zoom following the Shift, a loaded picture with its background band, a
// blended level, a pass cancelled by a slider move, and no drawing without a
// picture.
#include "bmpbuilder.h"
#include "mainwindowfixture.h"
#include "ui/previewdriver.h"
#include "ui/previewsurface.h"
#include "ui/texturedocument.h"
#include "ui/tilesetuppage.h"
#include "ui/twips.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <cmath>
#include <functional>
#include <memory>

using namespace vellora;

namespace {

// Every background cell gets this random number, so the band between
// repeats has one known colour.
constexpr double kBackgroundRandom = 0.5;

QRgb BackgroundRgb() {
    const auto v = static_cast<std::uint32_t>(std::nearbyint(kBackgroundRandom * 16000000.0));
    // The colour value holds red in its low byte and blue in its high byte.
    return qRgb(static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF),
                static_cast<int>((v >> 16) & 0xFF)) &
           0xFFFFFF;
}

// A started window whose background cells all get one known colour; onCell
// runs for every cell drawn, start-up included.
struct PreviewWindow : RealWindow {
    explicit PreviewWindow(std::function<void()> onCell = {})
        : RealWindow(99, [onCell] {
              if (onCell)
                  onCell();
              return kBackgroundRandom;
          }) {}
};

QRgb Mix(const std::uint8_t* a, const std::uint8_t* b, float weightOfB) {
    const double f = weightOfB;
    auto channel = [&](int k) { return static_cast<int>(std::nearbyint((1.0 - f) * a[k] + f * b[k])); };
    return qRgb(channel(0), channel(1), channel(2)) & 0xFFFFFF;
}

// The first pixel of the surface's visible part whose colour differs from
// the expected one, as text for the failure message; empty when all match.
template <class Expected> QString FirstMismatch(const PreviewWindow& w, Expected expected) {
    const QSize shown = w.surface()->image().size().boundedTo(w.surface()->surfaceSize());
    if (shown.isEmpty())
        return QStringLiteral("nothing shown");
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x) {
            const QRgb want = expected(x, y);
            if (w.shown(x, y) != want)
                return QStringLiteral("pixel (%1, %2): shown %3, expected %4")
                    .arg(x)
                    .arg(y)
                    .arg(w.shown(x, y), 6, 16, QLatin1Char('0'))
                    .arg(want, 6, 16, QLatin1Char('0'));
        }
    return QString();
}

// Confirm, answer the detail question, the base file, (24-bit note), and
// let the tiles be generated.
void LoadBase(PreviewWindow& w, const QString& path, bool twentyFourBit) {
    w.dialogs.messageAnswers = {MsgResult::Ok, MsgResult::No};
    if (twentyFourBit)
        w.dialogs.messageAnswers << MsgResult::Ok;
    w.dialogs.messageAnswers << MsgResult::Yes;
    w.dialogs.fileAnswers = {path};
    w.get<QPushButton>("cmdBrowse")->click();
}

} // namespace

class TestMainWindowPreview : public QObject {
    Q_OBJECT
  private slots:
    void startUpPictureIsDrawn();
    void shiftRaisesTheZoom();
    void shiftIsOneNumberForPreviewAndTiles_data();
    void shiftIsOneNumberForPreviewAndTiles();
    void loadedOddWidthShowsBackgroundBand();
    void halfwayTilePositionBlendsTwoLevels_data();
    void halfwayTilePositionBlendsTwoLevels();
    void sliderMoveCancelsRunningPass();
    void clickThatReplacesPicturesWaitsForThePass();
    void loadClickedDuringPassRunsAfterIt();
    void failingStepShowsErrorBoxAndGoesOn();
    void resizeFitsSurfaceWithoutDrawing();
    void nothingDrawnWithoutPicture();
};

void TestMainWindowPreview::startUpPictureIsDrawn() {
    // The first pass runs over the shown window while the splash stands.
    int cells = 0, cellsUnderSplash = 0;
    PreviewWindow w([&] {
        ++cells;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->objectName() == QLatin1String("frmSplash") && top->isVisible())
                ++cellsUnderSplash;
    });
    QVERIFY(cells > 0);
    QCOMPARE(cellsUnderSplash, cells);
    QVERIFY(w.window->isVisible());
    for (QWidget* top : QApplication::topLevelWidgets())
        QVERIFY(top->objectName() != QLatin1String("frmSplash") || !top->isVisible());
    QCOMPARE(w.driver()->passesCompleted(), 1);
    QVERIFY(!w.window->isRecalculating());
    QCOMPARE(w.get<QScrollBar>("sliderZoom")->value(), 2);

    // Placed at 180, 600 twips, sized 3 x 64 x 2 pixels, then shrunk to the
    // viewport bounded by the zoom and tile bars.
    const QSize view(w.get<QScrollBar>("sliderZoom")->x() - twips(180),
                     w.get<QScrollBar>("sliderTile")->y() - twips(600));
    QCOMPARE(view, QSize(360, 260));
    QCOMPARE(w.driver()->lastPlan().sizedW, 384);
    QCOMPARE(w.surface()->surfaceSize(), view);
    QCOMPARE(w.surface()->geometry(), QRect(QPoint(twips(180), twips(600)), view));
    QCOMPARE(w.surface()->image().size(), view);

    // Every base texel 2 x 2 pixels, every detail texel 1 pixel, each
    // colour 0.2 detail and 0.8 base; the 64-texel repeats are 128 pixels.
    const TileLevel& detail = w.tiles()[0];
    const TileLevel& base = w.tiles()[1];
    QCOMPARE(detail.Width, 16);
    QCOMPARE(base.Width, 64);
    const QString mismatch = FirstMismatch(w, [&](int x, int y) {
        const int i = y % 128, j = x % 128;
        return Mix(detail.Pixels.at(i % 16, j % 16), base.Pixels.at(i / 2, j / 2), 0.8f);
    });
    QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
}

void TestMainWindowPreview::shiftRaisesTheZoom() {
    PreviewWindow w;
    auto* zoom = w.get<QScrollBar>("sliderZoom");
    QSignalSpy sized(w.surface(), &PreviewSurface::surfaceSizeChanged);
    w.get<QLineEdit>("txtShift")->setText(QStringLiteral("2"));

    // 2 to the power 2: the surface is sized with zoom 2, then the zoom goes
    // up to 4 and the surface is sized again before being shrunk to the
    // viewport.
    QCOMPARE(zoom->value(), 4);
    QCOMPARE(w.driver()->passesCompleted(), 2);
    QCOMPARE(sized.size(), 3);
    QCOMPARE(sized.at(0).at(0).toSize(), QSize(384, 384));
    QCOMPARE(sized.at(1).at(0).toSize(), QSize(768, 768));
    QCOMPARE(sized.at(2).at(0).toSize(), QSize(360, 260));

    // Detail texels stay 1 pixel; a base texel is now 4 x 4 pixels.
    const TileLevel& detail = w.tiles()[0];
    const TileLevel& base = w.tiles()[1];
    const QString mismatch = FirstMismatch(w, [&](int x, int y) {
        const int i = y % 256, j = x % 256;
        return Mix(detail.Pixels.at(i % 16, j % 16), base.Pixels.at(i / 4, j / 4), 0.8f);
    });
    QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));

    // Already a multiple: drawing again leaves the zoom alone.
    w.get<QLineEdit>("txtShift")->setText(QStringLiteral("1"));
    QCOMPARE(zoom->value(), 4);
}

void TestMainWindowPreview::shiftIsOneNumberForPreviewAndTiles_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("shift");
    QTest::newRow("whole") << "2" << 2;
    QTest::newRow("with a decimal point") << "3.0" << 3;
    QTest::newRow("exponent") << "2e0" << 2;
    QTest::newRow("half goes to even") << "1.5" << 2;
    QTest::newRow("below a half") << "2.4" << 2;
}

// The preview's scale and the detail tile's shift field come from the same
// number, whatever way it is typed.
void TestMainWindowPreview::shiftIsOneNumberForPreviewAndTiles() {
    QFETCH(QString, text);
    QFETCH(int, shift);
    PreviewWindow w;
    w.get<QLineEdit>("txtShift")->setText(text);
    QCOMPARE(w.get<QScrollBar>("sliderZoom")->value() % (1 << shift), 0);
    const hw::Layout& layout = w.window->tileSetupPage()->layout();
    QVERIFY(!layout.tiles.empty());
    QCOMPARE(layout.tiles.front().shifts, shift == 0 ? 0 : 16 - shift);
    // A base texel is 2^shift pixels wide at zoom 1 of the detail map.
    const TileLevel& detail = w.tiles()[0];
    const TileLevel& base = w.tiles()[1];
    const int scale = 1 << shift;
    const QString mismatch = FirstMismatch(w, [&](int x, int y) {
        const int zoom = w.get<QScrollBar>("sliderZoom")->value() / scale;
        const int i = y / zoom % (64 * scale), j = x / zoom % (64 * scale);
        return Mix(detail.Pixels.at(i % 16, j % 16), base.Pixels.at(i / scale, j / scale), 0.8f);
    });
    QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
}

void TestMainWindowPreview::loadedOddWidthShowsBackgroundBand() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("odd.bmp"));
    testbmp::BmpSpec spec;
    spec.width = 47;
    spec.height = 32;
    spec.bitCount = 24;
    // Blue 200 everywhere: never the background's colour.
    spec.pixel = [](int row, int col) {
        return static_cast<std::uint32_t>((col * 5 + 10) << 16 | (row * 7 + 20) << 8 | 200);
    };
    QVERIFY(testbmp::WriteBmp(path.toStdString(), spec));

    PreviewWindow w;
    LoadBase(w, path, true);
    // The detail map stayed on, so the base is level 1 and is shown there.
    QCOMPARE(w.tiles()[1].Width, 47);
    QCOMPARE(w.get<QScrollBar>("sliderTile")->value(), 10);
    QCOMPARE(w.get<QLabel>("lblTSTile")->text(), QStringLiteral("Tile = 1"));
    QCOMPARE(w.driver()->lastPlan().pitchW, 64);
    QVERIFY(!w.window->isRecalculating());
    // Three 32-texel rows of repeats are 192 pixels: less than the viewport.
    QCOMPARE(w.surface()->surfaceSize(), QSize(360, 192));

    // Each repeat: 47 texels of 2 pixels, then 17 texels' worth of
    // background up to the 64-texel pitch (128 pixels).
    const TileLevel& base = w.tiles()[1];
    const QRgb background = BackgroundRgb();
    const QString mismatch = FirstMismatch(w, [&](int x, int y) {
        const int col = (x % 128) / 2, row = (y % 64) / 2;
        return col < 47 ? Texel(base, row, col) : background;
    });
    QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
    QVERIFY(w.shown(94, 0) != Texel(base, 0, 46));
}

void TestMainWindowPreview::halfwayTilePositionBlendsTwoLevels_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::newRow("point separator") << QLocale(QLocale::English, QLocale::UnitedStates);
    QTest::newRow("comma separator") << QLocale(QLocale::German, QLocale::Germany);
}

void TestMainWindowPreview::halfwayTilePositionBlendsTwoLevels() {
    QFETCH(QLocale, locale);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("colours.bmp"));
    testbmp::BmpSpec spec;
    spec.width = 64;
    spec.height = 64;
    spec.bitCount = 24;
    spec.pixel = [](int row, int col) {
        return static_cast<std::uint32_t>((col * 4) << 16 | (row * 4) << 8 | ((row * 7 + col * 13) & 0xFF));
    };
    QVERIFY(testbmp::WriteBmp(path.toStdString(), spec));

    const QLocale previous;
    QLocale::setDefault(locale);
    PreviewWindow w;
    // Detail map off (the start-up pictures go), then a 64 x 64 base in
    // level 0 with its generated pyramid.
    w.dialogs.messageAnswers = {MsgResult::Yes};
    w.get<QCheckBox>("chkDetailEnabled")->click();
    LoadBase(w, path, true);
    QCOMPARE(w.tiles()[2].Width, 16);
    QCOMPARE(w.tiles()[3].Width, 8);

    w.get<QScrollBar>("sliderTile")->setValue(25);
    const QString label = w.get<QLabel>("lblTSTile")->text();
    QLocale::setDefault(previous);
    QCOMPARE(label, QStringLiteral("Tile = 2") + locale.decimalPoint() + QStringLiteral("5"));
    // The design box only fits "Tile = 0": the longer caption is not cut,
    // also after the window is resized.
    auto* caption = w.get<QLabel>("lblTSTile");
    QVERIFY(caption->width() >= caption->sizeHint().width());
    w.window->resize(w.window->width(), w.window->height() + 30);
    QApplication::processEvents();
    QVERIFY(caption->width() >= caption->sizeHint().width());
    QCOMPARE(w.driver()->lastPlan().tileIndex, 2);

    // Level 2 in texels of 4 x zoom = 8 pixels, each half its own colour and
    // half that of level 3's texel at (y \ 2, x \ 2); 128-pixel repeats.
    const TileLevel& level2 = w.tiles()[2];
    const TileLevel& level3 = w.tiles()[3];
    const QString mismatch = FirstMismatch(w, [&](int x, int y) {
        const int tx = (x % 128) / 8, ty = (y % 128) / 8;
        return Mix(level2.Pixels.at(ty, tx), level3.Pixels.at(ty / 2, tx / 2), 0.5f);
    });
    QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
}

void TestMainWindowPreview::sliderMoveCancelsRunningPass() {
    PreviewWindow w;
    auto* tile = w.get<QScrollBar>("sliderTile");
    const int started = w.driver()->passesStarted();
    const int completed = w.driver()->passesCompleted();
    QSignalSpy sized(w.surface(), &PreviewSurface::surfaceSizeChanged);

    // The timer fires inside the first checkpoint of the pass for 0.5.
    bool firedDuringPass = false;
    QSize sizeDuringPass;
    QTimer::singleShot(0, w.window.get(), [&] {
        firedDuringPass = w.driver()->isDrawing() && w.window->isRecalculating();
        sizeDuringPass = w.surface()->surfaceSize();
        tile->setValue(10);
    });
    tile->setValue(5);

    QVERIFY(firedDuringPass);
    QCOMPARE(sizeDuringPass, QSize(384, 384));
    QCOMPARE(w.driver()->passesCancelled(), 1);
    // The newer position is drawn once the old pass has stopped.
    QCOMPARE(w.driver()->passesStarted(), started + 2);
    QCOMPARE(w.driver()->passesCompleted(), completed + 1);
    QCOMPARE(w.driver()->lastPlan().tileIndex, 1);
    QCOMPARE(w.get<QLabel>("lblTSTile")->text(), QStringLiteral("Tile = 1"));
    QVERIFY(!w.window->isRecalculating());
    QVERIFY(!w.window->document().guard().redrawPending());
    // The stopped pass kept its full size; only the finished one shrank.
    QCOMPARE(sized.size(), 2);
    QCOMPARE(sized.at(0).at(0).toSize(), QSize(384, 384));
    QCOMPARE(sized.at(1).at(0).toSize(), QSize(360, 260));
}

void TestMainWindowPreview::clickThatReplacesPicturesWaitsForThePass() {
    PreviewWindow w;
    // The 2x2 choice regenerates the levels a pass reads: clicked inside a
    // pass, it stops the pass and runs after it.
    int generatedDuringPass = -1;
    QTimer::singleShot(0, w.window.get(), [&] {
        const std::vector<std::uint8_t> before = w.tiles()[2].Pixels.rgba();
        w.get<QCheckBox>("chkUse2x2")->click();
        generatedDuringPass = before != w.tiles()[2].Pixels.rgba() ? 1 : 0;
    });
    const std::vector<std::uint8_t> weighted = w.tiles()[2].Pixels.rgba();
    w.get<QScrollBar>("sliderTile")->setValue(15);
    QCOMPARE(generatedDuringPass, 0);
    QCOMPARE(w.driver()->passesCancelled(), 1);
    QTRY_VERIFY(w.tiles()[2].Pixels.rgba() != weighted);
    QVERIFY(!w.window->isRecalculating());
    // The redraw that follows the regeneration shows the same position.
    QTRY_COMPARE(w.driver()->lastPlan().tileIndex, 1);
    QVERIFY(!w.driver()->isDrawing());
}

void TestMainWindowPreview::loadClickedDuringPassRunsAfterIt() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("small.bmp"));
    testbmp::BmpSpec spec;
    spec.width = 32;
    spec.height = 16;
    spec.bitCount = 32;
    spec.pixel = [](int row, int col) {
        return static_cast<std::uint32_t>(0xFF000000u | row << 16 | col << 8);
    };
    QVERIFY(testbmp::WriteBmp(path.toStdString(), spec));

    PreviewWindow w;
    w.dialogs.messageAnswers = {MsgResult::Ok, MsgResult::No, MsgResult::Yes};
    w.dialogs.fileAnswers = {path};
    // The load resets the level table a pass is reading: clicked inside a
    // pass, nothing is asked or reset until the pass has stopped.
    int askedDuringPass = -1;
    int baseWidthDuringPass = -1;
    QTimer::singleShot(0, w.window.get(), [&] {
        w.get<QPushButton>("cmdBrowse")->click();
        askedDuringPass = static_cast<int>(w.dialogs.messages.size());
        baseWidthDuringPass = w.tiles()[1].Width;
    });
    w.get<QScrollBar>("sliderTile")->setValue(5);
    QCOMPARE(askedDuringPass, 0);
    QCOMPARE(baseWidthDuringPass, 64);
    QCOMPARE(w.driver()->passesCancelled(), 1);

    QTRY_COMPARE(w.tiles()[1].Width, 32);
    QCOMPARE(w.dialogs.messages.size(), 3);
    QVERIFY(!w.window->isRecalculating());
    QCOMPARE(w.driver()->lastPlan().tileIndex, 1);
    QCOMPARE(w.surface()->surfaceSize(), QSize(3 * 32 * 2, 3 * 16 * 2));
    QCOMPARE(w.shown(0, 0), Texel(w.tiles()[1], 0, 0));
}

void TestMainWindowPreview::failingStepShowsErrorBoxAndGoesOn() {
    PreviewWindow w;
    // An empty Shift box is allowed (its rule waits for a text) but gives a
    // pass no number to work with.
    w.get<QLineEdit>("txtShift")->setText(QString());
    QVERIFY(w.dialogs.messages.isEmpty());
    const int completed = w.driver()->passesCompleted();
    w.get<QScrollBar>("sliderTile")->setValue(3);

    QVERIFY(!w.dialogs.messages.isEmpty());
    const ScriptedDialogs::Message& box = w.dialogs.messages.front();
    QCOMPARE(box.title, QStringLiteral("Application Error"));
    QCOMPARE(box.style, MsgStyle::Exclamation);
    QCOMPARE(box.timeout, 0);
    QVERIFY2(box.prompt.contains(QStringLiteral("\r\nin Vellora.Form1.Drawbmp at line ")),
             qPrintable(box.prompt));
    // After the box the pass goes on to its end.
    QCOMPARE(w.driver()->passesCompleted(), completed + 1);
    QVERIFY(!w.window->isRecalculating());
    QVERIFY(!w.surface()->isClear());
}

void TestMainWindowPreview::resizeFitsSurfaceWithoutDrawing() {
    PreviewWindow w;
    const int started = w.driver()->passesStarted();
    const QImage picture = w.surface()->image();
    auto* zoom = w.get<QScrollBar>("sliderZoom");
    auto* tile = w.get<QScrollBar>("sliderTile");
    struct Size {
        const char* name;
        int widthTwips;
        int extraHeight;
    };
    for (const Size& size : {Size{"wide and taller", MainWindow::kWideWidthTwips, 90},
                             Size{"narrow and shorter", MainWindow::kNarrowWidthTwips, -40}}) {
        w.window->setWindowWidthTwips(size.widthTwips);
        w.window->resize(w.window->width(), w.window->height() + size.extraHeight);
        QApplication::processEvents();
        const QRect g = w.surface()->geometry();
        QVERIFY2(g.right() + 1 == zoom->x() && g.bottom() + 1 == tile->y(), size.name);
        QCOMPARE(w.surface()->surfaceSize(), g.size());
        QCOMPARE(w.window->previewViewport(), g.size());
    }
    QCOMPARE(w.driver()->passesStarted(), started);
    QCOMPARE(w.surface()->image(), picture);
}

void TestMainWindowPreview::nothingDrawnWithoutPicture() {
    PreviewWindow w;
    w.dialogs.messageAnswers = {MsgResult::Yes};
    w.get<QCheckBox>("chkDetailEnabled")->click();
    QVERIFY(!w.window->coreState().bitmapLoaded);
    QVERIFY(w.surface()->isClear());
    const int started = w.driver()->passesStarted();
    const QRect geometry = w.surface()->geometry();

    // Every way of asking for a drawing finds no picture and changes nothing.
    w.get<QLineEdit>("txtShift")->setText(QStringLiteral("3"));
    w.get<QLineEdit>("txtLODFrac")->setText(QStringLiteral("0.5"));
    w.get<QScrollBar>("sliderTile")->setValue(20);
    w.get<QScrollBar>("sliderZoom")->setValue(9);
    w.get<QCheckBox>("chkUse2x2")->click();
    QCOMPARE(w.driver()->passesStarted(), started);
    QVERIFY(w.surface()->isClear());
    QCOMPARE(w.surface()->geometry(), geometry);
    QCOMPARE(w.get<QScrollBar>("sliderZoom")->value(), 9); // not aligned to Shift 3
    QVERIFY(!w.window->isRecalculating());
}

QTEST_MAIN(TestMainWindowPreview)
#include "tst_mainwindow_preview.moc"
