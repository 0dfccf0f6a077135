// SPDX-License-Identifier: MIT
#pragma once

#include "ui/dialogs.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <stdexcept>

class QWidget;

namespace vellora {

// An error the dialog wrapper raises to its caller: number, description and
// the routine it came from.
class CommonDialogError : public std::runtime_error {
  public:
    CommonDialogError(int number, const QString& description, const QString& source);
    int number() const { return number_; }
    const QString& description() const { return description_; }
    const QString& source() const { return source_; }

  private:
    int number_;
    QString description_;
    QString source_;
};

// Owner window for a dialog: the given form, else the application's active
// window, else the active modal widget, else any visible top-level window.
// Throws CommonDialogError 361 "Unable to Get any Handle" when there is none.
QWidget* GetHandle(QWidget* form);

// Description of a file-dialog extended error code ("Unknown Error" for codes
// outside the table; empty for 0).
QString CommonDialogErrorDescription(int code);
// Full text of the error box for a code raised while calling functionName.
QString CommonDialogErrorMessage(const QString& functionName, int code);
// Title of that box.
inline constexpr const char* kCommonDialogErrorTitle = "  Common Dialog Error";

// Reports an extended error code: returns 0 for code 0, otherwise -1, and
// when show is true shows the error box (OK, exclamation) through dialogs.
int ShowDialogError(Dialogs& dialogs, bool show, const QString& functionName, int code);

// Text and title of the box for any other failure inside the open/save call.
QString DialogRuntimeErrorMessage(const CommonDialogError& error);
QString DialogRuntimeErrorTitle(const CommonDialogError& error);

// "Description|pattern|Description|pattern" -> Qt name filters
// ("Description (pattern)"); patterns separated by ';' become blank-separated.
QStringList ConvertFilter(const QString& filter);

// The open-file dialog as an object with settings: set the properties, call
// ShowOpen, read FileName. The chooser itself comes from Dialogs, so tests
// can script it.
class CommonDialog {
  public:
    explicit CommonDialog(Dialogs& dialogs);

    QWidget* OwnerHandle = nullptr;
    QString DialogTitle;
    QString Filter = QStringLiteral("All Files (*.*)|*.*");
    QString InitDir; // the current directory when the object is created
    QString DefaultExt;
    QString FileName;
    QString FileTitle;
    int Flags = 0;
    bool CancelError = false;

    // Shows the open dialog. True when a file was chosen; then FileName,
    // FileTitle, Flags and Filter hold the results. False leaves every
    // property as it was, or throws CommonDialogError 32755 when CancelError
    // is set.
    bool ShowOpen();

    // Where the extended error code of the last dialog comes from. Qt's file
    // dialog reports none, so by default this always answers 0; tests set it
    // to exercise the error path.
    void setExtendedErrorSource(std::function<int()> source) { extendedError_ = std::move(source); }

  private:
    bool ShowOpenSave(QWidget* owner, int& flags, QString& fileName, QString& fileTitle,
                      const QString& defaultExt, const QString& title, QString& filter,
                      const QString& initDir);

    Dialogs& dialogs_;
    std::function<int()> extendedError_;
};

} // namespace vellora
