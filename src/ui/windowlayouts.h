// SPDX-License-Identifier: MIT
#pragma once

#include "ui/controlanchor.h"

class QWidget;

namespace vellora {

class PreviewPage;
class TabStrip;

// The window's two layouts. Controls keep their distances to the right and
// bottom edges as the window is resized; the width snaps to the narrow
// design (6500 twips) or the wide one (13000), where the TMEM map stands
// beside the calculator; the maximize button switches between the two.
class WindowLayouts {
  public:
    static constexpr int kNarrowWidthTwips = 6500;
    static constexpr int kWideWidthTwips = 13000;
    // What the frame adds to the client width (6500 outer for 6345 inside).
    static constexpr int kFrameTwips = 155;

    WindowLayouts(QWidget& window, TabStrip& tabs, PreviewPage& preview)
        : window_(window), tabs_(tabs), preview_(preview) {}

    // Window width as the layouts count it: the outer width in twips.
    int widthTwips() const;
    void setWidthTwips(int widthTwips);
    bool isWide() const { return widthTwips() > kNarrowWidthTwips; }
    bool wideToggle() const { return wideToggle_; }

    // Runs on every resize of the window, and once a maximize has settled.
    void onResize();

  private:
    QWidget* named(const char* name) const;

    QWidget& window_;
    TabStrip& tabs_;
    PreviewPage& preview_;
    ControlAnchors anchors_;
    bool resizeReady_ = false;
    bool wideToggle_ = false;
};

} // namespace vellora
