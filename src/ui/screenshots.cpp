// SPDX-License-Identifier: MIT
#include "screenshots.h"

#include "mainwindow.h"
#include "splash.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>

namespace vellora {

QStringList WriteScreenshots(MainWindow& window, const QString& dir) {
    QStringList written;
    if (!QDir().mkpath(dir))
        return written;
    struct Page {
        int tab;
        const char* name;
    };
    const Page pages[] = {{0, "calculator"}, {3, "preview"}, {2, "tmem-map"}, {1, "about"}};
    const struct {
        const char* name;
        int widthTwips;
    } layouts[] = {{"narrow", MainWindow::kNarrowWidthTwips}, {"wide", MainWindow::kWideWidthTwips}};
    for (const auto& layout : layouts) {
        window.setWindowWidthTwips(layout.widthTwips);
        QApplication::processEvents();
        for (const Page& page : pages) {
            // In the wide layout the map stands beside the calculator and has
            // no page of its own.
            if (window.isWideLayout() && page.tab == 2)
                continue;
            window.selectTab(page.tab);
            QApplication::processEvents();
            const QString file = QDir(dir).filePath(
                QStringLiteral("%1-%2.png").arg(QLatin1String(layout.name), QLatin1String(page.name)));
            if (window.grab().save(file))
                written << file;
        }
    }
    // The splash as it stands over the window during start-up.
    Splash splash;
    splash.showAndPaint();
    const QString file = QDir(dir).filePath(QStringLiteral("splash.png"));
    if (splash.grab().save(file))
        written << file;
    splash.close();
    return written;
}

} // namespace vellora
