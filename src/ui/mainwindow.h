// SPDX-License-Identifier: MIT
#pragma once

#include "controlanchor.h"
#include "core/calc.h"
#include "loadhost.h"

#include <QString>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace vellora {

class Dialogs;
class PictureBox;
class PreviewDriver;
class PreviewSurface;
class TmemMapView;

// The program's one working window: the calculator, preview, TMEM map and
// About pages behind a tab strip. It maps its controls to the core's
// Settings, runs the count and shows what the count returns; the counting
// itself lives in the core.
class MainWindow : public QWidget, public LoadHost {
    Q_OBJECT
  public:
    explicit MainWindow(Dialogs& dialogs, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The start-up sequence: version label, defaults, first count, showing
    // the window, the splash while the first preview is drawn.
    void startUp();
    void startUp(std::uint32_t pictureSeed);

    // The one recalculation; does nothing while the guard is set.
    void recalculate(bool askTileSizes);
    void recalculate() override { recalculate(false); }
    bool isRecalculating() const { return recalculating_; }
    void setRecalculating(bool on) override { recalculating_ = on; }

    // What the bitmap load drives: each setter acts like the user changing
    // the control, so its own rule and recount (or redraw) follow.
    CoreState& core() override { return state_; }
    bool recalculating() const override { return recalculating_; }
    Dialogs& dialogs() override { return dialogs_; }
    QWidget* dialogOwner() override { return this; }
    void setSizeText(SizeBox box, const QString& text) override;
    void setSizeEnabled(SizeBox box, bool enabled) override;
    void selectBaseFormat(Format format) override;
    bool detailEnabled() const override;
    void setDetailEnabled(bool on) override;
    void setPreviewTabEnabled(bool enabled) override;
    void setSliderTileEnabled(bool enabled) override;
    void setSliderTileValue(int value) override;
    void setSliderZoomEnabled(bool enabled) override;
    void clearPreview() override;

    Settings currentSettings() const;
    CoreState& coreState() { return state_; }
    const CountResult& lastResult() const { return last_; }
    TmemMapView* tmemMapView() const { return tmemMap_; }

    // The window's flags as references, for a preview driver that keeps
    // them: the recount guard and the pending-redraw mark.
    bool& recalculatingFlag() { return recalculating_; }
    bool& redrawPendingFlag() { return redrawPending_; }

    // Drawbmp: draws the preview on picPreview through the window's own
    // driver. A drawer set here replaces it (tests that only count requests).
    void drawPreview(float tilePos) override;
    void setPreviewDrawer(std::function<void(float)> drawer) { previewDrawer_ = std::move(drawer); }
    // Runs after the surface has been cleared.
    void setPreviewClearer(std::function<void()> clearer) { previewClearer_ = std::move(clearer); }
    // picPreview, and the driver that draws on it (null once a widget that is
    // no surface has taken its place).
    QWidget* previewBox() const { return picPreview_; }
    PreviewSurface* previewSurface() const;
    PreviewDriver* previewDriver() const { return driver_.get(); }
    // The visible part of picPreview in pixels: from where a pass places it
    // to the zoom bar's left edge and the tile bar's top edge.
    QSize previewViewport() const;
    // Puts another widget in picPreview's place; a PreviewSurface gets a
    // driver of its own.
    void replacePreviewBox(QWidget* surface);
    // cmdBrowse runs the bitmap load; tests may put another handler here.
    void setBrowseHandler(std::function<void()> handler) { browseHandler_ = std::move(handler); }
    void browse();
    // btnExit: ends the program; tests replace it.
    void setExitHandler(std::function<void()> handler) { exitHandler_ = std::move(handler); }

    void selectTab(int index);
    void nextTheme();
    int themeIndex() const { return themeIndex_; }
    // The theme colours now in use: background and text.
    QColor themeBackground() const;
    QColor themeText() const;

    // Window width as the layouts count it: the outer width in twips.
    int windowWidthTwips() const;
    void setWindowWidthTwips(int widthTwips);
    bool isWideLayout() const { return windowWidthTwips() > kNarrowWidthTwips; }
    bool wideToggle() const { return wideToggle_; }
    static constexpr int kNarrowWidthTwips = 6500;
    static constexpr int kWideWidthTwips = 13000;
    // What the frame adds to the client width (6500 outer for 6345 inside).
    static constexpr int kFrameTwips = 155;

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildWindow();
    void buildCalculatorPage(QWidget* page);
    void buildPreviewPage(QWidget* page);
    void buildAboutPage(QWidget* page);
    void connectHandlers();

    void initDefaults(std::uint32_t pictureSeed);
    void applyResult(const CountResult& r);
    void applyLevelControls(bool includeStopRules);
    void updateDetailOptions();
    void onDetailToggled();
    void onUse2x2Toggled();
    void onTileSliderChanged(int value);
    void fitTileLabel();
    void onDimensionChanged(QLineEdit* box, int rule);
    void onFormResize();
    void bindPreviewDriver(PreviewSurface* surface);
    void onSurfaceSized(QSize size);
    bool deferWhileDrawing(void (MainWindow::*handler)());
    void applyTabLook(int index);
    void applyTheme(const QColor& back, const QColor& text);
    QLineEdit* sizeBox(SizeBox box) const;

    Dialogs& dialogs_;
    CoreState state_;
    CountResult last_;
    bool recalculating_ = false;
    bool redrawPending_ = false;
    bool resizeReady_ = false;
    bool wideToggle_ = false;
    int themeIndex_ = 0;
    ControlAnchors anchors_;

    std::function<void(float)> previewDrawer_;
    std::function<void()> previewClearer_;
    std::function<void()> browseHandler_;
    std::function<void()> exitHandler_;
    std::unique_ptr<PreviewDriver> driver_;

    // Controls the handlers use; every control also carries its design name
    // as its object name.
    QPushButton* cmdBrowse_ = nullptr;
    QPushButton* btnExit_ = nullptr;
    QFrame* tabCtl_ = nullptr;
    std::array<QPushButton*, 4> tabButtons_{};
    QPushButton* bg_ = nullptr;
    std::array<QFrame*, 4> tabContents_{};

    QWidget* fillBar_ = nullptr;
    std::array<QLabel*, 2> lblPercent_{};
    QLabel* lblExcede_ = nullptr;
    std::array<QRadioButton*, 6> chkBitDepth_{};
    QLineEdit* txtWidth_ = nullptr;
    QLineEdit* txtHeight_ = nullptr;
    QLineEdit* txtMaskW_ = nullptr;
    QLineEdit* txtMaskH_ = nullptr;
    QLineEdit* txtWrapW_ = nullptr;
    QLineEdit* txtWrapH_ = nullptr;
    QPushButton* cmdWidthHelp_ = nullptr;
    QPushButton* cmdHeightHelp_ = nullptr;
    QLineEdit* txtLevels_ = nullptr;
    QLabel* lblLevels_ = nullptr;
    QCheckBox* chkLevels_ = nullptr;
    QRadioButton* chklevelsH_ = nullptr;
    QRadioButton* chklevelsW_ = nullptr;
    PictureBox* picture1_ = nullptr;
    QPushButton* manMipMap_ = nullptr;
    QCheckBox* chkDetailEnabled_ = nullptr;
    QLineEdit* txtDWidth_ = nullptr;
    QLineEdit* txtDHeight_ = nullptr;
    std::array<QRadioButton*, 6> optDBit_{};

    QCheckBox* chkUse2x2_ = nullptr;
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

    QLabel* lblVersion_ = nullptr;
    QPlainTextEdit* txtAbout_ = nullptr;
    TmemMapView* tmemMap_ = nullptr;
};

// The About page's help text, lines joined by CR LF.
QString AboutText();

} // namespace vellora
