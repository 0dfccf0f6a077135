// SPDX-License-Identifier: MIT
#include "artwork.h"

#include <QLinearGradient>
#include <QPainter>

#include <algorithm>

namespace vellora::artwork {

namespace {

// A small grid of texels shrinking into a pyramid: the program's emblem.
void DrawEmblem(QPainter& p, const QRectF& r) {
    const QColor blue(0, 0, 127), light(0, 0, 254), yellow(255, 255, 0);
    // Each level is half the one before, so the row needs twice the first
    // square's width.
    double x = r.left();
    double size = std::min(r.height(), r.width() / 2);
    p.setBrush(Qt::NoBrush);
    int level = 0;
    while (size >= 2 && x + size <= r.right() + 0.5) {
        p.fillRect(QRectF(x, r.bottom() - size, size, size), level % 2 ? light : blue);
        p.setPen(QPen(yellow, std::max(1.0, size / 16)));
        p.drawRect(QRectF(x, r.bottom() - size, size, size));
        x += size;
        size /= 2;
        ++level;
    }
}

} // namespace

QPixmap ProgramIcon(int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(0, 200, 0));
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(0, 0, size, size), size / 8.0, size / 8.0);
    DrawEmblem(p, QRectF(size * 0.08, size * 0.2, size * 0.84, size * 0.6));
    return pm;
}

QPixmap Logo() {
    QPixmap pm(96, 64);
    QPainter p(&pm);
    QLinearGradient g(0, 0, 0, 64);
    g.setColorAt(0, QColor(56, 56, 128));
    g.setColorAt(1, QColor(20, 20, 60));
    p.fillRect(pm.rect(), g);
    DrawEmblem(p, QRectF(6, 10, 84, 40));
    p.setPen(Qt::white);
    QFont f = p.font();
    f.setPixelSize(10);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRect(0, 50, 96, 14), Qt::AlignCenter, QStringLiteral("Vellora"));
    return pm;
}

QPixmap ThemeIcon() {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    const QColor colours[] = {QColor(56, 56, 128), QColor(192, 0, 38), QColor(64, 162, 64),
                              QColor(255, 171, 64)};
    for (int i = 0; i < 4; ++i)
        p.fillRect((i % 2) * 8, (i / 2) * 8, 8, 8, colours[i]);
    p.setPen(Qt::black);
    p.drawRect(0, 0, 15, 15);
    return pm;
}

QPixmap MagnifierIcon() {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1.5));
    p.setBrush(QColor(200, 230, 255));
    p.drawEllipse(QRectF(1.5, 1.5, 9, 9));
    p.setPen(QPen(Qt::black, 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(9.5, 9.5), QPointF(14, 14));
    return pm;
}

} // namespace vellora::artwork
