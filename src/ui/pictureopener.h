// SPDX-License-Identifier: MIT
#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QFileSystemWatcher;
class QMenu;
class QTimer;
class QWidget;

namespace vellora {

class Dialogs;
class LoadHost;

// Opening a picture in one step, beside the guided load: Ctrl+O, a drop, a
// file given on the command line or a recent file. It remembers the last
// ten files and the last folder between runs, names the open file, and
// reloads it whenever it is saved again (F5 by hand).
class PictureOpener : public QObject {
    Q_OBJECT
  public:
    static constexpr int kRecentCount = 10;
    // A save is followed by more writes; the reload waits this long after
    // the last one.
    static constexpr int kSettleMs = 60;

    PictureOpener(QWidget& window, LoadHost& host, Dialogs& dialogs);

    // Asks for a picture and opens it.
    void chooseAndOpen();
    // Opens a picture; a file that cannot be used is explained in a
    // message box and changes nothing.
    bool open(const QString& path);
    // Reads the open file again; a broken or half-written file keeps the
    // last good picture and says so in the status line.
    bool reload();

    // The "Open..." button with the recent files, and the status line,
    // placed on the window between the load and exit buttons.
    void addControls();

    QString openFile() const { return file_; }
    QStringList recentFiles() const { return recent_; }
    QMenu* recentMenu() const { return recentMenu_; }
    QString status() const { return status_; }
    // The guided load replaced the picture: nothing is open in one step.
    void forget();

  signals:
    void openFileChanged(const QString& path);
    void statusChanged(const QString& text);

  private:
    bool load(const QString& path, bool reloading);
    void remember(const QString& path);
    void fillRecentMenu();
    void watch(const QString& path);
    void unwatch();
    void setStatus(const QString& text);

    QWidget& window_;
    LoadHost& host_;
    Dialogs& dialogs_;
    QString file_;
    QDateTime lastModified_; // of the open file when it was last read
    QString status_;
    QStringList recent_;
    QMenu* recentMenu_ = nullptr;
    QFileSystemWatcher* watcher_ = nullptr;
    QTimer* settle_ = nullptr;
};

} // namespace vellora
