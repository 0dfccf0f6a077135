// SPDX-License-Identifier: MIT
#include "ui/windowlayouts.h"

#include "ui/previewpage.h"
#include "ui/tabstrip.h"
#include "ui/twips.h"

#include <QPushButton>
#include <QWidget>

#include <cmath>

namespace vellora {

QWidget* WindowLayouts::named(const char* name) const {
    return window_.findChild<QWidget*>(QString::fromLatin1(name));
}

int WindowLayouts::widthTwips() const {
    return window_.width() * kTwipsPerPixel + kFrameTwips;
}

void WindowLayouts::setWidthTwips(int widthTwips) {
    const int px =
        static_cast<int>(std::lround((widthTwips - kFrameTwips) / static_cast<double>(kTwipsPerPixel)));
    if (px != window_.width())
        window_.resize(px, window_.height());
}

void WindowLayouts::onResize() {
    constexpr int All = Anchor::Left | Anchor::Top | Anchor::Right | Anchor::Bottom;
    struct Anchored {
        const char* name;
        int edges;
    };
    static constexpr Anchored kAnchored[] = {
        {"btnExit", Anchor::Right | Anchor::Bottom},
        {"cmdBrowse", Anchor::Left | Anchor::Bottom},
        {"TabCtl1", All},
        {"BG", All},
        {"TabContents(1)", All},
        {"TabContents(3)", All},
        {"txtAbout", All},
        {"fraDetailProps", Anchor::Left | Anchor::Right | Anchor::Bottom},
        {"sliderZoom", Anchor::Top | Anchor::Right | Anchor::Bottom},
        {"IconZoom", Anchor::Top | Anchor::Right},
        {"lblneg", Anchor::Top | Anchor::Right},
        {"lblpluss", Anchor::Right | Anchor::Bottom},
        {"lblTSMax", Anchor::Right | Anchor::Bottom},
        {"lblTSMin", Anchor::Left | Anchor::Bottom},
        {"sliderTile", Anchor::Left | Anchor::Right | Anchor::Bottom},
        {"lblTSTile", Anchor::Left | Anchor::Right | Anchor::Bottom},
    };
    for (const Anchored& a : kAnchored)
        if (QWidget* w = named(a.name))
            anchors_.anchor(w, a.edges);
    preview_.fitTileLabel();

    if (!resizeReady_) {
        // The first resize, when the window is first shown, only records the
        // design distances.
        resizeReady_ = true;
        return;
    }
    if (window_.isMinimized())
        return;
    if (window_.isMaximized()) {
        // The maximize button switches between the two layouts.
        resizeReady_ = false;
        window_.setWindowState(window_.windowState() & ~Qt::WindowMaximized);
        setWidthTwips(wideToggle_ ? 6495 : kWideWidthTwips);
        wideToggle_ = !wideToggle_;
        resizeReady_ = true;
    }

    QFrame* map = tabs_.page(2);
    if (widthTwips() <= kNarrowWidthTwips) {
        setWidthTwips(kNarrowWidthTwips);
        tabs_.button(2)->setEnabled(true);
        map->move(twips(75), map->y());
    } else {
        setWidthTwips(kWideWidthTwips);
        tabs_.button(2)->setEnabled(false);
        map->move(twips(6500), map->y());
        map->show();
        map->raise();
    }
    if (const int chosen = tabs_.chosen(); chosen >= 0)
        tabs_.select(chosen);
    preview_.fitSurface();
}

} // namespace vellora
