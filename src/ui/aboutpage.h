// SPDX-License-Identifier: MIT
#pragma once

#include <QFrame>
#include <QString>

class QLabel;
class QPlainTextEdit;

namespace vellora {

// The About page: the logo, the version and the help text.
class AboutPage : public QFrame {
  public:
    explicit AboutPage(QWidget* parent);
    void setVersion(const QString& version);
    QPlainTextEdit* textBox() const { return txtAbout_; }

  private:
    QLabel* lblVersion_ = nullptr;
    QPlainTextEdit* txtAbout_ = nullptr;
};

// The About page's help text, lines joined by CR LF.
QString AboutText();

} // namespace vellora
