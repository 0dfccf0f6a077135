// SPDX-License-Identifier: MIT
#pragma once

#include "bitmap/mipmap.h"
#include "ui/form.h"
#include "ui/loadhost.h"
#include "ui/recalcguard.h"
#include "ui/windowlayouts.h"

#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QDragEnterEvent;
class QDropEvent;
class QImage;
class QLabel;
class QPushButton;
class QUrl;

namespace vellora {

class AboutPage;
class CalculatorPage;
class Dialogs;
class PreviewDriver;
class PreviewPage;
class PreviewSurface;
class TabStrip;
class Themes;
class TileSetupPage;
class TmemMapView;
class WindowExports;

// The program's one working window. It keeps the state (the level table,
// the last count, the guard), composes the pages behind the tab strip and
// runs start-up; the pages own their controls, the core does the counting.
class MainWindow : public QWidget, public LoadHost {
    Q_OBJECT
  public:
    explicit MainWindow(Dialogs& dialogs, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The start-up sequence: version label, defaults, first count, showing
    // the window, the splash while the first preview is drawn.
    void startUp();
    void startUp(std::uint32_t pictureSeed);

    // The one recalculation; does nothing while the guard is held.
    void recalculate(bool askTileSizes);
    void recalculate() override { recalculate(false); }
    bool isRecalculating() const { return guard_.held(); }
    void setRecalculating(bool on) { guard_.set(on); }

    // What the bitmap load drives: each setter acts like the user changing
    // the control, so its own rule and recount (or redraw) follow.
    CoreState& core() override { return state_; }
    RecalcGuard& guard() override { return guard_; }
    QWidget* dialogOwner() override { return this; }
    void setSizeText(SizeBox box, const QString& text) override;
    void setSizeEnabled(SizeBox box, bool enabled) override;
    void selectBaseFormat(Format format) override;
    void selectDetailFormat(Format format) override;
    bool detailEnabled() const override;
    void setDetailEnabled(bool on) override;
    void setPreviewTabEnabled(bool enabled) override;
    void setSliderTileEnabled(bool enabled) override;
    void setSliderTileValue(int value) override;
    void setSliderZoomEnabled(bool enabled) override;
    void clearPreview() override;
    void drawPreview(float tilePos) override;

    Settings currentSettings() const;
    CoreState& coreState() { return state_; }
    const CountResult& lastResult() const { return last_; }
    int recalculations() const { return recalculations_; } // counts run since start-up
    TmemMapView* tmemMapView() const { return tmemMap_; }
    TileSetupPage* tileSetupPage() const { return tileSetup_; }

    // A drawer set here replaces the preview driver (tests that only count
    // requests); the clearer runs after the surface has been cleared.
    void setPreviewDrawer(std::function<void(float)> drawer);
    void setPreviewClearer(std::function<void()> clearer);
    // picPreview, and the driver that draws on it (null once a widget that is
    // no surface has taken its place).
    QWidget* previewBox() const;
    PreviewSurface* previewSurface() const;
    PreviewDriver* previewDriver() const;
    // The visible part of picPreview in pixels.
    QSize previewViewport() const;
    // Puts another widget in picPreview's place; a PreviewSurface gets a
    // driver of its own.
    void replacePreviewBox(QWidget* surface);
    // cmdBrowse runs the bitmap load; tests may put another handler here.
    void setBrowseHandler(std::function<void()> handler) { browseHandler_ = std::move(handler); }
    void browse();
    // btnExit: ends the program; tests replace it.
    void setExitHandler(std::function<void()> handler) { exitHandler_ = std::move(handler); }

    // The pictures' context menus: the preview viewport or the TMEM map as
    // shown to a PNG file, and every counted level to level-N.png files.
    void savePreviewImage();
    void saveMapImage();
    void exportLevels();
    // "Export Texture...": the counted texture (or its base) reduced to its
    // kinds and written as the game loads it.
    void exportTexture();
    // The filter the levels were generated with; none when they came from files.
    std::optional<MipFilter> generatedWith() const;
    // What a drop brings: one BMP or PNG file runs the load with it as the
    // base texture (once the drop has ended); anything else is explained.
    void dropFiles(const QList<QUrl>& urls);

    void selectTab(int index);
    void nextTheme();
    int themeIndex() const;
    // The theme colours now in use: background and text.
    QColor themeBackground() const;
    QColor themeText() const;

    int windowWidthTwips() const { return layouts_->widthTwips(); }
    void setWindowWidthTwips(int widthTwips) { layouts_->setWidthTwips(widthTwips); }
    bool isWideLayout() const { return layouts_->isWide(); }
    bool wideToggle() const { return layouts_->wideToggle(); }
    static constexpr int kNarrowWidthTwips = WindowLayouts::kNarrowWidthTwips;
    static constexpr int kWideWidthTwips = WindowLayouts::kWideWidthTwips;
    static constexpr int kFrameTwips = WindowLayouts::kFrameTwips;

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void showHardwareAgreement();
    void loadDropped();
    void initDefaults(std::uint32_t pictureSeed);
    void onDetailToggled();
    void onUse2x2Toggled();
    bool deferWhileDrawing(void (MainWindow::*handler)());

    Dialogs& dialogs_;
    CoreState state_;
    CountResult last_;
    RecalcGuard guard_;

    std::function<void()> browseHandler_;
    std::function<void()> exitHandler_;
    QString droppedFile_;
    WindowExports* exports_ = nullptr;

    QPushButton* cmdBrowse_ = nullptr;
    QPushButton* btnExit_ = nullptr;
    TabStrip* tabs_ = nullptr;
    CalculatorPage* calculator_ = nullptr;
    PreviewPage* preview_ = nullptr;
    TmemMapView* tmemMap_ = nullptr;
    AboutPage* about_ = nullptr;
    TileSetupPage* tileSetup_ = nullptr;
    QLabel* hardwareMarker_ = nullptr;
    // The levels as the RDP holds them, made when the preview first asks
    // after a change of the pixels, the kinds or the dither.
    std::optional<TileTable> shownTiles_;
    bool counting_ = false; // a recalculation is handing its count to the pages
    int recalculations_ = 0;
    std::unique_ptr<Themes> themes_;
    std::unique_ptr<WindowLayouts> layouts_;
};

} // namespace vellora
