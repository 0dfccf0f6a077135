// SPDX-License-Identifier: MIT
#include "ui/qtdialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>

#include <algorithm>
#include <climits>

namespace vellora {

namespace {

using Btn = QMessageBox::StandardButton;

// The button rows of the style word's low four bits, in the order the
// platform shows them; the default-button bits count along this order.
QList<Btn> ButtonRow(int style) {
    switch (style & 0xF) {
    case 1:
        return {QMessageBox::Ok, QMessageBox::Cancel};
    case 2:
        return {QMessageBox::Abort, QMessageBox::Retry, QMessageBox::Ignore};
    case 3:
        return {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel};
    case 4:
        return {QMessageBox::Yes, QMessageBox::No};
    case 5:
        return {QMessageBox::Retry, QMessageBox::Cancel};
    default:
        return {QMessageBox::Ok};
    }
}

// Windows-style texts break lines with CR LF, and some with a lone CR; the
// label only understands LF.
QString PlainLines(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QString TitleOrApp(const QString& title) {
    return title.isEmpty() ? QString::fromLatin1(kAppTitle) : title;
}

} // namespace

MessageBoxLook MessageBoxLookFor(int style) {
    MessageBoxLook look;
    const QList<Btn> row = ButtonRow(style);
    for (Btn b : row)
        look.buttons |= b;
    const int defaultIndex = (style >> 8) & 0xF; // 0x100 second, 0x200 third, 0x300 fourth
    look.defaultButton = defaultIndex < row.size() ? row[defaultIndex] : row.front();
    switch (style & 0xF0) {
    case 16:
        look.icon = QMessageBox::Critical;
        break;
    case 32:
        look.icon = QMessageBox::Question;
        break;
    case 48:
        look.icon = QMessageBox::Warning;
        break;
    case 64:
        look.icon = QMessageBox::Information;
        break;
    default:
        look.icon = QMessageBox::NoIcon;
        break;
    }
    look.stayOnTop = (style & MsgStyle::SystemModal) != 0;
    return look;
}

int MessageBoxCode(QMessageBox::StandardButton button) {
    switch (button) {
    case QMessageBox::Ok:
        return MsgResult::Ok;
    case QMessageBox::Cancel:
        return MsgResult::Cancel;
    case QMessageBox::Abort:
        return 3;
    case QMessageBox::Retry:
        return 4;
    case QMessageBox::Ignore:
        return 5;
    case QMessageBox::Yes:
        return MsgResult::Yes;
    case QMessageBox::No:
        return MsgResult::No;
    default:
        return 0;
    }
}

QtDialogs::QtDialogs(QWidget* owner) : owner_(owner) {}

QWidget* QtDialogs::ownerFor(QWidget* preferred) const {
    if (preferred)
        return preferred;
    if (owner_)
        return owner_.data();
    if (QWidget* active = QApplication::activeWindow())
        return active;
    return QApplication::activeModalWidget();
}

int QtDialogs::messageBox(const QString& prompt, int style, const QString& title, int timeoutSeconds) {
    const MessageBoxLook look = MessageBoxLookFor(style);
    QMessageBox box(ownerFor(nullptr));
    box.setWindowTitle(TitleOrApp(title));
    box.setTextFormat(Qt::PlainText);
    box.setText(PlainLines(prompt));
    box.setIcon(look.icon);
    box.setStandardButtons(look.buttons);
    box.setDefaultButton(look.defaultButton);
    box.setWindowModality(Qt::ApplicationModal);
    if (look.stayOnTop)
        box.setWindowFlag(Qt::WindowStaysOnTopHint);

    if (timeoutSeconds > 0) {
        // The timer belongs to the box: once the box is answered and gone, the
        // timer is gone with it and cannot answer a later box by mistake.
        auto* timer = new QTimer(&box);
        timer->setSingleShot(true);
        const long long ms = static_cast<long long>(timeoutSeconds) * std::max(timeoutUnitMs_, 0);
        timer->setInterval(static_cast<int>(std::min<long long>(ms, INT_MAX)));
        QObject::connect(timer, &QTimer::timeout, &box, [&box] {
            if (QAbstractButton* button = box.defaultButton())
                button->click();
        });
        timer->start();
    }

    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    return clicked ? MessageBoxCode(box.standardButton(clicked)) : 0;
}

QString QtDialogs::inputBox(const QString& prompt, const QString& title) {
    QInputDialog dialog(ownerFor(nullptr));
    dialog.setWindowTitle(TitleOrApp(title));
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setLabelText(PlainLines(prompt));
    dialog.setTextValue(QString());
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return dialog.textValue();
}

namespace {

// Qt's own dialog behaves the same on every platform and under test.
void Prepare(QFileDialog& dialog, const FileRequest& request) {
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (!request.filters.isEmpty()) {
        dialog.setNameFilters(request.filters);
        const int index = request.selectedFilter >= 0 && request.selectedFilter < request.filters.size()
                              ? request.selectedFilter
                              : 0;
        dialog.selectNameFilter(request.filters[index]);
    }
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
}

QString FirstSelected(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : files.front();
}

} // namespace

QString QtDialogs::chooseFile(const FileRequest& request) {
    const QString dir = request.initialDir.isEmpty() ? QDir::currentPath() : request.initialDir;
    QFileDialog dialog(ownerFor(request.owner), request.title, dir);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    Prepare(dialog, request);
    const QString file = FirstSelected(dialog);
    // A FIFO or a device is handed on as well: the reader then says why it
    // cannot be read, where dropping it here would close the dialog silently.
    if (file.isEmpty() || !QFileInfo::exists(file) || QFileInfo(file).isDir())
        return QString();
    return file;
}

QString QtDialogs::chooseSaveFile(const FileRequest& request) {
    const QString dir = request.initialDir.isEmpty() ? QDir::currentPath() : request.initialDir;
    QFileDialog dialog(ownerFor(request.owner), request.title, dir);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // A name typed without an extension takes the one of the kind of file chosen.
    const auto suffixOf = [](const QString& filter) {
        const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("\\*\\.(\\w+)")).match(filter);
        return m.hasMatch() ? m.captured(1) : QStringLiteral("png");
    };
    dialog.setDefaultSuffix(suffixOf(request.filters.value(request.selectedFilter)));
    QObject::connect(
        &dialog, &QFileDialog::filterSelected, &dialog,
        [&dialog, suffixOf](const QString& filter) { dialog.setDefaultSuffix(suffixOf(filter)); });
    Prepare(dialog, request);
    return FirstSelected(dialog);
}

QString QtDialogs::chooseFolder(const FileRequest& request) {
    const QString dir = request.initialDir.isEmpty() ? QDir::currentPath() : request.initialDir;
    QFileDialog dialog(ownerFor(request.owner), request.title, dir);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    Prepare(dialog, request);
    return FirstSelected(dialog);
}

} // namespace vellora
