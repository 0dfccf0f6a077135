// SPDX-License-Identifier: MIT
#include "previewsurface.h"

#include <QPainter>

namespace vellora {

PreviewSurface::PreviewSurface(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("picPreview"));
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
    image_ = QImage();
    update();
}

void PreviewSurface::setImage(const QImage& image) {
    image_ = image;
    update();
}

void PreviewSurface::paintEvent(QPaintEvent*) {
    if (image_.isNull())
        return;
    // Pixels past the surface's edge belong to no surface and stay unpainted.
    QRect held = QRect(QPoint(0, 0), image_.size()).intersected(QRect(QPoint(0, 0), surfaceSize_));
    if (held.isEmpty())
        return;
    QPainter p(this);
    p.drawImage(held.topLeft(), image_, held);
}

} // namespace vellora
