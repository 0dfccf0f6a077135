// SPDX-License-Identifier: MIT
#pragma once

#include "bitmap/mipmap.h"
#include "ui/form.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class QAction;
class QImage;
class QWidget;

namespace vellora {

class Dialogs;
class PreviewPage;
class TileSetupPage;
class TmemMapView;

// What the window writes to files: the preview and the TMEM map as PNG
// images, the counted levels as PNG files, the texture as the game loads
// it. Each asks for its file through the dialogs and says in a message box
// what went wrong.
class WindowExports : public QObject {
  public:
    WindowExports(QWidget& window, Dialogs& dialogs, const CoreState& state, const CountResult& last,
                  PreviewPage& preview, TmemMapView& map, TileSetupPage& tileSetup,
                  std::function<std::optional<MipFilter>()> generatedWith);

    // The pictures' context menus.
    void attachActions();
    QAction* savePreviewAction() const { return savePreviewAction_; }
    QAction* exportLevelsAction() const { return exportLevelsAction_; }

    void savePreviewImage();
    void saveMapImage();
    void exportLevels();
    void exportTexture();

  private:
    void saveImage(const QImage& image, const QString& title, const QString& suggestedName);

    QWidget& window_;
    Dialogs& dialogs_;
    const CoreState& state_;
    const CountResult& last_;
    PreviewPage& preview_;
    TmemMapView& map_;
    TileSetupPage& tileSetup_;
    std::function<std::optional<MipFilter>()> generatedWith_;
    QAction* savePreviewAction_ = nullptr;
    QAction* exportLevelsAction_ = nullptr;
};

} // namespace vellora
