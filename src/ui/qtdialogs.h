// SPDX-License-Identifier: MIT
#pragma once

#include "ui/dialogs.h"

#include <QMessageBox>
#include <QPointer>

class QWidget;

namespace vellora {

// How a message-box style word looks on screen: its buttons, the one that
// Enter (and the timeout) chooses, and its icon.
struct MessageBoxLook {
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    bool stayOnTop = false; // system-modal boxes
};
MessageBoxLook MessageBoxLookFor(int style);

// The numeric code a caller receives for a clicked button (1 OK, 2 Cancel,
// 3 Abort, 4 Retry, 5 Ignore, 6 Yes, 7 No; 0 for anything else).
int MessageBoxCode(QMessageBox::StandardButton button);

// The real dialogs of the program, built on Qt's standard dialogs.
class QtDialogs : public Dialogs {
  public:
    explicit QtDialogs(QWidget* owner = nullptr);

    // Window the dialogs are modal to; when none is set (or it was deleted)
    // the application's active window is used.
    void setOwner(QWidget* owner) { owner_ = owner; }
    QWidget* owner() const { return owner_; }

    int messageBox(const QString& prompt, int style, const QString& title, int timeoutSeconds) override;
    QString inputBox(const QString& prompt, const QString& title) override;
    QString chooseFile(const FileRequest& request) override;
    QString chooseSaveFile(const FileRequest& request) override;
    QString chooseFolder(const FileRequest& request) override;

    // Length of one "second" of a message-box timeout. Only tests change it,
    // so a timed box can answer itself in milliseconds.
    void setTimeoutUnitMs(int ms) { timeoutUnitMs_ = ms; }

  private:
    QWidget* ownerFor(QWidget* preferred) const;

    QPointer<QWidget> owner_;
    int timeoutUnitMs_ = 1000;
};

} // namespace vellora
