// SPDX-License-Identifier: MIT
#include "ui/loadsequence.h"

#include "bitmap/bmpreader.h"
#include "core/detailmap.h"
#include "core/formats.h"
#include "ui/commondialog.h"

#include <QFile>

#include <new>
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

const QString kBmpFilter = QStringLiteral("(*.bmp)|*.bmp");
const QString kDetailDialogTitle = QStringLiteral("Open Bitmap as \"Detail Tile\" ");
const QString kBaseDialogTitle = QStringLiteral("Open Bitmap as \"Base Tile\" ");

QString TileDialogTitle(int tile) {
    return QStringLiteral("Open Bitmap as \"Tile %1\".").arg(tile);
}
QString ReturningText(int tile) {
    return QStringLiteral("Returning %1 Tiles.").arg(tile);
}

// Holds the recalculation guard for the whole load. The destructor clears
// it, so an early return or an exception can never leave the calculator
// frozen.
class GuardHold {
  public:
    explicit GuardHold(LoadHost& host) : host_(host) { host_.setRecalculating(true); }
    ~GuardHold() { host_.setRecalculating(false); }
    GuardHold(const GuardHold&) = delete;
    GuardHold& operator=(const GuardHold&) = delete;

    void set() { host_.setRecalculating(true); }
    void clear() { host_.setRecalculating(false); }

  private:
    LoadHost& host_;
};

// One open-file dialog of the load. A file counts only when the dialog
// reports success and names one: after a cancel FileName still holds the
// previous choice, which must not be taken again.
bool ChooseBmp(CommonDialog& dialog, const QString& title, QString& path) {
    dialog.DialogTitle = title;
    dialog.Filter = kBmpFilter;
    try {
        if (!dialog.ShowOpen() || dialog.FileName.isEmpty())
            return false;
    } catch (const CommonDialogError&) {
        return false;
    }
    path = dialog.FileName;
    return true;
}

// Reads one file into a level. A refused file is reported with the reader's
// own reason and leaves the level as it was; the caller treats it like a
// cancelled choice.
bool ReadInto(LoadHost& host, const QString& path, int level) {
    TileLevel& target = host.core().tiles[static_cast<std::size_t>(level)];
    BmpReadResult result;
    try {
        result = ReadBmpFile(QFile::encodeName(path).toStdString(), target);
    } catch (const std::bad_alloc&) {
        result = {};
        result.error = "Not enough memory to load the bitmap " + QFile::encodeName(path).toStdString();
    }
    if (!result.ok) {
        const QString reason = QString::fromStdString(result.error);
        // The header refusal keeps its plain OK box; anything else is a
        // real problem with the file and gets the warning icon.
        const int style = result.error == kUnknownBmpType ? MsgStyle::Ok : MsgStyle::Exclamation;
        host.dialogs().messageBox(reason, style, QString(), 0);
        return false;
    }
    host.core().bitmapLoaded = true;
    return true;
}

QWidget* OwnerFor(LoadHost& host) {
    try {
        return GetHandle(host.dialogOwner());
    } catch (const CommonDialogError&) {
        return nullptr; // no window at all: the chooser picks its own parent
    }
}

} // namespace

LoadOutcome LoadSettingsFromBmp(LoadHost& host) {
    Dialogs& dialogs = host.dialogs();
    if (dialogs.messageBox(kConfirmText, MsgStyle::OkCancel, kConfirmTitle, 0) != MsgResult::Ok)
        return LoadOutcome::Declined;

    GuardHold guard(host);
    CommonDialog dialog(dialogs);
    dialog.OwnerHandle = OwnerFor(host);

    CoreState& core = host.core();
    ResetPictures(core.tiles);

    QString path;
    if (dialogs.messageBox(kDetailQuestion, MsgStyle::YesNo | MsgStyle::Question, QString(), 0) ==
        MsgResult::Yes) {
        // Ticking the box runs the detail-map toggle, which clears the guard
        // on its way out.
        host.setDetailEnabled(true);
        guard.set();
        if (ChooseBmp(dialog, kDetailDialogTitle, path) && ReadInto(host, path, 0)) {
            // Taken before writing: each write raises the box's Change.
            const QString width = QString::number(core.tiles[0].Width);
            const QString height = QString::number(core.tiles[0].Height);
            host.setSizeEnabled(SizeBox::DetailWidth, false);
            host.setSizeEnabled(SizeBox::DetailHeight, false);
            host.setSizeText(SizeBox::DetailWidth, width);
            host.setSizeText(SizeBox::DetailHeight, height);
        }
    }

    if (!ChooseBmp(dialog, kBaseDialogTitle, path)) {
        core.bitmapLoaded = false;
        host.clearPreview();
        return LoadOutcome::NoBase;
    }
    host.setPreviewTabEnabled(true);

    const int detailFlag = host.detailEnabled() ? 1 : 0;
    if (!ReadInto(host, path, detailFlag)) {
        core.bitmapLoaded = false;
        host.clearPreview();
        return LoadOutcome::NoBase;
    }

    const int baseBits = core.tiles[static_cast<std::size_t>(detailFlag)].BitDepth;
    const int format = BaseFormatForBitCount(baseBits);
    if (format != kNoFormat)
        host.selectBaseFormat(format);
    if (baseBits == 24)
        dialogs.messageBox(QString::fromLatin1(kGreyscaleMessage), MsgStyle::Ok, QString(), 0);

    if (dialogs.messageBox(kTileQuestion, MsgStyle::YesNo | MsgStyle::Question, kTileQuestionTitle,
                           kTileQuestionTimeout) == MsgResult::No) {
        core.noAutoTiles = true;
        for (int tile = detailFlag + 1; tile < kLevelCount; ++tile) {
            if (!ChooseBmp(dialog, TileDialogTitle(tile), path) || !ReadInto(host, path, tile)) {
                dialogs.messageBox(ReturningText(tile), MsgStyle::Ok, QString(), 0);
                break;
            }
        }
    } else {
        core.noAutoTiles = false;
    }

    host.setSliderTileEnabled(true);
    host.setSliderTileValue(detailFlag * 10);
    host.setSliderZoomEnabled(true);

    const TileLevel& base = core.tiles[static_cast<std::size_t>(detailFlag)];
    const QString width = QString::number(base.Width);
    const QString height = QString::number(base.Height);
    host.setSizeEnabled(SizeBox::Width, false);
    host.setSizeEnabled(SizeBox::Height, false);
    host.setSizeText(SizeBox::Width, width);
    host.setSizeText(SizeBox::Height, height);

    guard.clear();
    host.recalculate();
    host.drawPreview(static_cast<float>(detailFlag));
    return LoadOutcome::Loaded;
}

} // namespace vellora
