// SPDX-License-Identifier: MIT
#pragma once

#include "ui/form.h"
#include "ui/loadhost.h"
#include "ui/windowlayouts.h"

#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>

class QDragEnterEvent;
class QDropEvent;
class QPushButton;
class QUrl;

namespace vellora {

class AboutPage;
class CalculatorPage;
class Dialogs;
class PictureOpener;
class PreviewDriver;
class PreviewPage;
class PreviewSurface;
class TabStrip;
class TextureDocument;
class Themes;
class TileSetupPage;
class TmemMapView;
class WindowExports;

// The program's one working window: it composes the document, the pages
// behind the tab strip and the file exports, and runs start-up. The document
// holds the texture; each page edits it and redraws from it.
class MainWindow : public QWidget {
    Q_OBJECT
  public:
    explicit MainWindow(Dialogs& dialogs, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The start-up sequence: version label, defaults, first count, showing
    // the window, the splash while the first preview is drawn.
    void startUp();
    void startUp(std::uint32_t pictureSeed);

    TextureDocument& document() { return *document_; }
    // Opening in one step, the recent files, the reload.
    PictureOpener& opener() { return *opener_; }
    // The pages as the bitmap load drives them.
    LoadHost& loadHost() { return *loadHost_; }
    // The one recalculation; does nothing while the guard is held.
    void recalculate(bool askTileSizes = false);
    bool isRecalculating() const;
    void setRecalculating(bool on);

    Settings currentSettings() const;
    CoreState& coreState();
    const CountResult& lastResult() const;
    int recalculations() const; // counts run since start-up
    TmemMapView* tmemMapView() const { return tmemMap_; }
    TileSetupPage* tileSetupPage() const { return tileSetup_; }

    // Drawbmp at a position in the pyramid.
    void drawPreview(float tilePos);
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

    // The pictures' context menus and "Export Texture...".
    WindowExports& exports() const { return *exports_; }
    void exportLevels();
    // What a drop brings: one BMP or PNG file opens as the base texture in
    // one step (once the drop has ended); anything else is explained.
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
    void loadDropped();
    bool deferWhileDrawing(void (MainWindow::*handler)());

    Dialogs& dialogs_;
    TextureDocument* document_ = nullptr;
    std::unique_ptr<LoadHost> loadHost_;
    std::function<void()> browseHandler_;
    std::function<void()> exitHandler_;
    QString droppedFile_;
    WindowExports* exports_ = nullptr;
    PictureOpener* opener_ = nullptr;

    QPushButton* cmdBrowse_ = nullptr;
    QPushButton* btnExit_ = nullptr;
    TabStrip* tabs_ = nullptr;
    CalculatorPage* calculator_ = nullptr;
    PreviewPage* preview_ = nullptr;
    TmemMapView* tmemMap_ = nullptr;
    AboutPage* about_ = nullptr;
    TileSetupPage* tileSetup_ = nullptr;
    std::unique_ptr<Themes> themes_;
    std::unique_ptr<WindowLayouts> layouts_;
};

} // namespace vellora
