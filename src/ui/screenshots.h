// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

namespace vellora {

class MainWindow;

// Grabs every page of the window in the narrow and the wide layout into PNG
// files in dir; returns the files written (empty when dir cannot be made).
QStringList WriteScreenshots(MainWindow& window, const QString& dir);

} // namespace vellora
