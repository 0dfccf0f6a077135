// SPDX-License-Identifier: MIT
#include "ui/loadsequence.h"

#include "bitmap/bmpreader.h"
#include "bitmap/loadstep.h"
#include "core/formats.h"
#include "document/messages.h"
#include "ui/dialogs.h"
#include "ui/form.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <optional>
#include <string>

namespace vellora {

namespace {

const QString kConfirmText = QStringLiteral(
    "This will reset ALL current properties to newly calculated properties based on a selected Bitmap.");
const QString kConfirmTitle = QStringLiteral("Warning!");
const QString kDetailQuestion = QStringLiteral("Do you want to load a DetailMap?");
const QString kTileQuestion = QStringLiteral("Do you want to Auto Generate Mip-Map Tiles? (Default)");
const QString kTileQuestionTitle = QStringLiteral("Tile Generation");
// The only timed question: left alone, it takes its default button (Yes).
constexpr int kTileQuestionTimeout = 4;

const QString kDetailDialogTitle = QStringLiteral("Open Bitmap as \"Detail Tile\" ");
const QString kBaseDialogTitle = QStringLiteral("Open Bitmap as \"Base Tile\" ");

QString TileDialogTitle(int tile) {
    return QStringLiteral("Open Bitmap as \"Tile %1\".").arg(tile);
}
QString ReturningText(int tile) {
    return QStringLiteral("Returning %1 Tiles.").arg(tile);
}

// The load's open-file dialogs: each offers the last folder and proposes
// the file chosen before; a cancel chooses nothing. Any path the system
// takes is passed on as it is.
struct Chooser {
    Dialogs& dialogs;
    QWidget* owner;
    QString previous;

    bool choose(const QString& title, QString& path) {
        FileRequest request;
        request.owner = owner;
        request.title = title;
        request.initialDir = LastChosenFolder();
        request.fileName = previous;
        request.filters = PictureFilters();
        const QString chosen = dialogs.chooseFile(request);
        if (chosen.isEmpty())
            return false;
        previous = path = chosen;
        RememberChosenFile(path);
        return true;
    }
};

QString& ChosenFolder() {
    static QString folder;
    return folder;
}

// The reader's reason with the file named as the user gave it: a name that
// is not UTF-8 reads back as the system decodes it, not as broken bytes.
QString ReasonNaming(const std::string& error, const QString& path) {
    const std::string encoded = QFile::encodeName(path).toStdString();
    if (!encoded.empty() && error.size() >= encoded.size() &&
        error.compare(error.size() - encoded.size(), encoded.size(), encoded) == 0)
        return QString::fromStdString(error.substr(0, error.size() - encoded.size())) +
               QDir::toNativeSeparators(path);
    return QString::fromStdString(error);
}

// Reads one file into a level through the load step every front end shares.
// A refused file is reported with the reader's own reason and leaves the
// level as it was; the caller treats it like a cancelled choice.
std::optional<LoadedFile> ReadInto(LoadHost& host, Dialogs& dialogs, const QString& path, LoadRole role,
                                   int level) {
    const LoadStepResult result =
        LoadFileInto(QFile::encodeName(path).toStdString(), role, host.core(), level);
    if (!result.ok) {
        // The header refusal keeps its plain OK box; anything else is a
        // real problem with the file and gets the warning icon.
        const int style = result.error == kUnknownBmpType ? MsgStyle::Ok : MsgStyle::Exclamation;
        dialogs.messageBox(ReasonNaming(result.error, path), style, QString(), 0);
        return std::nullopt;
    }
    return result.file;
}

// The end of every load of a base: the bars and size boxes as a loaded
// picture has them, then the guard let go for one count and one drawing.
void ShowLoadedBase(LoadHost& host, RecalcGuard::Hold& guard, const FileBoxes& boxes, int detailFlag,
                    bool tileBarToBase) {
    host.setSliderTileEnabled(true);
    if (tileBarToBase)
        host.setSliderTileValue(detailFlag * 10);
    host.setSliderZoomEnabled(true);

    host.setSizeEnabled(SizeBox::Width, false);
    host.setSizeEnabled(SizeBox::Height, false);
    host.setSizeText(SizeBox::Width, QString::fromStdString(boxes.width));
    host.setSizeText(SizeBox::Height, QString::fromStdString(boxes.height));

    guard.release();
    host.recalculate();
    host.drawPreview(static_cast<float>(detailFlag));
}

} // namespace

QStringList PictureFilters() {
    return {QStringLiteral("Bitmaps and PNG (*.bmp *.png)"), QStringLiteral("(*.bmp)"),
            QStringLiteral("(*.png)")};
}

bool IsLoadablePictureName(const QString& path) {
    const QString suffix = QFileInfo(path).suffix();
    return suffix.compare(QLatin1String("bmp"), Qt::CaseInsensitive) == 0 ||
           suffix.compare(QLatin1String("png"), Qt::CaseInsensitive) == 0;
}

QString LastChosenFolder() {
    return ChosenFolder().isEmpty() ? QDir::currentPath() : ChosenFolder();
}

void RememberChosenFile(const QString& path) {
    if (!path.isEmpty())
        ChosenFolder() = QFileInfo(path).absolutePath();
}

LoadOutcome LoadSettingsFromBmp(LoadHost& host, Dialogs& dialogs, const QString& droppedBase) {
    if (dialogs.messageBox(kConfirmText, MsgStyle::OkCancel, kConfirmTitle, 0) != MsgResult::Ok)
        return LoadOutcome::Declined;

    // Held for the whole load and let go on every way out, so an early
    // return or an exception can never leave the calculator frozen.
    RecalcGuard::Hold guard = host.guard().hold();
    Chooser dialog{dialogs, host.dialogOwner(), QString()};

    CoreState& core = host.core();
    ResetPictures(core.tiles);

    QString path;
    if (dialogs.messageBox(kDetailQuestion, MsgStyle::YesNo | MsgStyle::Question, QString(), 0) ==
        MsgResult::Yes) {
        // Ticking the box runs the detail-map toggle, which clears the guard
        // on its way out.
        host.setDetailEnabled(true);
        guard.retake();
        std::optional<LoadedFile> detail;
        if (dialog.choose(kDetailDialogTitle, path) &&
            (detail = ReadInto(host, dialogs, path, LoadRole::Detail, 0))) {
            if (detail->format)
                host.selectDetailFormat(*detail->format);
            host.setSizeEnabled(SizeBox::DetailWidth, false);
            host.setSizeEnabled(SizeBox::DetailHeight, false);
            const FileBoxes boxes = BoxesFor(core.tiles[0], true);
            host.setSizeText(SizeBox::DetailWidth, QString::fromStdString(boxes.width));
            host.setSizeText(SizeBox::DetailHeight, QString::fromStdString(boxes.height));
            if (boxes.cutMessage)
                dialogs.messageBox(QString::fromStdString(*boxes.cutMessage), MsgStyle::Ok, QString(), 0);
        }
    }

    if (!droppedBase.isEmpty()) {
        path = droppedBase;
        RememberChosenFile(path);
    } else if (!dialog.choose(kBaseDialogTitle, path)) {
        core.bitmapLoaded = false;
        host.clearPreview();
        return LoadOutcome::NoBase;
    }
    host.setPreviewTabEnabled(true);

    const int detailFlag = host.detailEnabled() ? 1 : 0;
    const std::optional<LoadedFile> base = ReadInto(host, dialogs, path, LoadRole::Base, detailFlag);
    if (!base) {
        core.bitmapLoaded = false;
        host.clearPreview();
        return LoadOutcome::NoBase;
    }
    if (base->format)
        host.selectBaseFormat(*base->format);
    for (const std::string& message : base->messages)
        dialogs.messageBox(QString::fromStdString(message), MsgStyle::Ok, QString(), 0);
    const FileBoxes boxes = BoxesFor(core.tiles[static_cast<std::size_t>(detailFlag)], false);
    if (boxes.cutMessage)
        dialogs.messageBox(QString::fromStdString(*boxes.cutMessage), MsgStyle::Ok, QString(), 0);

    if (dialogs.messageBox(kTileQuestion, MsgStyle::YesNo | MsgStyle::Question, kTileQuestionTitle,
                           kTileQuestionTimeout) == MsgResult::No) {
        core.noAutoTiles = true;
        for (int tile = detailFlag + 1; tile < kLevelCount; ++tile) {
            if (!dialog.choose(TileDialogTitle(tile), path) ||
                !ReadInto(host, dialogs, path, LoadRole::Tile, tile)) {
                dialogs.messageBox(ReturningText(tile), MsgStyle::Ok, QString(), 0);
                break;
            }
        }
    } else {
        core.noAutoTiles = false;
    }

    ShowLoadedBase(host, guard, boxes, detailFlag, true);
    return LoadOutcome::Loaded;
}

OpenResult OpenPicture(LoadHost& host, const QString& path) {
    OpenResult result;
    RecalcGuard::Hold guard = host.guard().hold();
    CoreState& core = host.core();
    const int detailFlag = host.detailEnabled() ? 1 : 0;
    // Read aside first: a file that is broken or still being written keeps
    // the picture the window shows. Only the base's record is read into; the
    // other pictures are not copied for it.
    CoreState trial;
    const auto level = static_cast<std::size_t>(detailFlag);
    trial.tiles[level] = core.tiles[level];
    const LoadStepResult read =
        LoadFileInto(QFile::encodeName(path).toStdString(), LoadRole::Base, trial, detailFlag);
    if (!read.ok) {
        // Named as the user knows it, whether or not the reader's reason does.
        result.problem = ReasonNaming(read.error, path);
        if (!result.problem.contains(QDir::toNativeSeparators(path)))
            result.problem = QFileInfo(path).fileName() + QStringLiteral(": ") + result.problem;
        return result;
    }
    core.tiles[level] = std::move(trial.tiles[level]);
    core.baseKind = trial.baseKind;
    core.baseSource = std::move(trial.baseSource);
    core.bitmapLoaded = true;
    core.noAutoTiles = false;
    RememberChosenFile(path);
    host.setPreviewTabEnabled(true);
    if (read.file.format)
        host.selectBaseFormat(*read.file.format);
    for (const std::string& message : read.file.messages)
        result.notes << QString::fromStdString(message);
    const FileBoxes boxes = BoxesFor(core.tiles[level], false);
    if (boxes.cutMessage)
        result.notes << QString::fromStdString(*boxes.cutMessage);

    // The tile bar stays where it was: a reload keeps the level in view.
    ShowLoadedBase(host, guard, boxes, detailFlag, false);
    result.ok = true;
    return result;
}

} // namespace vellora
