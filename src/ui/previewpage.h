// SPDX-License-Identifier: MIT
#pragma once

#include "ui/form.h"
#include "ui/recalcguard.h"

#include <QFrame>
#include <QSize>

#include <functional>
#include <memory>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QScrollBar;

namespace vellora {

class Dialogs;
class PictureBox;
class PreviewDriver;
class PreviewSurface;

// The preview page: the drawing surface picPreview with its driver, the zoom
// and tile bars, the 2x2 filter choice and the detail map's properties.
class PreviewPage : public QFrame {
    Q_OBJECT
  public:
    // detailFlag tells, at each pass, whether level 0 is the detail map.
    PreviewPage(QWidget* parent, RecalcGuard& guard, const CoreState& state, Dialogs& dialogs,
                std::function<int()> detailFlag);
    ~PreviewPage() override;

    // Drawbmp at a position in the pyramid, or at the tile bar's position.
    void draw(float tilePos);
    void drawAtSlider();
    void clear();
    // Runs instead of the driver (tests that only count requests).
    void setDrawer(std::function<void(float)> drawer) { drawer_ = std::move(drawer); }
    void setClearer(std::function<void()> clearer) { clearer_ = std::move(clearer); }

    QWidget* surfaceBox() const { return picPreview_; }
    PreviewSurface* surface() const;
    PreviewDriver* driver() const { return driver_.get(); }
    bool isDrawing() const;
    QSize viewport() const;
    void replaceSurface(QWidget* surface);
    // The surface fitted to the bars after a resize, without drawing.
    void fitSurface();
    void fitTileLabel();

    bool use2x2() const;
    void setDetailPropertiesVisible(bool on);
    void setTileBarEnabled(bool on);
    void setTileBarValue(int value);
    void setTileBarMaximum(int maximum);
    void setZoomBarEnabled(bool on);
    float tilePosition() const;
    // The detail map's Shift as the preview and the tiles both take it: the
    // box's number rounded to a whole shift, 0 to 5 (1 while it holds none).
    int detailShift() const;
    // "Show the texture's format": the passes draw what shownTiles gives,
    // and the tile caption names the kinds shown ("RGBA16", "CI4, detail I4").
    bool showFormat() const;
    void setShownTiles(std::function<const TileTable*()> shownTiles);
    void setShownKinds(const QString& kinds);

  signals:
    void use2x2Toggled();
    void detailShiftChanged(int shift);

  private:
    void build();
    void bindDriver(PreviewSurface* surface);
    void onSurfaceSized(QSize size);
    void showTileCaption();

    RecalcGuard& guard_;
    const CoreState& state_;
    Dialogs& dialogs_;
    std::function<int()> detailFlag_;
    std::function<void(float)> drawer_;
    std::function<void()> clearer_;
    std::unique_ptr<PreviewDriver> driver_;

    QCheckBox* chkUse2x2_ = nullptr;
    QCheckBox* chkShowFormat_ = nullptr;
    std::function<const TileTable*()> shownTiles_;
    QString shownKinds_;
    QWidget* picPreview_ = nullptr;
    PictureBox* iconZoom_ = nullptr;
    QLabel* lblneg_ = nullptr;
    QLabel* lblpluss_ = nullptr;
    QScrollBar* sliderZoom_ = nullptr;
    QScrollBar* sliderTile_ = nullptr;
    QLabel* lblTSMin_ = nullptr;
    QLabel* lblTSTile_ = nullptr;
    QLabel* lblTSMax_ = nullptr;
    QGroupBox* fraDetailProps_ = nullptr;
    QLineEdit* txtLODFrac_ = nullptr;
    QLineEdit* txtShift_ = nullptr;
};

} // namespace vellora
