// SPDX-License-Identifier: MIT
#pragma once

#include "core/tilelevel.h"

#include <QImage>
#include <QString>

#include <optional>

namespace vellora {

// Writes a picture as an 8-bit RGB PNG, all or nothing; the reason when it
// could not be written.
std::optional<QString> WriteImagePng(const QImage& image, const QString& path);

// Writes level-0.png ... level-N.png into folder, each the level's pixels
// as held (R, G, B, A); all of them or none.
std::optional<QString> WriteLevelPngs(const TileTable& tiles, int lastIndex, const QString& folder);

} // namespace vellora
