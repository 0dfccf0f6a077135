// SPDX-License-Identifier: MIT
#include "previewsurface.h"

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
    for (int y = 0; y < canvas.height; ++y) {
        const std::uint8_t* in = canvas.pixel(0, y);
        auto* out = reinterpret_cast<QRgb*>(image_.scanLine(y));
        for (int x = 0; x < canvas.width; ++x, in += 3)
            out[x] = 0xFF000000u | (QRgb{in[0]} << 16) | (QRgb{in[1]} << 8) | in[2];
    }
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
