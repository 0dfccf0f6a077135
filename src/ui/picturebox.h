// SPDX-License-Identifier: MIT
#pragma once

#include <QPixmap>
#include <QWidget>

namespace vellora {

// A picture box: draws one picture (stretched or at its own size) and keeps
// its own colours when a theme recolours the window.
class PictureBox : public QWidget {
    Q_OBJECT
  public:
    explicit PictureBox(QWidget* parent = nullptr);
    void setPicture(const QPixmap& picture, bool stretch = false);
    const QPixmap& picture() const { return picture_; }

  signals:
    void clicked();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    QPixmap picture_;
    bool stretch_ = false;
};

} // namespace vellora
