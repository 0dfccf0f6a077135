// SPDX-License-Identifier: MIT
#pragma once

#include <QFont>
#include <QRect>
#include <cmath>

namespace vellora {

// The window's design is kept in twips; 15 of them make one logical pixel,
// and Qt's own scaling takes logical pixels to the screen on high-DPI.
inline constexpr int kTwipsPerPixel = 15;
inline int twips(int t) {
    return static_cast<int>(std::lround(t / static_cast<double>(kTwipsPerPixel)));
}
inline QRect twipsRect(int left, int top, int width, int height) {
    return QRect(twips(left), twips(top), twips(width), twips(height));
}

// Tahoma 8.25 pt where it is installed, else the platform's sans-serif at
// the same size (narrowed where the face offers it, so captions sized for
// Tahoma still fit).
QFont WindowFont();
// Arial at the given size for the splash, with the same fallback.
QFont SplashFont(double points, bool bold);

} // namespace vellora
