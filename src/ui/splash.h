// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>

class QFrame;
class QLabel;

namespace vellora {

// The window shown while the first preview is drawn. A key press or a click
// on its frame closes it early.
class Splash : public QWidget {
    Q_OBJECT
  public:
    explicit Splash(QWidget* parent = nullptr);
    // Sets the version and product labels and lets the splash paint.
    void showAndPaint();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QFrame* frame_ = nullptr;
    QLabel* productName_ = nullptr;
    QLabel* version_ = nullptr;
};

} // namespace vellora
