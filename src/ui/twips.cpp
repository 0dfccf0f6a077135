// SPDX-License-Identifier: MIT
#include "twips.h"

#include <QFontDatabase>
#include <QFontInfo>

namespace vellora {

namespace {

QFont FontOrFallback(const QString& family, double points, bool bold) {
    QFont f(family);
    f.setPointSizeF(points);
    f.setBold(bold);
    if (QFontInfo(f).family().compare(family, Qt::CaseInsensitive) == 0)
        return f;
    QFont fallback = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    fallback.setStyleHint(QFont::SansSerif);
    fallback.setPointSizeF(points);
    fallback.setBold(bold);
    fallback.setStretch(QFont::SemiCondensed);
    return fallback;
}

} // namespace

QFont WindowFont() {
    return FontOrFallback(QStringLiteral("Tahoma"), 8.25, false);
}

QFont SplashFont(double points, bool bold) {
    return FontOrFallback(QStringLiteral("Arial"), points, bold);
}

} // namespace vellora
