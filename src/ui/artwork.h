// SPDX-License-Identifier: MIT
#pragma once

#include <QPixmap>

namespace vellora::artwork {

// The program's pictures are drawn in code so the program ships no image files.
QPixmap ProgramIcon(int size);
QPixmap Logo();          // 96 x 64
QPixmap ThemeIcon();     // 16 x 16 palette
QPixmap MagnifierIcon(); // 16 x 16

} // namespace vellora::artwork
