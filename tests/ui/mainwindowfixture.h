// SPDX-License-Identifier: MIT
#pragma once

#include "scripteddialogs.h"
#include "ui/mainwindow.h"

#include <QApplication>
#include <QLabel>
#include <QRegularExpression>
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

} // namespace vellora
