// SPDX-License-Identifier: MIT
#pragma once

#include "preview/renderer.h"

#include <QImage>
#include <QSize>
#include <QWidget>

namespace vellora {

// picPreview: the surface a drawing pass paints on. Only the visible top-left
// part of the surface is ever held as pixels; the full surface exists only as
// a size (3 x 3 repeats at high zoom would be far too large to keep). The
// window decides the widget's geometry, usually from surfaceSize().
class PreviewSurface : public QWidget {
    Q_OBJECT
  public:
    explicit PreviewSurface(QWidget* parent = nullptr);

    QSize surfaceSize() const { return surfaceSize_; }
    void setSurfaceSize(QSize size);

    // Nothing drawn: the widget shows only its own background.
    void clearSurface();
    bool isClear() const { return !shown_; }

    // Shows the pixels of the surface's top-left corner. They are kept in the
    // format the window is painted in, in one buffer reused from pass to
    // pass, so a redraw neither allocates nor converts when it is painted.
    void showCanvas(const PreviewCanvas& canvas);
    // What is shown; a null image while the surface is clear.
    QImage image() const { return shown_ ? image_ : QImage(); }

  signals:
    void surfaceSizeChanged(QSize size);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QSize surfaceSize_;
    QImage image_;
    bool shown_ = false;
};

} // namespace vellora
