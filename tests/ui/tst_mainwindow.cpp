// SPDX-License-Identifier: MIT
// The calculator side of the main window: start-up state, controls, the
// typing rules, the detail-map toggle, the level limit and the tile prompts.
#include "mainwindowfixture.h"

#include "document/messages.h"
#include "ui/aboutpage.h"
#include "ui/form.h"
#include "ui/inputrules.h"
#include "ui/texturedocument.h"
#include "ui/tmemmapview.h"
#include "ui/twips.h"

#include <QCheckBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QtTest>

using namespace vellora;

namespace {

QColor BaseOf(QWidget* w) {
    return w->palette().color(QPalette::Base);
}
const QColor kRed(255, 0, 0);
const QColor kYellow(255, 255, 0);

void LoseFocus(QWidget* w) {
    QFocusEvent e(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(w, &e);
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
  private slots:
    void startUpState();
    void controls_data();
    void controls();
    void themeButtonBesideTheLevelsBox();
    void controlsInsideTheirContainers();
    void dimensionTyping_data();
    void dimensionTyping();
    void emptyBoxWaitsForFocus();
    void levelsTyping_data();
    void levelsTyping();
    void previewBoxTyping_data();
    void previewBoxTyping();
    void detailToggleYesThenNoQuestion();
    void detailToggleNoRestores();
    void detailToggleKeepsCallersGuard();
    void levelLimitMessageOnce();
    void tilePrompts();
    void tilePromptsReask();
    void helpButtons();
    void levelControlsFollowAutoBox();
    void previewControls();
    void use2x2ChangesNoCount();
    void shownFormatFollowsTheCalculatorsFormat();
    void formatMessagesShownInOrder();
    void overLimitResult();
    void detailWidthMisaligned();
    void beforeStartUp();
    void aboutText();
};

void TestMainWindow::startUpState() {
    WindowFixture f;
    // Detail 16x16 (128 bytes) plus 64x64 down to 1x1 (2808 bytes).
    QCOMPARE(f.get<QLabel>("lblExcede")->text(), QStringLiteral("\n2936 Bytes\nGood!"));
    QCOMPARE(f.shownTotal(), 2936L);
    QCOMPARE(f.get<QLabel>("lblPercent(0)")->text(), QStringLiteral("71%"));
    QCOMPARE(f.get<QLabel>("lblPercent(1)")->text(), QStringLiteral("71%"));
    // Records 0 (detail) to 7 (the 1x1 level) are in use, so the box shows 7.
    QCOMPARE(f.get<QLineEdit>("txtLevels")->text(), QStringLiteral("7"));
    QCOMPARE(f.get<QLineEdit>("txtMaskW")->text(), QStringLiteral("6"));
    QCOMPARE(f.get<QLineEdit>("txtMaskH")->text(), QStringLiteral("6"));
    QCOMPARE(f.get<QLineEdit>("txtWrapW")->text(), QStringLiteral("64"));
    QCOMPARE(f.get<QLineEdit>("txtWrapH")->text(), QStringLiteral("64"));
    QCOMPARE(f.get<QScrollBar>("sliderTile")->maximum(), 70);
    QCOMPARE(f.get<QWidget>("FillBar")->width(), twips(2936));

    QVERIFY(f.dialogs.messages.isEmpty());
    QVERIFY(f.dialogs.inputs.isEmpty());
    QVERIFY(!f.window->isRecalculating());
    QVERIFY(f.window->coreState().bitmapLoaded);
    QVERIFY(f.window->isVisible());
    QVERIFY(!f.window->isWideLayout());

    QCOMPARE(f.get<QLabel>("lblVersion")->text(), QStringLiteral("Version: 2.0.36"));
    QVERIFY(f.get<QCheckBox>("chkDetailEnabled")->isChecked());
    QVERIFY(f.get<QRadioButton>("ChkBitDepth(1)")->isChecked());
    QVERIFY(f.get<QRadioButton>("optDBit(1)")->isChecked());
    // Ticked while the guard was set: only the properties frame follows.
    QVERIFY(!f.get<QGroupBox>("fraDetailProps")->isHidden());
    QVERIFY(!f.get<QLineEdit>("txtDWidth")->isEnabled());
    QVERIFY(!f.get<QLineEdit>("txtDHeight")->isEnabled());
    QVERIFY(f.get<QPushButton>("TabButtons(3)")->isEnabled());
    QVERIFY(f.get<QScrollBar>("sliderTile")->isEnabled());
    QVERIFY(f.get<QScrollBar>("sliderZoom")->isEnabled());
    // Non-CI base: the CI detail formats are greyed out.
    QVERIFY(!f.get<QRadioButton>("optDBit(0)")->isEnabled());
    QVERIFY(!f.get<QRadioButton>("optDBit(2)")->isEnabled());
    QVERIFY(f.get<QRadioButton>("optDBit(5)")->isEnabled());

    // Calculator page in front, its button raised, but no tab chosen yet.
    QVERIFY(f.get<QWidget>("TabContents(0)")->isVisible());
    for (const char* hidden : {"TabContents(1)", "TabContents(2)", "TabContents(3)"})
        QVERIFY2(!f.get<QWidget>(hidden)->isVisible(), hidden);
    auto* tab0 = f.get<QPushButton>("TabButtons(0)");
    QCOMPARE(tab0->geometry().top(), twips(20));
    QCOMPARE(tab0->height(), twips(440));
    for (int i = 0; i < 4; ++i)
        QCOMPARE(f.get<QPushButton>(QStringLiteral("TabButtons(%1)").arg(i))->property("Tag").toString(),
                 QString());

    // The first preview is drawn once, at the top of the pyramid.
    QCOMPARE(f.drawn.size(), size_t(1));
    QCOMPARE(f.drawn.front(), 0.0f);

    // The map shows what was counted.
    auto* map = f.window->tmemMapView();
    QVERIFY(map->hasMap());
    QCOMPARE(map->map(), f.window->lastResult().count.tmemMap);
    QCOMPARE(map->map()[2935], ByteColour::Padding); // the 1x1 level's padding
    QCOMPARE(map->map()[2936], ByteColour::Free);
}

void TestMainWindow::controls_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QPoint>("topLeftTwips");

    auto row = [](const char* name, const char* kind, const char* text, bool enabled, QPoint pos) {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(kind)
                            << QString::fromLatin1(text) << enabled << pos;
    };
    row("cmdBrowse", "QPushButton", "Load Settings from bmp", true, {75, 6210});
    row("btnExit", "QPushButton", "Exit", true, {5040, 6210});
    row("TabButtons(0)", "QPushButton", "&Calculate", true, {85, 20});
    row("TabButtons(3)", "QPushButton", "&Preview", true, {1275, 50});
    row("TabButtons(2)", "QPushButton", "TMEM &Map", true, {2482, 50});
    row("TabButtons(1)", "QPushButton", "&About", true, {3688, 50});
    row("BG", "QPushButton", "", false, {20, 340});
    row("lblExcede", "QLabel", "\n2936 Bytes\nGood!", true, {4410, 90});
    row("grpFormat", "QGroupBox", "Format", true, {90, 900});
    row("Frame1", "QGroupBox", "Dimensions", true, {2610, 900});
    row("fraMultiTile", "QGroupBox", "Multi-Tile", true, {90, 2250});
    row("FrmLevels", "QGroupBox", "Mip-Map Levels", true, {270, 2880});
    row("fraDetailMap", "QGroupBox", "Detail Map", true, {270, 4050});
    row("fraDFormat", "QGroupBox", "Format", true, {2520, 180});
    row("ChkBitDepth(0)", "QRadioButton", "4Bit", true, {105, 600});
    row("ChkBitDepth(4)", "QRadioButton", "16Bit", true, {1530, 600});
    row("ChkBitDepth(5)", "QRadioButton", "32Bit", true, {1530, 900});
    row("optDBit(2)", "QRadioButton", "8Bit", false, {360, 720});
    row("optDBit(3)", "QRadioButton", "8Bit", true, {1260, 720});
    row("txtWidth", "QLineEdit", "64", true, {720, 450});
    row("txtHeight", "QLineEdit", "64", true, {720, 810});
    row("txtMaskW", "QLineEdit", "6", false, {1350, 450});
    row("txtWrapH", "QLineEdit", "64", false, {1890, 810});
    row("cmdWidthHelp", "QPushButton", "?", true, {2430, 450});
    row("cmdHeightHelp", "QPushButton", "?", true, {2430, 810});
    row("txtLevels", "QLineEdit", "7", false, {270, 270});
    row("lblLevels", "QLabel", "Automatic Levels Calculated", true, {720, -1});
    row("chkLevels", "QCheckBox", "Auto-Calculate &Levels", true, {180, 270});
    row("Picture1", "vellora::PictureBox", "", true, {2160, 270});
    row("ChklevelsH", "QRadioButton", "Stop When Tile Height = 1 [Default]", true, {360, 540});
    row("ChklevelsW", "QRadioButton", "Stop When Tile Width = 64bit [Recommended]", true, {360, 810});
    row("ManMipMap", "QPushButton", "Manually &Define Mip-Map Tiles", false, {3600, 180});
    row("chkDetailEnabled", "QCheckBox", "Detail Enabled", true, {180, 270});
    row("txtDWidth", "QLineEdit", "16", false, {720, 720});
    row("txtDHeight", "QLineEdit", "16", false, {1890, 720});
    row("chkUse2x2", "QCheckBox", "Generate Orrin style Mip-Maps?", true, {180, 90});
    row("lblneg", "QLabel", "-", true, {5580, 360});
    row("lblpluss", "QLabel", "+", true, {5580, 4180});
    row("lblTSMin", "QLabel", "MIN", true, {180, 4680});
    row("lblTSTile", "QLabel", "Tile = 0", true, {2610, 4680});
    row("lblTSMax", "QLabel", "MAX", true, {-1, 4680});
    row("fraDetailProps", "QGroupBox", "Detail Map Properties", true, {180, 4860});
    row("txtLODFrac", "QLineEdit", "0.8", true, {1890, 270});
    row("txtShift", "QLineEdit", "1", true, {3690, 270});
    row("lblLODFracClamp", "QLabel", "LODFrac Clamp (0-0.99)", true, {90, -1});
    row("lblShift", "QLabel", "Shift (0-5)", true, {2880, -1});
    row("lblVersion", "QLabel", "Version: 2.0.36", true, {90, 1350});
    row("txtAbout", "QPlainTextEdit", "", true, {85, 1650});
}

void TestMainWindow::controls() {
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(QString, text);
    QFETCH(bool, enabled);
    QFETCH(QPoint, topLeftTwips);
    WindowFixture f;
    QWidget* w = f.get<QWidget>(name);
    QCOMPARE(QString::fromLatin1(w->metaObject()->className()), kind);
    QString shown;
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        shown = b->text();
    else if (auto* g = qobject_cast<QGroupBox*>(w))
        shown = g->title();
    else if (auto* e = qobject_cast<QLineEdit*>(w))
        shown = e->text();
    else if (auto* l = qobject_cast<QLabel*>(w))
        shown = l->text();
    if (!text.isEmpty() || kind != QLatin1String("QPlainTextEdit"))
        QCOMPARE(shown, text);
    QCOMPARE(w->isEnabled(), enabled);
    // -1 marks a coordinate that is aligned to a neighbour rather than taken
    // from the design.
    if (topLeftTwips.x() >= 0)
        QCOMPARE(w->x(), twips(topLeftTwips.x()));
    if (topLeftTwips.y() >= 0)
        QCOMPARE(w->y(), twips(topLeftTwips.y()));
}

void TestMainWindow::themeButtonBesideTheLevelsBox() {
    // Picture1 stands at its design place; the check box before it shows
    // its whole caption and ends before the picture.
    WindowFixture f;
    auto* box = f.get<QCheckBox>("chkLevels");
    auto* picture = f.get<QWidget>("Picture1");
    QVERIFY(box->geometry().right() < picture->x());
    QVERIFY(box->sizeHint().width() <= box->width());
}

void TestMainWindow::controlsInsideTheirContainers() {
    // Captions wider than their design grow their controls; none may grow
    // past its frame or page, where it would be clipped.
    WindowFixture f;
    for (const char* pageName : {"TabContents(0)", "TabContents(1)", "TabContents(3)"}) {
        const auto all = f.get<QWidget>(pageName)->findChildren<QWidget*>();
        for (QWidget* w : all) {
            if (w->objectName().isEmpty() || w->isWindow())
                continue; // parts of a compound widget
            QWidget* parent = w->parentWidget();
            QVERIFY2(parent->rect().contains(w->geometry()),
                     qPrintable(w->objectName() + QStringLiteral(" outside ") + parent->objectName()));
        }
    }
}

void TestMainWindow::dimensionTyping_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept");
    QTest::addColumn<long>("total");
    // Totals include the 128-byte detail map that is on at start-up.
    QTest::newRow("width abc") << "txtWidth"
                               << "abc"
                               << "64" << 2936L;
    QTest::newRow("width 0") << "txtWidth"
                             << "0"
                             << "64" << 2936L;
    QTest::newRow("width -3") << "txtWidth"
                              << "-3"
                              << "64" << 2936L;
    QTest::newRow("width 5000") << "txtWidth"
                                << "5000"
                                << "1024" << -1L;
    QTest::newRow("width fraction") << "txtWidth"
                                    << "12.5"
                                    << "12.5" << -1L;
    QTest::newRow("width 47 padded") << "txtWidth"
                                     << "47"
                                     << "47" << -1L;
    QTest::newRow("height 300") << "txtHeight"
                                << "300"
                                << "256" << -1L;
    QTest::newRow("height blanks") << "txtHeight"
                                   << " 32 "
                                   << " 32 " << -1L;
    QTest::newRow("detail width x") << "txtDWidth"
                                    << "x"
                                    << "16" << 2936L;
    QTest::newRow("detail height 999") << "txtDHeight"
                                       << "999"
                                       << "256" << -1L;
}

void TestMainWindow::dimensionTyping() {
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(QString, kept);
    QFETCH(long, total);
    WindowFixture f;
    auto* e = f.get<QLineEdit>(box);
    const int before = f.window->recalculations();
    const int judged = f.window->document().analyses();
    e->setText(typed);
    QCOMPARE(e->text(), kept);
    QCOMPARE(f.window->recalculations() - before, 1);      // one count per edit, corrected or not
    QCOMPARE(f.window->document().analyses() - judged, 1); // and one analysis of it
    QVERIFY(f.dialogs.messages.isEmpty());                 // corrected, never refused
    QVERIFY(!f.window->isRecalculating());
    // Whatever the box holds now, the window shows the count for it.
    CoreState copy = f.window->coreState();
    const CountResult expected = CalcTMEM(f.window->currentSettings(), copy);
    QCOMPARE(f.shownTotal(), expected.count.totalBytes);
    if (total >= 0)
        QCOMPARE(f.shownTotal(), total);
    if (typed == QLatin1String("47"))
        QCOMPARE(BaseOf(e), kRed);
}

void TestMainWindow::emptyBoxWaitsForFocus() {
    WindowFixture f;
    auto* h = f.get<QLineEdit>("txtHeight");
    h->setText(QStringLiteral("32"));
    const long at32 = f.shownTotal();
    QVERIFY(at32 != 2936);
    // Selecting the text and deleting it: the empty box leaves the results alone.
    h->setFocus();
    h->selectAll();
    QTest::keyClick(h, Qt::Key_Delete);
    QCOMPARE(h->text(), QString());
    QCOMPARE(f.shownTotal(), at32);
    QCOMPARE(f.get<QLineEdit>("txtMaskH")->text(), QStringLiteral("5"));
    LoseFocus(h);
    QCOMPARE(h->text(), QStringLiteral("64"));
    QCOMPARE(f.shownTotal(), 2936L);

    for (const char* name : {"txtWidth", "txtDWidth", "txtDHeight", "txtLevels"}) {
        auto* e = f.get<QLineEdit>(name);
        e->setText(QString());
        LoseFocus(e);
        QVERIFY2(!e->text().isEmpty(), name);
    }
    QCOMPARE(f.get<QLineEdit>("txtWidth")->text(), QStringLiteral("64"));
    QCOMPARE(f.get<QLineEdit>("txtDWidth")->text(), QStringLiteral("16"));
    QCOMPARE(f.get<QLineEdit>("txtDHeight")->text(), QStringLiteral("16"));
}

void TestMainWindow::levelsTyping_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    // Manual levels, detail map on: the box ends at the last index counted.
    QTest::newRow("9 becomes 7") << "9"
                                 << "7";
    QTest::newRow("x becomes 5") << "x"
                                 << "5";
    QTest::newRow("a lone sign is not a number") << "-"
                                                 << "5";
    QTest::newRow("0 becomes 1 with the detail map") << "0"
                                                     << "1";
    QTest::newRow("3 stays") << "3"
                             << "3";
}

void TestMainWindow::levelsTyping() {
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    WindowFixture f;
    f.get<QCheckBox>("chkLevels")->setChecked(false);
    auto* levels = f.get<QLineEdit>("txtLevels");
    QVERIFY(levels->isEnabled());
    levels->setText(typed);
    QCOMPARE(levels->text(), shown);
    QVERIFY(f.dialogs.messages.isEmpty());

    // Clearing it and leaving gives 7.
    levels->setText(QString());
    LoseFocus(levels);
    QCOMPARE(levels->text(), QStringLiteral("7"));
}

void TestMainWindow::previewBoxTyping_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept");
    QTest::newRow("lodfrac 0") << "txtLODFrac"
                               << "0"
                               << "0.8";
    QTest::newRow("lodfrac 1") << "txtLODFrac"
                               << "1"
                               << "0.99";
    QTest::newRow("lodfrac 0.995") << "txtLODFrac"
                                   << "0.995"
                                   << "0.995";
    QTest::newRow("lodfrac text") << "txtLODFrac"
                                  << "abc"
                                  << "0.8";
    QTest::newRow("shift 9") << "txtShift"
                             << "9"
                             << "5";
    QTest::newRow("shift -1") << "txtShift"
                              << "-1"
                              << "0";
    QTest::newRow("shift x") << "txtShift"
                             << "x"
                             << "1";
    QTest::newRow("shift 3") << "txtShift"
                             << "3"
                             << "3";
}

void TestMainWindow::previewBoxTyping() {
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(QString, kept);
    WindowFixture f;
    f.drawn.clear();
    auto* e = f.get<QLineEdit>(box);
    e->setText(typed);
    QCOMPARE(e->text(), kept);
    // Redrawn, never recounted: the total stays and no message appears.
    QVERIFY(!f.drawn.empty());
    QCOMPARE(f.shownTotal(), 2936L);
    QVERIFY(f.dialogs.messages.isEmpty());
    // An empty box waits.
    f.drawn.clear();
    e->setText(QString());
    QVERIFY(f.drawn.empty());
}

void TestMainWindow::detailToggleYesThenNoQuestion() {
    WindowFixture f;
    auto* detail = f.get<QCheckBox>("chkDetailEnabled");
    f.dialogs.messageAnswers = {MsgResult::Yes};
    detail->click();
    QCOMPARE(f.dialogs.messages.size(), 1);
    const auto& asked = f.dialogs.messages.front();
    QCOMPARE(asked.prompt, QString::fromStdString(kDetailToggleQuestion));
    QCOMPARE(asked.style, MsgStyle::YesNo | MsgStyle::Question);
    QCOMPARE(asked.title, QStringLiteral("Warning!"));
    QVERIFY(!detail->isChecked());
    QVERIFY(!f.window->coreState().bitmapLoaded);
    QVERIFY(!f.get<QScrollBar>("sliderTile")->isEnabled());
    QVERIFY(!f.get<QScrollBar>("sliderZoom")->isEnabled());
    QVERIFY(!!f.get<QGroupBox>("fraDetailProps")->isHidden());
    QCOMPARE(f.shownTotal(), 2808L);
    QCOMPARE(f.get<QLineEdit>("txtLevels")->text(), QStringLiteral("6"));
    for (const TileLevel& t : f.window->coreState().tiles)
        QVERIFY(t.Pixels.rows() <= 1 && t.Pixels.cols() <= 1);

    // The pictures are gone: ticking it again asks nothing.
    detail->click();
    QCOMPARE(f.dialogs.messages.size(), 1);
    QVERIFY(detail->isChecked());
    QCOMPARE(f.shownTotal(), 2936L);
    QVERIFY(f.get<QLineEdit>("txtDWidth")->isEnabled());
    QVERIFY(f.get<QLineEdit>("txtDHeight")->isEnabled());
    QVERIFY(!f.window->isRecalculating());
}

void TestMainWindow::detailToggleNoRestores() {
    WindowFixture f;
    const std::vector<std::uint8_t> before = f.window->coreState().tiles[1].Pixels.rgba();
    QVERIFY(!before.empty());
    auto* detail = f.get<QCheckBox>("chkDetailEnabled");
    f.dialogs.messageAnswers = {MsgResult::No};
    detail->click();
    QCOMPARE(f.dialogs.messages.size(), 1);
    QVERIFY(detail->isChecked());
    QVERIFY(!f.get<QGroupBox>("fraDetailProps")->isHidden());
    QVERIFY(f.window->coreState().bitmapLoaded);
    QCOMPARE(f.window->coreState().tiles[1].Pixels.rgba(), before);
    QCOMPARE(f.shownTotal(), 2936L);
    QVERIFY(!f.get<QLineEdit>("txtDWidth")->isEnabled());
    QVERIFY(!f.window->isRecalculating());
}

void TestMainWindow::detailToggleKeepsCallersGuard() {
    // A caller holding the guard (a load in progress) must still hold it
    // after the toggle has run, or its own control writes would recount.
    WindowFixture f;
    auto* detail = f.get<QCheckBox>("chkDetailEnabled");
    f.window->setRecalculating(true);
    detail->setChecked(false);
    QVERIFY(f.window->isRecalculating());
    QVERIFY(f.dialogs.messages.isEmpty());
    QCOMPARE(f.shownTotal(), 2936L); // nothing recounted
    f.window->setRecalculating(false);
    f.window->recalculate();
    QCOMPARE(f.shownTotal(), 2808L);
}

void TestMainWindow::levelLimitMessageOnce() {
    WindowFixture f;
    f.dialogs.messageAnswers = {MsgResult::Yes};
    f.get<QCheckBox>("chkDetailEnabled")->click(); // detail off: 64x64 stops at index 6
    f.dialogs.messages.clear();
    f.get<QCheckBox>("chkLevels")->click();
    auto* levels = f.get<QLineEdit>("txtLevels");

    levels->setText(QStringLiteral("7"));
    QCOMPARE(f.dialogs.messages.size(), 1);
    QCOMPARE(f.dialogs.messages.front().prompt, QString::fromStdString(doc::kLevelLimitMessage));
    QCOMPARE(f.dialogs.messages.front().style, MsgStyle::Ok);
    QCOMPARE(f.dialogs.messages.front().title, QStringLiteral("Vellora"));
    QCOMPARE(levels->text(), QStringLiteral("6"));
    QCOMPARE(BaseOf(levels), kYellow);

    levels->setText(QStringLiteral("7"));
    QCOMPARE(f.dialogs.messages.size(), 1); // only yellow from now on
    QCOMPARE(levels->text(), QStringLiteral("6"));
    QCOMPARE(BaseOf(levels), kYellow);

    levels->setText(QStringLiteral("5"));
    QCOMPARE(f.shownTotal(), 2800L);
    QVERIFY(BaseOf(levels) != kYellow);
}

void TestMainWindow::tilePrompts() {
    WindowFixture f;
    f.dialogs.messageAnswers = {MsgResult::Yes};
    f.get<QCheckBox>("chkDetailEnabled")->click();
    f.get<QCheckBox>("chkLevels")->click();
    auto* levels = f.get<QLineEdit>("txtLevels");
    levels->setText(QStringLiteral("1"));
    auto* man = f.get<QPushButton>("ManMipMap");
    QVERIFY(man->isEnabled());
    f.dialogs.inputAnswers = {QStringLiteral("16"), QStringLiteral("16")};
    man->click();
    QCOMPARE(f.dialogs.inputs.size(), 2);
    QCOMPARE(f.dialogs.inputs[0].prompt, QStringLiteral("Enter the width of tile 1"));
    QCOMPARE(f.dialogs.inputs[1].prompt, QStringLiteral("Enter the Height of tile 1"));
    for (const auto& in : f.dialogs.inputs)
        QCOMPARE(in.title, QStringLiteral("Tile 1 of 1"));
    QCOMPARE(f.get<QLabel>("lblExcede")->text(), QStringLiteral("\n2176 Bytes\nGood!"));
    QCOMPARE(levels->text(), QStringLiteral("1"));
    QCOMPARE(f.window->tmemMapView()->map()[2048], ByteColour::OddLevel);
    QCOMPARE(f.window->tmemMapView()->map()[2176], ByteColour::Free);
}

void TestMainWindow::tilePromptsReask() {
    WindowFixture f;
    f.dialogs.messageAnswers = {MsgResult::Yes};
    f.get<QCheckBox>("chkDetailEnabled")->click();
    f.get<QCheckBox>("chkLevels")->click();
    f.get<QLineEdit>("txtLevels")->setText(QStringLiteral("1"));
    f.dialogs.inputAnswers = {QStringLiteral("0"), QStringLiteral("2000"), QStringLiteral("16px"), QString(),
                              QStringLiteral("16")};
    f.get<QPushButton>("ManMipMap")->click();
    QStringList prompts;
    for (const auto& in : f.dialogs.inputs)
        prompts << in.prompt;
    QCOMPARE(prompts, QStringList({"Enter the width of tile 1", "Error: Please Re-Enter the width of tile 1",
                                   "Error: Please Re-Enter the width of tile 1", "Enter the Height of tile 1",
                                   "Error: Please Re-Enter the Height of tile 1"}));
    QCOMPARE(f.shownTotal(), 2176L);
    QVERIFY(!f.window->isRecalculating());
}

void TestMainWindow::helpButtons() {
    WindowFixture f;
    f.get<QPushButton>("cmdWidthHelp")->click();
    f.get<QPushButton>("cmdHeightHelp")->click();
    QCOMPARE(f.dialogs.messages.size(), 2);
    QCOMPARE(f.dialogs.messages[0].prompt, QString::fromStdString(kWidthHelp));
    QCOMPARE(f.dialogs.messages[1].prompt, QString::fromStdString(kHeightHelp));
    for (const auto& m : f.dialogs.messages) {
        QCOMPARE(m.style, MsgStyle::Ok);
        QCOMPARE(m.title, QStringLiteral("Vellora"));
    }
}

void TestMainWindow::levelControlsFollowAutoBox() {
    WindowFixture f;
    auto* autoBox = f.get<QCheckBox>("chkLevels");
    auto* label = f.get<QLabel>("lblLevels");
    autoBox->click();
    QVERIFY(f.get<QLineEdit>("txtLevels")->isEnabled());
    QVERIFY(f.get<QPushButton>("ManMipMap")->isEnabled());
    QVERIFY(!f.get<QRadioButton>("ChklevelsW")->isEnabled());
    QVERIFY(!f.get<QRadioButton>("ChklevelsH")->isEnabled());
    QCOMPARE(label->text(), QStringLiteral("Desired Levels (Min 1, Max 7)"));
    // The detail toggle updates the caption but leaves the buttons.
    f.dialogs.messageAnswers = {MsgResult::Yes};
    f.get<QCheckBox>("chkDetailEnabled")->click();
    QCOMPARE(label->text(), QStringLiteral("Desired Levels (Min 0, Max 7)"));
    autoBox->click();
    QVERIFY(!f.get<QLineEdit>("txtLevels")->isEnabled());
    QVERIFY(!f.get<QPushButton>("ManMipMap")->isEnabled());
    QVERIFY(f.get<QRadioButton>("ChklevelsW")->isEnabled());
    QCOMPARE(label->text(), QStringLiteral("Automatic Levels Calculated"));
    // Width rule: 64, 32, 16 only.
    f.get<QRadioButton>("ChklevelsW")->click();
    QCOMPARE(f.shownTotal(), 2688L);
    QCOMPARE(f.get<QScrollBar>("sliderTile")->maximum(), 20);
}

void TestMainWindow::previewControls() {
    WindowFixture f;
    auto* tile = f.get<QScrollBar>("sliderTile");
    auto* zoom = f.get<QScrollBar>("sliderZoom");
    QCOMPARE(zoom->minimum(), 1);
    QCOMPARE(zoom->maximum(), 32);
    QCOMPARE(zoom->value(), 2);
    QCOMPARE(zoom->pageStep(), 4);
    QCOMPARE(tile->minimum(), 0);
    QCOMPARE(tile->pageStep(), 10);

    struct Step {
        int value;
        double shown;
    };
    for (const Step s : {Step{25, 2.5}, Step{5, 0.5}, Step{60, 6}, Step{0, 0}}) {
        f.drawn.clear();
        tile->setValue(s.value);
        QCOMPARE(f.get<QLabel>("lblTSTile")->text(),
                 QStringLiteral("Tile = ") +
                     QLocale().toString(s.shown, 'g', QLocale::FloatingPointShortest));
        QCOMPARE(f.drawn.size(), size_t(1));
        QCOMPARE(f.drawn.back(), static_cast<float>(s.shown));
    }
    f.drawn.clear();
    zoom->setValue(8);
    QCOMPARE(f.drawn.size(), size_t(1));
    // While the guard is set (a load running) the zoom draws nothing.
    f.drawn.clear();
    f.window->setRecalculating(true);
    zoom->setValue(9);
    f.window->setRecalculating(false);
    QVERIFY(f.drawn.empty());

    int browsed = 0;
    f.window->setBrowseHandler([&] { ++browsed; });
    f.get<QPushButton>("cmdBrowse")->click();
    QCOMPARE(browsed, 1);
}

void TestMainWindow::shownFormatFollowsTheCalculatorsFormat() {
    WindowFixture f;
    f.get<QCheckBox>("chkShowFormat")->setChecked(true);
    QApplication::processEvents();
    f.drawn.clear();
    // A format chosen on the calculator page: the caption and the picture
    // both show the new kind once the count is done.
    f.get<QRadioButton>("ChkBitDepth(4)")->click();
    QApplication::processEvents();
    QVERIFY2(f.get<QLabel>("lblTSTile")->text().contains(QStringLiteral("RGBA16")),
             qPrintable(f.get<QLabel>("lblTSTile")->text()));
    QCOMPARE(f.drawn.size(), size_t(1));
    // A size edit keeps the kinds: nothing is drawn for it.
    f.drawn.clear();
    f.get<QLineEdit>("txtWidth")->setText(QStringLiteral("32"));
    QApplication::processEvents();
    QVERIFY(f.drawn.empty());
}

void TestMainWindow::use2x2ChangesNoCount() {
    WindowFixture f;
    auto* use2x2 = f.get<QCheckBox>("chkUse2x2");
    f.drawn.clear();
    use2x2->click();
    QCOMPARE(f.shownTotal(), 2936L);
    QCOMPARE(f.drawn.size(), size_t(1));
    QVERIFY(f.dialogs.messages.isEmpty());
    // The derived level was rebuilt with the other filter.
    QCOMPARE(f.window->coreState().tiles[2].Width, 32);
    QVERIFY(!f.window->coreState().tiles[2].Pixels.empty());

    // Without a picture the box does nothing but hold its value.
    f.dialogs.messageAnswers = {MsgResult::Yes};
    f.get<QCheckBox>("chkDetailEnabled")->click();
    f.drawn.clear();
    use2x2->click();
    QVERIFY(f.drawn.empty());
}

void TestMainWindow::formatMessagesShownInOrder() {
    WindowFixture f;
    // A CI 8-bit base with a non-CI detail map: mixing is refused in words
    // on every count, never by blocking it.
    f.get<QRadioButton>("ChkBitDepth(2)")->click();
    QCOMPARE(f.dialogs.messages.size(), 1);
    QCOMPARE(f.dialogs.messages.front().prompt, QStringLiteral("Cannot mix CI and NON CI Detail Maps"));
    QVERIFY(f.get<QRadioButton>("optDBit(1)")->isChecked());
    QVERIFY(!f.get<QRadioButton>("optDBit(1)")->isEnabled());
    QVERIFY(f.get<QRadioButton>("optDBit(0)")->isEnabled());
    QCOMPARE(f.window->lastResult().count.tmemLimit, 2048);
    f.get<QLineEdit>("txtHeight")->setText(QStringLiteral("32"));
    QCOMPARE(f.dialogs.messages.size(), 2);
    QVERIFY(!f.window->isRecalculating());
}

void TestMainWindow::overLimitResult() {
    WindowFixture f;
    f.dialogs.messageAnswers = {MsgResult::Yes};
    f.get<QCheckBox>("chkDetailEnabled")->click();
    f.get<QCheckBox>("chkLevels")->click();
    f.get<QLineEdit>("txtLevels")->setText(QStringLiteral("5"));
    f.get<QRadioButton>("ChkBitDepth(3)")->click();
    auto* result = f.get<QLabel>("lblExcede");
    QCOMPARE(result->text(), QStringLiteral("5488 Bytes\nExceeds TMEM by 1392 Bytes"));
    QCOMPARE(result->palette().color(QPalette::Window), kRed);
    QCOMPARE(result->palette().color(QPalette::WindowText), QColor(Qt::white));
    QCOMPARE(f.get<QLabel>("lblPercent(0)")->text(), QStringLiteral("133%"));
    auto* bar = f.get<QWidget>("FillBar");
    QCOMPARE(bar->width(), twips(4096));
    QCOMPARE(bar->palette().color(QPalette::Window), kRed);

    // Exactly at the limit is still good: 64x64 at 8 bits, one level.
    f.get<QLineEdit>("txtLevels")->setText(QStringLiteral("0"));
    QCOMPARE(result->text(), QStringLiteral("\n4096 Bytes\nGood!"));
    QCOMPARE(f.get<QLabel>("lblPercent(1)")->text(), QStringLiteral("100%"));
    QCOMPARE(result->palette().color(QPalette::Window), QColor(0, 255, 0));
    QCOMPARE(bar->palette().color(QPalette::Window), QApplication::palette().color(QPalette::Highlight));

    // A CI base halves the limit and doubles the bar's pace.
    f.get<QRadioButton>("ChkBitDepth(2)")->click();
    QCOMPARE(result->text(), QStringLiteral("4096 Bytes\nExceeds TMEM by 2048 Bytes"));
    QCOMPARE(f.get<QLabel>("lblPercent(0)")->text(), QStringLiteral("200%"));
}

void TestMainWindow::detailWidthMisaligned() {
    WindowFixture f;
    auto* detail = f.get<QCheckBox>("chkDetailEnabled");
    f.dialogs.messageAnswers = {MsgResult::Yes};
    detail->click();
    detail->click(); // pictures already gone: no question, size boxes enabled
    auto* dw = f.get<QLineEdit>("txtDWidth");
    QVERIFY(dw->isEnabled());
    dw->setText(QStringLiteral("17"));
    QCOMPARE(BaseOf(dw), kRed);
    QCOMPARE(f.shownTotal(), 2808L + 32 * 16 / 2); // counted 32 texels wide
    dw->setText(QStringLiteral("32"));
    QVERIFY(BaseOf(dw) != kRed);
}

void TestMainWindow::beforeStartUp() {
    // The design state, before the start-up sequence has run.
    ScriptedDialogs dialogs;
    MainWindow w(dialogs);
    QCOMPARE(w.objectName(), QStringLiteral("Form1"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Vellora"));
    QCOMPARE(w.size(), QSize(twips(6345), twips(6705)));
    QVERIFY(!w.findChild<QPushButton*>("TabButtons(3)")->isEnabled());
    QVERIFY(!w.findChild<QScrollBar*>("sliderTile")->isEnabled());
    QVERIFY(!w.findChild<QScrollBar*>("sliderZoom")->isEnabled());
    QCOMPARE(w.findChild<QLineEdit*>("txtLevels")->text(), QStringLiteral("8"));
    QVERIFY(!w.findChild<QCheckBox*>("chkDetailEnabled")->isChecked());
    QVERIFY(w.findChild<QGroupBox*>("fraDetailProps")->isHidden());
    QCOMPARE(w.findChild<QLabel*>("lblVersion")->text(), QStringLiteral("Version:"));
    QCOMPARE(w.findChild<QLabel*>("lblExcede")->text(), QStringLiteral("lblExcede by ########"));
    QVERIFY(!w.coreState().bitmapLoaded);
}

void TestMainWindow::aboutText() {
    WindowFixture f;
    const QString text = AboutText();
    const QStringList lines = text.split(QStringLiteral("\r\n"));
    // Headings in order.
    int at = -1;
    for (const char* heading :
         {"New in Version 2:  Use real bitmaps and sort out levels from there.", "Manual entries:", "Errors:",
          "Notes:", "----------------------------------------------------------------",
          "ADVANCED:", "Custom Levels:", "Custom Level Sizes:"}) {
        const int found = lines.indexOf(QString::fromLatin1(heading));
        QVERIFY2(found > at, heading);
        at = found;
    }
    // Examples as whole lines, trailing blanks kept.
    for (const char* line : {"This example ", "will use 4Bit IA.", "This example will use 64x64",
                             "reduced to 3 and we save 112Bytes. ", "In this case 47 is padded to 48.",
                             "2048 + 128 = 2176 as shown"})
        QVERIFY2(lines.contains(QString::fromLatin1(line)), line);
    QVERIFY(!text.contains(QStringLiteral("\n\n")));
    auto* box = f.get<QPlainTextEdit>("txtAbout");
    QVERIFY(box->isReadOnly());
    QCOMPARE(box->toPlainText().count(QLatin1Char('\n')), lines.size() - 1);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
