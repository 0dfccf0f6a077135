// SPDX-License-Identifier: MIT
#pragma once

#include "preview/renderer.h"
#include "ui/form.h"
#include "ui/recalcguard.h"

#include <QSize>
#include <QString>

#include <functional>

class QScrollBar;

namespace vellora {

class Dialogs;
class PreviewSurface;

// What a pass reads from the window each time it starts.
struct PreviewSources {
    std::function<int()> detailFlag;       // chkDetailEnabled's value
    std::function<QString()> shiftText;    // txtShift
    std::function<QString()> lodFracText;  // txtLODFrac
    std::function<QSize()> viewportPixels; // picPreview's visible part
    // The levels as the RDP holds them, when those are to be drawn; null
    // (or no source) draws the state's own pixels.
    std::function<const TileTable*()> shownTiles;
};

// Drawbmp: runs drawing passes of the preview on the window's thread. A pass
// lets pending events run at each checkpoint; a request that arrives then
// stops the pass there, and the newest request is drawn once it has stopped.
class PreviewDriver {
  public:
    // The guard is the window's; a pass holds it while it draws. The state's
    // level table and picture flag are read at every pass.
    PreviewDriver(RecalcGuard& guard, const CoreState& state, PreviewSources sources, QScrollBar* sliderZoom,
                  PreviewSurface* surface, Dialogs& dialogs);

    void Drawbmp(float tilePos);

    // Replaces the clock-seeded colours of the background (tests).
    void setRandomSource(PreviewRandom random) { random_ = std::move(random); }

    // What the passes did so far.
    int passesStarted() const { return started_; }
    int passesCompleted() const { return completed_; }
    int passesCancelled() const { return cancelled_; }
    bool isDrawing() const { return passDepth_ > 0; }
    const PreviewPlan& lastPlan() const { return lastPlan_; }

  private:
    enum class Outcome { Completed, Cancelled, Superseded };
    Outcome runPass(float tilePos);
    void report(const PreviewFailure& failure);

    RecalcGuard& guard_;
    const CoreState& state_;
    PreviewSources sources_;
    QScrollBar* sliderZoom_;
    PreviewSurface* surface_;
    Dialogs& dialogs_;
    PreviewRandom random_;

    int passDepth_ = 0;  // passes on the stack (a nested one only after a guard was dropped)
    int generation_ = 0; // bumped by every pass that starts
    bool restartWanted_ = false;
    float restartPos_ = 0.0f; // tile position of the newest request during a pass
    int started_ = 0;
    int completed_ = 0;
    int cancelled_ = 0;
    PreviewPlan lastPlan_;
    // Kept from pass to pass: a viewport's worth of pixels is not worth
    // allocating and faulting in again on every move of a bar.
    PreviewCanvas canvas_;
};

} // namespace vellora
