// SPDX-License-Identifier: MIT
#pragma once

#include "ui/texturedocument.h"

#include <QObject>
#include <QString>

class QAction;
class QImage;
class QWidget;

namespace vellora {

class Dialogs;
class PreviewPage;
class TileSetupPage;
class TmemMapView;

// What an export says while no picture is loaded.
inline constexpr const char* kNoPictureToExport =
    "There is no picture to export: open or load one first (Ctrl+O or \"Load Settings from bmp\").";

// What the window writes to files: the preview and the TMEM map as PNG
// images, the counted levels as PNG files, the texture as the game loads
// it. Each asks for its file through the dialogs and says in a message box
// what went wrong.
class WindowExports : public QObject {
  public:
    WindowExports(QWidget& window, Dialogs& dialogs, const TextureDocument& document, PreviewPage& preview,
                  TmemMapView& map, TileSetupPage& tileSetup);

    // The pictures' context menus.
    void attachActions();
    QAction* savePreviewAction() const { return savePreviewAction_; }
    QAction* exportLevelsAction() const { return exportLevelsAction_; }

    void savePreviewImage();
    void saveMapImage();
    void exportLevels();
    void exportTexture();

  private:
    bool refusedWithoutPicture();
    void saveImage(const QImage& image, const QString& title, const QString& suggestedName);

    QWidget& window_;
    Dialogs& dialogs_;
    const TextureDocument& document_;
    PreviewPage& preview_;
    TmemMapView& map_;
    TileSetupPage& tileSetup_;
    QAction* savePreviewAction_ = nullptr;
    QAction* exportLevelsAction_ = nullptr;
};

} // namespace vellora
