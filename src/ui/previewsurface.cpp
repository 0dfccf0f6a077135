// SPDX-License-Identifier: MIT
#include "previewsurface.h"

#include "preview/rowkernels.h"

#include <QPaintEvent>
#include <QPainter>
#include <QRegion>

namespace vellora {

PreviewSurface::PreviewSurface(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("picPreview"));
    // The surface paints every pixel of itself, so nothing under it needs
    // painting first; the picture is as large as the page.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PreviewSurface::setSurfaceSize(QSize size) {
    size = size.expandedTo(QSize(0, 0));
    if (size == surfaceSize_)
        return;
    surfaceSize_ = size;
    update();
    emit surfaceSizeChanged(size);
}

void PreviewSurface::clearSurface() {
    shown_ = false;
    update();
}

void PreviewSurface::showCanvas(const PreviewCanvas& canvas) {
    if (canvas.width <= 0 || canvas.height <= 0 || canvas.rgb.empty()) {
        clearSurface();
        return;
    }
    if (image_.width() != canvas.width || image_.height() != canvas.height)
        image_ = QImage(canvas.width, canvas.height, QImage::Format_RGB32);
    for (int y = 0; y < canvas.height; ++y)
        RgbToXrgb(canvas.pixel(0, y), reinterpret_cast<std::uint32_t*>(image_.scanLine(y)), canvas.width);
    shown_ = true;
    update();
}

void PreviewSurface::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    // Pixels past the surface's edge belong to no surface and show the
    // background.
    const QRect held =
        shown_ ? QRect(QPoint(0, 0), image_.size()).intersected(QRect(QPoint(0, 0), surfaceSize_)) : QRect();
    const QRegion rest = QRegion(event->rect()).subtracted(held);
    for (const QRect& r : rest)
        p.fillRect(r, palette().color(QPalette::Window));
    if (!held.isEmpty())
        p.drawImage(held.topLeft(), image_, held);
}

} // namespace vellora
