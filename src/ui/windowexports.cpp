// SPDX-License-Identifier: MIT
#include "ui/windowexports.h"

#include "document/export.h"
#include "document/outputfiles.h"
#include "reduce/texturedata.h"
#include "ui/dialogs.h"
#include "ui/imageexport.h"
#include "ui/loadsequence.h"
#include "ui/previewpage.h"
#include "ui/tilesetuppage.h"
#include "ui/tmemmapview.h"

#include <QAction>
#include <QImage>
#include <QWidget>

namespace vellora {

WindowExports::WindowExports(QWidget& window, Dialogs& dialogs, const TextureDocument& document,
                             PreviewPage& preview, TmemMapView& map, TileSetupPage& tileSetup)
    : QObject(&window), window_(window), dialogs_(dialogs), document_(document), preview_(preview), map_(map),
      tileSetup_(tileSetup) {}

void WindowExports::attachActions() {
    savePreviewAction_ = new QAction(QStringLiteral("Save Image As\u2026"), &window_);
    savePreviewAction_->setObjectName(QStringLiteral("actSavePreviewImage"));
    connect(savePreviewAction_, &QAction::triggered, this, &WindowExports::savePreviewImage);
    exportLevelsAction_ = new QAction(QStringLiteral("Export Levels\u2026"), &window_);
    exportLevelsAction_->setObjectName(QStringLiteral("actExportLevels"));
    connect(exportLevelsAction_, &QAction::triggered, this, &WindowExports::exportLevels);
    QWidget* box = preview_.surfaceBox();
    box->addAction(savePreviewAction_);
    box->addAction(exportLevelsAction_);
    box->setContextMenuPolicy(Qt::ActionsContextMenu);

    auto* saveMap = new QAction(QStringLiteral("Save Image As\u2026"), &window_);
    saveMap->setObjectName(QStringLiteral("actSaveMapImage"));
    connect(saveMap, &QAction::triggered, this, &WindowExports::saveMapImage);
    map_.addAction(saveMap);
    map_.setContextMenuPolicy(Qt::ActionsContextMenu);
}
void WindowExports::saveImage(const QImage& image, const QString& title, const QString& suggestedName) {
    FileRequest request;
    request.title = title;
    request.initialDir = LastChosenFolder();
    request.fileName = suggestedName;
    request.filters = {QStringLiteral("PNG images (*.png)")};
    request.owner = &window_;
    const QString path = dialogs_.chooseSaveFile(request);
    if (path.isEmpty())
        return;
    RememberChosenFile(path);
    if (auto problem = WriteImagePng(image, path))
        dialogs_.messageBox(*problem, MsgStyle::Exclamation, QString(), 0);
}
void WindowExports::savePreviewImage() {
    // What is shown: the part of the surface inside the page's viewport.
    QWidget* box = preview_.surfaceBox();
    const QSize shown = preview_.viewport().boundedTo(box->size());
    saveImage(box->grab(QRect(QPoint(0, 0), shown)).toImage(), QStringLiteral("Save Preview Image"),
              QStringLiteral("preview.png"));
}
void WindowExports::saveMapImage() {
    saveImage(map_.grab().toImage(), QStringLiteral("Save TMEM Map Image"), QStringLiteral("tmem-map.png"));
}
bool WindowExports::refusedWithoutPicture() {
    if (document_.state().bitmapLoaded)
        return false;
    // The level records hold nothing but black: there is nothing to write.
    dialogs_.messageBox(QString::fromLatin1(kNoPictureToExport), MsgStyle::Information, QString(), 0);
    return true;
}
void WindowExports::exportLevels() {
    if (refusedWithoutPicture())
        return;
    FileRequest request;
    request.title = QStringLiteral("Export Levels to Folder");
    request.initialDir = LastChosenFolder();
    request.owner = &window_;
    const QString folder = dialogs_.chooseFolder(request);
    if (folder.isEmpty())
        return;
    if (auto problem = WriteLevelPngs(document_.state().tiles, document_.result().count.maxIndex, folder))
        dialogs_.messageBox(*problem, MsgStyle::Exclamation, QString(), 0);
}
void WindowExports::exportTexture() {
    if (refusedWithoutPicture())
        return;
    FileRequest request;
    request.title = QStringLiteral("Export Texture");
    request.initialDir = LastChosenFolder();
    request.fileName = QStringLiteral("texture.bin");
    request.filters = {QStringLiteral("Texture data (*.bin)"), QStringLiteral("C source (*.c)"),
                       QStringLiteral("C header (*.h)"),
                       QStringLiteral("PNG picture in the texture's format (*.png)")};
    request.owner = &window_;
    const QString path = dialogs_.chooseSaveFile(request);
    if (path.isEmpty())
        return;
    RememberChosenFile(path);
    const std::string file = path.toStdString();
    if (!reduce::TextureFileTypeOf(file)) {
        dialogs_.messageBox(QStringLiteral("Choose a file name ending in .bin, .c, .h or .png."),
                            MsgStyle::Exclamation, QString(), 0);
        return;
    }
    const TextureExportChoice choice = tileSetup_.exportChoice();
    const CoreState& state = document_.state();
    const doc::Exported exported =
        doc::ExportTexture(state.tiles, state.baseSource, state.detailSource, document_.analysis().levels,
                           document_.tileOptions(), file,
                           {choice.baseOnly, choice.wholeChain, choice.dither, document_.arrayName()},
                           document_.generatedWith());
    if (exported.refused) {
        QString reason = QString::fromStdString(*exported.refused);
        reason[0] = reason[0].toUpper();
        dialogs_.messageBox(reason + QLatin1Char('.'), MsgStyle::Exclamation, QString(), 0);
        return;
    }
    OutputFiles files;
    for (const reduce::ExportFile& f : exported.files)
        files.add(f.path, f.bytes);
    if (auto problem = files.write()) {
        dialogs_.messageBox(QString::fromStdString(*problem), MsgStyle::Exclamation, QString(), 0);
        return;
    }
    const reduce::ReducedTexture& texture = exported.texture;
    if (texture.quantized)
        dialogs_.messageBox(
            QStringLiteral("The picture's %1 colours were quantized to a palette of %2 (%3 merged).")
                .arg(texture.colours)
                .arg(texture.palette.size())
                .arg(texture.merged()),
            MsgStyle::Information, QString(), 0);
}

} // namespace vellora
