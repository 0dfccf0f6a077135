// SPDX-License-Identifier: MIT
#include "ui/qtdialogs.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace vellora;

namespace {

// Runs action on the next modal dialog of type T once it is up. Polls, since
// the dialog only exists once the code under test has entered exec().
template <typename T> void OnModal(std::function<void(T*)> action, int delayMs = 0) {
    auto* poll = new QTimer;
    auto* clock = new QElapsedTimer;
    clock->start();
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, [poll, clock, action, delayMs] {
        auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible() || clock->elapsed() < delayMs)
            return;
        poll->stop();
        poll->deleteLater();
        delete clock;
        action(dialog);
    });
    poll->start();
}

// Last-resort answer, so a box that fails to close itself fails the test
// instead of hanging it.
void ClickNoLater(int afterMs) {
    QTimer::singleShot(afterMs, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            box->button(QMessageBox::No)->click();
    });
}

} // namespace

class TestQtDialogs : public QObject {
    Q_OBJECT

  private slots:
    void timedQuestionAnswersYesByItself();
    void answeredBoxIgnoresItsLaterTimer();
    void emptyTitleShowsAppTitle_data();
    void emptyTitleShowsAppTitle();
    void styleSetsButtonsAndIcon_data();
    void styleSetsButtonsAndIcon();
    void textLinesAndOwner();
    void inputBoxReturnsTypedText();
    void inputBoxCancelReturnsEmpty();
    void fileChooserShowsRequestAndReturnsPath();
    void fileChooserCancelReturnsEmpty();
};

void TestQtDialogs::timedQuestionAnswersYesByItself() {
    QtDialogs dialogs;
    dialogs.setTimeoutUnitMs(100);
    ClickNoLater(3000);
    QElapsedTimer clock;
    clock.start();
    const int answer =
        dialogs.messageBox(QStringLiteral("Do you want to Auto Generate Mip-Map Tiles? (Default)"), 36,
                           QStringLiteral("Tile Generation"), 2);
    QCOMPARE(answer, MsgResult::Yes);
    // The box waited for its timeout rather than closing at once.
    QVERIFY2(clock.elapsed() >= 190, qPrintable(QString::number(clock.elapsed())));
}

void TestQtDialogs::answeredBoxIgnoresItsLaterTimer() {
    QtDialogs dialogs;
    dialogs.setTimeoutUnitMs(200); // answered long before its 400 ms run out
    OnModal<QMessageBox>([](QMessageBox* box) { box->button(QMessageBox::No)->click(); });
    QCOMPARE(dialogs.messageBox(QStringLiteral("Question?"), 36, QStringLiteral("Tile Generation"), 2),
             MsgResult::No);

    // A second box with the same title stays up past the first box's
    // timeout; only the user's click closes it.
    OnModal<QMessageBox>([](QMessageBox* box) { box->button(QMessageBox::No)->click(); }, 700);
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(dialogs.messageBox(QStringLiteral("Question?"), 36, QStringLiteral("Tile Generation"), 0),
             MsgResult::No);
    QVERIFY(clock.elapsed() >= 650);
}

void TestQtDialogs::emptyTitleShowsAppTitle_data() {
    QTest::addColumn<int>("timeout");
    QTest::newRow("waits for the user") << 0;
    QTest::newRow("answers itself") << 1;
}

void TestQtDialogs::emptyTitleShowsAppTitle() {
    QFETCH(int, timeout);
    QtDialogs dialogs;
    dialogs.setTimeoutUnitMs(150);
    QString shownTitle;
    OnModal<QMessageBox>([&shownTitle, timeout](QMessageBox* box) {
        shownTitle = box->windowTitle();
        if (timeout == 0)
            box->button(QMessageBox::Yes)->click();
    });
    ClickNoLater(3000);
    QCOMPARE(dialogs.messageBox(QStringLiteral("Text"), 36, QString(), timeout), MsgResult::Yes);
    QCOMPARE(shownTitle, QStringLiteral("Vellora"));
}

void TestQtDialogs::styleSetsButtonsAndIcon_data() {
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("defaultButton");
    QTest::addColumn<int>("icon");
    QTest::addColumn<int>("click");
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("onTop");

    using B = QMessageBox;
    QTest::newRow("0 OK") << 0 << int(B::Ok) << int(B::Ok) << int(B::NoIcon) << int(B::Ok) << 1 << false;
    QTest::newRow("1 OK Cancel, Cancel clicked")
        << 1 << int(B::Ok | B::Cancel) << int(B::Ok) << int(B::NoIcon) << int(B::Cancel) << 2 << false;
    QTest::newRow("1 OK Cancel, OK clicked")
        << 1 << int(B::Ok | B::Cancel) << int(B::Ok) << int(B::NoIcon) << int(B::Ok) << 1 << false;
    QTest::newRow("4 Yes No") << 4 << int(B::Yes | B::No) << int(B::Yes) << int(B::NoIcon) << int(B::Yes) << 6
                              << false;
    QTest::newRow("36 question, No clicked")
        << 36 << int(B::Yes | B::No) << int(B::Yes) << int(B::Question) << int(B::No) << 7 << false;
    QTest::newRow("48 exclamation") << 48 << int(B::Ok) << int(B::Ok) << int(B::Warning) << int(B::Ok) << 1
                                    << false;
    QTest::newRow("64 information") << 64 << int(B::Ok) << int(B::Ok) << int(B::Information) << int(B::Ok)
                                    << 1 << false;
    QTest::newRow("4 + 256 second button default")
        << 4 + 256 << int(B::Yes | B::No) << int(B::No) << int(B::NoIcon) << int(B::No) << 7 << false;
    QTest::newRow("4096 + 48 system modal")
        << 4096 + 48 << int(B::Ok) << int(B::Ok) << int(B::Warning) << int(B::Ok) << 1 << true;
}

void TestQtDialogs::styleSetsButtonsAndIcon() {
    QFETCH(int, style);
    QFETCH(int, buttons);
    QFETCH(int, defaultButton);
    QFETCH(int, icon);
    QFETCH(int, click);
    QFETCH(int, code);
    QFETCH(bool, onTop);

    QtDialogs dialogs;
    int seenButtons = -1, seenDefault = -1, seenIcon = -1;
    bool seenOnTop = false, seenModal = false;
    OnModal<QMessageBox>([&](QMessageBox* box) {
        seenButtons = int(box->standardButtons());
        seenDefault = box->defaultButton() ? int(box->standardButton(box->defaultButton())) : 0;
        seenIcon = int(box->icon());
        seenOnTop = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        seenModal = box->isModal();
        box->button(QMessageBox::StandardButton(click))->click();
    });
    QCOMPARE(dialogs.messageBox(QStringLiteral("Text"), style, QStringLiteral("Title"), 0), code);
    QCOMPARE(seenButtons, buttons);
    QCOMPARE(seenDefault, defaultButton);
    QCOMPARE(seenIcon, icon);
    QCOMPARE(seenOnTop, onTop);
    QVERIFY(seenModal);
}

void TestQtDialogs::textLinesAndOwner() {
    QWidget owner;
    owner.show();
    QtDialogs dialogs(&owner);
    QString text;
    QWidget* parent = nullptr;
    OnModal<QMessageBox>([&](QMessageBox* box) {
        text = box->text();
        parent = box->parentWidget();
        box->button(QMessageBox::Ok)->click();
    });
    QCOMPARE(dialogs.messageBox(QStringLiteral("first\r\nsecond\rthird"), 0, QStringLiteral("T"), 0), 1);
    QCOMPARE(text, QStringLiteral("first\nsecond\nthird"));
    QCOMPARE(parent, &owner);
}

void TestQtDialogs::inputBoxReturnsTypedText() {
    QtDialogs dialogs;
    QString label, title, startText;
    OnModal<QInputDialog>([&](QInputDialog* dialog) {
        label = dialog->labelText();
        title = dialog->windowTitle();
        auto* edit = dialog->findChild<QLineEdit*>();
        QVERIFY(edit);
        startText = edit->text();
        QTest::keyClicks(edit, QStringLiteral("12abc"));
        dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    QCOMPARE(dialogs.inputBox(QStringLiteral("Enter the width of tile 1"), QStringLiteral("Custom")),
             QStringLiteral("12abc"));
    QCOMPARE(label, QStringLiteral("Enter the width of tile 1"));
    QCOMPARE(title, QStringLiteral("Custom"));
    QVERIFY(startText.isEmpty());
}

void TestQtDialogs::inputBoxCancelReturnsEmpty() {
    QtDialogs dialogs;
    OnModal<QInputDialog>([](QInputDialog* dialog) {
        QTest::keyClicks(dialog->findChild<QLineEdit*>(), QStringLiteral("64"));
        dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
    });
    QVERIFY(dialogs.inputBox(QStringLiteral("Prompt"), QStringLiteral("Title")).isEmpty());
}

void TestQtDialogs::fileChooserShowsRequestAndReturnsPath() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString bmp = dir.filePath(QStringLiteral("base.bmp"));
    QFile file(bmp);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("BM");
    file.close();

    FileRequest request;
    request.title = QStringLiteral("Select \"Base\" bitmap");
    request.initialDir = dir.path();
    request.filters = {QStringLiteral("Bitmaps (*.bmp)"), QStringLiteral("All Files (*)")};
    request.selectedFilter = 1;

    QtDialogs dialogs;
    QString title, shownDir, shownFilter;
    OnModal<QFileDialog>([&](QFileDialog* dialog) {
        title = dialog->windowTitle();
        shownDir = dialog->directory().absolutePath();
        shownFilter = dialog->selectedNameFilter();
        dialog->selectFile(bmp);
        static_cast<QDialog*>(dialog)->accept(); // QFileDialog hides the public slot
    });
    QCOMPARE(QFileInfo(dialogs.chooseFile(request)).canonicalFilePath(), QFileInfo(bmp).canonicalFilePath());
    QCOMPARE(title, request.title);
    QCOMPARE(QFileInfo(shownDir).canonicalFilePath(), QFileInfo(dir.path()).canonicalFilePath());
    QCOMPARE(shownFilter, request.filters[1]);
}

void TestQtDialogs::fileChooserCancelReturnsEmpty() {
    QtDialogs dialogs;
    FileRequest request;
    request.filters = {QStringLiteral("(*.bmp)")};
    OnModal<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
    QVERIFY(dialogs.chooseFile(request).isEmpty());
}

QTEST_MAIN(TestQtDialogs)
#include "tst_qtdialogs.moc"
