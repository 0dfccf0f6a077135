// SPDX-License-Identifier: MIT
#pragma once

namespace vellora {

class Dialogs;
class PictureOpener;
class TabStrip;
class TileSetupPage;

// The window's keys: Ctrl+O opens a picture, F5 reads it again, Ctrl+1 to
// Ctrl+5 choose the pages in the order the tabs stand, Ctrl+Shift+C copies
// the display list, F1 explains the focused box (or lists the keys).
void InstallWindowKeys(TabStrip& tabs, PictureOpener& opener, TileSetupPage& tileSetup, Dialogs& dialogs);

// What F1 says away from a box with help of its own.
extern const char* const kKeysHelp;

} // namespace vellora
