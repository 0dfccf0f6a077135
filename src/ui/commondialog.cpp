// SPDX-License-Identifier: MIT
#include "ui/commondialog.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QWidget>

#include <utility>

namespace vellora {

namespace {

struct ErrorText {
    int code;
    const char* text; // UTF-8, "\r" where the message breaks a line
};

constexpr ErrorText kErrorTexts[] = {
    {1, "The lStructSize member of the initialization structure for the corresponding common dialog box is "
        "invalid."},
    {2,
     "The common dialog box function failed during initialization. This error often occurs when sufficient "
     "memory is not available."},
    {3, "The ENABLETEMPLATE flag was set in the Flags member of the initialization structure for the "
        "corresponding common dialog box, but a corresponding template was not provided."},
    {4, "The ENABLETEMPLATE flag was set in the Flags member of the initialization structure for the "
        "corresponding common dialog box, but a corresponding instance handle was not provide."},
    {5, "The common dialog box function failed to load a specified string."},
    {6, "The common dialog box function failed to find a specified resource."},
    {7, "The common dialog box function failed to load a specified resource."},
    {8, "The common dialog box function failed to lock a specified resource."},
    {9, "The common dialog box function was unable to allocate memory for internal structures."},
    {10, "The common dialog box function was unable to lock the memory associated with a handle."},
    {11,
     "The ENABLEHOOK flag was set in the Flags member of the initialization structure for the "
     "corresponding common dialog box, but a pointer to a corresponding hook procedure was not provided."},
    {12, "The RegisterWindowMessage function returned an error code when it was called by the common dialog "
         "box function."},
    {4097, "The DLG_PrintDialog function failed to load the required resources."},
    {4098, "The DLG_PrintDialog function failed to parse the strings in the [devices] section of the WIN.INI "
           "file."},
    {4099, "The PD_RETURNDEFAULT flag was specified in the Flags member of the PRINTDLG structure, but the "
           "hDevMode or hDevNames member was not NULL."},
    {4100, "The DLG_PrintDialog function failed to load the device driver for the specified printer."},
    {4101, "The printer driver failed to initialize a DEVMODE structure.\rThis error code applies only to "
           "printer drivers written for Windows versions 3.0 and later."},
    {4102,
     "The DLG_PrintDialog function failed during initialization, and there is no more specific extended "
     "error code to describe the failure."},
    {4103, "No printer drivers were found."},
    {4104, "A default printer does not exist."},
    {4105, "The data in the DEVMODE and DEVNAMES structures describes two different printers."},
    {4106, "The DLG_PrintDialog function failed when it attempted to create an information context."},
    {4107, "The [devices] section of the WIN.INI file did not contain an entry for the requested printer."},
    {4108,
     "You called the DLG_PrintDialog function with the DN_DEFAULTPRN flag specified in the wDefault "
     "member of the DEVNAMES structure, but the printer described by the other structure members did "
     "not match the current default printer.\r\rThis error occurs when the DEVNAMES structure is stored "
     "and the user changes the default printer by using the Control Panel."},
    {8193, "No fonts exist."},
    {8194, "The size specified in the nSizeMax member of the CHOOSEFONT structure is less than the size "
           "specified in the nSizeMin member."},
    {12289, "An attempt to subclass a list box failed because sufficient memory was not available."},
    {12290, "A filename is invalid."},
    {12291,
     "The buffer pointed to by the lpstrFile member of the OPENFILENAME structure is too small for the "
     "filename specified by the user."},
    {65535,
     "The dialog box could not be created.\rThe common dialog box function\u2019s call to the DialogBox "
     "function failed. For example, this error occurs if the common dialog box call specifies an "
     "invalid window handle."},
};

const QString kCR = QStringLiteral("\r");

bool IsOwnerCandidate(const QWidget* w) {
    if (!w->isWindow() || !w->isVisible())
        return false;
    const Qt::WindowType type = w->windowType();
    return type == Qt::Window || type == Qt::Dialog;
}

} // namespace

CommonDialogError::CommonDialogError(int number, const QString& description, const QString& source)
    : std::runtime_error(description.toStdString()), number_(number), description_(description),
      source_(source) {}

QWidget* GetHandle(QWidget* form) {
    if (form)
        return form;
    if (QWidget* active = QApplication::activeWindow())
        return active;
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    // Nothing of ours is active: settle for any window that is on screen.
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* w : windows) {
        if (IsOwnerCandidate(w))
            return w;
    }
    throw CommonDialogError(361, QStringLiteral("Unable to Get any Handle"), QStringLiteral("GetHandle"));
}

QString CommonDialogErrorDescription(int code) {
    if (code == 0)
        return QString();
    for (const ErrorText& entry : kErrorTexts) {
        if (entry.code == code)
            return QString::fromUtf8(entry.text);
    }
    return QStringLiteral("Unknown Error");
}

QString CommonDialogErrorMessage(const QString& functionName, int code) {
    return QStringLiteral("COMDLG32.DLL encountered the following error while calling the '") + functionName +
           QStringLiteral("' function:") + kCR + kCR + QStringLiteral("Error Number = ") +
           QString::number(code) + kCR + QStringLiteral("Error Description = ") +
           CommonDialogErrorDescription(code);
}

int ShowDialogError(Dialogs& dialogs, bool show, const QString& functionName, int code) {
    if (code == 0)
        return 0;
    if (show) {
        dialogs.messageBox(CommonDialogErrorMessage(functionName, code), MsgStyle::Exclamation,
                           QString::fromLatin1(kCommonDialogErrorTitle), 0);
    }
    return -1;
}

QString DialogRuntimeErrorMessage(const CommonDialogError& error) {
    return error.source() +
           QStringLiteral(" encountered the following error in the CD_ShowOpen_Save function:") + kCR + kCR +
           QStringLiteral("Error Number = ") + QString::number(error.number()) + kCR +
           QStringLiteral("Error Description = ") + error.description();
}

QString DialogRuntimeErrorTitle(const CommonDialogError& error) {
    return QStringLiteral("  Error  -  ") + error.description();
}

QStringList ConvertFilter(const QString& filter) {
    QStringList result;
    const QStringList parts = filter.split(QLatin1Char('|'));
    // A description without a pattern after it offers nothing to pick.
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& p : patterns)
            p = p.trimmed();
        patterns.removeAll(QString());
        if (patterns.isEmpty())
            continue;
        const QString joined = patterns.join(QLatin1Char(' '));
        const QString bracketed = QLatin1Char('(') + joined + QLatin1Char(')');
        // Qt takes the patterns from the last brackets of the entry, so a
        // description that already ends with them can stand alone; one that
        // ends with them in the ';' spelling gets Qt's spelling instead.
        const QString listed = QLatin1Char('(') + patterns.join(QLatin1Char(';')) + QLatin1Char(')');
        if (description.endsWith(bracketed))
            result.append(description);
        else if (description.endsWith(listed))
            result.append(description.left(description.size() - listed.size()) + bracketed);
        else if (description.isEmpty())
            result.append(bracketed);
        else
            result.append(description + QLatin1Char(' ') + bracketed);
    }
    return result;
}

CommonDialog::CommonDialog(Dialogs& dialogs) : InitDir(QDir::currentPath()), dialogs_(dialogs) {}

bool CommonDialog::ShowOpen() {
    int flags = Flags;
    QString fileName = FileName;
    QString fileTitle = FileTitle;
    QString filter = Filter;
    if (ShowOpenSave(OwnerHandle, flags, fileName, fileTitle, DefaultExt, DialogTitle, filter, InitDir)) {
        Flags = flags;
        FileName = fileName;
        FileTitle = fileTitle;
        Filter = filter;
        return true;
    }
    if (CancelError) {
        throw CommonDialogError(32755, QStringLiteral("Cancel was selected"),
                                QStringLiteral("basCOMDLG32 - CD_ShowOpen_Save"));
    }
    return false;
}

bool CommonDialog::ShowOpenSave(QWidget* owner, int& flags, QString& fileName, QString& fileTitle,
                                const QString& defaultExt, const QString& title, QString& filter,
                                const QString& initDir) {
    // An existing file is required, so there is never a typed name for a
    // default extension to complete.
    Q_UNUSED(defaultExt);
    try {
        FileRequest request;
        request.owner = owner;
        request.title = title;
        request.initialDir = initDir.isEmpty() ? QDir::currentPath() : initDir;
        request.fileName = fileName;
        request.filters = ConvertFilter(filter);
        request.selectedFilter = 0;

        const QString chosen = dialogs_.chooseFile(request);
        const int code = extendedError_ ? extendedError_() : 0;
        if (ShowDialogError(dialogs_, true, QStringLiteral("DLG_GetOpenFileName"), code) != 0 ||
            chosen.isEmpty()) {
            flags = 0;
            fileName.clear();
            fileTitle.clear();
            filter.clear();
            return false;
        }
        // The chooser keeps no filter of the user's own, so none comes back.
        filter.clear();
        fileName = chosen;
        fileTitle = QFileInfo(chosen).fileName();
        return true;
    } catch (const CommonDialogError& error) {
        dialogs_.messageBox(DialogRuntimeErrorMessage(error), MsgStyle::Exclamation,
                            DialogRuntimeErrorTitle(error), 0);
    } catch (const std::exception& error) {
        const CommonDialogError wrapped(0, QString::fromLocal8Bit(error.what()),
                                        QString::fromLatin1(kAppTitle));
        dialogs_.messageBox(DialogRuntimeErrorMessage(wrapped), MsgStyle::Exclamation,
                            DialogRuntimeErrorTitle(wrapped), 0);
    }
    return false;
}

} // namespace vellora
