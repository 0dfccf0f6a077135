// SPDX-License-Identifier: MIT
// The window as the host of the bitmap load: its setters behave like the
// user changing the controls, and a whole load ends in a counted window with
// its picture drawn.
#include "mainwindowfixture.h"

#include "bitmap/bmpreader.h"
#include "bitmap/mipmap.h"
#include "bmpbuilder.h"
#include "ui/loadsequence.h"
#include "ui/previewdriver.h"
#include "ui/previewsurface.h"
#include "ui/texturedocument.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

using namespace vellora;

namespace {

QString WriteTestBmp(const QTemporaryDir& dir, const char* name, const testbmp::BmpSpec& spec) {
    const QString path = dir.filePath(QString::fromLatin1(name));
    return testbmp::WriteBmp(path.toStdString(), spec) ? path : QString();
}

testbmp::BmpSpec Colourful(int width, int height, int bitCount = 24) {
    testbmp::BmpSpec spec;
    spec.width = width;
    spec.height = height;
    spec.bitCount = bitCount;
    spec.pixel = [](int row, int col) {
        return static_cast<std::uint32_t>((col * 9 + 5) % 256 << 16 | (row * 11 + 3) % 256 << 8 | 180);
    };
    return spec;
}

} // namespace

class TestMainWindowLoad : public QObject {
    Q_OBJECT
  private slots:
    void hostSetters();
    void hostSettersUnderGuard();
    void wholeLoad();
    void cmdBrowseLoadsAndDraws24BitBase();
    void cancelledBaseLeavesCalculatorWorking();
    void refusedBaseFile_data();
    void refusedBaseFile();
    void tileQuestionLeftAloneGenerates();
    void detailToggleAfterLoad_data();
    void detailToggleAfterLoad();
};

void TestMainWindowLoad::hostSetters() {
    WindowFixture f;
    LoadHost& host = f.window->loadHost();
    QCOMPARE(&host.core(), &f.window->coreState());
    QCOMPARE(&host.guard(), &f.window->document().guard());

    host.setSizeText(SizeBox::Width, QStringLiteral("5000"));
    QCOMPARE(f.get<QLineEdit>("txtWidth")->text(), QStringLiteral("1024")); // the box's own rule ran
    host.setSizeText(SizeBox::Width, QStringLiteral("32"));
    host.setSizeText(SizeBox::Height, QStringLiteral("16"));
    host.selectBaseFormat(Format::Bits16);
    QVERIFY(f.get<QRadioButton>("ChkBitDepth(4)")->isChecked());
    CoreState copy = f.window->coreState();
    QCOMPARE(f.shownTotal(), CalcTMEM(f.window->currentSettings(), copy).count.totalBytes);

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
    LoadHost& host = f.window->loadHost();
    host.guard().set(true);
    QVERIFY(host.guard().held());
    host.setSizeText(SizeBox::Width, QStringLiteral("32"));
    host.selectBaseFormat(Format::Bits8);
    host.setDetailEnabled(false); // no question while the guard is set
    QVERIFY(f.dialogs.messages.isEmpty());
    QCOMPARE(f.shownTotal(), 2936L); // nothing counted meanwhile
    QVERIFY(host.guard().held());
    host.guard().set(false);
    host.recalculate();
    CoreState copy = f.window->coreState();
    QCOMPARE(f.shownTotal(), CalcTMEM(f.window->currentSettings(), copy).count.totalBytes);
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
    f.window->setBrowseHandler([&] { LoadSettingsFromBmp(f.window->loadHost(), f.dialogs); });
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
    QCOMPARE(f.shownTotal(), CalcTMEM(f.window->currentSettings(), copy).count.totalBytes);
    QVERIFY(!f.drawn.empty());
}

void TestMainWindowLoad::cmdBrowseLoadsAndDraws24BitBase() {
    QTemporaryDir dir;
    const QString path = WriteTestBmp(dir, "base24.bmp", Colourful(64, 32));
    QVERIFY(!path.isEmpty());
    RealWindow f;
    const int completed = f.driver()->passesCompleted();
    // Confirm, no detail map, the base, the 24-bit note, generated tiles.
    f.dialogs.messageAnswers = {MsgResult::Ok, MsgResult::No, MsgResult::Ok, MsgResult::Yes};
    f.dialogs.fileAnswers = {path};
    f.get<QPushButton>("cmdBrowse")->click();

    QCOMPARE(f.get<QLineEdit>("txtWidth")->text(), QStringLiteral("64"));
    QCOMPARE(f.get<QLineEdit>("txtHeight")->text(), QStringLiteral("32"));
    QVERIFY(f.get<QRadioButton>("ChkBitDepth(5)")->isChecked());
    QCOMPARE(f.dialogs.messages.size(), 4);
    QCOMPARE(f.dialogs.messages[2].prompt,
             QStringLiteral("24 bit loaded, could this be a greyscale image? Select correct setting."));
    QCOMPARE(f.dialogs.messages[2].style, MsgStyle::Ok);
    QVERIFY(!f.window->isRecalculating());
    QVERIFY(f.countsLikeTheCore());

    // One finished pass of the base (level 1, the detail map being on):
    // 3 x 64 x 2 by 3 x 32 x 2 pixels, shrunk to the viewport's width.
    QCOMPARE(f.driver()->passesCompleted(), completed + 1);
    QCOMPARE(f.driver()->lastPlan().tileIndex, 1);
    QCOMPARE(f.surface()->surfaceSize(), QSize(360, 192));
    const TileLevel& base = f.tiles()[1];
    for (const QPoint texel : {QPoint(0, 0), QPoint(63, 31), QPoint(17, 5), QPoint(40, 30)}) {
        QCOMPARE(f.shown(2 * texel.x(), 2 * texel.y()), Texel(base, texel.y(), texel.x()));
        QCOMPARE(f.shown(2 * texel.x() + 1, 2 * texel.y() + 1 + 64), Texel(base, texel.y(), texel.x()));
    }
}

void TestMainWindowLoad::cancelledBaseLeavesCalculatorWorking() {
    RealWindow f;
    f.dialogs.messageAnswers = {MsgResult::Ok, MsgResult::No};
    f.get<QPushButton>("cmdBrowse")->click(); // no file for the base
    QCOMPARE(f.dialogs.fileRequests.size(), 1);
    QVERIFY(!f.window->isRecalculating());
    QVERIFY(!f.window->coreState().bitmapLoaded);
    QVERIFY(f.surface()->isClear());

    // A later change recounts at once; a slider move draws nothing.
    f.get<QLineEdit>("txtWidth")->setText(QStringLiteral("32"));
    QVERIFY(f.countsLikeTheCore());
    QVERIFY(f.shownTotal() < 2936L); // half the width of the start-up texture
    const int started = f.driver()->passesStarted();
    f.get<QScrollBar>("sliderTile")->setValue(10);
    QCOMPARE(f.driver()->passesStarted(), started);
    QVERIFY(f.surface()->isClear());
}

void TestMainWindowLoad::refusedBaseFile_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason");
    auto bytes = [](const std::vector<std::uint8_t>& v) {
        return QByteArray(reinterpret_cast<const char*>(v.data()), static_cast<qsizetype>(v.size()));
    };
    testbmp::BmpSpec odd = Colourful(8, 8);
    odd.headerSize = 77;
    QTest::newRow("unknown header size")
        << bytes(testbmp::BuildBmp(odd)) << QString::fromLatin1(kUnknownBmpType);
    std::vector<std::uint8_t> zeroWide = testbmp::BuildBmp(Colourful(8, 8));
    testbmp::Patch32(zeroWide, 18, 0);
    QTest::newRow("zero width") << bytes(zeroWide) << QStringLiteral("Invalid bmp size");
    std::vector<std::uint8_t> huge = testbmp::BuildBmp(Colourful(8, 8));
    testbmp::Patch32(huge, 18, 0x7FFFFFFF);
    QTest::newRow("absurd width") << bytes(huge) << QStringLiteral("Bmp too large");
    std::vector<std::uint8_t> tall = testbmp::BuildBmp(Colourful(8, 8));
    testbmp::Patch32(tall, 22, 4000);
    testbmp::Patch32(tall, 18, 4000);
    QTest::newRow("rows far beyond the file") << bytes(tall) << QStringLiteral("Bmp too large for its file");
    std::vector<std::uint8_t> manyPixels = tall;
    testbmp::Patch32(manyPixels, 18, 16000);
    QTest::newRow("more pixels than any picture may have")
        << bytes(manyPixels) << QStringLiteral("Bmp too large: at most 16777216 pixels");
    QTest::newRow("empty file") << QByteArray() << QString::fromLatin1(kUnknownBmpType);
}

void TestMainWindowLoad::refusedBaseFile() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("hostile.bmp"));
    QVERIFY(testbmp::WriteBytes(path.toStdString(), std::vector<std::uint8_t>(bytes.begin(), bytes.end())));

    RealWindow f;
    f.dialogs.messageAnswers = {MsgResult::Ok, MsgResult::No, MsgResult::Ok};
    f.dialogs.fileAnswers = {path};
    f.get<QPushButton>("cmdBrowse")->click();

    // Refused with the reader's reason, and the load ends there.
    QCOMPARE(f.dialogs.messages.size(), 3);
    QVERIFY2(f.dialogs.messages[2].prompt.startsWith(reason), qPrintable(f.dialogs.messages[2].prompt));
    QVERIFY(!f.window->isRecalculating());
    QVERIFY(!f.window->coreState().bitmapLoaded);
    QVERIFY(f.surface()->isClear());
    QVERIFY(f.get<QLineEdit>("txtWidth")->isEnabled());
    QCOMPARE(f.tiles()[1].Pixels.rows(), 1);

    f.get<QLineEdit>("txtHeight")->setText(QStringLiteral("16"));
    QVERIFY(f.countsLikeTheCore());
    QVERIFY(f.shownTotal() != 2936L);
}

void TestMainWindowLoad::tileQuestionLeftAloneGenerates() {
    QTemporaryDir dir;
    const QString path = WriteTestBmp(dir, "base16.bmp", Colourful(32, 32, 16));
    QVERIFY(!path.isEmpty());
    RealWindow f;
    // First a load that declines generation and loads no tile file ...
    f.dialogs.messageAnswers = {MsgResult::Ok, MsgResult::No, MsgResult::No, MsgResult::Ok};
    f.dialogs.fileAnswers = {path};
    f.get<QPushButton>("cmdBrowse")->click();
    QVERIFY(f.window->coreState().noAutoTiles);
    QCOMPARE(f.tiles()[2].Pixels.rows(), 1);
    // The levels are the user's to give: the generator's filter leaves them alone.
    auto* use2x2 = f.get<QCheckBox>("chkUse2x2");
    use2x2->click();
    QCOMPARE(f.tiles()[2].Pixels.rows(), 1);
    use2x2->click();

    // ... then one where the question is left to time out. The box answers
    // with its default button, Yes, after its 4 seconds.
    f.dialogs.messages.clear();
    f.dialogs.messageAnswers = {MsgResult::Ok, MsgResult::No};
    f.dialogs.defaultMessageAnswer = MsgResult::Yes;
    f.dialogs.fileAnswers = {path};
    f.get<QPushButton>("cmdBrowse")->click();
    QCOMPARE(f.dialogs.messages.size(), 3);
    const ScriptedDialogs::Message& question = f.dialogs.messages[2];
    QCOMPARE(question.prompt, QStringLiteral("Do you want to Auto Generate Mip-Map Tiles? (Default)"));
    QCOMPARE(question.title, QStringLiteral("Tile Generation"));
    QCOMPARE(question.timeout, 4);
    QCOMPARE(question.style, MsgStyle::YesNo | MsgStyle::Question);
    QVERIFY(!f.window->coreState().noAutoTiles);

    // The levels below the base are the generator's, from the base loaded.
    TileTable expected = f.tiles();
    GeneratebmpMipMap(expected, f.window->lastResult().count.maxIndex, 1, MipFilter::Weighted3x3);
    QVERIFY(f.window->lastResult().count.maxIndex >= 3);
    for (int level = 2; level <= f.window->lastResult().count.maxIndex; ++level) {
        const auto i = static_cast<std::size_t>(level);
        QVERIFY(f.tiles()[i].Pixels.rows() > 1);
        QCOMPARE(f.tiles()[i].Pixels.rgba(), expected[i].Pixels.rgba());
    }
}

void TestMainWindowLoad::detailToggleAfterLoad_data() {
    QTest::addColumn<int>("answer");
    QTest::newRow("Yes resets the pictures") << MsgResult::Yes;
    QTest::newRow("No undoes the toggle") << MsgResult::No;
}

void TestMainWindowLoad::detailToggleAfterLoad() {
    QFETCH(int, answer);
    QTemporaryDir dir;
    const QString path = WriteTestBmp(dir, "base.bmp", Colourful(32, 32, 32));
    QVERIFY(!path.isEmpty());
    RealWindow f;
    f.dialogs.messageAnswers = {MsgResult::Ok, MsgResult::No, MsgResult::Yes};
    f.dialogs.fileAnswers = {path};
    f.get<QPushButton>("cmdBrowse")->click();
    QVERIFY(f.window->coreState().bitmapLoaded);
    const TileTable before = f.tiles();
    const long total = f.shownTotal();
    const QImage picture = f.surface()->image();
    const int started = f.driver()->passesStarted();
    auto* detail = f.get<QCheckBox>("chkDetailEnabled");
    auto* tile = f.get<QScrollBar>("sliderTile");
    auto* zoom = f.get<QScrollBar>("sliderZoom");
    auto* width = f.get<QLineEdit>("txtWidth");
    QVERIFY(detail->isChecked());

    f.dialogs.messages.clear();
    f.dialogs.messageAnswers = {answer};
    detail->click();
    QCOMPARE(f.dialogs.messages.size(), 1);
    QCOMPARE(f.dialogs.messages[0].title, QStringLiteral("Warning!"));
    QVERIFY(!f.window->isRecalculating());
    if (answer == MsgResult::Yes) {
        QVERIFY(!detail->isChecked());
        QVERIFY(!f.window->coreState().bitmapLoaded);
        for (const TileLevel& level : f.tiles()) {
            QCOMPARE(level.Pixels.rows(), 1);
            QCOMPARE(level.Pixels.cols(), 1);
        }
        QVERIFY(!tile->isEnabled());
        QVERIFY(!zoom->isEnabled());
        QVERIFY(width->isEnabled());
        QVERIFY(f.surface()->isClear());
        QVERIFY(f.countsLikeTheCore());
    } else {
        QVERIFY(detail->isChecked());
        QVERIFY(f.window->coreState().bitmapLoaded);
        for (std::size_t i = 0; i < before.size(); ++i) {
            QCOMPARE(f.tiles()[i].Width, before[i].Width);
            QCOMPARE(f.tiles()[i].Pixels.rgba(), before[i].Pixels.rgba());
        }
        QVERIFY(tile->isEnabled());
        QVERIFY(zoom->isEnabled());
        QVERIFY(!width->isEnabled());
        QCOMPARE(f.shownTotal(), total);
        QCOMPARE(f.surface()->image(), picture);
        QCOMPARE(f.driver()->passesStarted(), started);
    }
}

QTEST_MAIN(TestMainWindowLoad)
#include "tst_mainwindow_load.moc"
