// SPDX-License-Identifier: MIT
#pragma once

#include "ui/controlanchor.h"

#include <QSize>
#include <QTimer>

#include <array>

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

    WindowLayouts(QWidget& window, TabStrip& tabs, PreviewPage& preview);

    // Window width as the layouts count it: the outer width in twips.
    int widthTwips() const;
    void setWidthTwips(int widthTwips);
    bool isWide() const { return widthTwips() > kNarrowWidthTwips; }
    bool wideToggle() const { return wideToggle_; }

    // Runs on every resize of the window with the size it now has.
    void onResize(QSize size);
    // The window's state changed (maximized, restored).
    void onStateChange();

  private:
    QWidget* named(const char* name) const;
    void switchLayout();
    void snap();
    // Asks the window system for a size and remembers having asked, so its
    // echo is not taken for the window manager's own answer.
    void ask(QSize size);

    QWidget& window_;
    TabStrip& tabs_;
    PreviewPage& preview_;
    ControlAnchors anchors_;
    bool resizeReady_ = false;
    bool wideToggle_ = false;
    bool wideShown_ = false; // the layout the window shows
    int snaps_ = 0;          // snaps begun, to tell a nested one
    // The height the window had before it was maximized, which the switch
    // gives back.
    int normalHeight_ = 0;
    // A maximize was answered with a switch and the window manager has not
    // yet restored the window: further reports of the same maximize must
    // not switch again.
    bool switching_ = false;
    // From a switch until the window manager is quiet: the sizes it answers
    // with are its restore's, not the user's.
    bool restoring_ = false;
    QSize restoreSize_; // what the switch asked for
    int strays_ = 0;    // sizes of the window manager's own since the last settle
    int settleRounds_ = 0;
    // Window managers answer a resize with sizes of their own, during a drag
    // and after a restore; once they are quiet the width rule is applied to
    // where the window ended up.
    QTimer settle_;
    std::array<QSize, 4> asked_{};
    std::size_t nextAsked_ = 0;
};

} // namespace vellora
