// SPDX-License-Identifier: MIT
#include "ui/tmemmapview.h"

#include <QFrame>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace vellora {

namespace {

// The map was designed in twips for a page of 5934 x 5600 twips.
constexpr int kDesignPageWidthTwips = 5934;
constexpr int kDesignPageHeightTwips = 5600;

int TwipsPerPixel(int dpi) {
    return dpi > 0 ? std::max(1, static_cast<int>(std::lround(1440.0 / dpi))) : 15;
}

int ToPixels(double twips, int twipsPerPixel) {
    return static_cast<int>(std::lround(twips / twipsPerPixel));
}

} // namespace

TmemMapView::TmemMapView(QWidget* parent) : QWidget(parent) {
    static const char* const captions[2] = {"Lower TMEM", "Upper TMEM"};
    for (int i = 0; i < 2; ++i) {
        labels_[i] = new QLabel(QString::fromLatin1(captions[i]), this);
        labels_[i]->setObjectName(QStringLiteral("MapLabel%1").arg(i));
        labels_[i]->setAlignment(Qt::AlignCenter);
        labels_[i]->hide(); // placed and shown with the cells
    }
    divider_ = new QFrame(this);
    divider_->setObjectName(QStringLiteral("halfline"));
    divider_->setFrameShape(QFrame::Box);
    divider_->setFrameShadow(QFrame::Plain);
    divider_->setLineWidth(1);
    divider_->hide();
}

void TmemMapView::setMap(const TmemMap& map) {
    map_ = map;
    hasMap_ = true;
    cacheDirty_ = true;
    // A widget nobody has sized yet still has Qt's placeholder geometry; wait
    // for it to be shown rather than fixing the cells to that.
    if (!built_ && (testAttribute(Qt::WA_Resized) || isVisible()))
        buildLayout();
    update();
}

void TmemMapView::showEvent(QShowEvent* event) {
    if (!built_)
        buildLayout();
    QWidget::showEvent(event);
}

void TmemMapView::buildLayout() {
    built_ = true;
    cacheDirty_ = true;
    const int tx = TwipsPerPixel(logicalDpiX());
    const int ty = TwipsPerPixel(logicalDpiY());
    const int pageWidth = width() * tx;
    const int pageHeight = height() * ty;
    QFont labelFont = labels_[0]->font();
    double points = labelFont.pointSizeF();
    if (points <= 0) // a pixel-sized font
        points = labelFont.pixelSize() * 72.0 / std::max(1, logicalDpiY());
    const TmemLayout layout = ComputeTmemLayout(pageWidth, tx, ty, points);

    const double labelWidth = pageWidth / 2.0;
    for (int i = 0; i < 2; ++i) {
        const int left = ToPixels(i * labelWidth, tx);
        labels_[i]->setGeometry(left, ToPixels(layout.labelTop, ty),
                                ToPixels((i + 1) * labelWidth, tx) - left, ToPixels(layout.labelHeight, ty));
        labels_[i]->show();
    }
    const int dividerTop = ToPixels(layout.dividerTop, ty);
    divider_->setGeometry(ToPixels(layout.dividerLeft, tx), dividerTop, ToPixels(layout.dividerWidth, tx),
                          std::max(0, ToPixels(pageHeight, ty) - dividerTop));
    divider_->show();

    cellPixels_ = std::max(1, ToPixels(kTmemCellTwips, tx));
    for (int a = 0; a < kTmemBytes; ++a)
        cellPos_[a] = QPoint(ToPixels(layout.cells[a].left, tx), ToPixels(layout.cells[a].top, ty));
}

QColor TmemMapView::cellColour(int address) const {
    if (!hasMap_ || address < 0 || address >= kTmemBytes)
        return {};
    const Rgb rgb = ByteColourRgb(map_[address]);
    return QColor(rgb.r, rgb.g, rgb.b);
}

QRect TmemMapView::cellRect(int address) const {
    if (!built_ || address < 0 || address >= kTmemBytes)
        return {};
    return QRect(cellPos_[address], QSize(cellPixels_, cellPixels_));
}

QRect TmemMapView::dividerRect() const {
    return built_ ? divider_->geometry() : QRect();
}

QSize TmemMapView::sizeHint() const {
    const int tx = TwipsPerPixel(logicalDpiX());
    const int ty = TwipsPerPixel(logicalDpiY());
    return {ToPixels(kDesignPageWidthTwips, tx), ToPixels(kDesignPageHeightTwips, ty)};
}

// The cells are written straight into an image once per map and blitted:
// 4096 separate fills per paint cost more than the whole recalculation.
void TmemMapView::rebuildCache() {
    cacheDirty_ = false;
    int right = 0, bottom = 0;
    for (const QPoint& p : cellPos_) {
        right = std::max(right, p.x() + cellPixels_);
        bottom = std::max(bottom, p.y() + cellPixels_);
    }
    if (cache_.width() != right || cache_.height() != bottom)
        cache_ = QImage(right, bottom, QImage::Format_ARGB32_Premultiplied);
    cache_.fill(Qt::transparent);
    for (int a = 0; a < kTmemBytes; ++a) {
        const Rgb rgb = ByteColourRgb(map_[a]);
        const QRgb colour = qRgb(rgb.r, rgb.g, rgb.b);
        const int x0 = std::max(0, cellPos_[a].x());
        const int x1 = cellPos_[a].x() + cellPixels_;
        for (int y = std::max(0, cellPos_[a].y()); y < cellPos_[a].y() + cellPixels_; ++y) {
            auto* line = reinterpret_cast<QRgb*>(cache_.scanLine(y));
            std::fill(line + x0, line + std::max(x0, x1), colour);
        }
    }
}

void TmemMapView::paintEvent(QPaintEvent* event) {
    if (!built_ || !hasMap_)
        return;
    if (cacheDirty_)
        rebuildCache();
    QPainter painter(this);
    painter.drawImage(event->rect().topLeft(), cache_, event->rect());
}

} // namespace vellora
