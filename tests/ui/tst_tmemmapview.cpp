// SPDX-License-Identifier: MIT
#include "ui/tmemmapview.h"

#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QTest>

using namespace vellora;

namespace {

// A page of 396 x 373 pixels is 5940 x 5595 twips at 15 twips per pixel;
// with an even pixel width every cell lands on whole pixels.
constexpr int kPageW = 396;
constexpr int kPageH = 373;

void Prepare(TmemMapView& view) {
    QFont font = view.font();
    font.setPointSizeF(10); // label height (10 + 2) / 0.75 * 15 = 240 twips = 16 px
    view.setFont(font);
    view.resize(kPageW, kPageH);
}

// Every colour of the map somewhere, in runs like a real pyramid leaves.
TmemMap SampleMap() {
    TmemMap map;
    map.fill(ByteColour::Free);
    auto fill = [&map](int from, int to, ByteColour c) {
        for (int a = from; a <= to; ++a)
            map[a] = c;
    };
    fill(0, 2047, ByteColour::EvenLevel);
    fill(2048, 2559, ByteColour::OddLevel);
    fill(2560, 2687, ByteColour::EvenLevel);
    for (int row = 0; row < 8; ++row) {
        fill(2688 + 8 * row, 2691 + 8 * row, ByteColour::OddLevel);
        fill(2692 + 8 * row, 2695 + 8 * row, ByteColour::Padding);
    }
    fill(3000, 3007, ByteColour::EvenLevelHigh);
    fill(3008, 3015, ByteColour::OddLevelHigh);
    fill(4000, 4095, ByteColour::FreePalette);
    return map;
}

} // namespace

class TestTmemMapView : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void cellRects_data();
    void cellRects();
    void labelsAndDivider();
    void paintsTheMapColours_data();
    void paintsTheMapColours();
    void keepsFirstGeometryWhenResized();
    void waitsForASizeBeforePlacingCells();
    void nothingToAskBeforeAMap();
};

void TestTmemMapView::initTestCase() {
    TmemMapView probe;
    if (probe.logicalDpiX() != 96 || probe.logicalDpiY() != 96)
        QSKIP("the expected pixel positions assume 96 dots per inch");
}

void TestTmemMapView::cellRects_data() {
    QTest::addColumn<int>("address");
    QTest::addColumn<QRect>("rect");
    // Twips: column c starts at nearest(c * 675 + 270) - 90 (lower half) or
    // + 45 (upper half), then one block further; the first line is 480 down.
    QTest::newRow("column 0 first byte") << 0 << QRect(17, 32, 5, 5);
    QTest::newRow("column 0 line 0 last byte") << 7 << QRect(52, 32, 5, 5);
    QTest::newRow("column 0 line 1") << 8 << QRect(17, 37, 5, 5);
    QTest::newRow("column 1 byte 1") << 513 << QRect(67, 32, 5, 5);
    QTest::newRow("column 3 last byte") << 2047 << QRect(187, 347, 5, 5);
    QTest::newRow("column 4 first byte") << 2048 << QRect(206, 32, 5, 5);
    QTest::newRow("column 7 last byte") << 4095 << QRect(376, 347, 5, 5);
    QTest::newRow("below range") << -1 << QRect();
    QTest::newRow("above range") << 4096 << QRect();
}

void TestTmemMapView::cellRects() {
    QFETCH(int, address);
    QFETCH(QRect, rect);
    TmemMapView view;
    Prepare(view);
    view.setMap(SampleMap());
    QVERIFY(view.mapBuilt());
    QCOMPARE(view.cellRect(address), rect);
}

void TestTmemMapView::labelsAndDivider() {
    TmemMapView view;
    Prepare(view);
    view.setMap(SampleMap());
    auto* lower = view.findChild<QLabel*>(QStringLiteral("MapLabel0"));
    auto* upper = view.findChild<QLabel*>(QStringLiteral("MapLabel1"));
    QVERIFY(lower && upper);
    QCOMPARE(lower->text(), QStringLiteral("Lower TMEM"));
    QCOMPARE(upper->text(), QStringLiteral("Upper TMEM"));
    QCOMPARE(lower->geometry(), QRect(0, 8, 198, 16));
    QCOMPARE(upper->geometry(), QRect(198, 8, 198, 16));
    QVERIFY(lower->alignment() & Qt::AlignHCenter);

    auto* divider = view.findChild<QFrame*>(QStringLiteral("halfline"));
    QVERIFY(divider);
    // Left nearest(2970 - 15) = 2955 twips, three pixels wide, from under
    // the labels down to the bottom of the page; it sits in the gap between
    // column 3 (ending at 192) and column 4 (starting at 206).
    QCOMPARE(divider->geometry(), QRect(197, 24, 3, kPageH - 24));
    QCOMPARE(view.dividerRect(), divider->geometry());
}

void TestTmemMapView::paintsTheMapColours_data() {
    QTest::addColumn<int>("address");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("level 0 dark blue") << 0 << QColor(0, 0, 127);
    QTest::newRow("level 0 end of lower half") << 2047 << QColor(0, 0, 127);
    QTest::newRow("level 1 blue") << 2048 << QColor(0, 0, 254);
    QTest::newRow("level 2 dark blue") << 2560 << QColor(0, 0, 127);
    QTest::newRow("level 3 texel") << 2691 << QColor(0, 0, 254);
    QTest::newRow("level 3 padding") << 2692 << QColor(255, 255, 0);
    QTest::newRow("free") << 2800 << QColor(0, 255, 0);
    QTest::newRow("high texel, even level") << 3000 << QColor(127, 0, 0);
    QTest::newRow("high texel, odd level") << 3015 << QColor(254, 0, 0);
    QTest::newRow("palette half") << 4095 << QColor(128, 128, 128);
}

void TestTmemMapView::paintsTheMapColours() {
    QFETCH(int, address);
    QFETCH(QColor, colour);
    TmemMapView view;
    Prepare(view);
    view.setMap(SampleMap());
    QCOMPARE(view.cellColour(address), colour);

    const QImage image = view.grab().toImage();
    const QRect cell = view.cellRect(address);
    // All four corners, so a cell drawn too small or shifted shows up.
    for (const QPoint& p : {cell.topLeft(), cell.topRight(), cell.bottomLeft(), cell.bottomRight()})
        QCOMPARE(image.pixelColor(p), colour);
}

void TestTmemMapView::keepsFirstGeometryWhenResized() {
    TmemMapView view;
    Prepare(view);
    view.setMap(SampleMap());
    const QRect first = view.cellRect(2048);
    const QRect divider = view.dividerRect();

    view.resize(800, 600);
    TmemMap other;
    other.fill(ByteColour::Padding);
    view.setMap(other);
    QCOMPARE(view.cellRect(2048), first);
    QCOMPARE(view.dividerRect(), divider);
    QCOMPARE(view.grab().toImage().pixelColor(first.center()), QColor(255, 255, 0));
}

void TestTmemMapView::waitsForASizeBeforePlacingCells() {
    TmemMapView view;
    view.setMap(SampleMap());
    QVERIFY(!view.mapBuilt());
    QVERIFY(view.cellRect(0).isNull());

    Prepare(view);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QVERIFY(view.mapBuilt());
    QCOMPARE(view.cellRect(0), QRect(17, 32, 5, 5));
}

void TestTmemMapView::nothingToAskBeforeAMap() {
    TmemMapView view;
    QVERIFY(!view.hasMap());
    QVERIFY(!view.cellColour(0).isValid());
    view.setMap(SampleMap());
    QVERIFY(!view.cellColour(-1).isValid());
    QVERIFY(!view.cellColour(4096).isValid());
    QVERIFY(view.cellColour(4095).isValid());
}

QTEST_MAIN(TestTmemMapView)
#include "tst_tmemmapview.moc"
