// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace vellora {

// Message-box style bits, as the program passes them around.
namespace MsgStyle {
inline constexpr int Ok = 0;
inline constexpr int OkCancel = 1;
inline constexpr int YesNo = 4;
inline constexpr int Question = 32;
inline constexpr int Exclamation = 48;
inline constexpr int Information = 64;
inline constexpr int SystemModal = 4096;
} // namespace MsgStyle

// Button codes a message box returns.
namespace MsgResult {
inline constexpr int Ok = 1;
inline constexpr int Cancel = 2;
inline constexpr int Yes = 6;
inline constexpr int No = 7;
} // namespace MsgResult

inline constexpr const char* kAppTitle = "Vellora";

struct FileRequest {
    QString title;
    QString initialDir;
    QString fileName;         // suggested name
    QStringList filters;      // Qt name filters, e.g. "Bitmap Files (*.bmp)"
    int selectedFilter = 0;   // index into filters
    QWidget* owner = nullptr; // window the chooser is modal to; none: the usual owner
};

// The platform's dialogs behind one small interface, so the window's
// behaviour can be tested with scripted answers.
class Dialogs {
  public:
    virtual ~Dialogs() = default;
    // Modal message box; an empty title means the application title. A
    // positive timeout answers with the default button after that many
    // seconds. Returns 1 OK, 2 Cancel, 6 Yes, 7 No (0 if it could not show).
    virtual int messageBox(const QString& prompt, int style, const QString& title, int timeoutSeconds) = 0;
    // One-line input; empty text on Cancel.
    virtual QString inputBox(const QString& prompt, const QString& title) = 0;
    // One existing file, or an empty string when the user cancelled.
    virtual QString chooseFile(const FileRequest& request) = 0;
    // A file name to write (the chooser asks before replacing a file), or
    // an empty string when the user cancelled.
    virtual QString chooseSaveFile(const FileRequest& request) = 0;
    // An existing folder, or an empty string when the user cancelled.
    virtual QString chooseFolder(const FileRequest& request) = 0;
};

} // namespace vellora
