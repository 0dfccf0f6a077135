// SPDX-License-Identifier: MIT
#include "ui/windowlayouts.h"

#include "ui/previewpage.h"
#include "ui/tabstrip.h"
#include "ui/twips.h"

#include <QPushButton>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace vellora {

namespace {

// How long the window manager may keep answering before the rule is applied
// once more.
constexpr int kSettleMs = 120;

} // namespace

WindowLayouts::WindowLayouts(QWidget& window, TabStrip& tabs, PreviewPage& preview)
    : window_(window), tabs_(tabs), preview_(preview) {
    settle_.setSingleShot(true);
    settle_.setInterval(kSettleMs);
    QObject::connect(&settle_, &QTimer::timeout, &window_, [this] {
        if (!resizeReady_ || window_.isMaximized() || window_.isMinimized())
            return;
        // While restoring, the switch's size is asked for again until a
        // whole settle time has passed without the window manager answering
        // with a size of its own (a few rounds at most).
        constexpr int kMaxRounds = 8;
        if (restoring_ && strays_ == 0 && window_.size() == restoreSize_) {
            restoring_ = false;
            return;
        }
        snap();
        // The window manager may have dropped the last request while it was
        // busy with its own (an interactive drag, a restore): Qt then
        // believes the window has the size it asked for, and asking again
        // for the same size would change nothing. A step away and back is a
        // new request. After a switch the height is the one from before the
        // maximize, whatever the restore left.
        const QSize size = restoring_ ? restoreSize_ : window_.size();
        ask(QSize(size.width() + 1, size.height()));
        ask(size);
        strays_ = 0;
        if (restoring_ && ++settleRounds_ < kMaxRounds)
            settle_.start();
        else
            restoring_ = false;
    });
}

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
        ask(QSize(px, window_.height()));
}

void WindowLayouts::ask(QSize size) {
    asked_[nextAsked_] = size;
    nextAsked_ = (nextAsked_ + 1) % asked_.size();
    window_.resize(size);
}

void WindowLayouts::onResize(QSize size) {
    constexpr int All = Anchor::Left | Anchor::Top | Anchor::Right | Anchor::Bottom;
    struct Anchored {
        const char* name;
        int edges;
    };
    static constexpr Anchored kAnchored[] = {
        {"btnExit", Anchor::Right | Anchor::Bottom},
        {"cmdBrowse", Anchor::Left | Anchor::Bottom},
        {"cmdOpen", Anchor::Left | Anchor::Bottom},
        {"lblStatus", Anchor::Left | Anchor::Right | Anchor::Bottom},
        {"TabCtl1", All},
        {"BG", All},
        {"TabContents(1)", All},
        {"TabContents(3)", All},
        {"TabContents(4)", All},
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
        normalHeight_ = window_.height();
        return;
    }
    if (window_.isMinimized())
        return;
    if (window_.isMaximized()) {
        switchLayout();
        return;
    }
    switching_ = false;
    if (restoring_) {
        // The window manager's restore lands on the size it kept from before
        // the maximize, sometimes after the switch's own request: the
        // switch's size wins.
        if (size != restoreSize_ && size != QSize(restoreSize_.width() + 1, restoreSize_.height())) {
            ++strays_;
            ask(restoreSize_);
            settle_.start();
        }
        snap();
        return;
    }
    normalHeight_ = size.height();
    snap();
    // A size nobody here asked for came from the window manager: once it is
    // quiet, the rule is applied again.
    if (std::find(asked_.begin(), asked_.end(), size) == asked_.end())
        settle_.start();
}

void WindowLayouts::onStateChange() {
    if (resizeReady_ && window_.isMaximized())
        switchLayout();
}

void WindowLayouts::switchLayout() {
    // The maximize button switches between the two layouts, once for each
    // time the user maximizes: the window manager may report the maximize
    // more than once before it has restored the window.
    if (switching_)
        return;
    switching_ = true;
    restoring_ = true;
    strays_ = 0;
    settleRounds_ = 0;
    // Always to the other layout than the one shown, also after a drag
    // changed it.
    wideToggle_ = !wideShown_;
    window_.setWindowState(window_.windowState() & ~Qt::WindowMaximized);
    const int wanted = wideToggle_ ? kWideWidthTwips : 6495;
    const int px =
        static_cast<int>(std::lround((wanted - kFrameTwips) / static_cast<double>(kTwipsPerPixel)));
    restoreSize_ = QSize(px, normalHeight_ > 0 ? normalHeight_ : window_.height());
    ask(restoreSize_);
    settle_.start();
}

void WindowLayouts::snap() {
    QFrame* map = tabs_.page(2);
    const bool wide = widthTwips() > kNarrowWidthTwips;
    // Asking for the snapped width may resize the window at once, and the
    // resize snaps again (a window manager's late answer among them): then
    // that inner snap saw the newer size, and its layout stands.
    const int snap = ++snaps_;
    setWidthTwips(wide ? kWideWidthTwips : kNarrowWidthTwips);
    if (snap != snaps_)
        return;
    wideShown_ = wide;
    tabs_.button(2)->setEnabled(!wide);
    if (!wide) {
        map->move(twips(75), map->y());
    } else {
        map->move(twips(6500), map->y());
        map->show();
        map->raise();
    }
    if (const int chosen = tabs_.chosen(); chosen >= 0)
        tabs_.select(chosen);
    else
        tabs_.showTab(0); // none chosen yet: the calculator, with the map beside it when wide
    preview_.fitSurface();
}

} // namespace vellora
