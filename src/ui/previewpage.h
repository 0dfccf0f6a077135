// SPDX-License-Identifier: MIT
#pragma once

#include "ui/texturedocument.h"

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
// and tile bars, the 2x2 filter choice and the detail map's properties. The
// filter and the Shift are the document's; the page draws the document's
// pictures and follows its counts.
class PreviewPage : public QFrame {
    Q_OBJECT
  public:
    PreviewPage(QWidget* parent, TextureDocument& document, Dialogs& dialogs);
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
    // "Show the texture's format": the passes draw the document's shown
    // tiles, and the tile caption names the kinds shown ("RGBA16", "CI4,
    // detail I4").
    bool showFormat() const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void build();
    void onChanged(TextureDocument::Changes what);
    void onFilterToggled();
    void bindDriver(PreviewSurface* surface);
    void onSurfaceSized(QSize size);
    void showTileCaption();

    TextureDocument& document_;
    Dialogs& dialogs_;
    std::function<void(float)> drawer_;
    std::function<void()> clearer_;
    std::unique_ptr<PreviewDriver> driver_;

    QCheckBox* chkUse2x2_ = nullptr;
    QCheckBox* chkShowFormat_ = nullptr;
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
