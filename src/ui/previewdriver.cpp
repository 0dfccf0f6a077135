// SPDX-License-Identifier: MIT
#include "previewdriver.h"

#include "dialogs.h"
#include "previewsurface.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPalette>
#include <QScrollBar>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <random>

namespace vellora {

namespace {

// Showing the picture so far costs a copy of the viewport, so a long pass
// shows its progress a few times a second rather than at every checkpoint.
constexpr int kShowProgressMs = 40;
// Letting pending events run costs a trip to the event loop, and a pass has
// a checkpoint every few pixel rows. The first checkpoint always lets them
// run; after it, once every few milliseconds keeps a newer request well
// within a frame without spending most of a short pass in the loop.
constexpr int kEventSliceMs = 4;

QSize ToSize(std::int64_t w, std::int64_t h) {
    auto fit = [](std::int64_t v) {
        return static_cast<int>(std::clamp<std::int64_t>(v, 0, QWIDGETSIZE_MAX));
    };
    return QSize(fit(w), fit(h));
}

} // namespace

PreviewDriver::PreviewDriver(RecalcGuard& guard, const CoreState& state, PreviewSources sources,
                             QScrollBar* sliderZoom, PreviewSurface* surface, Dialogs& dialogs)
    : guard_(guard), state_(state), sources_(std::move(sources)), sliderZoom_(sliderZoom), surface_(surface),
      dialogs_(dialogs) {
    auto engine = std::make_shared<std::mt19937_64>(
        static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count()));
    random_ = [engine] { return std::uniform_real_distribution<double>(0.0, 1.0)(*engine); };
}

void PreviewDriver::Drawbmp(float tilePos) {
    // A request while a pass, a recalculation or a load runs is only noted;
    // during a pass it also stops that pass at its next checkpoint.
    if (guard_.held()) {
        guard_.requestRedraw();
        if (passDepth_ > 0) {
            restartWanted_ = true;
            restartPos_ = tilePos;
        }
        return;
    }
    if (!state_.bitmapLoaded)
        return;

    float pos = tilePos;
    // A pass stopped by a newer request leaves a half-drawn picture of the
    // old position; the newest position is drawn in its place. Each round
    // needs a fresh request from an event, so this ends when the user stops.
    while (runPass(pos) == Outcome::Cancelled) {
        if (!restartWanted_ || guard_.held() || !state_.bitmapLoaded)
            break;
        pos = restartPos_;
    }
}

PreviewDriver::Outcome PreviewDriver::runPass(float tilePos) {
    const int generation = ++generation_;
    ++started_;
    ++passDepth_;
    struct Depth {
        int& depth;
        ~Depth() { --depth; }
    } depth{passDepth_};

    RecalcGuard::Hold hold = guard_.hold();
    // A request noted before this pass began is answered by this very pass;
    // left set, it would stop the pass at its first checkpoint.
    guard_.clearRedraw();
    restartWanted_ = false;

    PreviewInput input;
    input.detailFlag = sources_.detailFlag ? sources_.detailFlag() : 0;
    input.zoom = sliderZoom_ ? sliderZoom_->value() : 0;
    input.maxZoom = sliderZoom_ ? sliderZoom_->maximum() : 32;
    input.shiftText = sources_.shiftText ? sources_.shiftText().toStdString() : std::string();
    input.lodFracText = sources_.lodFracText ? sources_.lodFracText().toStdString() : std::string();
    input.tilePos = tilePos;
    const QSize view = sources_.viewportPixels ? sources_.viewportPixels() : QSize();
    input.viewW = view.width();
    input.viewH = view.height();

    const TileTable* shown = sources_.shownTiles ? sources_.shownTiles() : nullptr;
    const TileTable& tiles = shown != nullptr ? *shown : state_.tiles;
    const PreviewPlan plan = PlanPreview(tiles, input);
    lastPlan_ = plan;
    // The surface is resized, cleared and drawn within the pass; painting
    // each of those steps at a checkpoint would cost more than the pass. It
    // is painted once its picture is shown, or with the progress of a pass
    // that takes long.
    struct Quiet {
        QWidget* w;
        ~Quiet() { w->setUpdatesEnabled(true); }
    } quiet{surface_};
    surface_->setUpdatesEnabled(false);
    surface_->setSurfaceSize(ToSize(plan.sizedW, plan.sizedH));
    for (const PreviewFailure& f : plan.failures)
        if (f.step < PreviewStep::ZoomAlign)
            report(f);

    // The zoom slider's own change handler does nothing while the guard is
    // set, so raising it here draws nothing by itself.
    if (sliderZoom_)
        while (sliderZoom_->value() < plan.zoom && sliderZoom_->value() < sliderZoom_->maximum())
            sliderZoom_->setValue(sliderZoom_->value() + 1);
    for (const PreviewFailure& f : plan.failures)
        if (f.step >= PreviewStep::ZoomAlign)
            report(f);
    surface_->setSurfaceSize(ToSize(plan.surfaceW, plan.surfaceH));
    surface_->clearSurface();

    PreviewCanvas& canvas = canvas_;
    bool superseded = false;
    QElapsedTimer sinceShown;
    sinceShown.start();
    QElapsedTimer sinceEvents;
    auto checkpoint = [&]() -> bool {
        if (sinceShown.elapsed() >= kShowProgressMs) {
            surface_->setUpdatesEnabled(true);
            surface_->showCanvas(canvas);
            sinceShown.restart();
        }
        if (!sinceEvents.isValid() || sinceEvents.elapsed() >= kEventSliceMs) {
            QCoreApplication::processEvents();
            sinceEvents.start();
        }
        if (generation_ != generation) {
            // Something dropped the guard and a newer pass already ran to
            // its end inside this checkpoint: its picture is the current one.
            superseded = true;
            return true;
        }
        if (guard_.redrawPending()) {
            hold.release();
            guard_.clearRedraw();
            return true;
        }
        return false;
    };
    const QColor back = surface_->palette().color(QPalette::Window);
    const auto clearRgb = static_cast<std::uint32_t>(back.rgb() & 0xFFFFFFu);
    const PreviewResult result = RenderPlanned(
        plan, tiles, canvas, random_, checkpoint, [this](const PreviewFailure& f) { report(f); }, clearRgb);

    if (superseded)
        return Outcome::Superseded;
    surface_->showCanvas(canvas);
    if (!result.completed) {
        // The surface keeps the size it was given for the pass.
        ++cancelled_;
        return Outcome::Cancelled;
    }
    ++completed_;
    hold.release();
    const QSize surface = surface_->surfaceSize();
    surface_->setSurfaceSize(surface.boundedTo(view.expandedTo(QSize(0, 0))));
    return Outcome::Completed;
}

void PreviewDriver::report(const PreviewFailure& failure) {
    // A level drawn as far as its pixels reach needs no box, least of all
    // one on every move of the tile bar.
    if (failure.partial)
        return;
    const QString prompt = QString::fromStdString(failure.description) + QStringLiteral("\r\n") +
                           QStringLiteral("in Vellora.Form1.Drawbmp ") + QStringLiteral("at line ") +
                           QString::number(failure.step);
    dialogs_.messageBox(prompt, MsgStyle::Exclamation, QStringLiteral("Application Error"), 0);
}

} // namespace vellora
