// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

namespace vellora {

class MainWindow;

// Grabs every page of the window in the narrow and the wide layout into PNG
// files in dir, then the preview page with the start-up picture and with a
// generated 128 x 64 picture loaded through the bitmap load (its questions
// answered without showing them) at tile position 1.5; returns the files
// written (empty when dir cannot be made). Leaves that picture loaded.
QStringList WriteScreenshots(MainWindow& window, const QString& dir);

} // namespace vellora
