// SPDX-License-Identifier: MIT
// Opening a picture in one step, the recent files, reloading what is saved
// again, and the window's keys.
#include "mainwindowfixture.h"

#include "bmpbuilder.h"
#include "testdata.h"
#include "ui/inputrules.h"
#include "ui/pictureopener.h"
#include "ui/texturedocument.h"
#include "ui/tilesetuppage.h"
#include "ui/windowkeys.h"

#include <QAbstractSlider>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSettings>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <QtTest>

namespace vellora {

namespace {

QString WriteBmp(const QString& path, int width, int height, int shade = 0) {
    testbmp::BmpSpec spec;
    spec.width = width;
    spec.height = height;
    spec.bitCount = 24;
    spec.pixel = [shade](int row, int col) {
        return static_cast<std::uint32_t>(((col * 9 + shade) % 256) << 16 | ((row * 11) % 256) << 8 | 180);
    };
    return testbmp::WriteBmp(path.toStdString(), spec) ? path : QString();
}

QString CopyPng(const QTemporaryDir& dir, const char* file, const char* as) {
    const QString target = dir.filePath(QString::fromLatin1(as));
    return QFile::copy(QStringLiteral(VELLORA_TEST_DATA_DIR "/pngsuite/") + QString::fromLatin1(file), target)
               ? target
               : QString();
}

// Replaces a file the way many editors save: a new file renamed over it.
bool ReplaceByRename(const QString& path, int width, int height) {
    const QString fresh = path + QStringLiteral(".new");
    return !WriteBmp(fresh, width, height, 77).isEmpty() &&
           std::rename(QFile::encodeName(fresh).constData(), QFile::encodeName(path).constData()) == 0;
}

// What the window shows is the form's count of what it holds.
bool CountsLikeTheForm(WindowFixture& f) {
    CoreState copy = f.window->coreState();
    return f.shownTotal() == CalcTMEM(f.window->currentSettings(), copy).count.totalBytes;
}

} // namespace

class TestOpener : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() { QSettings().clear(); }
    void openAsksNothingAndNamesTheFile();
    void unusableFileChangesNothing();
    void recentFilesAreKeptBetweenRuns();
    void savedAgainIsReloaded_data();
    void savedAgainIsReloaded();
    void brokenSaveKeepsTheLastGoodPicture();
    void guidedLoadClosesTheOpenFile();
    void keys_data();
    void keys();
    void copyKeyCopiesTheDisplayList();
    void everyControlExplainsItself();
    void wheelOverThePreviewZooms();
};

void TestOpener::openAsksNothingAndNamesTheFile() {
    QTemporaryDir dir;
    const QString path = CopyPng(dir, "basn0g08.png", "brick.i8.png");
    QVERIFY(!path.isEmpty());
    WindowFixture f;
    QVERIFY(f.window->opener().open(path));
    QVERIFY(f.dialogs.messages.isEmpty());
    QVERIFY(f.dialogs.fileRequests.isEmpty());
    QCOMPARE(f.get<QLineEdit>(QStringLiteral("txtWidth"))->text(), QStringLiteral("32"));
    QVERIFY(f.get<QRadioButton>(QStringLiteral("ChkBitDepth(3)"))->isChecked());
    QCOMPARE(f.window->windowTitle(), QStringLiteral("brick.i8.png \u2014 Vellora"));
    QCOMPARE(f.get<QLabel>(QStringLiteral("lblStatus"))->text(), QStringLiteral("Opened brick.i8.png."));
    QVERIFY(f.window->coreState().bitmapLoaded);
    // The start-up detail map stays as it was: the base is record 1.
    QCOMPARE(f.window->coreState().tiles[1].Width, 32);
    QVERIFY(f.window->coreState().tiles[0].Pixels.rows() > 1);
    QVERIFY(CountsLikeTheForm(f));
}

void TestOpener::unusableFileChangesNothing() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("broken.png"));
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not a picture at all");
    }
    WindowFixture f;
    const long total = f.shownTotal();
    const CoreState before = f.window->coreState();
    QVERIFY(!f.window->opener().open(path));
    QCOMPARE(f.dialogs.messages.size(), 1);
    QVERIFY2(f.dialogs.messages[0].prompt.contains(QStringLiteral("broken.png")),
             qPrintable(f.dialogs.messages[0].prompt));
    QCOMPARE(f.shownTotal(), total);
    QCOMPARE(f.window->coreState().tiles[1].Pixels.rgba(), before.tiles[1].Pixels.rgba());
    QCOMPARE(f.window->windowTitle(), QStringLiteral("Vellora"));
    QVERIFY(f.window->opener().recentFiles().isEmpty());
}

void TestOpener::recentFilesAreKeptBetweenRuns() {
    QTemporaryDir dir;
    QStringList opened;
    {
        WindowFixture f;
        for (int i = 0; i < PictureOpener::kRecentCount + 2; ++i) {
            const QString path = WriteBmp(dir.filePath(QStringLiteral("p%1.bmp").arg(i)), 8 + i, 8);
            QVERIFY(f.window->opener().open(path));
            opened.prepend(QFileInfo(path).absoluteFilePath());
        }
        // Opening one again brings it to the top without a second entry.
        QVERIFY(f.window->opener().open(opened[3]));
        opened.move(3, 0);
    }
    WindowFixture again;
    const QStringList recent = again.window->opener().recentFiles();
    QCOMPARE(recent, opened.mid(0, PictureOpener::kRecentCount));
    QMenu* menu = again.window->opener().recentMenu();
    QCOMPARE(menu->actions().size(), PictureOpener::kRecentCount);
    QCOMPARE(menu->actions()[0]->text(), QFileInfo(recent[0]).fileName());
    // The calculator still starts in its start state; a recent file opens from the menu.
    QCOMPARE(again.shownTotal(), 2936L);
    menu->actions()[1]->trigger();
    QCOMPARE(again.window->opener().openFile(), recent[1]);
    QCOMPARE(again.window->opener().recentFiles().first(), recent[1]);
}

void TestOpener::savedAgainIsReloaded_data() {
    QTest::addColumn<bool>("byRename");
    QTest::newRow("written in place") << false;
    QTest::newRow("replaced by a new file") << true;
}

void TestOpener::savedAgainIsReloaded() {
    QFETCH(bool, byRename);
    QTemporaryDir dir;
    const QString path = WriteBmp(dir.filePath(QStringLiteral("paint.bmp")), 32, 32);
    QVERIFY(!path.isEmpty());
    WindowFixture f;
    QVERIFY(f.window->opener().open(path));
    auto* width = f.get<QLineEdit>(QStringLiteral("txtWidth"));
    QCOMPARE(width->text(), QStringLiteral("32"));
    for (int size : {64, 16}) {
        // A save a second later, as a painter does (file times may be coarse).
        QTest::qWait(1100);
        QVERIFY(byRename ? ReplaceByRename(path, size, size) : !WriteBmp(path, size, size).isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(width->text(), QString::number(size), 3000);
        QVERIFY(f.get<QLabel>(QStringLiteral("lblStatus"))
                    ->text()
                    .startsWith(QStringLiteral("Reloaded paint.bmp")));
        QVERIFY(CountsLikeTheForm(f));
        // The reloaded texture's plan is run on the RDP model again.
        const doc::Analysis& analysis = f.window->document().analysis();
        QCOMPARE(analysis.verified(), analysis.layout->fits);
        if (size == 16)
            QVERIFY(analysis.verified());
    }
    QVERIFY(f.dialogs.messages.isEmpty());
}

void TestOpener::brokenSaveKeepsTheLastGoodPicture() {
    QTemporaryDir dir;
    const QString path = WriteBmp(dir.filePath(QStringLiteral("paint.bmp")), 32, 32);
    WindowFixture f;
    QVERIFY(f.window->opener().open(path));
    const long total = f.shownTotal();
    const std::vector<std::uint8_t> pixels = f.window->coreState().tiles[1].Pixels.rgba();
    {
        // Half a file, as while a program is still writing it.
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.resize(20));
    }
    QVERIFY(!f.window->opener().reload()); // F5
    QVERIFY(f.get<QLabel>(QStringLiteral("lblStatus"))
                ->text()
                .startsWith(QStringLiteral("Kept the last good picture: ")));
    QVERIFY(f.dialogs.messages.isEmpty());
    QCOMPARE(f.shownTotal(), total);
    QCOMPARE(f.window->coreState().tiles[1].Pixels.rgba(), pixels);
    // Once the file is whole again it reloads.
    QVERIFY(!WriteBmp(path, 16, 16).isEmpty());
    QVERIFY(f.window->opener().reload());
    QCOMPARE(f.get<QLineEdit>(QStringLiteral("txtWidth"))->text(), QStringLiteral("16"));
}

void TestOpener::guidedLoadClosesTheOpenFile() {
    QTemporaryDir dir;
    const QString first = WriteBmp(dir.filePath(QStringLiteral("first.bmp")), 32, 32);
    const QString second = WriteBmp(dir.filePath(QStringLiteral("second.bmp")), 16, 16);
    WindowFixture g;
    QVERIFY(g.window->opener().open(first));
    g.dialogs.messageAnswers = {MsgResult::Ok, MsgResult::No, MsgResult::Yes};
    g.dialogs.fileAnswers = {second};
    g.get<QPushButton>("cmdBrowse")->click();
    QCOMPARE(g.get<QLineEdit>(QStringLiteral("txtWidth"))->text(), QStringLiteral("16"));
    QCOMPARE(g.window->opener().openFile(), QString());
    QCOMPARE(g.window->windowTitle(), QStringLiteral("Vellora"));
}

void TestOpener::keys_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("page");     // the tab chosen afterwards, -1 none
    QTest::addColumn<QString>("said"); // the message shown, empty none
    const int ctrl = Qt::ControlModifier;
    QTest::newRow("Ctrl+1 calculator") << int(Qt::Key_1) << ctrl << QString() << 0 << QString();
    QTest::newRow("Ctrl+2 preview") << int(Qt::Key_2) << ctrl << QString() << 3 << QString();
    QTest::newRow("Ctrl+3 TMEM map") << int(Qt::Key_3) << ctrl << QString() << 2 << QString();
    QTest::newRow("Ctrl+4 about") << int(Qt::Key_4) << ctrl << QString() << 1 << QString();
    QTest::newRow("Ctrl+5 tile setup") << int(Qt::Key_5) << ctrl << QString() << 4 << QString();
    QTest::newRow("F1 in the width box")
        << int(Qt::Key_F1) << 0 << QStringLiteral("txtWidth") << -1 << QString::fromStdString(kWidthHelp);
    QTest::newRow("F1 in the height box")
        << int(Qt::Key_F1) << 0 << QStringLiteral("txtHeight") << -1 << QString::fromStdString(kHeightHelp);
    QTest::newRow("F1 elsewhere") << int(Qt::Key_F1) << 0 << QStringLiteral("txtLevels") << -1
                                  << QString::fromLatin1(kKeysHelp);
}

void TestOpener::keys() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, focus);
    QFETCH(int, page);
    QFETCH(QString, said);
    WindowFixture f;
    f.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
    QWidget* target = focus.isEmpty() ? static_cast<QWidget*>(f.window.get()) : f.get<QWidget>(focus);
    target->setFocus();
    QTest::keyClick(target, static_cast<Qt::Key>(key), Qt::KeyboardModifiers(modifiers));
    if (page >= 0)
        QCOMPARE(f.get<QWidget>(QStringLiteral("TabContents(%1)").arg(page))->isVisible(), true);
    if (said.isEmpty())
        QVERIFY(f.dialogs.messages.isEmpty());
    else
        QCOMPARE(f.dialogs.messages.last().prompt, said);
}

void TestOpener::copyKeyCopiesTheDisplayList() {
    WindowFixture f;
    f.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(f.window.get(), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), f.window->tileSetupPage()->displayList());
    QVERIFY(!QGuiApplication::clipboard()->text().isEmpty());
}

void TestOpener::everyControlExplainsItself() {
    WindowFixture f;
    QStringList silent;
    for (QWidget* w : f.window->findChildren<QWidget*>()) {
        const bool control = qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) ||
                             qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractSlider*>(w) ||
                             qobject_cast<QTableWidget*>(w) || w->inherits("vellora::TmemMapView") ||
                             w->inherits("vellora::PictureBox");
        // The tab strip's background button is scenery, not a control.
        if (!control || w->objectName() == QLatin1String("BG") || w->objectName().isEmpty())
            continue;
        if (w->toolTip().isEmpty())
            silent << w->objectName();
    }
    silent.sort();
    QVERIFY2(silent.isEmpty(), qPrintable(silent.join(QStringLiteral(", "))));
}

void TestOpener::wheelOverThePreviewZooms() {
    WindowFixture f;
    f.window->selectTab(3);
    auto* zoom = f.get<QScrollBar>(QStringLiteral("sliderZoom"));
    QWidget* picture = f.window->previewBox();
    const int before = zoom->value();
    f.drawn.clear();
    auto wheel = [&](QWidget* target, int notches) {
        const QPointF at(2, 2);
        QWheelEvent event(at, target->mapToGlobal(at), QPoint(), QPoint(0, notches * 120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(target, &event);
    };
    wheel(picture, 2);
    QCOMPARE(zoom->value(), before + 2);
    QVERIFY(!f.drawn.empty()); // the new zoom is drawn
    wheel(picture, -1);
    QCOMPARE(zoom->value(), before + 1);
    // Elsewhere on the page the wheel does not zoom.
    wheel(f.get<QWidget>(QStringLiteral("lblTSMin")), 1);
    QCOMPARE(zoom->value(), before + 1);
}

} // namespace vellora

QTEST_MAIN(vellora::TestOpener)
#include "tst_opener.moc"
