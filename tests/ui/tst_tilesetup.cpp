// SPDX-License-Identifier: MIT
// The Tile Setup page: it follows the count, its choices lay the levels out
// again, and the calculator page shows where the hardware disagrees.
#include "mainwindowfixture.h"

#include "bmpbuilder.h"
#include "document/analysis.h"
#include "document/texture.h"
#include "hardware/gbi.h"
#include "reduce/reduce.h"
#include "ui/calculatorpage.h"
#include "ui/loadsequence.h"
#include "ui/tabstrip.h"
#include "ui/texturedocument.h"
#include "ui/tilesetuppage.h"
#include "ui/tmemmapview.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSet>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolTip>
#include <QtTest>

using namespace vellora;

namespace {

// A texture without a detail map at one level, as the user types it.
void Enter(WindowFixture& f, const char* width, const char* height, const char* option) {
    f.dialogs.defaultMessageAnswer = MsgResult::Yes; // the detail toggle's question
    f.get<QCheckBox>(QStringLiteral("chkDetailEnabled"))->setChecked(false);
    f.get<QCheckBox>(QStringLiteral("chkLevels"))->setChecked(false);
    f.get<QLineEdit>(QStringLiteral("txtLevels"))->setText(QStringLiteral("0"));
    f.get<QLineEdit>(QStringLiteral("txtWidth"))->setText(QString::fromLatin1(width));
    f.get<QLineEdit>(QStringLiteral("txtHeight"))->setText(QString::fromLatin1(height));
    f.get<QRadioButton>(QString::fromLatin1(option))->click();
}

} // namespace

class TestTileSetup : public QObject {
    Q_OBJECT
  private slots:
    void theStripHasAFifthTabAfterAbout();
    void verdictDiffersFromTheCalculator_data();
    void verdictDiffersFromTheCalculator();
    void kindChoiceOffersTheRowsKindsAndRelaysOut();
    void copyButtonsPutTheCodeOnTheClipboard();
    void hoveringTheMapDescribesTheByte();
    void suggestsWhatTheCommandLineSuggests_data();
    void suggestsWhatTheCommandLineSuggests();
    void narrowPageReachesEveryControl();
    void firstPageSaysTheHardwaresVerdict_data();
    void firstPageSaysTheHardwaresVerdict();
    void mapsShareTheirColoursAndExplainThem();
    void paletteBoxNamesTheCi4Palette();
    void piecesViewPlansTheLoadedPicture();
    void texture1MakesAMaterial();
};

void TestTileSetup::theStripHasAFifthTabAfterAbout() {
    WindowFixture f;
    auto* about = f.get<QPushButton>(QStringLiteral("TabButtons(1)"));
    auto* setup = f.get<QPushButton>(QStringLiteral("TabButtons(4)"));
    QCOMPARE(setup->text(), QStringLiteral("Tile &Setup"));
    QCOMPARE(setup->x(), about->x() + about->width());
    QVERIFY(setup->geometry().right() <= f.get<QWidget>(QStringLiteral("BG"))->geometry().right());
    setup->click();
    QVERIFY(f.window->tileSetupPage()->isVisibleTo(f.window.get()));
}

void TestTileSetup::verdictDiffersFromTheCalculator_data() {
    QTest::addColumn<QString>("width");
    QTest::addColumn<QString>("height");
    QTest::addColumn<QString>("option");
    QTest::addColumn<bool>("calculatorFits");
    QTest::addColumn<bool>("hardwareFits");
    // 4080 bytes by the count, but half-rows of 64 bytes need 2176 of 2048.
    QTest::newRow("RGBA32 30x34") << "30"
                                  << "34"
                                  << "ChkBitDepth(5)" << true << false;
    QTest::newRow("both agree it fits") << "32"
                                        << "32"
                                        << "ChkBitDepth(4)" << true << true;
    QTest::newRow("both agree it does not") << "64"
                                            << "64"
                                            << "ChkBitDepth(4)" << false << false;
}

void TestTileSetup::verdictDiffersFromTheCalculator() {
    QFETCH(QString, width);
    QFETCH(QString, height);
    QFETCH(QString, option);
    QFETCH(bool, calculatorFits);
    QFETCH(bool, hardwareFits);
    WindowFixture f;
    Enter(f, width.toLatin1().constData(), height.toLatin1().constData(), option.toLatin1().constData());
    QCOMPARE(!f.window->lastResult().count.exceeds(), calculatorFits);
    TileSetupPage* page = f.window->tileSetupPage();
    QCOMPARE(page->layout().fits, hardwareFits);
    const QString verdict = f.get<QLabel>(QStringLiteral("lblHardwareVerdict"))->text();
    QCOMPARE(verdict.contains(QStringLiteral("cannot")), !hardwareFits);
    // A plan the page vouches for has been run on the RDP model; one that
    // does not fit has no plan to run.
    auto* verified = f.get<QLabel>(QStringLiteral("lblVerified"));
    QCOMPARE(!verified->isHidden(), hardwareFits);
    if (hardwareFits)
        QVERIFY2(verified->text().startsWith(QStringLiteral("Verified on the RDP model: all 1024 texels")),
                 qPrintable(verified->text()));
    const bool differ = calculatorFits != hardwareFits;
    QCOMPARE(f.get<QLabel>(QStringLiteral("lblHardwareMarker"))->isVisibleTo(f.window.get()), differ);
    const QString tip = f.get<QLabel>(QStringLiteral("lblExcede"))->toolTip();
    QCOMPARE(tip.contains(QStringLiteral("2176 bytes")), differ);
    // Whatever does not fit by both rules comes with what would make it fit.
    const bool fitsBoth = calculatorFits && hardwareFits;
    QCOMPARE(tip.contains(QStringLiteral("To make it fit")), !fitsBoth);
    QCOMPARE(!f.get<QLabel>(QStringLiteral("lblSuggestions"))->isHidden(), !fitsBoth);
    if (!fitsBoth)
        QVERIFY(f.window->tileSetupPage()->suggestionText().contains(QStringLiteral("Halve the base")));
}

void TestTileSetup::kindChoiceOffersTheRowsKindsAndRelaysOut() {
    WindowFixture f;
    Enter(f, "32", "32", "ChkBitDepth(4)");
    auto* kinds = f.get<QComboBox>(QStringLiteral("cboBaseKind"));
    QCOMPARE(kinds->count(), 2);
    QCOMPARE(kinds->itemText(0), QStringLiteral("RGBA16"));
    QCOMPARE(kinds->itemText(1), QStringLiteral("IA16"));
    TextureDocument& document = f.window->document();
    const int reductions = document.reductions();
    QSignalSpy changes(&document, &TextureDocument::changed);
    kinds->setCurrentIndex(1);
    QCOMPARE(changes.count(), 1);
    QCOMPARE(changes[0][0].value<TextureDocument::Changes>(),
             TextureDocument::Changes(TextureDocument::What::Kinds));
    QCOMPARE(f.window->coreState().baseKind, std::optional<Kind>(Kind::IA16));
    QCOMPARE(f.window->tileSetupPage()->layout().tiles[0].fmt, 3);
    auto* table = f.get<QTableWidget>(QStringLiteral("tblTiles"));
    QCOMPARE(table->rowCount(), 1);
    QCOMPARE(table->item(0, 2)->text(), QStringLiteral("IA16"));
    // Another row offers its own kinds; the IA16 choice does not belong there.
    f.get<QRadioButton>(QStringLiteral("ChkBitDepth(5)"))->click();
    QCOMPARE(kinds->count(), 1);
    QCOMPARE(kinds->currentText(), QStringLiteral("RGBA32"));
    // The wrap changes the tiles, never the texels: one analysis, nothing
    // reduced or redrawn for it, even while the preview shows the format.
    f.get<QCheckBox>(QStringLiteral("chkShowFormat"))->setChecked(true);
    f.drawn.clear();
    const int analyses = document.analyses();
    changes.clear();
    f.get<QComboBox>(QStringLiteral("cboWrapS"))->setCurrentIndex(2);
    QCOMPARE(f.window->tileSetupPage()->layout().tiles[0].cms, hw::AxisMode::Clamp);
    QCOMPARE(document.analyses(), analyses + 1);
    QCOMPARE(changes.count(), 1);
    QCOMPARE(changes[0][0].value<TextureDocument::Changes>(),
             TextureDocument::Changes(TextureDocument::What::Tiling));
    QCOMPARE(document.reductions(), reductions);
    QVERIFY(f.drawn.empty());
}

void TestTileSetup::copyButtonsPutTheCodeOnTheClipboard() {
    WindowFixture f;
    Enter(f, "32", "32", "ChkBitDepth(4)");
    f.get<QPushButton>(QStringLiteral("cmdCopyDisplayList"))->click();
    const QString list = QGuiApplication::clipboard()->text();
    QVERIFY(list.contains(QStringLiteral("gsDPSetTile(G_IM_FMT_RGBA, G_IM_SIZ_16b, 8, 0, 0, 0,")));
    f.get<QPushButton>(QStringLiteral("cmdCopyWords"))->click();
    QVERIFY(QGuiApplication::clipboard()->text().contains(QStringLiteral("F510100000014050")));
}

void TestTileSetup::hoveringTheMapDescribesTheByte() {
    WindowFixture f;
    Enter(f, "32", "32", "ChkBitDepth(5)");
    f.window->selectTab(4);
    auto* map = f.get<TmemMapView>(QStringLiteral("HardwareMapView"));
    QTRY_VERIFY(map->mapBuilt());
    const QRect cell = map->cellRect(0x044);
    QCOMPARE(map->addressAt(cell.center()), 0x044);
    QCOMPARE(QString::fromStdString(hw::DescribeCell(f.window->tileSetupPage()->layout(), 0x044)),
             QStringLiteral("0x044: level 0, texel (0, 1), red and green"));
    QCOMPARE(map->addressAt(QPoint(-5, -5)), -1);
}

// The box moves the palette's load and every CI4 tile with it, and the plan
// is still proved; CI8 has all 256 entries and no choice.
void TestTileSetup::paletteBoxNamesTheCi4Palette() {
    WindowFixture f;
    Enter(f, "32", "32", "ChkBitDepth(0)");
    auto* palette = f.get<QComboBox>(QStringLiteral("cboPalette"));
    QVERIFY(palette->isEnabled());
    palette->setCurrentIndex(3);
    const hw::Layout& layout = f.window->tileSetupPage()->layout();
    QVERIFY(layout.palette);
    QCOMPARE(layout.palette->tmemAddress, 0x980);
    QCOMPARE(layout.tiles.front().palette, 3);
    QVERIFY(f.window->tileSetupPage()->displayList().contains(QStringLiteral("gsDPLoadTLUT_pal16(3, ")));
    QVERIFY(f.window->document().analysis().verified());
    Enter(f, "32", "32", "ChkBitDepth(2)");
    QVERIFY(!palette->isEnabled());
    QCOMPARE(f.window->tileSetupPage()->layout().palette->tmemAddress, 0x800);
}

// A 320 x 240 picture: RGBA32 takes 80 words a half-row, 3 rows a piece;
// RGBA16 80 words a row, 6 rows a piece; with overlap a strip starts on the
// last row of the one before, and the first draws 5 rows.
void TestTileSetup::piecesViewPlansTheLoadedPicture() {
    QTemporaryDir dir;
    testbmp::BmpSpec spec;
    spec.width = 320;
    spec.height = 240;
    spec.bitCount = 24;
    spec.pixel = [](int row, int col) {
        return static_cast<std::uint32_t>(row * 0x050301 + col * 0x010709) & 0xFFFFFFu;
    };
    const QString path = dir.filePath(QStringLiteral("sky.bmp"));
    QVERIFY(testbmp::WriteBmp(path.toStdString(), spec));
    WindowFixture f;
    f.dialogs.defaultMessageAnswer = MsgResult::Yes;
    f.dialogs.messageAnswers = {MsgResult::Ok, MsgResult::No};
    f.dialogs.fileAnswers = {path};
    QCOMPARE(LoadSettingsFromBmp(f.window->loadHost(), f.dialogs), LoadOutcome::Loaded);

    auto* group = f.get<QGroupBox>(QStringLiteral("grpPieces"));
    auto* label = f.get<QLabel>(QStringLiteral("lblPieces"));
    auto* table = f.get<QTableWidget>(QStringLiteral("tblPieces"));
    QVERIFY(!group->isChecked());
    group->setChecked(true);
    QVERIFY2(label->text().startsWith(QStringLiteral("320x240 RGBA32 in 80 pieces of up to 320x3 texels")),
             qPrintable(label->text()));
    QVERIFY(label->text().contains(QStringLiteral("Verified on the RDP model")));
    QCOMPARE(table->rowCount(), 80);
    f.get<QRadioButton>(QStringLiteral("ChkBitDepth(4)"))->click();
    QVERIFY2(label->text().startsWith(QStringLiteral("320x240 RGBA16 in 40 pieces of up to 320x6 texels")),
             qPrintable(label->text()));
    f.get<QCheckBox>(QStringLiteral("chkPiecesOverlap"))->setChecked(true);
    QCOMPARE(table->rowCount(), 48);
    QCOMPARE(table->item(47, 1)->text(), QStringLiteral("0, 235"));
    // The opener names the arrays after the file it opened.
    f.window->document().setSourceFile(path.toStdString());
    f.get<QPushButton>(QStringLiteral("cmdCopyPieces"))->click();
    const QString list = QGuiApplication::clipboard()->text();
    QVERIFY2(list.contains(QStringLiteral(
                 "gsSPTextureRectangle(0, 0, 1280, 20, G_TX_RENDERTILE, 0, 0, 1 << 10, 1 << 10)")),
             qPrintable(list.left(600)));
    QVERIFY(list.contains(QStringLiteral("gsDPSetTextureImage(G_IM_FMT_RGBA, G_IM_SIZ_16b, 320, sky_base)")));
}

// Texture 1 typed and loaded: the layout, verdict and proof become the
// material's, with palette 1 beside palette 0, shared when both name one,
// refused beside CI8; unchecked, the texture stands alone again.
void TestTileSetup::texture1MakesAMaterial() {
    WindowFixture f;
    Enter(f, "32", "32", "ChkBitDepth(0)");
    TileSetupPage* page = f.window->tileSetupPage();
    auto* group = f.get<QGroupBox>(QStringLiteral("grpTexture1"));
    auto* kind = f.get<QComboBox>(QStringLiteral("cboTexture1Kind"));
    auto* palette = f.get<QComboBox>(QStringLiteral("cboTexture1Palette"));
    kind->setCurrentIndex(kind->findText(QStringLiteral("CI4")));
    group->setChecked(true);
    QCOMPARE(page->layout().tiles.size(), 2u);
    QVERIFY(page->layout().fits);
    QCOMPARE(page->layout().palette1->tmemAddress, 0x880);
    QVERIFY(f.window->document().analysis().verified());
    QCOMPARE(f.get<QTableWidget>(QStringLiteral("tblTiles"))->rowCount(), 2);
    QVERIFY(page->displayList().contains(QStringLiteral("gsDPLoadTLUT_pal16(1, texture1_pal)")));

    palette->setCurrentIndex(0);
    QVERIFY(!page->layout().palette1);
    QVERIFY(page->layout().notes.back().find("share palette 0") != std::string::npos);

    kind->setCurrentIndex(kind->findText(QStringLiteral("CI8")));
    QVERIFY(!page->layout().fits);
    QVERIFY(f.get<QLabel>(QStringLiteral("lblHardwareVerdict"))
                ->text()
                .contains(QStringLiteral("a CI8 texture takes all 256 palette entries")));

    auto* word = f.get<QLineEdit>(QStringLiteral("txtTexture1Word"));
    QTest::keyClicks(word, QStringLiteral("40"));
    QVERIFY(!page->layout().fits);
    QVERIFY(f.get<QLabel>(QStringLiteral("lblHardwareVerdict"))
                ->text()
                .contains(QStringLiteral("texture 1 at word 40 overlaps texture 0, which ends at word 64")));
    word->clear();
    QTest::keyClicks(word, QStringLiteral(" "));
    f.get<QComboBox>(QStringLiteral("cboTexture1WrapS"))->setCurrentIndex(2);
    QCOMPARE(page->layout().tiles[1].cms, hw::AxisMode::Clamp);

    auto* size = f.get<QLineEdit>(QStringLiteral("txtTexture1Size"));
    size->clear();
    QTest::keyClicks(size, QStringLiteral("16x"));
    QCOMPARE(page->layout().tiles.size(), 1u);
    QTest::keyClicks(size, QStringLiteral("16"));
    QCOMPARE(page->layout().tiles.size(), 2u);

    QTemporaryDir dir;
    testbmp::BmpSpec spec;
    spec.width = 8;
    spec.height = 4;
    spec.bitCount = 24;
    spec.pixel = [](int row, int col) { return static_cast<std::uint32_t>(row * 0x40 + col * 0x1000); };
    const QString path = dir.filePath(QStringLiteral("moss.ci4.bmp"));
    QVERIFY(testbmp::WriteBmp(path.toStdString(), spec));
    f.dialogs.fileAnswers = {path};
    f.get<QPushButton>(QStringLiteral("cmdTexture1Load"))->click();
    QCOMPARE(size->text(), QStringLiteral("8x4"));
    QCOMPARE(kind->currentText(), QStringLiteral("CI4"));
    QCOMPARE(f.get<QLabel>(QStringLiteral("lblTexture1Source"))->text(), QStringLiteral("moss.ci4.bmp"));
    QCOMPARE(page->layout().levels.back().width, 8);
    QVERIFY(page->layout().fits);

    group->setChecked(false);
    QCOMPARE(page->layout().tiles.size(), 1u);
    QVERIFY(!page->layout().material());
}

QTEST_MAIN(TestTileSetup)
void TestTileSetup::suggestsWhatTheCommandLineSuggests_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<bool>("fewGreys"); // thirty greys RGBA16 keeps as ten, else a colourful picture
    QTest::newRow("RGBA16, ten stored colours") << QString("greys.rgba16.bmp") << 64 << 32 << true;
    QTest::newRow("RGBA16, many colours") << QString("colours.rgba16.bmp") << 64 << 32 << false;
    QTest::newRow("RGBA32") << QString("wide.bmp") << 128 << 64 << false;
    QTest::newRow("IA8") << QString("stone.ia8.bmp") << 128 << 64 << true;
}

// The window and the command line judge a picture one way: the same file
// and settings give the same suggestions on the Tile Setup page as the
// analysis every vellora-cli command writes.
void TestTileSetup::suggestsWhatTheCommandLineSuggests() {
    QFETCH(QString, name);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(bool, fewGreys);
    QTemporaryDir dir;
    testbmp::BmpSpec spec;
    spec.width = width;
    spec.height = height;
    spec.bitCount = 24;
    spec.pixel = [fewGreys](int row, int col) {
        if (fewGreys)
            return static_cast<std::uint32_t>(reduce::Expand5(5 + col % 10) + row % 3) * 0x010101u;
        return static_cast<std::uint32_t>(row * 0x050301 + col * 0x010709) & 0xFFFFFFu;
    };
    const QString path = dir.filePath(name);
    QVERIFY(testbmp::WriteBmp(path.toStdString(), spec));

    WindowFixture f;
    // Confirm, keep the start-up detail map (16 x 16, 4-bit), the base, any
    // greyscale note, generated levels.
    f.dialogs.defaultMessageAnswer = MsgResult::Yes;
    f.dialogs.messageAnswers = {MsgResult::Ok, MsgResult::No};
    f.dialogs.fileAnswers = {path};
    QCOMPARE(LoadSettingsFromBmp(f.window->loadHost(), f.dialogs), LoadOutcome::Loaded);

    doc::Texture texture;
    texture.spec.detail = DetailSpec{{16, 16}, Format::Bits4};
    QVERIFY(doc::LoadPicture(texture, path.toStdString(), LoadRole::Base, 1).ok);
    const doc::Analysis analysis = doc::Analyze(texture);
    QString expected;
    for (const hw::Suggestion& s : analysis.suggestions)
        expected += QStringLiteral("%1: %2 bytes of %3, %4\n")
                        .arg(QString::fromStdString(s.change))
                        .arg(s.bytes)
                        .arg(s.limit)
                        .arg(s.fitsBoth ? QStringLiteral("fits") : QStringLiteral("still does not fit"));
    QVERIFY(!analysis.suggestions.empty());
    QString shown = f.window->tileSetupPage()->suggestionText();
    shown.remove(QStringLiteral("To make it fit:\n")).remove(QStringLiteral("\u2022 "));
    QCOMPARE(shown, expected.trimmed());
}

void TestTileSetup::firstPageSaysTheHardwaresVerdict_data() {
    QTest::addColumn<QString>("width");
    QTest::addColumn<QString>("height");
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("line"); // what the line says after the levels
    QTest::addColumn<bool>("suggests");
    QTest::newRow("fits both") << "32"
                               << "32"
                               << "ChkBitDepth(4)"
                               << "The hardware can load it." << false;
    // The count's "Good!" stays; the line says why the hardware refuses.
    QTest::newRow("fits the count only") << "30"
                                         << "34"
                                         << "ChkBitDepth(5)"
                                         << "The hardware cannot load it: RGBA32 keeps half" << true;
    QTest::newRow("CI over its half") << "64"
                                      << "64"
                                      << "ChkBitDepth(2)"
                                      << "Needs 4096 of 2048 bytes for CI." << true;
    QTest::newRow("over the whole") << "64"
                                    << "64"
                                    << "ChkBitDepth(4)"
                                    << "Needs 8192 of 4096 bytes." << true;
}

void TestTileSetup::firstPageSaysTheHardwaresVerdict() {
    QFETCH(QString, width);
    QFETCH(QString, height);
    QFETCH(QString, option);
    QFETCH(QString, line);
    QFETCH(bool, suggests);
    WindowFixture f;
    Enter(f, width.toLatin1().constData(), height.toLatin1().constData(), option.toLatin1().constData());
    auto* label = f.get<ElidedLine>(QStringLiteral("lblHardwareLine"));
    const QString said = label->toolTip();
    QVERIFY2(said.startsWith(QStringLiteral("1 level (0). ") + line), qPrintable(said));
    QCOMPARE(said.contains(QStringLiteral("To fit: ")), suggests);
    if (suggests) {
        const std::string first = f.window->document().analysis().suggestions.front().change;
        QVERIFY(said.contains(QString::fromStdString(first)));
    }
    // The line never runs past its room: what is cut ends in an ellipsis.
    QCOMPARE(label->line(), said.section(QLatin1Char('\n'), 0, 0));
    QVERIFY(label->fontMetrics().horizontalAdvance(label->shown()) <= label->width());
    // A click goes to the Tile Setup page.
    QTest::mouseClick(label, Qt::LeftButton);
    QVERIFY(f.get<QWidget>(QStringLiteral("TabContents(4)"))->isVisible());
}

void TestTileSetup::mapsShareTheirColoursAndExplainThem() {
    WindowFixture f; // 64 x 64 I4, seven levels below a 16 x 16 detail map
    TmemMapView* counted = f.window->tmemMapView();
    auto* hardware = f.get<TmemMapView>(QStringLiteral("HardwareMapView"));
    const Count& count = f.window->lastResult().count;
    QCOMPARE(count.maxIndex, 7);
    // Every level in a colour of its own, on the map as in its legend.
    QSet<QRgb> colours;
    for (const CountedLevel& l : count.levels)
        colours.insert(counted->cellColour(static_cast<int>(l.tmemAddress)).rgb());
    QCOMPARE(colours.size(), static_cast<int>(count.levels.size()));
    QStringList names;
    for (const TmemMapView::LegendEntry& e : counted->legend())
        names << e.name;
    QCOMPARE(names, QStringList({"detail", "base", "level 1", "2", "3", "4", "5", "6", "padding", "free"}));
    // The hardware map names the same things in the same colours.
    for (const TmemMapView::LegendEntry& e : hardware->legend()) {
        const auto same = std::find_if(counted->legend().begin(), counted->legend().end(),
                                       [&e](const TmemMapView::LegendEntry& c) { return c.name == e.name; });
        if (same != counted->legend().end())
            QVERIFY2(same->colour == e.colour, qPrintable(e.name));
    }
    QVERIFY(hardware->legend().size() >= 8);
    // Hovering a byte of the count's map names its address, level and texel:
    // level 1 is 32 x 32 I4, rows of 16 bytes, from byte 2176.
    QCOMPARE(counted->toolTip(), QString());
    f.window->selectTab(2);
    const QPoint at = counted->cellRect(2176 + 2 * 16 + 3).center();
    QHelpEvent hover(QEvent::ToolTip, at, counted->mapToGlobal(at));
    QApplication::sendEvent(counted, &hover);
    QTRY_VERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), QStringLiteral("0x8A3: level 1 (32x32), texel (s, t) = (6, 2)"));
}

void TestTileSetup::narrowPageReachesEveryControl() {
    WindowFixture f;
    QVERIFY(!f.window->isWideLayout());
    f.window->selectTab(4);
    QApplication::processEvents();
    // Every column of the tile table fits its width, the Load column too.
    auto* table = f.get<QTableWidget>(QStringLiteral("tblTiles"));
    int columns = 0;
    for (int c = 0; c < table->columnCount(); ++c) {
        int widest = table->horizontalHeader()->sectionSizeHint(c);
        for (int r = 0; r < table->rowCount(); ++r)
            widest = std::max(widest, table->sizeHintForIndex(table->model()->index(r, c)).width());
        columns += widest;
    }
    QVERIFY2(columns <= table->viewport()->width(),
             qPrintable(QStringLiteral("%1 > %2").arg(columns).arg(table->viewport()->width())));
    // Every button and box can be scrolled into view.
    auto* scroll = f.get<QScrollArea>(QStringLiteral("scrTileSetup"));
    for (const char* name : {"cmdCopyDisplayList", "cmdCopyWords", "cmdExportTexture", "chkBaseOnly",
                             "chkWholeChain", "chkDither"}) {
        QWidget* control = f.get<QWidget>(QString::fromLatin1(name));
        scroll->ensureWidgetVisible(control);
        QApplication::processEvents();
        QVERIFY2(!control->visibleRegion().isEmpty(), name);
    }
}

#include "tst_tilesetup.moc"
