// SPDX-License-Identifier: MIT
// Thousands of seeded random edits, clicks and toggles: after each one the
// guard must be clear and the window must show exactly what the count gives
// for the settings it shows.
#include "mainwindowfixture.h"

#include "ui/picturebox.h"
#include "ui/tmemmapview.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QtTest>

using namespace vellora;

class TestMainWindowRandom : public QObject {
    Q_OBJECT
  private slots:
    void randomInput_data();
    void randomInput();
};

void TestMainWindowRandom::randomInput_data() {
    QTest::addColumn<quint32>("seed");
    QTest::newRow("seed 1") << 1u;
    QTest::newRow("seed 20261208") << 20261208u;
}

void TestMainWindowRandom::randomInput() {
    QFETCH(quint32, seed);
    QRandomGenerator rng(seed);
    WindowFixture f(seed);
    auto pick = [&](int n) { return static_cast<int>(rng.bounded(n)); };

    const QStringList texts = {"",   "1",  "2",   "3",   "5",   "7",   "12",  "12.5", "16",   "17",
                               "31", "47", "64",  "100", "255", "256", "257", "1023", "1024", "5000",
                               "0",  "-3", "abc", " 8 ", "1e2", "0.5", "9",   "x",    "-",    "4"};
    const QStringList boxes = {"txtWidth", "txtHeight", "txtDWidth", "txtDHeight", "txtLevels"};
    QList<QLineEdit*> boxWidgets;
    for (const QString& b : boxes)
        boxWidgets << f.get<QLineEdit>(b);
    QList<QRadioButton*> base, detail;
    for (int i = 0; i < 6; ++i) {
        base << f.get<QRadioButton>(QStringLiteral("ChkBitDepth(%1)").arg(i));
        detail << f.get<QRadioButton>(QStringLiteral("optDBit(%1)").arg(i));
    }
    auto* autoLevels = f.get<QCheckBox>("chkLevels");
    auto* detailBox = f.get<QCheckBox>("chkDetailEnabled");
    auto* man = f.get<QPushButton>("ManMipMap");
    auto* tile = f.get<QScrollBar>("sliderTile");
    auto* zoom = f.get<QScrollBar>("sliderZoom");
    auto* picture = f.get<PictureBox>("Picture1");
    auto* use2x2 = f.get<QCheckBox>("chkUse2x2");

    int compared = 0;
    for (int step = 0; step < 2500; ++step) {
        const int action = pick(100);
        if (action < 45) {
            QLineEdit* box = boxWidgets[pick(boxWidgets.size())];
            box->setText(texts[pick(texts.size())]);
        } else if (action < 50) {
            QLineEdit* box = boxWidgets[pick(boxWidgets.size())];
            QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
            QApplication::sendEvent(box, &out);
        } else if (action < 60) {
            QTest::mouseClick(base[pick(6)], Qt::LeftButton);
        } else if (action < 68) {
            QTest::mouseClick(detail[pick(6)], Qt::LeftButton); // ignored while disabled
        } else if (action < 74) {
            autoLevels->click();
        } else if (action < 78) {
            QTest::mouseClick(f.get<QRadioButton>(pick(2) ? "ChklevelsW" : "ChklevelsH"), Qt::LeftButton);
        } else if (action < 83) {
            f.dialogs.messageAnswers = {pick(2) ? MsgResult::Yes : MsgResult::No};
            detailBox->click();
            f.dialogs.messageAnswers.clear();
        } else if (action < 87) {
            if (man->isEnabled()) {
                // Enough valid answers for every tile, with an invalid one first.
                f.dialogs.inputAnswers = {QStringLiteral("0")};
                for (int i = 0; i < 16; ++i)
                    f.dialogs.inputAnswers << QString::number(1 + pick(64));
                QTest::mouseClick(man, Qt::LeftButton);
                f.dialogs.inputAnswers.clear();
            }
        } else if (action < 91) {
            if (tile->isEnabled())
                tile->setValue(pick(tile->maximum() + 1));
            if (zoom->isEnabled())
                zoom->setValue(1 + pick(32));
        } else if (action < 94) {
            QTest::mouseClick(picture, Qt::LeftButton);
        } else if (action < 96) {
            use2x2->click();
        } else if (action < 98) {
            f.window->selectTab(pick(4));
        } else {
            f.window->setWindowWidthTwips(pick(2) ? 13000 : 6000);
        }

        const QString at = QStringLiteral("step %1 action %2").arg(step).arg(action);
        QVERIFY2(!f.window->isRecalculating(), qPrintable(at));
        QVERIFY2(f.dialogs.inputAnswers.isEmpty(), qPrintable(at));

        // A box left empty has not been counted yet, and prompted sizes are
        // not reproducible from the settings; compare everything else.
        bool anyEmpty = false;
        for (QLineEdit* b : boxWidgets)
            anyEmpty = anyEmpty || b->text().isEmpty();
        // The last count came from the prompts until any later count.
        const bool promptedLast = !f.window->lastResult().levelsTextWritten;
        if (anyEmpty || promptedLast)
            continue;
        CoreState copy = f.window->coreState();
        const CountResult expected = CalcTMEM(f.window->currentSettings(), copy);
        QVERIFY2(
            f.shownTotal() == expected.count.totalBytes,
            qPrintable(
                at +
                QStringLiteral(": shown %1, counted %2").arg(f.shownTotal()).arg(expected.count.totalBytes)));
        QVERIFY2(f.window->tmemMapView()->map() == expected.count.tmemMap, qPrintable(at));
        QVERIFY2(f.get<QLabel>("lblPercent(0)")->text() == QString::fromStdString(expected.percentCaption),
                 qPrintable(at));
        ++compared;
    }
    QVERIFY(compared > 1000);

    // The window still recalculates at the end.
    f.window->setWindowWidthTwips(6500);
    if (!autoLevels->isChecked())
        autoLevels->click();
    boxWidgets[0]->setText(QStringLiteral("64"));
    boxWidgets[1]->setText(QStringLiteral("32"));
    CoreState copy = f.window->coreState();
    QCOMPARE(f.shownTotal(), CalcTMEM(f.window->currentSettings(), copy).count.totalBytes);
}

QTEST_MAIN(TestMainWindowRandom)
#include "tst_mainwindow_random.moc"
