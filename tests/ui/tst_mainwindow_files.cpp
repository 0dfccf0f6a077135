// SPDX-License-Identifier: MIT
// The files the window reads and writes: PNG and BMP through the load's
// dialogs or a drop, the pictures' context menus and the level export.
#include "mainwindowfixture.h"

#include "bitmap/bmpreader.h"
#include "bitmap/pngreader.h"
#include "testdata.h"
#include "ui/loadsequence.h"
#include "ui/tilesetuppage.h"
#include "ui/tmemmapview.h"
#include "ui/windowexports.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include <sys/stat.h>

#include <fstream>
#include <iterator>

using namespace vellora;

namespace {

const QString kSuite = QStringLiteral(VELLORA_TEST_DATA_DIR "/pngsuite/");

QString CopySuiteFile(const QTemporaryDir& dir, const char* file, const char* as) {
    const QString target = dir.filePath(QString::fromLatin1(as));
    return QFile::copy(kSuite + QString::fromLatin1(file), target) ? target : QString();
}

TileLevel ReadBack(const QString& path) {
    std::ifstream in(QFile::encodeName(path).toStdString(), std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                          std::istreambuf_iterator<char>()};
    TileLevel level;
    ReadPng(bytes, level);
    return level;
}

QStringList Prompts(const ScriptedDialogs& dialogs) {
    QStringList prompts;
    for (const auto& m : dialogs.messages)
        prompts << m.prompt;
    return prompts;
}

} // namespace

class TestMainWindowFiles : public QObject {
    Q_OBJECT
  private slots:
    void loadDialogsOfferBmpAndPngFromTheLastFolder();
    void pngBaseSelectsItsFormat_data();
    void pngBaseSelectsItsFormat();
    void dropOnePictureLoadsItAsTheBase();
    void dropAnythingElseExplains_data();
    void dropAnythingElseExplains();
    void aFifoIsRefusedWithItsReason();
    void contextMenusSaveWhatIsShown();
    void exportLevelsWritesEveryCountedLevel();
    void aFailedExportSaysWhyAndWritesNothing();
    void showFormatDrawsTheKindsTexels();
    void exportTextureWritesWhatTheGameLoads();
};

void TestMainWindowFiles::loadDialogsOfferBmpAndPngFromTheLastFolder() {
    QTemporaryDir dir;
    const QString path = CopySuiteFile(dir, "basn3p04.png", "first.png");
    QVERIFY(!path.isEmpty());
    RealWindow f;
    // Confirm, load a detail map (its file), the base (the same file), generate tiles.
    f.dialogs.messageAnswers = {MsgResult::Ok, MsgResult::Yes, MsgResult::Yes};
    f.dialogs.fileAnswers = {path, path};
    LoadSettingsFromBmp(f.window->loadHost(), f.dialogs);
    QCOMPARE(f.dialogs.fileRequests.size(), 2);
    const FileRequest& first = f.dialogs.fileRequests[0];
    QCOMPARE(first.filters, (QStringList{QStringLiteral("Bitmaps and PNG (*.bmp *.png)"),
                                         QStringLiteral("(*.bmp)"), QStringLiteral("(*.png)")}));
    QCOMPARE(first.selectedFilter, 0);
    // The second dialog opens where the first file was chosen.
    QCOMPARE(QDir(f.dialogs.fileRequests[1].initialDir), QDir(dir.path()));
    QCOMPARE(QDir(LastChosenFolder()), QDir(dir.path()));
}

void TestMainWindowFiles::pngBaseSelectsItsFormat_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("saveAs");
    QTest::addColumn<QString>("option");
    QTest::addColumn<bool>("asksAboutGrey");
    QTest::newRow("grey 4-bit") << "basn0g04.png"
                                << "a.png"
                                << "ChkBitDepth(1)" << false;
    QTest::newRow("grey + alpha") << "basn4a08.png"
                                  << "a.png"
                                  << "ChkBitDepth(4)" << false;
    QTest::newRow("RGB asks") << "basn2c08.png"
                              << "a.png"
                              << "ChkBitDepth(5)" << true;
    QTest::newRow("name wins, no question") << "basn2c08.png"
                                            << "brick.ia16.png"
                                            << "ChkBitDepth(4)" << false;
    QTest::newRow("CI8 by name") << "basn6a08.png"
                                 << "wall.CI8.png"
                                 << "ChkBitDepth(2)" << false;
}

void TestMainWindowFiles::pngBaseSelectsItsFormat() {
    QFETCH(QString, file);
    QFETCH(QString, saveAs);
    QFETCH(QString, option);
    QFETCH(bool, asksAboutGrey);
    QTemporaryDir dir;
    const QString path = CopySuiteFile(dir, file.toLatin1().constData(), saveAs.toLatin1().constData());
    QVERIFY(!path.isEmpty());
    RealWindow f;
    f.dialogs.messageAnswers = {MsgResult::Ok, MsgResult::No};
    f.dialogs.defaultMessageAnswer = MsgResult::Ok;
    f.dialogs.fileAnswers = {path};
    QCOMPARE(LoadSettingsFromBmp(f.window->loadHost(), f.dialogs), LoadOutcome::Loaded);
    QVERIFY(f.get<QRadioButton>(option.toLatin1().constData())->isChecked());
    QCOMPARE(Prompts(f.dialogs).contains(QString::fromLatin1(kGreyscaleMessage)), asksAboutGrey);
    QCOMPARE(f.get<QLineEdit>("txtWidth")->text(), QStringLiteral("32"));
}

void TestMainWindowFiles::dropOnePictureLoadsItAsTheBase() {
    QTemporaryDir dir;
    const QString path = CopySuiteFile(dir, "basn0g08.png", "dropped.I8.PNG");
    QVERIFY(!path.isEmpty());
    RealWindow f;
    // Opened in one step: no question, no file dialog.
    f.window->dropFiles({QUrl::fromLocalFile(path)});
    QTRY_COMPARE(f.get<QLineEdit>("txtWidth")->text(), QStringLiteral("32"));
    QVERIFY(f.window->coreState().bitmapLoaded);
    QVERIFY(f.dialogs.messages.isEmpty());
    QVERIFY(f.dialogs.fileRequests.isEmpty());
    QVERIFY(f.get<QRadioButton>("ChkBitDepth(3)")->isChecked());
    QCOMPARE(f.window->coreState().baseKind, std::optional<Kind>(Kind::I8));
}

void TestMainWindowFiles::dropAnythingElseExplains_data() {
    QTest::addColumn<QList<QUrl>>("urls");
    const QUrl png = QUrl::fromLocalFile(QStringLiteral("/tmp/a.png"));
    QTest::newRow("two pictures") << QList<QUrl>{png, png};
    QTest::newRow("a text file") << QList<QUrl>{QUrl::fromLocalFile(QStringLiteral("/tmp/notes.txt"))};
    QTest::newRow("a web address") << QList<QUrl>{QUrl(QStringLiteral("https://example.com/a.png"))};
    QTest::newRow("nothing") << QList<QUrl>{};
}

void TestMainWindowFiles::dropAnythingElseExplains() {
    QFETCH(QList<QUrl>, urls);
    RealWindow f;
    const int total = static_cast<int>(f.shownTotal());
    const QString width = f.get<QLineEdit>("txtWidth")->text();
    f.window->dropFiles(urls);
    QCoreApplication::processEvents();
    // One explanation, and no load begun: no confirmation, nothing changed.
    QCOMPARE(f.dialogs.messages.size(), 1);
    QVERIFY(f.dialogs.messages[0].prompt.contains(QStringLiteral("one BMP or PNG file")));
    QVERIFY(f.dialogs.fileRequests.isEmpty());
    QCOMPARE(f.get<QLineEdit>("txtWidth")->text(), width);
    QCOMPARE(static_cast<int>(f.shownTotal()), total);
}

void TestMainWindowFiles::aFifoIsRefusedWithItsReason() {
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("pipe.png"));
    QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    RealWindow f;
    f.dialogs.messageAnswers = {MsgResult::Ok, MsgResult::No};
    f.dialogs.fileAnswers = {fifo};
    QCOMPARE(LoadSettingsFromBmp(f.window->loadHost(), f.dialogs), LoadOutcome::NoBase);
    QVERIFY(Prompts(f.dialogs).last().contains(QStringLiteral("Cannot read a FIFO")));
    QVERIFY(!f.window->isRecalculating());
}

void TestMainWindowFiles::contextMenusSaveWhatIsShown() {
    QTemporaryDir dir;
    RealWindow f;
    f.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
    auto* mapAction = f.window->findChild<QAction*>(QStringLiteral("actSaveMapImage"));
    auto* previewAction = f.window->findChild<QAction*>(QStringLiteral("actSavePreviewImage"));
    QVERIFY(mapAction && previewAction);
    QVERIFY(f.window->tmemMapView()->actions().contains(mapAction));
    QVERIFY(f.window->previewBox()->actions().contains(previewAction));
    QCOMPARE(f.window->previewBox()->contextMenuPolicy(), Qt::ActionsContextMenu);

    const QString mapPath = dir.filePath(QStringLiteral("map.png"));
    const QString previewPath = dir.filePath(QStringLiteral("preview.png"));
    f.dialogs.saveAnswers = {mapPath, previewPath};
    mapAction->trigger();
    previewAction->trigger();
    QCOMPARE(f.dialogs.saveRequests.size(), 2);
    const TileLevel map = ReadBack(mapPath);
    QCOMPARE(map.Width, f.window->tmemMapView()->width());
    QCOMPARE(map.Height, f.window->tmemMapView()->height());
    const TileLevel preview = ReadBack(previewPath);
    const QSize shown = f.window->previewViewport().boundedTo(f.window->previewBox()->size());
    QCOMPARE(QSize(preview.Width, preview.Height), shown);
    QVERIFY(f.dialogs.messages.isEmpty());
}

void TestMainWindowFiles::exportLevelsWritesEveryCountedLevel() {
    QTemporaryDir dir;
    RealWindow f;
    f.dialogs.folderAnswers = {dir.path()};
    f.window->findChild<QAction*>(QStringLiteral("actExportLevels"))->trigger();
    const int last = f.window->lastResult().count.maxIndex;
    QVERIFY(last >= 1);
    for (int i = 0; i <= last; ++i) {
        const TileLevel& held = f.window->coreState().tiles[static_cast<std::size_t>(i)];
        const TileLevel back = ReadBack(dir.filePath(QStringLiteral("level-%1.png").arg(i)));
        QCOMPARE(back.Width, held.Width);
        QCOMPARE(back.Height, held.Height);
        for (int row = 0; row < held.Height && row < held.Pixels.rows(); ++row)
            QVERIFY(std::equal(held.Pixels.at(row, 0), held.Pixels.at(row, 0) + 4 * held.Width,
                               back.Pixels.at(row, 0)));
    }
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("level-%1.png").arg(last + 1))));
}

void TestMainWindowFiles::aFailedExportSaysWhyAndWritesNothing() {
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("gone"));
    RealWindow f;
    f.dialogs.folderAnswers = {missing};
    f.window->exportLevels();
    QCOMPARE(f.dialogs.messages.size(), 1);
    QVERIFY(f.dialogs.messages[0].prompt.contains(QStringLiteral("does not exist")));
    QVERIFY(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
}

void TestMainWindowFiles::showFormatDrawsTheKindsTexels() {
    QTemporaryDir dir;
    const QString path = CopySuiteFile(dir, "basn2c08.png", "tex.i4.png");
    RealWindow f(4321, [] { return 0.5; });
    f.dialogs.messageAnswers = {MsgResult::Ok, MsgResult::No};
    f.dialogs.defaultMessageAnswer = MsgResult::Ok;
    f.dialogs.fileAnswers = {path};
    QCOMPARE(LoadSettingsFromBmp(f.window->loadHost(), f.dialogs), LoadOutcome::Loaded);
    QApplication::processEvents();
    QCOMPARE(f.get<QComboBox>("cboBaseKind")->currentText(), QStringLiteral("I4"));
    const int before = f.driver()->passesStarted();
    const long counted = f.shownTotal();
    const QPoint middle(f.surface()->image().width() / 2, f.surface()->image().height() / 2);
    const QRgb own = f.shown(middle.x(), middle.y());
    QVERIFY(qRed(own) != qGreen(own) || qGreen(own) != qBlue(own)); // the picture's own colours

    f.get<QCheckBox>("chkShowFormat")->setChecked(true);
    QApplication::processEvents();
    QVERIFY(f.driver()->passesStarted() > before);
    QCOMPARE(f.shownTotal(), counted);
    QVERIFY(f.get<QLabel>("lblTSTile")->text().contains(QStringLiteral(" as I4, detail I4")));
    // I4 holds 16 greys: x * 17.
    const QRgb grey = f.shown(middle.x(), middle.y());
    QCOMPARE(qRed(grey), qGreen(grey));
    QCOMPARE(qGreen(grey), qBlue(grey));
    QCOMPARE(qRed(grey) % 17, 0);

    // Another kind of the row redraws with its texels, without a recalculation.
    const int recalculations = f.window->recalculations();
    const int drawn = f.driver()->passesStarted();
    f.get<QComboBox>("cboBaseKind")->setCurrentIndex(1);
    QApplication::processEvents();
    QCOMPARE(f.window->recalculations(), recalculations);
    QVERIFY(f.driver()->passesStarted() > drawn);
    QVERIFY(f.get<QLabel>("lblTSTile")->text().contains(QStringLiteral(" as IA4")));
    const QRgb ia4 = f.shown(middle.x(), middle.y());
    QVERIFY(QList<int>({0, 36, 73, 109, 146, 182, 219, 255}).contains(qRed(ia4)));
    // Another row is another kind: RGBA16 holds 5 bits a channel.
    f.get<QRadioButton>("ChkBitDepth(4)")->click();
    QApplication::processEvents();
    QVERIFY(f.get<QLabel>("lblTSTile")->text().contains(QStringLiteral(" as RGBA16")));
    const QRgb rgba16 = f.shown(middle.x(), middle.y());
    for (int channel : {qRed(rgba16), qGreen(rgba16), qBlue(rgba16)})
        QCOMPARE(channel, (channel >> 3) << 3 | channel >> 5);
    f.get<QCheckBox>("chkShowFormat")->setChecked(false);
    QApplication::processEvents();
    QVERIFY(!f.get<QLabel>("lblTSTile")->text().contains(QStringLiteral(" as ")));
}

void TestMainWindowFiles::exportTextureWritesWhatTheGameLoads() {
    QTemporaryDir dir;
    RealWindow f;
    const std::vector<hw::Level> levels = f.window->tileSetupPage()->layout().levels;
    QVERIFY(levels.size() >= 2);
    // I4 rows of w texels take w / 2 bytes, padded to 8.
    const auto bytesOf = [](const hw::Level& l) { return qMax(8, (l.width / 2 + 7) / 8 * 8) * l.height; };
    qint64 whole = 0;
    for (const hw::Level& l : levels)
        whole += bytesOf(l);
    const hw::Level& base = *std::find_if(levels.begin(), levels.end(),
                                          [](const hw::Level& l) { return l.role == LevelRole::Base; });

    f.dialogs.saveAnswers = {dir.filePath(QStringLiteral("tex.bin"))};
    f.get<QPushButton>("cmdExportTexture")->click();
    QCOMPARE(QFileInfo(dir.filePath(QStringLiteral("tex.bin"))).size(), whole);
    QCOMPARE(f.dialogs.saveRequests.last().filters.size(), 4);

    f.get<QCheckBox>("chkBaseOnly")->setChecked(true);
    f.dialogs.saveAnswers = {dir.filePath(QStringLiteral("base.c"))};
    f.get<QPushButton>("cmdExportTexture")->click();
    QFile c(dir.filePath(QStringLiteral("base.c")));
    QVERIFY(c.open(QIODevice::ReadOnly));
    const QByteArray text = c.readAll();
    QVERIFY(text.contains("static const uint8_t texture_base[] __attribute__((aligned(8), unused))"));
    QVERIFY(!text.contains("texture_level1"));
    QVERIFY(text.contains(QByteArray("I4 ") + QByteArray::number(base.width) + " x " +
                          QByteArray::number(base.height)));

    // A name of another kind is refused with a message, and nothing is written.
    const int messages = f.dialogs.messages.size();
    f.dialogs.saveAnswers = {dir.filePath(QStringLiteral("tex.txt"))};
    f.get<QPushButton>("cmdExportTexture")->click();
    QCOMPARE(f.dialogs.messages.size(), messages + 1);
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("tex.txt"))));

    // An RGBA32 chain beside a 16-bit detail map fits, but no single block
    // carries 32-bit and 16-bit data: the whole-chain form is refused.
    f.get<QCheckBox>("chkBaseOnly")->setChecked(false);
    f.get<QCheckBox>("chkWholeChain")->setChecked(true);
    f.get<QLineEdit>("txtWidth")->setText(QStringLiteral("32"));
    f.get<QLineEdit>("txtHeight")->setText(QStringLiteral("16"));
    f.get<QRadioButton>("ChkBitDepth(5)")->click();
    f.get<QLineEdit>("txtDWidth")->setText(QStringLiteral("4"));
    f.get<QLineEdit>("txtDHeight")->setText(QStringLiteral("4"));
    f.get<QRadioButton>("optDBit(4)")->click();
    QVERIFY(f.window->tileSetupPage()->layout().fits);
    f.dialogs.saveAnswers = {dir.filePath(QStringLiteral("chain.bin"))};
    f.get<QPushButton>("cmdExportTexture")->click();
    QVERIFY2(
        f.dialogs.messages.last().prompt.startsWith(QStringLiteral("One load cannot carry the whole chain")),
        qPrintable(f.dialogs.messages.last().prompt));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("chain.bin"))));

    // With no picture there is nothing to export: said so, and no file is asked for.
    f.dialogs.messageAnswers = {MsgResult::Yes};
    f.get<QCheckBox>("chkDetailEnabled")->click();
    QVERIFY(!f.window->coreState().bitmapLoaded);
    const int asked = f.dialogs.saveRequests.size();
    f.get<QPushButton>("cmdExportTexture")->click();
    f.window->exportLevels();
    QCOMPARE(f.dialogs.saveRequests.size(), asked);
    QCOMPARE(f.dialogs.folderRequests.size(), 0);
    QCOMPARE(f.dialogs.messages.last().prompt, QString::fromLatin1(kNoPictureToExport));
    QCOMPARE(f.dialogs.messages[f.dialogs.messages.size() - 2].prompt,
             QString::fromLatin1(kNoPictureToExport));
}

QTEST_MAIN(TestMainWindowFiles)
#include "tst_mainwindow_files.moc"
