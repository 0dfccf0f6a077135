// SPDX-License-Identifier: MIT
#pragma once

#include "ui/dialogs.h"
#include "ui/loadhost.h"

#include <QString>

namespace vellora {

// How a click of "Load Settings from bmp" ended.
enum class LoadOutcome {
    Declined, // the confirmation was not answered OK: nothing changed
    NoBase,   // no base file was delivered: the level table stays reset
    Loaded,   // the base (and whatever else was chosen) is loaded and counted
};

// The guided load behind cmdBrowse: confirmation, optional detail map, the
// base texture (whose size and bit count become the settings), then either
// generated mip-map tiles or one file per tile; ends with one recalculation
// and one preview drawing. Every way out leaves the host's recalculation
// guard clear.
// A droppedBase answers the base texture's dialog (a file dropped on the
// window); every other question is asked as usual.
LoadOutcome LoadSettingsFromBmp(LoadHost& host, Dialogs& dialogs, const QString& droppedBase = QString());

// Opens a picture as the base texture in one step, with no questions: the
// format from its name or header, the detail map and the level choices as
// they are, the levels generated with the current filter; one recount and
// one drawing follow. A file that cannot be used leaves the texture as it
// was; what went wrong, or what the window noticed (a picture cut to the
// size boxes), comes back as text for the caller to show.
struct OpenResult {
    bool ok = false;
    QString problem;   // why the file was not opened, naming it
    QStringList notes; // what the load noticed, in order
};
OpenResult OpenPicture(LoadHost& host, const QString& path);

// The files a load offers: every dialog's filters, and what a drop may bring.
QStringList PictureFilters();
bool IsLoadablePictureName(const QString& path);

// The folder of the last file chosen or dropped in this run; the current
// folder before the first. Every file dialog opens there.
QString LastChosenFolder();
void RememberChosenFile(const QString& path);

} // namespace vellora
