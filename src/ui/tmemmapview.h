// SPDX-License-Identifier: MIT
#pragma once

#include "core/count.h"
#include "core/tmemmap.h"

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QRect>
#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

class QFrame;
class QPainter;
class QLabel;

namespace vellora {

// Paints the 4096 TMEM bytes as small squares, 8 columns of 64 lines of 8
// bytes, lower half left of the divider and upper half right of it. All
// cells are drawn in one paint pass; no per-byte widgets.
//
// The cell positions are worked out once, from the widget's size when the
// first map arrives (or when it is first shown, if it was never sized before
// that), and kept afterwards: resizing the widget does not move the cells.
class TmemMapView : public QWidget {
  public:
    explicit TmemMapView(QWidget* parent = nullptr);

    // Stores the byte colours and schedules a repaint; with the level of
    // each byte, every level is painted in a colour of its own.
    void setMap(const TmemMap& map, const std::optional<TmemLevels>& levels = std::nullopt);

    // What the colours mean, drawn under the cells.
    struct LegendEntry {
        QString name;
        QColor colour;
        friend bool operator==(const LegendEntry&, const LegendEntry&) = default;
    };
    void setLegend(std::vector<LegendEntry> legend);
    const std::vector<LegendEntry>& legend() const { return legend_; }
    // The legend of a map: each level present (named by levelName, from its
    // record), then padding, palette, CI texels above 2048 and free bytes.
    static std::vector<LegendEntry> LegendOf(const TmemMap& map, const TmemLevels& levels,
                                             const std::function<QString(int record)>& levelName);
    const TmemMap& map() const { return map_; }
    bool hasMap() const { return hasMap_; }

    // True once the cell positions have been fixed.
    bool mapBuilt() const { return built_; }

    // Colour painted for a TMEM byte (invalid before the first map or for an
    // address outside 0..4095).
    QColor cellColour(int address) const;
    // Where the byte's cell lies, in widget pixels (empty before the layout
    // is fixed or for an address outside 0..4095).
    QRect cellRect(int address) const;
    // The divider between the two halves, in widget pixels.
    QRect dividerRect() const;

    QSize sizeHint() const override;

    // The byte whose cell holds point, or -1.
    int addressAt(const QPoint& point) const;
    // Hovering a cell shows what this says about its byte.
    void setToolTipSource(std::function<QString(int address)> source) { toolTipSource_ = std::move(source); }

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void buildLayout();
    void paintLegend(QPainter& painter);
    void drawLegend(QPainter& painter);
    void rebuildCache();

    TmemMap map_{};
    std::optional<TmemLevels> levels_;
    std::vector<LegendEntry> legend_;
    QPixmap legendCache_; // the legend as last drawn
    QImage cache_;
    bool cacheDirty_ = true;
    bool hasMap_ = false;
    bool built_ = false;
    TmemPixelLayout layout_{};
    QLabel* labels_[2] = {nullptr, nullptr};
    QFrame* divider_ = nullptr;
    std::function<QString(int)> toolTipSource_;
};

// Shows a count on a map view: its bytes, a colour for each level, the
// legend, and a tip naming each byte's address, level and texel.
void ShowCountMap(TmemMapView& view, const Count& count);
// A level's name as the window writes it: "detail", "base", "level 2".
QString LevelName(LevelRole role, int distance);
// The same in a map's legend, where the mips after the first are numbers.
QString LegendLevelName(LevelRole role, int distance);

} // namespace vellora
