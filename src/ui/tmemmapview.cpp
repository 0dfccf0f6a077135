// SPDX-License-Identifier: MIT
#include "ui/tmemmapview.h"

#include <QFrame>
#include <QHelpEvent>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QToolTip>

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
    layout_ = TmemLayoutInPixels(ComputeTmemLayout(pageWidth, tx, ty, points), pageWidth, pageHeight, tx, ty);
    for (int i = 0; i < 2; ++i) {
        const PixelRect& r = layout_.labels[static_cast<std::size_t>(i)];
        labels_[i]->setGeometry(r.x, r.y, r.width, r.height);
        labels_[i]->show();
    }
    const PixelRect& d = layout_.divider;
    divider_->setGeometry(d.x, d.y, d.width, d.height);
    divider_->show();
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
    const PixelRect& c = layout_.cells[static_cast<std::size_t>(address)];
    return QRect(c.x, c.y, c.width, c.height);
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
    const int right = layout_.cellsRight, bottom = layout_.cellsBottom;
    if (cache_.width() != right || cache_.height() != bottom)
        cache_ = QImage(right, bottom, QImage::Format_ARGB32_Premultiplied);
    cache_.fill(Qt::transparent);
    // The same cell painting as the command line's map picture; opaque
    // 0xFFRRGGBB is the image's own pixel format.
    PaintTmemCells(map_, layout_, reinterpret_cast<std::uint32_t*>(cache_.bits()), cache_.width(),
                   cache_.height(), static_cast<int>(cache_.bytesPerLine() / 4));
}

int TmemMapView::addressAt(const QPoint& point) const {
    if (!built_)
        return -1;
    // Cells lie in 8 columns of 64 lines: find the column and line by the
    // first cell of each, then check the byte's own square.
    for (int a = 0; a < kTmemBytes; a += 8) {
        const QRect first = cellRect(a);
        const QRect last = cellRect(a + 7);
        if (point.y() < first.top() || point.y() > first.bottom() || point.x() < first.left() ||
            point.x() > last.right())
            continue;
        for (int b = a; b < a + 8; ++b)
            if (cellRect(b).contains(point))
                return b;
    }
    return -1;
}

bool TmemMapView::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip && toolTipSource_) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int address = addressAt(help->pos());
        if (address >= 0)
            QToolTip::showText(help->globalPos(), toolTipSource_(address), this, cellRect(address));
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
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
