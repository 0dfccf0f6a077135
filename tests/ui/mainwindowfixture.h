// SPDX-License-Identifier: MIT
#pragma once

#include "preview/renderer.h"
#include "scripteddialogs.h"
#include "ui/form.h"
#include "ui/mainwindow.h"
#include "ui/previewdriver.h"
#include "ui/previewsurface.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace vellora {

// A started window over scripted dialogs, with the exit button disarmed.
struct WindowFixture {
    ScriptedDialogs dialogs;
    std::unique_ptr<MainWindow> window;
    std::vector<float> drawn; // positions the preview was asked to draw

    explicit WindowFixture(std::uint32_t seed = 1234) {
        // The window remembers files in QSettings: never the user's own.
        QStandardPaths::setTestModeEnabled(true);
        window = std::make_unique<MainWindow>(dialogs);
        window->setExitHandler([] {});
        window->setPreviewDrawer([this](float pos) { drawn.push_back(pos); });
        window->startUp(seed);
        QApplication::processEvents();
    }

    template <class T> T* get(const QString& name) const {
        T* w = window->findChild<T*>(name);
        if (!w) {
            std::fprintf(stderr, "missing control %s\n", qPrintable(name));
            std::abort();
        }
        return w;
    }

    // The byte total the window shows in its result label.
    long shownTotal() const {
        static const QRegularExpression re(QStringLiteral("(\\d+) Bytes"));
        const auto m = re.match(get<QLabel>(QStringLiteral("lblExcede"))->text());
        return m.hasMatch() ? m.captured(1).toLong() : -1;
    }
};

// A started window that draws its own preview and runs the real load on
// cmdBrowse, as the program does. A random source, when given, replaces the
// clock-seeded background colours.
struct RealWindow {
    ScriptedDialogs dialogs;
    std::unique_ptr<MainWindow> window;

    explicit RealWindow(std::uint32_t seed = 4321, PreviewRandom random = {}) {
        QStandardPaths::setTestModeEnabled(true);
        window = std::make_unique<MainWindow>(dialogs);
        window->setExitHandler([] {});
        if (random)
            window->previewDriver()->setRandomSource(std::move(random));
        window->startUp(seed);
        QApplication::processEvents();
    }

    template <class T> T* get(const char* name) const {
        T* w = window->findChild<T*>(QString::fromLatin1(name));
        if (!w)
            qFatal("missing control %s", name);
        return w;
    }
    long shownTotal() const {
        static const QRegularExpression re(QStringLiteral("(\\d+) Bytes"));
        const auto m = re.match(get<QLabel>("lblExcede")->text());
        return m.hasMatch() ? m.captured(1).toLong() : -1;
    }
    bool countsLikeTheCore() const {
        CoreState copy = window->coreState();
        return shownTotal() == CalcTMEM(window->currentSettings(), copy).count.totalBytes;
    }

    PreviewSurface* surface() const { return window->previewSurface(); }
    PreviewDriver* driver() const { return window->previewDriver(); }
    const TileTable& tiles() const { return window->coreState().tiles; }
    QRgb shown(int x, int y) const { return surface()->image().pixel(x, y) & 0xFFFFFF; }
};

// A texel's colour as the preview shows it.
inline QRgb Texel(const TileLevel& level, int row, int col) {
    const std::uint8_t* p = level.Pixels.at(row, col);
    return qRgb(p[0], p[1], p[2]) & 0xFFFFFF;
}

} // namespace vellora
