// SPDX-License-Identifier: MIT
#pragma once

#include "ui/dialogs.h"
#include "ui/loadhost.h"

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
LoadOutcome LoadSettingsFromBmp(LoadHost& host, Dialogs& dialogs);

} // namespace vellora
