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

void TmemMapView::setMap(const TmemMap& map, const std::optional<TmemLevels>& levels) {
    map_ = map;
    levels_ = levels;
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
    const ByteColour b = map_[address];
    const std::int8_t level = levels_ ? (*levels_)[static_cast<std::size_t>(address)] : std::int8_t{-1};
    const bool levelTexel = b == ByteColour::EvenLevel || b == ByteColour::OddLevel;
    const Rgb rgb = levelTexel && level >= 0 ? LevelColourRgb(level) : ByteColourRgb(b);
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
                   cache_.height(), static_cast<int>(cache_.bytesPerLine() / 4),
                   levels_ ? &*levels_ : nullptr);
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
    // A theme's new text colour redraws the legend.
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::FontChange)
        legendCache_ = QPixmap();
    return QWidget::event(event);
}

void TmemMapView::paintEvent(QPaintEvent* event) {
    if (!built_ || !hasMap_)
        return;
    if (cacheDirty_)
        rebuildCache();
    QPainter painter(this);
    painter.drawImage(event->rect().topLeft(), cache_, event->rect());
    paintLegend(painter);
}

void TmemMapView::setLegend(std::vector<LegendEntry> legend) {
    if (legend == legend_)
        return;
    legend_ = std::move(legend);
    legendCache_ = QPixmap();
    update();
}

void TmemMapView::paintLegend(QPainter& painter) {
    if (legend_.empty())
        return;
    // Drawn once for each legend: its text costs more to lay out than the
    // cells to paint, and most counts keep the legend they had.
    const QRect room(0, layout_.cellsBottom, width(), std::max(0, height() - layout_.cellsBottom));
    if (legendCache_.isNull() || legendCache_.size() != room.size() * devicePixelRatioF()) {
        legendCache_ = QPixmap(room.size() * devicePixelRatioF());
        legendCache_.setDevicePixelRatio(devicePixelRatioF());
        legendCache_.fill(Qt::transparent);
        QPainter legend(&legendCache_);
        legend.translate(0, -room.top());
        drawLegend(legend);
    }
    painter.drawPixmap(room.topLeft(), legendCache_);
}

void TmemMapView::drawLegend(QPainter& painter) {
    // Under the cells, left to right, on as many lines as it takes.
    QFont font = this->font();
    font.setPixelSize(std::max(8, layout_.cellSize * 2));
    painter.setFont(font);
    const QFontMetrics metrics(font);
    const int swatch = metrics.height() - 4;
    const int left = layout_.cells[0].x;
    int x = left;
    int y = layout_.cellsBottom + 3;
    for (const LegendEntry& e : legend_) {
        const int width = swatch + 3 + metrics.horizontalAdvance(e.name) + 8;
        if (x + width > layout_.cellsRight && x > left) {
            x = left;
            y += metrics.height();
        }
        painter.fillRect(QRect(x, y + 2, swatch, swatch), e.colour);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(QPoint(x + swatch + 3, y + metrics.ascent()), e.name);
        x += width;
    }
}

std::vector<TmemMapView::LegendEntry>
TmemMapView::LegendOf(const TmemMap& map, const TmemLevels& levels,
                      const std::function<QString(int record)>& levelName) {
    std::vector<LegendEntry> legend;
    // One pass: which colours occur, and which levels among the texels.
    std::array<bool, kByteColourCount> present{};
    unsigned seen = 0;
    for (std::size_t a = 0; a < map.size(); ++a) {
        const ByteColour b = map[a];
        present[static_cast<std::size_t>(b)] = true;
        if ((b == ByteColour::EvenLevel || b == ByteColour::OddLevel) && levels[a] >= 0)
            seen |= 1u << (levels[a] & 15);
    }
    const auto has = [&present](ByteColour b) { return present[static_cast<std::size_t>(b)]; };
    const bool padding = has(ByteColour::Padding), palette = has(ByteColour::FreePalette),
               high = has(ByteColour::EvenLevelHigh) || has(ByteColour::OddLevelHigh),
               free = has(ByteColour::Free);
    auto colour = [](Rgb rgb) { return QColor(rgb.r, rgb.g, rgb.b); };
    for (int r = 0; r <= kLevelCount; ++r)
        if (seen & (1u << r))
            legend.push_back({levelName(r), colour(LevelColourRgb(r))});
    if (padding)
        legend.push_back({QStringLiteral("padding"), colour(ByteColourRgb(ByteColour::Padding))});
    if (high)
        legend.push_back({QStringLiteral("out of place"), colour(ByteColourRgb(ByteColour::OddLevelHigh))});
    if (palette)
        legend.push_back({QStringLiteral("palette"), colour(ByteColourRgb(ByteColour::FreePalette))});
    if (free)
        legend.push_back({QStringLiteral("free"), colour(ByteColourRgb(ByteColour::Free))});
    return legend;
}

QString LevelName(LevelRole role, int distance) {
    switch (role) {
    case LevelRole::Detail:
        return QStringLiteral("detail");
    case LevelRole::Base:
        return QStringLiteral("base");
    case LevelRole::Mip:
        break;
    }
    return QStringLiteral("level %1").arg(distance);
}

QString LegendLevelName(LevelRole role, int distance) {
    // The mips read as a run, "level 1", "2", "3", so the legend stays on
    // the page's last lines.
    if (role == LevelRole::Mip && distance > 1)
        return QString::number(distance);
    return LevelName(role, distance);
}

void ShowCountMap(TmemMapView& view, const Count& count) {
    const TmemLevels levels = LevelsOfBytes(count);
    view.setMap(count.tmemMap, levels);
    // A record's level, or none: the names below follow from it.
    auto levelOf = [&count](int record) -> const CountedLevel* {
        for (const CountedLevel& l : count.levels)
            if (l.index == record)
                return &l;
        return nullptr;
    };
    view.setLegend(TmemMapView::LegendOf(count.tmemMap, levels, [&](int record) {
        const CountedLevel* l = levelOf(record);
        return l ? LegendLevelName(l->role, l->index - count.detailFlag) : QString();
    }));
    view.setToolTipSource([count](int address) {
        // Addressed as the hardware map's tips are: 0x and three hex digits.
        QString text = QStringLiteral("0x") +
                       QString::number(address, 16).toUpper().rightJustified(3, QLatin1Char('0')) +
                       QStringLiteral(": ");
        for (const CountedLevel& l : count.levels) {
            if (address < l.tmemAddress || address >= l.tmemAddress + l.bytes || l.bitDepth <= 0)
                continue;
            // A row takes the padded line's bytes; a byte holds 8 / bits texels.
            const long rowBytes = static_cast<long>(l.lineWidth) * l.bitDepth / 8;
            const long offset = address - l.tmemAddress;
            const long t = rowBytes > 0 ? offset / rowBytes : 0;
            const long s = rowBytes > 0 ? (offset % rowBytes) * 8 / l.bitDepth : 0;
            text += QStringLiteral("%1 (%2x%3)")
                        .arg(LevelName(l.role, l.index - count.detailFlag))
                        .arg(l.width)
                        .arg(l.height);
            if (s >= l.width)
                return text + QStringLiteral(", padding of row %1").arg(t);
            return text + QStringLiteral(", texel (s, t) = (%1, %2)").arg(s).arg(t);
        }
        return text + (count.tmemMap[static_cast<std::size_t>(address)] == ByteColour::FreePalette
                           ? QStringLiteral("palette")
                           : QStringLiteral("free"));
    });
}

} // namespace vellora
