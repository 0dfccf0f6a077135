// SPDX-License-Identifier: MIT
// The window as the host of the bitmap load: its setters behave like the
// user changing the controls, and a whole load ends in a counted window.
#include "mainwindowfixture.h"

#include "bmpbuilder.h"
#include "ui/loadsequence.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

using namespace vellora;

class TestMainWindowLoad : public QObject {
    Q_OBJECT
  private slots:
    void hostSetters();
    void hostSettersUnderGuard();
    void wholeLoad();
};

void TestMainWindowLoad::hostSetters() {
    WindowFixture f;
    LoadHost& host = *f.window;
    QCOMPARE(&host.core(), &f.window->coreState());
    QCOMPARE(&host.dialogs(), static_cast<Dialogs*>(&f.dialogs));

    host.setSizeText(SizeBox::Width, QStringLiteral("5000"));
    QCOMPARE(f.get<QLineEdit>("txtWidth")->text(), QStringLiteral("1024")); // the box's own rule ran
    host.setSizeText(SizeBox::Width, QStringLiteral("32"));
    host.setSizeText(SizeBox::Height, QStringLiteral("16"));
    host.selectBaseFormat(4);
    QVERIFY(f.get<QRadioButton>("ChkBitDepth(4)")->isChecked());
    CoreState copy = f.window->coreState();
    QCOMPARE(f.shownTotal(), CalcTMEM(f.window->currentSettings(), copy).totalBytes);

    host.setSizeEnabled(SizeBox::DetailHeight, true);
    QVERIFY(f.get<QLineEdit>("txtDHeight")->isEnabled());
    host.setSliderTileEnabled(false);
    QVERIFY(!f.get<QScrollBar>("sliderTile")->isEnabled());
    f.drawn.clear();
    host.setSliderTileValue(10);
    QCOMPARE(f.get<QLabel>("lblTSTile")->text().left(7), QStringLiteral("Tile = "));
    QCOMPARE(f.drawn, std::vector<float>{1.0f});
    host.setPreviewTabEnabled(false);
    QVERIFY(!f.get<QPushButton>("TabButtons(3)")->isEnabled());
    QVERIFY(host.detailEnabled());
}

void TestMainWindowLoad::hostSettersUnderGuard() {
    WindowFixture f;
    LoadHost& host = *f.window;
    host.setRecalculating(true);
    QVERIFY(host.recalculating());
    host.setSizeText(SizeBox::Width, QStringLiteral("32"));
    host.selectBaseFormat(3);
    host.setDetailEnabled(false); // no question while the guard is set
    QVERIFY(f.dialogs.messages.isEmpty());
    QCOMPARE(f.shownTotal(), 2936L); // nothing counted meanwhile
    QVERIFY(host.recalculating());
    host.setRecalculating(false);
    host.recalculate();
    CoreState copy = f.window->coreState();
    QCOMPARE(f.shownTotal(), CalcTMEM(f.window->currentSettings(), copy).totalBytes);
    QVERIFY(f.shownTotal() != 2936L);
}

void TestMainWindowLoad::wholeLoad() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("base.bmp"));
    testbmp::BmpSpec spec;
    spec.width = 32;
    spec.height = 16;
    spec.bitCount = 16;
    spec.pixel = [](int row, int col) { return static_cast<std::uint32_t>((row * 3 + col) & 0x7fff); };
    QVERIFY(testbmp::WriteBmp(path.toStdString(), spec));

    WindowFixture f;
    // Confirm, keep the detail map as it is, the base file, generate tiles.
    f.dialogs.messageAnswers = {MsgResult::Ok, MsgResult::No, MsgResult::Yes};
    f.dialogs.fileAnswers = {path};
    f.window->setBrowseHandler([&] { LoadSettingsFromBmp(*f.window); });
    f.drawn.clear();
    f.get<QPushButton>("cmdBrowse")->click();

    QVERIFY(!f.window->isRecalculating());
    QCOMPARE(f.get<QLineEdit>("txtWidth")->text(), QStringLiteral("32"));
    QCOMPARE(f.get<QLineEdit>("txtHeight")->text(), QStringLiteral("16"));
    QVERIFY(!f.get<QLineEdit>("txtWidth")->isEnabled());
    QVERIFY(f.get<QRadioButton>("ChkBitDepth(4)")->isChecked());
    QVERIFY(f.window->coreState().bitmapLoaded);
    QCOMPARE(f.window->coreState().tiles[1].Width, 32);
    QCOMPARE(f.get<QScrollBar>("sliderTile")->value(), 10);
    CoreState copy = f.window->coreState();
    QCOMPARE(f.shownTotal(), CalcTMEM(f.window->currentSettings(), copy).totalBytes);
    QVERIFY(!f.drawn.empty());
}

QTEST_MAIN(TestMainWindowLoad)
#include "tst_mainwindow_load.moc"
