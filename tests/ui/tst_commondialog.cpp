// SPDX-License-Identifier: MIT
#include "scripteddialogs.h"
#include "ui/commondialog.h"

#include <QApplication>
#include <QDir>
#include <QTest>
#include <QWidget>

using namespace vellora;

namespace {

const QString kBufferTooSmall =
    QStringLiteral("The buffer pointed to by the lpstrFile member of the OPENFILENAME "
                   "structure is too small for the filename specified by the user.");

// Runs call and hands back the error it raised; fails the test if none.
template <typename F> CommonDialogError Raised(F call) {
    try {
        call();
    } catch (const CommonDialogError& error) {
        return error;
    }
    return CommonDialogError(-1, QStringLiteral("nothing raised"), QString());
}

} // namespace

class TestCommonDialog : public QObject {
    Q_OBJECT

  private slots:
    void startsWithItsDefaults();
    void showOpenPassesSettingsAndReturnsTheChoice();
    void cancelKeepsEveryProperty();
    void cancelRaisesWhenAsked();
    void emptyInitDirOpensInCurrentDir();
    void convertFilter_data();
    void convertFilter();
    void errorDescriptions_data();
    void errorDescriptions();
    void errorBoxForCodes_data();
    void errorBoxForCodes();
    void noBoxForCodeZeroOrWhenNotShown();
    void extendedErrorDeliversNoFile();
    void longProposedNameIsPassedOn();
    void getHandleFallbacks();
};

void TestCommonDialog::startsWithItsDefaults() {
    ScriptedDialogs dialogs;
    CommonDialog dialog(dialogs);
    QCOMPARE(dialog.Filter, QStringLiteral("All Files (*.*)|*.*"));
    QCOMPARE(dialog.InitDir, QDir::currentPath());
    QVERIFY(dialog.DialogTitle.isEmpty());
    QVERIFY(dialog.FileName.isEmpty());
    QVERIFY(dialog.FileTitle.isEmpty());
    QVERIFY(dialog.DefaultExt.isEmpty());
    QCOMPARE(dialog.Flags, 0);
    QVERIFY(!dialog.CancelError);
    QVERIFY(!dialog.OwnerHandle);
}

void TestCommonDialog::showOpenPassesSettingsAndReturnsTheChoice() {
    ScriptedDialogs dialogs;
    dialogs.fileAnswers = {QStringLiteral("/pictures/brick.bmp")};
    QWidget owner;
    CommonDialog dialog(dialogs);
    dialog.OwnerHandle = &owner;
    dialog.DialogTitle = QStringLiteral("Select \"Base\" bitmap");
    dialog.Filter = QStringLiteral("(*.bmp)|*.bmp");
    dialog.InitDir = QStringLiteral("/pictures");
    dialog.FileName = QStringLiteral("old.bmp");
    dialog.Flags = 4;

    QVERIFY(dialog.ShowOpen());
    QCOMPARE(dialog.FileName, QStringLiteral("/pictures/brick.bmp"));
    QCOMPARE(dialog.FileTitle, QStringLiteral("brick.bmp"));
    QCOMPARE(dialog.Flags, 4);
    // The chooser keeps no filter of the user's, so the filter comes back empty.
    QVERIFY(dialog.Filter.isEmpty());

    QCOMPARE(dialogs.fileRequests.size(), 1);
    const FileRequest& request = dialogs.fileRequests.front();
    QCOMPARE(request.owner, &owner);
    QCOMPARE(request.title, QStringLiteral("Select \"Base\" bitmap"));
    QCOMPARE(request.initialDir, QStringLiteral("/pictures"));
    QCOMPARE(request.fileName, QStringLiteral("old.bmp"));
    QCOMPARE(request.filters, QStringList{QStringLiteral("(*.bmp)")});
    QCOMPARE(request.selectedFilter, 0);
    QVERIFY(dialogs.messages.isEmpty());
}

void TestCommonDialog::cancelKeepsEveryProperty() {
    ScriptedDialogs dialogs; // no answer: the user cancels
    CommonDialog dialog(dialogs);
    dialog.FileName = QStringLiteral("/pictures/previous.bmp");
    dialog.FileTitle = QStringLiteral("previous.bmp");
    dialog.Filter = QStringLiteral("(*.bmp)|*.bmp");
    dialog.Flags = 3;

    QVERIFY(!dialog.ShowOpen());
    QCOMPARE(dialog.FileName, QStringLiteral("/pictures/previous.bmp"));
    QCOMPARE(dialog.FileTitle, QStringLiteral("previous.bmp"));
    QCOMPARE(dialog.Filter, QStringLiteral("(*.bmp)|*.bmp"));
    QCOMPARE(dialog.Flags, 3);
    QCOMPARE(dialogs.fileRequests.size(), 1);
    QVERIFY(dialogs.messages.isEmpty());
}

void TestCommonDialog::cancelRaisesWhenAsked() {
    ScriptedDialogs dialogs;
    CommonDialog dialog(dialogs);
    dialog.FileName = QStringLiteral("kept.bmp");
    dialog.CancelError = true;
    const CommonDialogError error = Raised([&dialog] { dialog.ShowOpen(); });
    QCOMPARE(error.number(), 32755);
    QCOMPARE(error.description(), QStringLiteral("Cancel was selected"));
    QCOMPARE(error.source(), QStringLiteral("basCOMDLG32 - CD_ShowOpen_Save"));
    QCOMPARE(dialog.FileName, QStringLiteral("kept.bmp"));
    QVERIFY(dialogs.messages.isEmpty());
}

void TestCommonDialog::emptyInitDirOpensInCurrentDir() {
    ScriptedDialogs dialogs;
    CommonDialog dialog(dialogs);
    dialog.InitDir.clear();
    dialog.ShowOpen();
    QCOMPARE(dialogs.fileRequests.size(), 1);
    QCOMPARE(dialogs.fileRequests.front().initialDir, QDir::currentPath());
}

void TestCommonDialog::convertFilter_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("nameFilters");
    QTest::newRow("pattern already in the description") << "(*.bmp)|*.bmp" << QStringList{"(*.bmp)"};
    QTest::newRow("default filter") << "All Files (*.*)|*.*" << QStringList{"All Files (*.*)"};
    QTest::newRow("plain description") << "Bitmaps|*.bmp" << QStringList{"Bitmaps (*.bmp)"};
    QTest::newRow("two pairs, order kept")
        << "Bitmaps|*.bmp|All|*.*" << QStringList{"Bitmaps (*.bmp)", "All (*.*)"};
    QTest::newRow("several patterns") << "Pictures|*.bmp;*.dib" << QStringList{"Pictures (*.bmp *.dib)"};
    QTest::newRow("other brackets in the description")
        << "Bitmaps (Windows)|*.bmp" << QStringList{"Bitmaps (Windows) (*.bmp)"};
    QTest::newRow("empty description") << "|*.bmp" << QStringList{"(*.bmp)"};
    QTest::newRow("patterns in the description spelt with ';'")
        << "Bitmaps and PNG (*.bmp;*.png)|*.bmp;*.png|(*.png)|*.png"
        << QStringList{"Bitmaps and PNG (*.bmp *.png)", "(*.png)"};
    QTest::newRow("empty filter") << "" << QStringList{};
    QTest::newRow("description without a pattern") << "Bitmaps|*.bmp|Other" << QStringList{"Bitmaps (*.bmp)"};
    QTest::newRow("empty pattern") << "Nothing||Bitmaps|*.bmp" << QStringList{"Bitmaps (*.bmp)"};
}

void TestCommonDialog::convertFilter() {
    QFETCH(QString, filter);
    QFETCH(QStringList, nameFilters);
    QCOMPARE(ConvertFilter(filter), nameFilters);
}

void TestCommonDialog::errorDescriptions_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("description");
    QTest::newRow("0 none") << 0 << QString();
    QTest::newRow("1 structure size") << 1
                                      << "The lStructSize member of the initialization structure for the "
                                         "corresponding common dialog box is "
                                         "invalid.";
    QTest::newRow("4 instance handle")
        << 4
        << "The ENABLETEMPLATE flag was set in the Flags member of the initialization structure for the "
           "corresponding common dialog box, but a corresponding instance handle was not provide.";
    QTest::newRow("12 last of the general block") << 12
                                                  << "The RegisterWindowMessage function returned an error "
                                                     "code when it was called by the common dialog "
                                                     "box function.";
    QTest::newRow("13 between blocks") << 13 << "Unknown Error";
    QTest::newRow("20 not in the table") << 20 << "Unknown Error";
    QTest::newRow("4097 first printer code")
        << 4097 << "The DLG_PrintDialog function failed to load the required resources.";
    QTest::newRow("4101 two lines")
        << 4101
        << "The printer driver failed to initialize a DEVMODE structure.\rThis error "
           "code applies only to printer drivers written for Windows versions 3.0 and "
           "later.";
    QTest::newRow("4109 after the printer codes") << 4109 << "Unknown Error";
    QTest::newRow("8193 no fonts") << 8193 << "No fonts exist.";
    QTest::newRow("12290 invalid name") << 12290 << "A filename is invalid.";
    QTest::newRow("12291 buffer too small") << 12291 << kBufferTooSmall;
    QTest::newRow("65535 not created")
        << 65535
        << QString::fromUtf8(
               "The dialog box could not be created.\rThe common dialog box function\u2019s call to "
               "the DialogBox function failed. For example, this error occurs if the common dialog "
               "box call specifies an invalid window handle.");
    QTest::newRow("negative") << -1 << "Unknown Error";
}

void TestCommonDialog::errorDescriptions() {
    QFETCH(int, code);
    QFETCH(QString, description);
    QCOMPARE(CommonDialogErrorDescription(code), description);
}

void TestCommonDialog::errorBoxForCodes_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    const QString head = QStringLiteral("COMDLG32.DLL encountered the following error while calling the "
                                        "'DLG_GetOpenFileName' function:\r\r");
    QTest::newRow("12291") << 12291 << head + "Error Number = 12291\rError Description = " + kBufferTooSmall;
    QTest::newRow("20") << 20 << head + "Error Number = 20\rError Description = Unknown Error";
}

void TestCommonDialog::errorBoxForCodes() {
    QFETCH(int, code);
    QFETCH(QString, text);
    ScriptedDialogs dialogs;
    QCOMPARE(ShowDialogError(dialogs, true, QStringLiteral("DLG_GetOpenFileName"), code), -1);
    QCOMPARE(dialogs.messages.size(), 1);
    const ScriptedDialogs::Message& box = dialogs.messages.front();
    QCOMPARE(box.prompt, text);
    QCOMPARE(box.title, QStringLiteral("  Common Dialog Error"));
    QCOMPARE(box.style, 48);
    QCOMPARE(box.timeout, 0);
}

void TestCommonDialog::noBoxForCodeZeroOrWhenNotShown() {
    ScriptedDialogs dialogs;
    QCOMPARE(ShowDialogError(dialogs, true, QStringLiteral("DLG_GetOpenFileName"), 0), 0);
    QCOMPARE(ShowDialogError(dialogs, false, QStringLiteral("DLG_GetOpenFileName"), 12291), -1);
    QVERIFY(dialogs.messages.isEmpty());
}

void TestCommonDialog::extendedErrorDeliversNoFile() {
    ScriptedDialogs dialogs;
    dialogs.fileAnswers = {QStringLiteral("/pictures/new.bmp")};
    CommonDialog dialog(dialogs);
    dialog.FileName = QStringLiteral("/pictures/previous.bmp");
    dialog.setExtendedErrorSource([] { return 12291; });

    QVERIFY(!dialog.ShowOpen());
    QCOMPARE(dialog.FileName, QStringLiteral("/pictures/previous.bmp"));
    QCOMPARE(dialogs.messages.size(), 1);
    QCOMPARE(dialogs.messages.front().title, QStringLiteral("  Common Dialog Error"));
    QVERIFY(dialogs.messages.front().prompt.contains(QStringLiteral("Error Number = 12291\r")));
}

void TestCommonDialog::longProposedNameIsPassedOn() {
    ScriptedDialogs dialogs;
    dialogs.fileAnswers = {QStringLiteral("/a.bmp"), QStringLiteral("/b.bmp"), QStringLiteral("/c.bmp")};
    CommonDialog dialog(dialogs);

    // Any path the system takes is offered as it is, however long.
    for (const int length : {259, 260, 4000}) {
        const QString proposed = QStringLiteral("/") + QString(length - 1, QLatin1Char('n'));
        dialog.FileName = proposed;
        QVERIFY(dialog.ShowOpen());
        QCOMPARE(dialogs.fileRequests.back().fileName, proposed);
    }
    QCOMPARE(dialog.FileName, QStringLiteral("/c.bmp"));
    QCOMPARE(dialogs.messages.size(), 0);
}

void TestCommonDialog::getHandleFallbacks() {
    QWidget given;
    QCOMPARE(GetHandle(&given), &given); // even while hidden

    {
        QWidget window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(GetHandle(nullptr), &window);

        // The active window wins over other windows on screen.
        QWidget other;
        other.show();
        QVERIFY(QTest::qWaitForWindowExposed(&other));
        QTRY_COMPARE(QApplication::activeWindow(), &other);
        QCOMPARE(GetHandle(nullptr), &other);

        // Nothing active any more: any window still on screen will do.
        other.hide();
        QTRY_VERIFY(!QApplication::activeWindow());
        QCOMPARE(GetHandle(nullptr), &window);
    }
    QTRY_VERIFY(!QApplication::activeWindow());

    const CommonDialogError error = Raised([] { GetHandle(nullptr); });
    QCOMPARE(error.number(), 361);
    QCOMPARE(error.description(), QStringLiteral("Unable to Get any Handle"));
    QCOMPARE(error.source(), QStringLiteral("GetHandle"));
}

QTEST_MAIN(TestCommonDialog)
#include "tst_commondialog.moc"
