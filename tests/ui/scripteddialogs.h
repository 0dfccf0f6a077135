// SPDX-License-Identifier: MIT
#pragma once

#include "ui/dialogs.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace vellora {

// Answers every dialog from queues the test fills in advance, and records
// what was asked. An empty queue answers like a user pressing Escape / Cancel
// (message box: 0 unless a default is set), so a missing answer shows up as a
// failing expectation instead of a hang.
class ScriptedDialogs : public Dialogs {
  public:
    struct Message {
        QString prompt;
        int style = 0;
        QString title;
        int timeout = 0;
    };
    struct Input {
        QString prompt;
        QString title;
    };

    QList<int> messageAnswers;
    QStringList inputAnswers;
    QStringList fileAnswers;
    QStringList saveAnswers;
    QStringList folderAnswers;
    int defaultMessageAnswer = 0;

    QList<Message> messages;
    QList<Input> inputs;
    QList<FileRequest> fileRequests;
    QList<FileRequest> saveRequests;
    QList<FileRequest> folderRequests;

    int messageBox(const QString& prompt, int style, const QString& title, int timeoutSeconds) override {
        messages.append({prompt, style, title.isEmpty() ? QString(kAppTitle) : title, timeoutSeconds});
        return messageAnswers.isEmpty() ? defaultMessageAnswer : messageAnswers.takeFirst();
    }
    QString inputBox(const QString& prompt, const QString& title) override {
        inputs.append({prompt, title});
        return inputAnswers.isEmpty() ? QString() : inputAnswers.takeFirst();
    }
    QString chooseFile(const FileRequest& request) override {
        fileRequests.append(request);
        return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
    }
    QString chooseSaveFile(const FileRequest& request) override {
        saveRequests.append(request);
        return saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
    }
    QString chooseFolder(const FileRequest& request) override {
        folderRequests.append(request);
        return folderAnswers.isEmpty() ? QString() : folderAnswers.takeFirst();
    }
};

} // namespace vellora
