// SPDX-License-Identifier: MIT
#pragma once

#include "core/tilelevel.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vellora {

// Numbers of the steps of a drawing pass, used as the "line" of a failure so
// the error box tells where a pass went wrong.
namespace PreviewStep {
inline constexpr int Shift = 1;      // ShiftScale from the Shift text
inline constexpr int Geometry = 3;   // tile index, pitches, LevelScale, surface size
inline constexpr int ZoomAlign = 4;  // zoom raised to a multiple of ShiftScale
inline constexpr int Background = 6; // random colour cells
inline constexpr int Viewport = 7;   // viewport in pixels
inline constexpr int Texture = 8;    // level pass or detail pass
} // namespace PreviewStep

// A failure met during a pass; the pass goes on with what it can still draw.
struct PreviewFailure {
    std::string description;
    int step = 0;
    // A level whose pixels cover only part of it (a tile file that was not
    // loaded): the covered part is drawn and the rest keeps the background,
    // which shows the gap well enough without an error box.
    bool partial = false;

    bool operator==(const PreviewFailure&) const = default;
};

// What one pass reads from the window.
struct PreviewInput {
    int detailFlag = 0; // index of the base texture; 1 when level 0 is the detail map
    int zoom = 2;       // screen pixels per base texel (the zoom slider's value)
    int maxZoom = 32;   // the zoom slider's maximum: alignment never goes past it
    std::string shiftText = "1";
    std::string lodFracText = "0.8";
    float tilePos = 0.0f; // 2.5 blends level 2 half and half with level 3
    int viewW = 360;      // visible part of the surface, in pixels
    int viewH = 260;
};

// Everything a pass works out before it draws. Sizes are 64-bit because a
// 3 x 3 picture of a 1024-texel level at zoom 32 is far wider than any
// viewport, and hostile level records must not overflow.
struct PreviewPlan {
    int detailFlag = 0;
    bool shiftValid = false;
    int shiftScale = 1; // 2 to the power Shift, rounded
    bool lodFracValid = false;
    float lodFrac = 0.0f;
    bool tileValid = false; // TilePos names a level 0 to 7
    int tileIndex = 0;
    float tileFrac = 0.0f;
    bool zoomValid = false;
    int zoomRequested = 0;                       // zoom as given
    int zoom = 0;                                // zoom after alignment to ShiftScale
    std::int64_t pitchW = 0, pitchH = 0;         // power-of-two pitch of the drawn level
    std::int64_t basePitchW = 0, basePitchH = 0; // the same for the base texture
    std::int64_t levelScale = 0;                 // base height over drawn level height
    bool levelScaleValid = false;
    std::int64_t sizedW = 0, sizedH = 0;     // surface size when first sized
    std::int64_t surfaceW = 0, surfaceH = 0; // surface size after zoom alignment
    bool useDetailPass = false;              // detail map on and the top level shown
    int viewW = 0, viewH = 0;
    std::vector<PreviewFailure> failures; // steps 1 to 4, in order
};

// Works out a pass (Shift, tile position, pitches, surface size and zoom
// alignment) without touching any pixel.
PreviewPlan PlanPreview(const TileTable& tiles, const PreviewInput& input);

// The visible top-left part of the surface: viewW x viewH RGB pixels, row
// major. Pixels outside the surface, or not drawn, keep the clear colour.
struct PreviewCanvas {
    int width = 0;
    int height = 0;
    std::int64_t surfaceW = 0;
    std::int64_t surfaceH = 0;
    std::vector<std::uint8_t> rgb;

    void reset(int viewW, int viewH, std::int64_t surfW, std::int64_t surfH, std::uint32_t clearRgb);
    const std::uint8_t* pixel(int x, int y) const {
        return rgb.data() +
               (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) *
                   3u;
    }
};

// Returns true when the pass must stop now (a newer request came in).
using PreviewCheckpoint = std::function<bool()>;
// A uniform random number in [0, 1).
using PreviewRandom = std::function<double()>;
using PreviewFailureSink = std::function<void(const PreviewFailure&)>;

enum class PassOutcome { Completed, Cancelled };

// The three drawing passes, each on a canvas already reset to the plan's
// viewport and surface. Failures go to the sink as they are met.
PassOutcome DrawBackground(const PreviewPlan& plan, PreviewCanvas& canvas, const PreviewRandom& random,
                           const PreviewCheckpoint& checkpoint);
PassOutcome DrawLevelPass(const PreviewPlan& plan, const TileTable& tiles, PreviewCanvas& canvas,
                          const PreviewCheckpoint& checkpoint, const PreviewFailureSink& failures);
PassOutcome DrawDetailPass(const PreviewPlan& plan, const TileTable& tiles, PreviewCanvas& canvas,
                           const PreviewCheckpoint& checkpoint, const PreviewFailureSink& failures);

struct PreviewResult {
    int viewW = 0;
    int viewH = 0;
    std::vector<std::uint8_t> rgb;           // viewW x viewH RGB, row major
    std::int64_t sizedW = 0, sizedH = 0;     // surface size when first sized
    std::int64_t surfaceW = 0, surfaceH = 0; // after zoom alignment
    int zoom = 0;                            // after zoom alignment
    bool completed = false;                  // false when a checkpoint stopped the pass
    std::vector<PreviewFailure> failures;    // in the order met
};

inline constexpr std::uint32_t kPreviewClearRgb = 0x000000; // 0xRRGGBB

// One whole pass after planning: clear, background, then the level pass or
// the detail pass, drawn into the caller's canvas (so a checkpoint can show
// the picture so far); the result's rgb stays empty. Failures of the plan are
// not repeated here.
PreviewResult RenderPlanned(const PreviewPlan& plan, const TileTable& tiles, PreviewCanvas& canvas,
                            const PreviewRandom& random, const PreviewCheckpoint& checkpoint,
                            const PreviewFailureSink& onFailure = {},
                            std::uint32_t clearRgb = kPreviewClearRgb);

// Plans and draws one pass. An empty random source falls back to a
// clock-seeded generator; an empty checkpoint never stops the pass.
PreviewResult RenderPreview(const TileTable& tiles, const PreviewInput& input, const PreviewRandom& random,
                            const PreviewCheckpoint& checkpoint = {},
                            const PreviewFailureSink& onFailure = {},
                            std::uint32_t clearRgb = kPreviewClearRgb);

} // namespace vellora
