// SPDX-License-Identifier: MIT
#include "bmpbuilder.h"
#include "scripteddialogs.h"

#include "bitmap/mipmap.h"
#include "document/messages.h"
#include "ui/form.h"
#include "ui/inputrules.h"
#include "ui/loadsequence.h"

#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

#include <algorithm>
#include <map>
#include <optional>
#include <vector>

using namespace vellora;
using testbmp::BmpSpec;

namespace {

constexpr int Ok = MsgResult::Ok, Cancel = MsgResult::Cancel, Yes = MsgResult::Yes, No = MsgResult::No;

const QString kConfirm =
    "This will reset ALL current properties to newly calculated properties based on a selected Bitmap.";
const QString kDetailQ = "Do you want to load a DetailMap?";
const QString kGrey = "24 bit loaded, could this be a greyscale image? Select correct setting.";
const QString kTilesQ = "Do you want to Auto Generate Mip-Map Tiles? (Default)";
const QString kDetailTitle = "Open Bitmap as \"Detail Tile\" ";
const QString kBaseTitle = "Open Bitmap as \"Base Tile\" ";

// The main window as the load sees it: settings held as the boxes hold them,
// the real count run on every recalculation that the guard lets through, and
// the detail-map toggle as the window runs it.
class FakeHost : public LoadHost {
  public:
    Settings settings;
    CoreState state;
    ScriptedDialogs scripted;
    QWidget window;
    RecalcGuard recalcGuard;

    std::map<SizeBox, bool> sizeEnabled{{SizeBox::Width, true},
                                        {SizeBox::Height, true},
                                        {SizeBox::DetailWidth, false},
                                        {SizeBox::DetailHeight, false}};
    bool previewTab = true, sliderTileOn = true, sliderZoomOn = true, previewCleared = false;
    int sliderTile = 0;
    int calcs = 0;         // recalculations that really ran
    int absorbedCalcs = 0; // recalculations the guard swallowed
    int pendingDraws = 0;  // preview requests that arrived while the guard was set
    std::vector<float> draws;
    std::vector<bool> generatedWithNoAutoTiles; // regeneration requests seen by the count
    std::optional<CountResult> last;

    // Start-up: demonstration pictures loaded, detail map on.
    FakeHost() {
        state.tiles[0].Pixels = PixelGrid(16, 16);
        state.tiles[1].Pixels = PixelGrid(64, 64);
        for (auto& byte : state.tiles[1].Pixels.bytes())
            byte = 255;
        state.bitmapLoaded = true;
        recalculate();
        calcs = 0;
        generatedWithNoAutoTiles.clear();
    }

    CoreState& core() override { return state; }
    RecalcGuard& guard() override { return recalcGuard; }
    QWidget* dialogOwner() override { return &window; }

    void setSizeText(SizeBox box, const QString& text) override {
        static const std::map<SizeBox, DimensionRule> rules{{SizeBox::Width, kWidthRule},
                                                            {SizeBox::Height, kHeightRule},
                                                            {SizeBox::DetailWidth, kDetailWidthRule},
                                                            {SizeBox::DetailHeight, kDetailHeightRule}};
        std::string& field = textOf(box);
        field = text.toStdString();
        if (auto fixed = ApplyDimensionRule(field, rules.at(box))) {
            field = *fixed;
            recalculate(); // the rewrite raises Change once more
        }
        if (!field.empty())
            recalculate();
    }
    void setSizeEnabled(SizeBox box, bool enabled) override { sizeEnabled[box] = enabled; }
    void selectBaseFormat(Format format) override {
        settings.baseFormat = format;
        recalculate();
    }
    void selectDetailFormat(Format format) override {
        settings.detailFormat = format;
        recalculate();
    }
    bool detailEnabled() const override { return settings.detailEnabled; }
    void setDetailEnabled(bool on) override {
        if (settings.detailEnabled == on)
            return; // no change, no Click
        settings.detailEnabled = on;
        bool undo = false;
        if (state.bitmapLoaded && !recalcGuard.held()) {
            if (scripted.messageBox(QString::fromStdString(kDetailToggleQuestion), 36, kWarningTitle, 0) ==
                Yes) {
                state.bitmapLoaded = false;
                ResetPictures(state.tiles);
                sliderTileOn = sliderZoomOn = false;
                sizeEnabled[SizeBox::Width] = sizeEnabled[SizeBox::Height] = true;
                previewCleared = true;
            } else {
                undo = true;
            }
        }
        if (!undo && !recalcGuard.held()) {
            recalculate();
            sizeEnabled[SizeBox::DetailWidth] = sizeEnabled[SizeBox::DetailHeight] = on;
            return;
        }
        recalcGuard.set(true);
        if (undo)
            settings.detailEnabled = !on;
        recalcGuard.set(false); // the toggle leaves the guard clear, also when it found it set
    }
    void setPreviewTabEnabled(bool enabled) override { previewTab = enabled; }
    void setSliderTileEnabled(bool enabled) override { sliderTileOn = enabled; }
    void setSliderTileValue(int value) override {
        sliderTile = value;
        drawPreview(static_cast<float>(value) / 10.0f);
    }
    void setSliderZoomEnabled(bool enabled) override { sliderZoomOn = enabled; }
    void recalculate() override {
        if (recalcGuard.held()) {
            ++absorbedCalcs;
            return;
        }
        recalcGuard.set(true);
        CalcHooks hooks;
        hooks.regenerate = [this](TileTable& tiles, int lastLevel, int detailFlag) {
            generatedWithNoAutoTiles.push_back(state.noAutoTiles);
            GeneratebmpMipMap(tiles, lastLevel, detailFlag, MipFilter::Weighted3x3);
        };
        last = CalcTMEM(settings, state, false, hooks);
        ++calcs;
        recalcGuard.set(false);
    }
    void drawPreview(float tilePos) override {
        if (recalcGuard.held()) {
            ++pendingDraws;
            return;
        }
        draws.push_back(tilePos);
    }
    void clearPreview() override { previewCleared = true; }

    std::string& textOf(SizeBox box) {
        switch (box) {
        case SizeBox::Width:
            return settings.width;
        case SizeBox::Height:
            return settings.height;
        case SizeBox::DetailWidth:
            return settings.detailWidth;
        case SizeBox::DetailHeight:
            return settings.detailHeight;
        }
        return settings.width;
    }
    QStringList messageTexts() const {
        QStringList texts;
        for (const auto& m : scripted.messages)
            texts << m.prompt;
        return texts;
    }
    QStringList fileTitles() const {
        QStringList titles;
        for (const auto& r : scripted.fileRequests)
            titles << r.title;
        return titles;
    }
};

std::uint32_t TestColour(int row, int col) {
    return static_cast<std::uint32_t>(((row & 255) << 16) | ((col & 255) << 8) | 0x40);
}

// A true-colour picture; 32 bits so that no greyscale question comes in between.
BmpSpec Picture(int width, int height, int bitCount = 32) {
    BmpSpec s;
    s.width = width;
    s.height = height;
    s.bitCount = bitCount;
    s.pixel = TestColour;
    return s;
}

// Red channel of a grid pixel, or -1 outside the grid.
int RedAt(const TileLevel& t, int row, int col) {
    if (row >= t.Pixels.rows() || col >= t.Pixels.cols())
        return -1;
    return t.Pixels.at(row, col)[0];
}

bool IsReset(const TileLevel& t) {
    return t.Pixels.rows() == 1 && t.Pixels.cols() == 1 && t.Pixels.at(0, 0)[0] == 0 &&
           t.Pixels.at(0, 0)[1] == 0;
}

} // namespace

class TestLoadSequence : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    QString write(const QString& name, const BmpSpec& spec) {
        const QString path = dir_.filePath(name);
        if (!testbmp::WriteBmp(path.toStdString(), spec))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
    QString writeBytes(const QString& name, const std::vector<std::uint8_t>& bytes) {
        const QString path = dir_.filePath(name);
        if (!testbmp::WriteBytes(path.toStdString(), bytes))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    // The load ended with the guard clear and the calculator live again.
    static void checkCalculatorWorks(FakeHost& host) {
        QVERIFY(!host.recalcGuard.held());
        const int before = host.calcs;
        host.setSizeText(SizeBox::Height, "8");
        QCOMPARE(host.calcs, before + 1);
        QCOMPARE(host.state.tiles[host.detailEnabled() ? 1 : 0].Height, 8);
    }

  private slots:
    void initTestCase() { QVERIFY(dir_.isValid()); }

    void declinedConfirmationChangesNothing_data() {
        QTest::addColumn<int>("answer");
        QTest::newRow("Cancel") << Cancel;
        QTest::newRow("box could not show") << 0;
    }
    void declinedConfirmationChangesNothing() {
        QFETCH(int, answer);
        FakeHost host;
        const TileTable before = host.state.tiles;
        const Settings settingsBefore = host.settings;
        host.scripted.messageAnswers = {answer};
        host.scripted.fileAnswers = {write("never.bmp", Picture(8, 8))};

        QCOMPARE(LoadSettingsFromBmp(host, host.scripted), LoadOutcome::Declined);

        QCOMPARE(host.scripted.messages.size(), 1);
        const auto& m = host.scripted.messages[0];
        QCOMPARE(m.prompt, kConfirm);
        QCOMPARE(m.style, 1);
        QCOMPARE(m.title, QString("Warning!"));
        QCOMPARE(m.timeout, 0);
        QVERIFY(host.scripted.fileRequests.isEmpty());
        for (int i = 0; i < kLevelCount; ++i) {
            QCOMPARE(host.state.tiles[i].Width, before[i].Width);
            QVERIFY(host.state.tiles[i].Pixels.rgba() == before[i].Pixels.rgba());
        }
        QCOMPARE(host.settings.width, settingsBefore.width);
        QVERIFY(host.state.bitmapLoaded);
        QVERIFY(!host.recalcGuard.held());
        QCOMPARE(host.calcs, 0);
        QVERIFY(host.draws.empty());
    }

    void detailMapYesLoadsDetailAndMovesBase() {
        FakeHost host;
        host.settings.detailEnabled = false; // the toggle must turn it on without asking
        BmpSpec detail = Picture(16, 16);
        detail.pixel = [](int, int) { return 0xC81E0Au; };
        host.scripted.messageAnswers = {Ok, Yes, Yes};
        host.scripted.fileAnswers = {write("detail16.bmp", detail), write("base64.bmp", Picture(64, 64))};

        QCOMPARE(LoadSettingsFromBmp(host, host.scripted), LoadOutcome::Loaded);

        QCOMPARE(host.fileTitles(), QStringList({kDetailTitle, kBaseTitle}));
        for (const auto& r : host.scripted.fileRequests) {
            QVERIFY(r.filters.join(' ').contains("*.bmp"));
            QCOMPARE(r.owner, &host.window);
        }
        const auto& dq = host.scripted.messages[1];
        QCOMPARE(dq.prompt, kDetailQ);
        QCOMPARE(dq.style, 36);
        QCOMPARE(dq.title, QString(kAppTitle));
        QVERIFY(!host.messageTexts().join('\n').contains("re-set the preview")); // toggle asked nothing
        QVERIFY(host.settings.detailEnabled);

        const TileLevel& d = host.state.tiles[0];
        QCOMPARE(d.Pixels.rows(), 16);
        QCOMPARE(d.Pixels.cols(), 16);
        QCOMPARE(RedAt(d, 15, 15), 0xC8);
        QCOMPARE(host.settings.detailWidth, std::string("16"));
        QCOMPARE(host.settings.detailHeight, std::string("16"));
        QVERIFY(!host.sizeEnabled[SizeBox::DetailWidth]);
        QVERIFY(!host.sizeEnabled[SizeBox::DetailHeight]);

        const TileLevel& b = host.state.tiles[1];
        QCOMPARE(b.Pixels.rows(), 64);
        QCOMPARE(RedAt(b, 63, 0), 63); // the base, not the detail map
        QCOMPARE(host.sliderTile, 10);
        // Control changes during the load only queued work; one count and
        // one drawing ran at the end.
        QCOMPARE(host.pendingDraws, 1);
        QVERIFY(host.absorbedCalcs >= 4);
        QCOMPARE(host.draws, std::vector<float>({1.0f}));
        QCOMPARE(host.calcs, 1);
        QVERIFY(host.last && host.last->count.totalBytes > 0);
        QVERIFY(!host.recalcGuard.held());
    }

    // A detail map whose name states its kind selects its format option,
    // as a base's name does; a plain name leaves the option alone.
    void detailKindFromNameSelectsItsFormat_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("format");
        QTest::newRow("rock.ia8") << QString("rock.ia8.bmp") << static_cast<int>(Format::Bits8);
        QTest::newRow("rock.rgba16") << QString("rock.rgba16.bmp") << static_cast<int>(Format::Bits16);
        QTest::newRow("plain name") << QString("rock.bmp") << static_cast<int>(Format::Bits32);
    }
    void detailKindFromNameSelectsItsFormat() {
        QFETCH(QString, name);
        QFETCH(int, format);
        FakeHost host;
        host.settings.detailFormat = Format::Bits32;
        host.scripted.messageAnswers = {Ok, Yes, Yes};
        host.scripted.fileAnswers = {write(name, Picture(16, 16)), write("base64.bmp", Picture(64, 64))};
        QCOMPARE(LoadSettingsFromBmp(host, host.scripted), LoadOutcome::Loaded);
        QCOMPARE(static_cast<int>(host.settings.detailFormat.value_or(Format::Bits4)), format);
        QCOMPARE(host.calcs, 1); // the option's Click ran under the load's guard
    }

    void detailMapNoKeepsEnabledDetail() {
        FakeHost host; // detail map on since start-up
        host.scripted.messageAnswers = {Ok, No, Yes};
        host.scripted.fileAnswers = {write("base32.bmp", Picture(32, 32))};

        QCOMPARE(LoadSettingsFromBmp(host, host.scripted), LoadOutcome::Loaded);

        QCOMPARE(host.fileTitles(), QStringList({kBaseTitle}));
        QCOMPARE(host.state.tiles[1].Pixels.rows(), 32);
        QCOMPARE(RedAt(host.state.tiles[1], 31, 0), 31);
        QVERIFY(IsReset(host.state.tiles[0]));   // the start-up detail picture is gone
        QCOMPARE(host.state.tiles[0].Width, 16); // but its size still comes from the boxes
        QCOMPARE(host.settings.width, std::string("32"));
        QVERIFY(host.sizeEnabled[SizeBox::Width] == false);
        QCOMPARE(host.draws, std::vector<float>({1.0f}));
    }

    void baseFormatFromBitCount_data() {
        QTest::addColumn<int>("bitCount");
        QTest::addColumn<int>("format");
        QTest::addColumn<bool>("greyMessage");
        QTest::newRow("4-bit palette -> CI 4") << 4 << 0 << false;
        QTest::newRow("8-bit grey palette -> CI 8") << 8 << 2 << false;
        QTest::newRow("16-bit -> 16") << 16 << 4 << false;
        QTest::newRow("24-bit -> 32 with message") << 24 << 5 << true;
        QTest::newRow("32-bit -> 32") << 32 << 5 << false;
        QTest::newRow("1-bit keeps the format") << 1 << 3 << false;
    }
    void baseFormatFromBitCount() {
        QFETCH(int, bitCount);
        QFETCH(int, format);
        QFETCH(bool, greyMessage);
        FakeHost host;
        host.settings.baseFormat = FormatAt(3);
        BmpSpec s;
        s.width = 64;
        s.height = 32;
        s.bitCount = bitCount;
        if (bitCount <= 8)
            s.palette = testbmp::GreyPalette(bitCount == 4 ? 16 : 256);
        s.pixel = [bitCount](int row, int col) {
            return bitCount <= 8 ? static_cast<std::uint32_t>((row + col) % (bitCount == 4 ? 16 : 256))
                                 : TestColour(row, col);
        };
        host.scripted.messageAnswers = {Ok, No, Yes, Yes};
        host.scripted.fileAnswers = {write(QString("fmt%1.bmp").arg(bitCount), s)};

        QCOMPARE(LoadSettingsFromBmp(host, host.scripted), LoadOutcome::Loaded);

        QCOMPARE(host.settings.baseFormat, FormatAt(format));
        QCOMPARE(host.settings.width, std::string("64"));
        QCOMPARE(host.settings.height, std::string("32"));
        QCOMPARE(host.messageTexts().contains(kGrey), greyMessage);
        if (greyMessage) {
            const auto& m = host.scripted.messages[2];
            QCOMPARE(m.prompt, kGrey);
            QCOMPARE(m.style, 0);
            QCOMPARE(m.title, QString(kAppTitle));
            QCOMPARE(m.timeout, 0);
        }
        // The count ran once, on the final settings.
        QCOMPARE(host.calcs, 1);
        QCOMPARE(host.state.tiles[1].Width, 64);
        QCOMPARE(host.state.tiles[1].BitDepth, BitDepth(FormatAt(format)));
        QVERIFY(!host.sizeEnabled[SizeBox::Width]);
        QVERIFY(!host.sizeEnabled[SizeBox::Height]);
    }

    void base24BitKeepsPicture() {
        FakeHost host;
        host.settings.detailEnabled = false;
        host.scripted.messageAnswers = {Ok, No, Ok, Yes};
        host.scripted.fileAnswers = {write("b24.bmp", Picture(64, 32, 24))};
        QCOMPARE(LoadSettingsFromBmp(host, host.scripted), LoadOutcome::Loaded);
        const TileLevel& b = host.state.tiles[0];
        QCOMPARE(b.Pixels.rows(), 32);
        QCOMPARE(b.Pixels.cols(), 64);
        const std::uint8_t* px = b.Pixels.at(31, 5);
        QCOMPARE(int(px[0]), 31);
        QCOMPARE(int(px[1]), 5);
        QCOMPARE(int(px[2]), 0x40);
        QCOMPARE(host.settings.baseFormat, FormatAt(5));
        QCOMPARE(host.sliderTile, 0);
        QVERIFY(host.sliderTileOn && host.sliderZoomOn && host.previewTab);
        QCOMPARE(host.draws, std::vector<float>({0.0f}));
    }

    void tileQuestionAnswersItselfWithYes_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("generated");
        QTest::newRow("timed out: Yes") << Yes << true;
        QTest::newRow("box could not show") << 0 << true;
        QTest::newRow("No") << No << false;
    }
    void tileQuestionAnswersItselfWithYes() {
        QFETCH(int, answer);
        QFETCH(bool, generated);
        FakeHost host;
        host.scripted.messageAnswers = {Ok, No, answer};
        host.scripted.fileAnswers = {write("q.bmp", Picture(64, 64))}; // manual tiles: first dialog cancelled
        QCOMPARE(LoadSettingsFromBmp(host, host.scripted), LoadOutcome::Loaded);

        const auto& q = host.scripted.messages[2];
        QCOMPARE(q.prompt, kTilesQ);
        QCOMPARE(q.style, 36);
        QCOMPARE(q.title, QString("Tile Generation"));
        QCOMPARE(q.timeout, 4);
        QCOMPARE(host.state.noAutoTiles, !generated);
        QCOMPARE(host.generatedWithNoAutoTiles.size(), generated ? std::size_t(1) : std::size_t(0));
    }

    void manualTilesEndAtCancel_data() {
        QTest::addColumn<bool>("detailOn");
        QTest::addColumn<int>("firstTile");
        QTest::addColumn<int>("cancelAt");
        QTest::addColumn<bool>("refused"); // a broken file instead of a cancel
        QTest::newRow("detail off, cancel at 3") << false << 1 << 3 << false;
        QTest::newRow("detail on, cancel at 3") << true << 2 << 3 << false;
        QTest::newRow("detail off, broken file at 3") << false << 1 << 3 << true;
        QTest::newRow("detail off, all seven tiles") << false << 1 << 8 << false;
    }
    void manualTilesEndAtCancel() {
        QFETCH(bool, detailOn);
        QFETCH(int, firstTile);
        QFETCH(int, cancelAt);
        QFETCH(bool, refused);
        FakeHost host;
        host.settings.detailEnabled = detailOn;
        host.scripted.messageAnswers = {Ok, No, No};
        host.scripted.fileAnswers = {write("mbase.bmp", Picture(64, 64))};
        for (int tile = firstTile; tile < cancelAt; ++tile) {
            BmpSpec s = Picture(8, 8);
            s.pixel = [tile](int, int) { return static_cast<std::uint32_t>(tile * 20) << 16; };
            host.scripted.fileAnswers << write(QString("t%1.bmp").arg(tile), s);
        }
        if (refused) {
            BmpSpec broken = Picture(8, 8);
            broken.headerSize = 56;
            host.scripted.fileAnswers << write("broken.bmp", broken);
        }

        QCOMPARE(LoadSettingsFromBmp(host, host.scripted), LoadOutcome::Loaded);

        QStringList titles{kBaseTitle};
        for (int tile = firstTile; tile <= std::min(cancelAt, 7); ++tile)
            titles << QString("Open Bitmap as \"Tile %1\".").arg(tile);
        QCOMPARE(host.fileTitles(), titles);

        QStringList tail = host.messageTexts().mid(3);
        QStringList expected;
        if (refused)
            expected << "Unknown bmp type";
        if (cancelAt <= 7)
            expected << QString("Returning %1 Tiles.").arg(cancelAt);
        QCOMPARE(tail, expected);

        QVERIFY(host.state.noAutoTiles);
        QVERIFY(host.generatedWithNoAutoTiles.empty());
        for (int tile = firstTile; tile < cancelAt; ++tile)
            QCOMPARE(RedAt(host.state.tiles[tile], 0, 0), tile * 20);
        for (int tile = cancelAt; tile < kLevelCount; ++tile)
            QVERIFY2(IsReset(host.state.tiles[tile]), qPrintable(QString("tile %1").arg(tile)));
        QCOMPARE(host.calcs, 1);
        QVERIFY(!host.recalcGuard.held());
    }

    void cancelledBaseLeavesCalculatorWorking_data() {
        QTest::addColumn<bool>("withDetail");
        QTest::newRow("no detail map") << false;
        QTest::newRow("detail map loaded first") << true;
    }
    void cancelledBaseLeavesCalculatorWorking() {
        QFETCH(bool, withDetail);
        FakeHost host;
        host.scripted.messageAnswers = {Ok, withDetail ? Yes : No};
        if (withDetail)
            host.scripted.fileAnswers = {write("d8.bmp", Picture(8, 8))};

        QCOMPARE(LoadSettingsFromBmp(host, host.scripted), LoadOutcome::NoBase);

        // A cancel must not take the detail file again as the base.
        QCOMPARE(host.scripted.fileRequests.size(), withDetail ? 2 : 1);
        QVERIFY(IsReset(host.state.tiles[1]));
        QCOMPARE(host.state.tiles[0].Pixels.rows(), withDetail ? 8 : 1);
        QVERIFY(!host.state.bitmapLoaded);
        QVERIFY(host.previewCleared);
        QVERIFY(host.sizeEnabled[SizeBox::Width]);
        QCOMPARE(host.settings.width, std::string("64"));
        QCOMPARE(host.settings.detailWidth, std::string(withDetail ? "8" : "16"));
        QCOMPARE(host.calcs, 0);
        QVERIFY(host.draws.empty());
        checkCalculatorWorks(host);
    }

    void noThenYesGeneratesInSecondLoad() {
        FakeHost host;
        const QString base = write("nty.bmp", Picture(64, 64));
        host.scripted.messageAnswers = {Ok, No, No};
        host.scripted.fileAnswers = {base}; // tile 2 cancelled
        QCOMPARE(LoadSettingsFromBmp(host, host.scripted), LoadOutcome::Loaded);
        QVERIFY(host.state.noAutoTiles);
        QVERIFY(host.generatedWithNoAutoTiles.empty());
        QVERIFY(IsReset(host.state.tiles[2])); // no file for tile 2, nothing generated

        host.scripted.messageAnswers = {Ok, No, Yes};
        host.scripted.fileAnswers = {base};
        QCOMPARE(LoadSettingsFromBmp(host, host.scripted), LoadOutcome::Loaded);
        QVERIFY(!host.state.noAutoTiles);
        QCOMPARE(host.generatedWithNoAutoTiles, std::vector<bool>({false}));
        QVERIFY(host.state.tiles[2].Pixels.rows() >= 32);
        QVERIFY(host.state.tiles[2].Pixels.cols() >= 32);
    }

    void brokenBaseIsRefused_data() {
        QTest::addColumn<QByteArray>("kind");
        QTest::addColumn<QString>("message"); // exact text, or empty for any reader reason
        QTest::newRow("empty file") << QByteArray("empty") << QString("Unknown bmp type");
        QTest::newRow("cut inside the file header") << QByteArray("cut") << QString("Unknown bmp type");
        QTest::newRow("cut inside the info header") << QByteArray("cutInfo") << QString();
        QTest::newRow("header size 56") << QByteArray("size56") << QString("Unknown bmp type");
        QTest::newRow("missing file") << QByteArray("missing") << QString("No such file: %1");
        QTest::newRow("unreadable file")
            << QByteArray("unreadable") << QString("Cannot open the file (Permission denied): %1");
        QTest::newRow("huge width") << QByteArray("hugeW") << QString();
        QTest::newRow("huge height") << QByteArray("hugeH") << QString();
        QTest::newRow("16384 square, tiny file") << QByteArray("hugeBoth") << QString();
        QTest::newRow("most negative height") << QByteArray("minH") << QString();
        QTest::newRow("negative width") << QByteArray("negW") << QString();
    }
    void brokenBaseIsRefused() {
        QFETCH(QByteArray, kind);
        QFETCH(QString, message);
        std::vector<std::uint8_t> bytes = testbmp::BuildBmp(Picture(16, 16));
        if (kind == "empty")
            bytes.clear();
        else if (kind == "cut")
            bytes.resize(12);
        else if (kind == "cutInfo")
            bytes.resize(20);
        else if (kind == "size56")
            testbmp::Patch32(bytes, 14, 56);
        else if (kind == "hugeW")
            testbmp::Patch32(bytes, 18, 0x7fffffff);
        else if (kind == "hugeH")
            testbmp::Patch32(bytes, 22, 100000);
        else if (kind == "hugeBoth") {
            testbmp::Patch32(bytes, 18, 16384);
            testbmp::Patch32(bytes, 22, 16384);
        } else if (kind == "minH")
            testbmp::Patch32(bytes, 22, 0x80000000u);
        else if (kind == "negW")
            testbmp::Patch32(bytes, 18, static_cast<std::uint32_t>(-16));
        QString path = writeBytes(QString("bad_%1.bmp").arg(QString(kind)), bytes);
        if (kind == "missing")
            path = dir_.filePath("does_not_exist.bmp");
        if (kind == "unreadable") {
            QFile::setPermissions(path, QFileDevice::Permissions());
            if (QFile(path).open(QIODevice::ReadOnly))
                QSKIP("this user reads files whatever their permissions (root)");
        }

        FakeHost host;
        host.scripted.messageAnswers = {Ok, No};
        host.scripted.fileAnswers = {path};

        QCOMPARE(LoadSettingsFromBmp(host, host.scripted), LoadOutcome::NoBase);

        QCOMPARE(host.scripted.messages.size(), 3);
        const auto& m = host.scripted.messages[2];
        if (message.contains(QStringLiteral("%1"))) {
            // The file's own name, as the system gives it, with the warning icon.
            QCOMPARE(m.prompt, message.arg(QDir::toNativeSeparators(path)));
            QCOMPARE(m.style, 48);
        } else if (message.isEmpty()) {
            QVERIFY(!m.prompt.isEmpty());
            QCOMPARE(m.style, 48);
        } else {
            QCOMPARE(m.prompt, message);
            QCOMPARE(m.style, 0);
        }
        QCOMPARE(m.title, QString(kAppTitle));
        QVERIFY(!host.state.bitmapLoaded);
        QVERIFY(IsReset(host.state.tiles[1]));
        QCOMPARE(host.settings.width, std::string("64"));
        checkCalculatorWorks(host);
    }

    // Any path the system takes loads, however long, and the next dialog
    // proposes it again.
    void longPathsLoadAndAreProposedAgain() {
        const QString folder =
            QString(200, QLatin1Char('f')) + QLatin1Char('/') + QString(120, QLatin1Char('g'));
        QVERIFY(QDir(dir_.path()).mkpath(folder));
        const QString detail = write(folder + QStringLiteral("/detail.bmp"), Picture(16, 16));
        QVERIFY(detail.size() > 330);
        FakeHost host;
        host.scripted.messageAnswers = {Ok, Yes, Yes};
        host.scripted.fileAnswers = {detail, write("base64.bmp", Picture(64, 64))};
        QCOMPARE(LoadSettingsFromBmp(host, host.scripted), LoadOutcome::Loaded);
        QCOMPARE(host.state.tiles[0].Width, 16);
        QCOMPARE(host.scripted.fileRequests.size(), 2);
        QCOMPARE(host.scripted.fileRequests[1].fileName, detail);
        QCOMPARE(host.scripted.fileRequests[1].initialDir, QFileInfo(detail).absolutePath());
    }

    void brokenDetailFileIsSkipped() {
        FakeHost host;
        host.sizeEnabled[SizeBox::DetailWidth] = true;
        BmpSpec broken = Picture(8, 8);
        broken.headerSize = 56;
        host.scripted.messageAnswers = {Ok, Yes, Ok, Yes};
        host.scripted.fileAnswers = {write("dbroken.bmp", broken), write("dbase.bmp", Picture(32, 16))};

        QCOMPARE(LoadSettingsFromBmp(host, host.scripted), LoadOutcome::Loaded);

        QCOMPARE(host.messageTexts().at(2), QString("Unknown bmp type"));
        QVERIFY(IsReset(host.state.tiles[0]));
        QCOMPARE(host.settings.detailWidth, std::string("16"));
        QVERIFY(host.sizeEnabled[SizeBox::DetailWidth]); // untouched: no detail file was read
        QCOMPARE(host.state.tiles[1].Pixels.rows(), 16);
        QCOMPARE(host.settings.width, std::string("32"));
    }

    void shortRowsLoadWithBlackTop() {
        FakeHost host;
        host.settings.detailEnabled = false;
        BmpSpec s = Picture(8, 8);
        s.pixel = [](int, int) { return 0xFFFFFFu; };
        std::vector<std::uint8_t> bytes = testbmp::BuildBmp(s);
        bytes.resize(bytes.size() - 3 * 32 - 5); // last three stored rows and a bit more missing
        host.scripted.messageAnswers = {Ok, No, Yes};
        host.scripted.fileAnswers = {writeBytes("short.bmp", bytes)};

        QCOMPARE(LoadSettingsFromBmp(host, host.scripted), LoadOutcome::Loaded);
        const TileLevel& b = host.state.tiles[0];
        QCOMPARE(RedAt(b, 7, 0), 255); // stored first
        QCOMPARE(RedAt(b, 0, 0), 0);   // stored last, cut off
        QCOMPARE(host.settings.width, std::string("8"));
        QCOMPARE(host.calcs, 1);
    }

    void oversizedBaseIsClampedByTheBoxes_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("boxWidth");
        QTest::addColumn<int>("boxHeight");
        QTest::addColumn<QString>("message"); // empty: none
        QTest::newRow("Wide2000x300")
            << 2000 << 300 << 1024 << 256
            << "The picture is 2000 x 300 pixels, larger than the size boxes take (1024 x 256): it is "
               "counted as 1024 x 256.";
        QTest::newRow("Tall640x480") << 640 << 480 << 640 << 256
                                     << "The picture is 640 x 480 pixels, larger than the size boxes take "
                                        "(1024 x 256): it is counted as 640 x 256.";
        QTest::newRow("AtTheBoxes1024x256") << 1024 << 256 << 1024 << 256 << QString();
    }

    // The boxes keep their limits and the window says when that is less
    // than the picture, before the tile question.
    void oversizedBaseIsClampedByTheBoxes() {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, boxWidth);
        QFETCH(int, boxHeight);
        QFETCH(QString, message);
        FakeHost host;
        host.settings.detailEnabled = false;
        host.scripted.messageAnswers =
            message.isEmpty() ? QList<int>{Ok, No, Yes} : QList<int>{Ok, No, Ok, Yes};
        host.scripted.fileAnswers = {write("big.bmp", Picture(width, height))};
        QCOMPARE(LoadSettingsFromBmp(host, host.scripted), LoadOutcome::Loaded);
        QCOMPARE(host.settings.width, std::to_string(boxWidth));
        QCOMPARE(host.settings.height, std::to_string(boxHeight));
        QCOMPARE(host.state.tiles[0].Width, boxWidth);
        QCOMPARE(host.state.tiles[0].Height, boxHeight);
        const QStringList texts = host.messageTexts();
        QCOMPARE(texts.size(), message.isEmpty() ? 3 : 4);
        if (!message.isEmpty()) {
            QCOMPARE(texts.at(2), message);
            QCOMPARE(texts.at(3), kTilesQ);
        }
        QCOMPARE(host.calcs, 1);
        QVERIFY(!host.recalcGuard.held());
    }
};

QTEST_MAIN(TestLoadSequence)
#include "tst_loadsequence.moc"
