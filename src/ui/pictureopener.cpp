// SPDX-License-Identifier: MIT
#include "ui/pictureopener.h"

#include "ui/dialogs.h"
#include "ui/loadhost.h"
#include "ui/loadsequence.h"
#include "ui/twips.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QLabel>
#include <QMenu>
#include <QSettings>
#include <QTimer>
#include <QToolButton>
#include <QWidget>

namespace vellora {

namespace {

const QString kRecentKey = QStringLiteral("recentFiles");
const QString kFolderKey = QStringLiteral("lastFolder");

} // namespace

PictureOpener::PictureOpener(QWidget& window, LoadHost& host, Dialogs& dialogs)
    : QObject(&window), window_(window), host_(host), dialogs_(dialogs) {
    QSettings settings;
    recent_ = settings.value(kRecentKey).toStringList().mid(0, kRecentCount);
    if (const QString folder = settings.value(kFolderKey).toString();
        !folder.isEmpty() && QDir(folder).exists())
        RememberChosenFile(QDir(folder).filePath(QStringLiteral("x")));
    recentMenu_ = new QMenu(&window_);
    recentMenu_->setObjectName(QStringLiteral("mnuRecent"));
    recentMenu_->setTitle(QStringLiteral("Recent files"));
    fillRecentMenu();

    watcher_ = new QFileSystemWatcher(this);
    settle_ = new QTimer(this);
    settle_->setSingleShot(true);
    settle_->setInterval(kSettleMs);
    connect(settle_, &QTimer::timeout, this, [this] {
        if (!file_.isEmpty())
            reload();
    });
    auto changed = [this](const QString&) {
        // An editor that saves by replacing the file drops it from the
        // watch; the folder's change brings it back.
        if (!file_.isEmpty() && !watcher_->files().contains(file_) && QFileInfo::exists(file_))
            watcher_->addPath(file_);
        settle_->start();
    };
    connect(watcher_, &QFileSystemWatcher::fileChanged, this, changed);
    connect(watcher_, &QFileSystemWatcher::directoryChanged, this, [this, changed](const QString& dir) {
        if (!file_.isEmpty() && QFileInfo(file_).absolutePath() == dir &&
            QFileInfo(file_).lastModified() != lastModified_)
            changed(dir);
    });
}

void PictureOpener::addControls() {
    auto* button = new QToolButton(&window_);
    button->setObjectName(QStringLiteral("cmdOpen"));
    button->setText(QStringLiteral("Open\u2026"));
    button->setToolTip(QStringLiteral("Open a picture in one step, no questions (Ctrl+O); the arrow "
                                      "lists the recent files. F5 reads it again."));
    button->setPopupMode(QToolButton::MenuButtonPopup);
    button->setMenu(recentMenu_);
    button->setGeometry(twipsRect(2775, 6210, 1100, 450));
    connect(button, &QToolButton::clicked, this, &PictureOpener::chooseAndOpen);
    auto* status = new QLabel(&window_);
    status->setObjectName(QStringLiteral("lblStatus"));
    status->setGeometry(twipsRect(3950, 6210, 1015, 450));
    status->setWordWrap(true);
    QFont small = status->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    status->setFont(small);
    connect(this, &PictureOpener::statusChanged, status, [status](const QString& text) {
        status->setText(text);
        status->setToolTip(text);
    });
}

void PictureOpener::chooseAndOpen() {
    FileRequest request;
    request.owner = &window_;
    request.title = QStringLiteral("Open Picture");
    request.initialDir = LastChosenFolder();
    request.filters = PictureFilters();
    const QString path = dialogs_.chooseFile(request);
    if (!path.isEmpty())
        open(path);
}

bool PictureOpener::open(const QString& path) {
    return load(path, false);
}

bool PictureOpener::reload() {
    if (file_.isEmpty())
        return false;
    return load(file_, true);
}

bool PictureOpener::load(const QString& path, bool reloading) {
    if (host_.guard().held()) {
        // Inside a count or a drawing pass: come back once it is done.
        QTimer::singleShot(0, this, [this, path, reloading] { load(path, reloading); });
        return false;
    }
    const QString absolute = QFileInfo(path).absoluteFilePath();
    const QDateTime stamp = QFileInfo(absolute).lastModified();
    const OpenResult result = OpenPicture(host_, absolute);
    if (!result.ok) {
        if (reloading) {
            setStatus(QStringLiteral("Kept the last good picture: ") + result.problem);
        } else {
            dialogs_.messageBox(result.problem, MsgStyle::Exclamation, QString(), 0);
        }
        return false;
    }
    if (!reloading) {
        remember(absolute);
        watch(absolute);
    }
    lastModified_ = stamp;
    QStringList status{(reloading ? QStringLiteral("Reloaded ") : QStringLiteral("Opened ")) +
                       QFileInfo(absolute).fileName() + QLatin1Char('.')};
    setStatus((status + result.notes).join(QLatin1Char(' ')));
    if (file_ != absolute) {
        file_ = absolute;
        emit openFileChanged(file_);
    }
    return true;
}

void PictureOpener::unwatch() {
    if (!watcher_->files().isEmpty())
        watcher_->removePaths(watcher_->files());
    if (!watcher_->directories().isEmpty())
        watcher_->removePaths(watcher_->directories());
    settle_->stop();
}

void PictureOpener::forget() {
    unwatch();
    if (!file_.isEmpty()) {
        file_.clear();
        emit openFileChanged(file_);
    }
    setStatus(QString());
}

void PictureOpener::remember(const QString& path) {
    recent_.removeAll(path);
    recent_.prepend(path);
    while (recent_.size() > kRecentCount)
        recent_.removeLast();
    QSettings settings;
    settings.setValue(kRecentKey, recent_);
    settings.setValue(kFolderKey, QFileInfo(path).absolutePath());
    fillRecentMenu();
}

void PictureOpener::fillRecentMenu() {
    recentMenu_->clear();
    for (const QString& path : recent_) {
        QAction* action = recentMenu_->addAction(QFileInfo(path).fileName());
        action->setToolTip(QDir::toNativeSeparators(path));
        connect(action, &QAction::triggered, this, [this, path] { open(path); });
    }
    recentMenu_->setEnabled(!recent_.isEmpty());
}

void PictureOpener::watch(const QString& path) {
    unwatch();
    watcher_->addPath(path);
    watcher_->addPath(QFileInfo(path).absolutePath());
}

void PictureOpener::setStatus(const QString& text) {
    if (text == status_)
        return;
    status_ = text;
    emit statusChanged(status_);
}

} // namespace vellora
