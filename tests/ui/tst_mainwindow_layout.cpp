// SPDX-License-Identifier: MIT
// The window shell: tab selection, colour themes, width snapping, the
// maximize switch and the anchored controls.
#include "mainwindowfixture.h"

#include "ui/controlanchor.h"
#include "ui/picturebox.h"
#include "ui/splash.h"
#include "ui/twips.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QtTest>

using namespace vellora;

Q_DECLARE_METATYPE(QRect)

namespace {

QColor BackOf(QWidget* w) {
    return w->palette().color(QPalette::Window);
}
QColor TextOf(QWidget* w) {
    return w->palette().color(QPalette::WindowText);
}

QPushButton* Tab(WindowFixture& f, int i) {
    return f.get<QPushButton>(QStringLiteral("TabButtons(%1)").arg(i));
}
QWidget* Page(WindowFixture& f, int i) {
    return f.get<QWidget>(QStringLiteral("TabContents(%1)").arg(i));
}

QList<int> VisiblePages(WindowFixture& f) {
    QList<int> shown;
    for (int i = 0; i < 4; ++i)
        if (Page(f, i)->isVisible())
            shown << i;
    return shown;
}

} // namespace

class TestMainWindowLayout : public QObject {
    Q_OBJECT
  private slots:
    void anchorFlags_data();
    void anchorFlags();
    void tabSelection_data();
    void tabSelection();
    void tabsInWideLayout();
    void widthSnapping_data();
    void widthSnapping();
    void untaggedReturnToNarrow();
    void draggedWideThenMaximizedBackToNarrow();
    void maximizeSwitches();
    void strayWidthsEndSnapped();
    void anchoredControlsFollowTheWindow();
    void themes();
    void themesLeaveDisabledTextAlone();
    void exitButton();
    void splash();
};

void TestMainWindowLayout::anchorFlags_data() {
    QTest::addColumn<int>("flags");
    QTest::addColumn<QSize>("grownTo");
    QTest::addColumn<QRect>("expected");
    // A 40x20 control at (10, 10) in a 100x80 container.
    QTest::newRow("left+top only: nothing")
        << (Anchor::Left | Anchor::Top) << QSize(150, 120) << QRect(10, 10, 40, 20);
    QTest::newRow("right: follows edge")
        << (Anchor::Top | Anchor::Right) << QSize(150, 120) << QRect(60, 10, 40, 20);
    QTest::newRow("bottom: follows edge")
        << (Anchor::Left | Anchor::Bottom) << QSize(150, 120) << QRect(10, 50, 40, 20);
    QTest::newRow("corner") << (Anchor::Right | Anchor::Bottom) << QSize(150, 120) << QRect(60, 50, 40, 20);
    QTest::newRow("stretch both") << 15 << QSize(150, 120) << QRect(10, 10, 90, 60);
    QTest::newRow("stretch sideways, follow bottom") << 13 << QSize(150, 120) << QRect(10, 50, 90, 20);
    QTest::newRow("follow right, stretch down") << 14 << QSize(150, 120) << QRect(60, 10, 40, 60);
    QTest::newRow("shrunk below zero stays at zero") << 15 << QSize(30, 20) << QRect(10, 10, 0, 0);
}

void TestMainWindowLayout::anchorFlags() {
    QFETCH(int, flags);
    QFETCH(QSize, grownTo);
    QFETCH(QRect, expected);
    QWidget form;
    form.setObjectName(QStringLiteral("Form1"));
    form.resize(100, 80);
    auto* child = new QWidget(&form);
    child->setObjectName(QStringLiteral("child"));
    child->setGeometry(10, 10, 40, 20);
    ControlAnchors anchors;
    anchors.anchor(child, flags); // records, moves nothing
    QCOMPARE(child->geometry(), QRect(10, 10, 40, 20));
    form.resize(grownTo);
    anchors.anchor(child, flags);
    QCOMPARE(child->x(), expected.x());
    QCOMPARE(child->y(), expected.y());
    QCOMPARE(child->width(), std::max(0, expected.width()));
    QCOMPARE(child->height(), std::max(0, expected.height()));
    // Back at the design size, the design geometry returns; one record only.
    form.resize(100, 80);
    anchors.anchor(child, flags);
    QCOMPARE(child->geometry(), QRect(10, 10, 40, 20));
    QCOMPARE(anchors.recordCount(), 1);
}

void TestMainWindowLayout::tabSelection_data() {
    QTest::addColumn<int>("tab");
    for (int i : {0, 1, 2, 3})
        QTest::newRow(qPrintable(QStringLiteral("tab %1").arg(i))) << i;
}

void TestMainWindowLayout::tabSelection() {
    QFETCH(int, tab);
    WindowFixture f;
    QTest::mouseClick(Tab(f, tab), Qt::LeftButton);
    QCOMPARE(VisiblePages(f), QList<int>{tab});
    for (int i = 0; i < 4; ++i) {
        QPushButton* b = Tab(f, i);
        QCOMPARE(b->property("Tag").toString(), i == tab ? QStringLiteral("1") : QString());
        QCOMPARE(b->y(), twips(i == tab ? 20 : 50));
        QCOMPARE(b->height(), twips(i == tab ? 440 : 400));
    }
    // The chosen button stands in front of the card, the others behind it.
    QWidget* strip = f.get<QWidget>("TabCtl1");
    const auto order = strip->children();
    const auto indexOf = [&](QObject* o) { return order.indexOf(o); };
    QObject* card = f.get<QWidget>("BG");
    for (int i = 0; i < 4; ++i) {
        if (i == tab)
            QVERIFY(indexOf(Tab(f, i)) > indexOf(card));
        else
            QVERIFY(indexOf(Tab(f, i)) < indexOf(card));
    }
    QVERIFY(indexOf(Page(f, tab)) > indexOf(card));
}

void TestMainWindowLayout::tabsInWideLayout() {
    WindowFixture f;
    Tab(f, 0)->click();
    f.window->setWindowWidthTwips(7000);
    QVERIFY(f.window->isWideLayout());
    QCOMPARE(VisiblePages(f), (QList<int>{0, 2}));
    QCOMPARE(Page(f, 2)->x(), twips(6500));
    QVERIFY(!Tab(f, 2)->isEnabled());

    Tab(f, 1)->click();
    QCOMPARE(VisiblePages(f), QList<int>{1});
    Tab(f, 3)->click();
    QCOMPARE(VisiblePages(f), QList<int>{3});
    Tab(f, 0)->click();
    QCOMPARE(VisiblePages(f), (QList<int>{0, 2}));

    // Back to narrow with the calculator chosen: the map page goes behind.
    f.window->setWindowWidthTwips(6000);
    QVERIFY(!f.window->isWideLayout());
    QCOMPARE(VisiblePages(f), QList<int>{0});
    QVERIFY(Tab(f, 2)->isEnabled());
    QCOMPARE(Page(f, 2)->x(), twips(75));
    Tab(f, 2)->click();
    QCOMPARE(VisiblePages(f), QList<int>{2});
}

void TestMainWindowLayout::widthSnapping_data() {
    QTest::addColumn<int>("dragTo");
    QTest::addColumn<int>("snapped");
    QTest::newRow("7000 goes wide") << 7000 << 13000;
    QTest::newRow("6600 goes wide") << 6600 << 13000;
    QTest::newRow("20000 goes wide") << 20000 << 13000;
    QTest::newRow("6500 stays narrow") << 6500 << 6500;
    QTest::newRow("3000 goes narrow") << 3000 << 6500;
}

void TestMainWindowLayout::widthSnapping() {
    QFETCH(int, dragTo);
    QFETCH(int, snapped);
    WindowFixture f;
    const int height = f.window->height();
    f.window->setWindowWidthTwips(dragTo);
    QApplication::processEvents();
    QCOMPARE(f.window->width(), twips(snapped - MainWindow::kFrameTwips));
    QCOMPARE(f.window->height(), height); // the height is free
    QCOMPARE(Tab(f, 2)->isEnabled(), snapped == 6500);
    // The tab strip keeps its distance to the right edge in both layouts.
    QWidget* strip = f.get<QWidget>("TabCtl1");
    QCOMPARE(f.window->width() - strip->geometry().right(),
             twips(6345) - twipsRect(75, 75, 6175, 6000).right());
}

void TestMainWindowLayout::untaggedReturnToNarrow() {
    // No tab clicked yet: back in the narrow layout the calculator shows
    // alone, the map page does not stay over it.
    WindowFixture f;
    f.window->setWindowWidthTwips(13000);
    f.window->setWindowWidthTwips(6500);
    QCOMPARE(VisiblePages(f), QList<int>{0});
    QCOMPARE(Page(f, 2)->x(), twips(75));
    QVERIFY(Tab(f, 2)->isEnabled());
}

void TestMainWindowLayout::draggedWideThenMaximizedBackToNarrow() {
    // Wide by a drag, then the maximize button: back to narrow, where the
    // TMEM Map tab works again.
    WindowFixture f;
    f.window->resize(800, f.window->height());
    QTRY_VERIFY(f.window->isWideLayout());
    QTest::qWait(200);
    const int wideWidth = f.window->width();
    f.window->showMaximized();
    // The window manager restores the size it kept from before the
    // maximize, late, after the switch has asked for the narrow one.
    QApplication::processEvents();
    f.window->resize(wideWidth, f.window->height());
    QTRY_VERIFY(!f.window->isWideLayout() && !f.window->isMaximized());
    QTest::qWait(300);
    QVERIFY(!f.window->isWideLayout());
    QVERIFY(Tab(f, 2)->isEnabled());
    Tab(f, 2)->click();
    QCOMPARE(VisiblePages(f), QList<int>{2});
}

void TestMainWindowLayout::maximizeSwitches() {
    WindowFixture f;
    QVERIFY(!f.window->wideToggle());
    const int height = f.window->height();
    f.window->showMaximized();
    QTRY_VERIFY(f.window->isWideLayout() && !f.window->isMaximized());
    QVERIFY(f.window->wideToggle());
    QTRY_COMPARE(f.window->width(), twips(13000 - MainWindow::kFrameTwips));
    // The switch gives back the height the window had, not the maximized one.
    QTRY_COMPARE(f.window->height(), height);

    f.window->showMaximized();
    QTRY_VERIFY(!f.window->isWideLayout() && !f.window->isMaximized());
    QVERIFY(!f.window->wideToggle());
    QTRY_COMPARE(f.window->width(), twips(6500 - MainWindow::kFrameTwips));
    QTRY_COMPARE(f.window->height(), height);
    QVERIFY(!f.window->isMaximized());
}

void TestMainWindowLayout::strayWidthsEndSnapped() {
    // Sizes a window manager answers with (a drag's last step) end at one of
    // the two widths, with the layout that belongs to it.
    WindowFixture f;
    for (const int px : {530, 529, 523, 800, 300, 450}) {
        f.window->resize(px, f.window->height());
        QTest::qWait(200);
        const bool wide = px * 15 + MainWindow::kFrameTwips > 6500;
        QCOMPARE(f.window->width(), twips((wide ? 13000 : 6500) - MainWindow::kFrameTwips));
        QCOMPARE(f.window->isWideLayout(), wide);
        QCOMPARE(Page(f, 2)->x(), twips(wide ? 6500 : 75));
        QCOMPARE(Tab(f, 2)->isEnabled(), !wide);
    }
}

void TestMainWindowLayout::anchoredControlsFollowTheWindow() {
    WindowFixture f;
    auto* exit = f.get<QPushButton>("btnExit");
    auto* browse = f.get<QPushButton>("cmdBrowse");
    auto* about = f.get<QPlainTextEdit>("txtAbout");
    auto* zoom = f.get<QScrollBar>("sliderZoom");
    auto* tile = f.get<QScrollBar>("sliderTile");
    auto* pic = f.get<QWidget>("picPreview");
    const int exitRightGap = f.window->width() - exit->x();
    const int exitBottomGap = f.window->height() - exit->y();
    const int aboutHeight = about->height();
    const int browseBottomGap = f.window->height() - browse->y();

    f.window->resize(f.window->width(), f.window->height() + 60);
    f.window->setWindowWidthTwips(13000);
    QApplication::processEvents();
    QCOMPARE(f.window->width() - exit->x(), exitRightGap);
    QCOMPARE(f.window->height() - exit->y(), exitBottomGap);
    QCOMPARE(browse->x(), twips(75));
    QCOMPARE(f.window->height() - browse->y(), browseBottomGap);
    QCOMPARE(about->height(), aboutHeight + 60);
    // The preview box ends at the zoom bar and the tile bar.
    QCOMPARE(pic->x() + pic->width(), zoom->x());
    QCOMPARE(pic->y() + pic->height(), tile->y());
    QCOMPARE(zoom->x() + zoom->width(), Page(f, 3)->width() - (twips(5934) - twips(5580) - twips(195)));

    // Shrinking far: stretched sizes stop at zero.
    f.window->resize(f.window->width(), 40);
    QApplication::processEvents();
    QCOMPARE(about->height(), 0);
    QVERIFY(pic->height() >= 0);

    // A surface put in the placeholder's place is fitted from then on.
    auto* surface = new QWidget;
    f.window->replacePreviewBox(surface);
    QCOMPARE(f.get<QWidget>("picPreview"), surface);
    QCOMPARE(surface->parentWidget(), Page(f, 3));
    pic = surface;

    // And the design size brings the design geometry back.
    f.window->resize(twips(6345), twips(6705));
    QApplication::processEvents();
    QCOMPARE(exit->geometry(), twipsRect(5040, 6210, 1207, 442));
    QCOMPARE(about->geometry(), twipsRect(85, 1650, 5805, 3585));
    QCOMPARE(pic->x() + pic->width(), zoom->x());
}

void TestMainWindowLayout::themes() {
    WindowFixture f;
    auto* picture = f.get<PictureBox>("Picture1");
    QCOMPARE(picture->toolTip(), QStringLiteral("Change Theme"));
    const QPalette system = QApplication::palette();
    const QColor windowText = system.color(QPalette::WindowText);
    struct Expect {
        QColor back;
        QColor text;
    };
    const Expect table[] = {
        {QColor(56, 56, 128), Qt::white},
        {QColor(192, 0, 38), windowText},
        {QColor(64, 162, 64), windowText},
        {QColor(255, 171, 64), windowText},
        {QColor(128, 128, 128), windowText},
        {QColor(32, 32, 32), windowText},
        {system.color(QPalette::Button), windowText},
        {QColor(56, 56, 128), Qt::white},
    };
    auto* excede = f.get<QLabel>("lblExcede");
    const QColor excedeBack = BackOf(excede);
    const QColor widthBase = f.get<QLineEdit>("txtWidth")->palette().color(QPalette::Base);
    const QColor percentText = TextOf(f.get<QLabel>("lblPercent(0)"));
    const QColor exitText = f.get<QPushButton>("btnExit")->palette().color(QPalette::ButtonText);
    const QColor zoomWindow = BackOf(f.get<QScrollBar>("sliderZoom"));
    for (int click = 1; click <= 8; ++click) {
        QTest::mouseClick(picture, Qt::LeftButton);
        const Expect& e = table[click - 1];
        const QString at = QStringLiteral("click %1").arg(click);
        QCOMPARE(f.window->themeIndex(), click == 7 ? 0 : click % 7);
        QCOMPARE(BackOf(f.window.get()), e.back);
        for (const char* name : {"chkLevels", "ChkBitDepth(3)", "grpFormat", "lblLevels", "TabContents(0)",
                                 "fraDetailProps", "lblTSTile", "MapLabel0", "MapLabel1", "TabContents(2)"}) {
            QWidget* w = f.get<QWidget>(name);
            QVERIFY2(BackOf(w) == e.back, qPrintable(at + QLatin1Char(' ') + QLatin1String(name)));
            QVERIFY2(TextOf(w) == e.text, qPrintable(at + QLatin1Char(' ') + QLatin1String(name)));
        }
        // Command buttons take only the background.
        auto* exit = f.get<QPushButton>("btnExit");
        QCOMPARE(exit->palette().color(QPalette::Button), e.back);
        QCOMPARE(exit->palette().color(QPalette::ButtonText), exitText);
        // Result label, percentage text, text boxes and scroll bars keep theirs.
        QCOMPARE(BackOf(excede), excedeBack);
        QCOMPARE(TextOf(f.get<QLabel>("lblPercent(0)")), percentText);
        QCOMPARE(f.get<QLineEdit>("txtWidth")->palette().color(QPalette::Base), widthBase);
        QCOMPARE(BackOf(f.get<QScrollBar>("sliderZoom")), zoomWindow);
    }
    // Recolouring never recounts.
    QCOMPARE(f.shownTotal(), 2936L);
    QVERIFY(f.dialogs.messages.isEmpty());
}

void TestMainWindowLayout::themesLeaveDisabledTextAlone() {
    WindowFixture f;
    auto* picture = f.get<PictureBox>("Picture1");
    auto* manual = f.get<QPushButton>("ManMipMap");
    auto* ci = f.get<QRadioButton>("optDBit(0)");
    QVERIFY(!manual->isEnabled());
    QVERIFY(!ci->isEnabled());
    const QColor disabledText = QApplication::palette().color(QPalette::Disabled, QPalette::WindowText);
    struct Start {
        QWidget* w;
        QPalette palette;
    };
    std::vector<Start> start;
    for (QWidget* w : f.window->findChildren<QWidget*>())
        start.push_back({w, w->palette()});
    const QPalette windowStart = f.window->palette();
    for (int click = 1; click <= 7; ++click) {
        QTest::mouseClick(picture, Qt::LeftButton);
        QCOMPARE(ci->palette().color(QPalette::Disabled, QPalette::WindowText), disabledText);
        QCOMPARE(ci->palette().color(QPalette::Disabled, QPalette::ButtonText),
                 QApplication::palette().color(QPalette::Disabled, QPalette::ButtonText));
    }
    // The seventh click gives every control back the look it started with.
    QCOMPARE(f.window->palette(), windowStart);
    for (const Start& s : start)
        QVERIFY2(s.w->palette() == s.palette, qPrintable(s.w->objectName()));
}

void TestMainWindowLayout::exitButton() {
    WindowFixture f;
    int exits = 0;
    f.window->setExitHandler([&] { ++exits; });
    f.get<QPushButton>("btnExit")->click();
    QCOMPARE(exits, 1);
}

void TestMainWindowLayout::splash() {
    Splash s;
    QCOMPARE(s.objectName(), QStringLiteral("frmSplash"));
    QCOMPARE(s.findChild<QLabel*>("lblProductName")->text(), QStringLiteral("Product"));
    s.showAndPaint();
    QVERIFY(s.isVisible());
    QCOMPARE(s.findChild<QLabel*>("lblVersion")->text(), QStringLiteral("Version 2.0.36"));
    QCOMPARE(s.findChild<QLabel*>("lblProductName")->text(), QStringLiteral("Vellora"));
    QCOMPARE(s.findChild<QLabel*>("lblWarning")->text(), QStringLiteral("Loading Please Wait..."));
    QVERIFY(s.findChild<QLabel*>("lblCompany"));
    // Nothing on it is cut off by its frame.
    auto* frame = s.findChild<QWidget*>("Frame1");
    for (QLabel* l : frame->findChildren<QLabel*>())
        QVERIFY2(frame->rect().contains(l->geometry()), qPrintable(l->objectName()));
    QTest::keyClick(&s, Qt::Key_Space);
    QVERIFY(!s.isVisible());

    Splash clicked;
    clicked.showAndPaint();
    QTest::mouseClick(clicked.findChild<QWidget*>("Frame1"), Qt::LeftButton);
    QVERIFY(!clicked.isVisible());
}

QTEST_MAIN(TestMainWindowLayout)
#include "tst_mainwindow_layout.moc"
