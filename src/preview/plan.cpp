// SPDX-License-Identifier: MIT
// Working out a pass before any pixel is drawn.
#include "renderer.h"

#include "previewmath.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace vellora {

using namespace previewmath;

PreviewPlan PlanPreview(const TileTable& tiles, const PreviewInput& input) {
    PreviewPlan plan;
    auto fail = [&plan](int step, std::string text) { plan.failures.push_back({std::move(text), step}); };

    plan.detailFlag = input.detailFlag;
    plan.viewW = std::clamp(input.viewW, 0, kMaxView);
    plan.viewH = std::clamp(input.viewH, 0, kMaxView);

    // Shift is read on every call; a bad one only matters to the detail map.
    if (auto shift = NumericValue(input.shiftText); !shift) {
        fail(PreviewStep::Shift, "Type mismatch: Shift " + Quoted(input.shiftText) + " is not a number");
    } else {
        double scale = Nearest(std::pow(2.0, *shift));
        if (!(scale <= std::numeric_limits<std::int16_t>::max())) {
            fail(PreviewStep::Shift,
                 "Overflow: 2 to the power of Shift " + Quoted(input.shiftText) + " is too large");
        } else {
            plan.shiftValid = true;
            plan.shiftScale = static_cast<int>(scale);
        }
    }
    if (auto clamp = NumericValue(input.lodFracText); clamp && std::isfinite(*clamp)) {
        plan.lodFracValid = true;
        plan.lodFrac = static_cast<float>(*clamp);
    }

    if (input.detailFlag != 0 && input.detailFlag != 1) {
        fail(PreviewStep::Geometry,
             "Subscript out of range: DetailFlag " + Text(input.detailFlag) + " is neither 0 nor 1");
        return plan;
    }

    plan.zoomRequested = input.zoom;
    plan.zoomValid = input.zoom >= 1 && input.zoom <= kMaxZoom;
    if (!plan.zoomValid) {
        fail(PreviewStep::Geometry,
             "Invalid property value: zoom " + Text(input.zoom) + " is outside 1 to 32");
        return plan;
    }
    plan.zoom = input.zoom;

    const TileLevel& base = tiles[static_cast<std::size_t>(input.detailFlag)];
    plan.basePitchW = Pitch(base.Width);
    plan.basePitchH = Pitch(base.Height);
    if (plan.basePitchW == 0 || plan.basePitchH == 0)
        fail(PreviewStep::Geometry, "Level " + Text(input.detailFlag) + " (the base texture) is " +
                                        Text(base.Width) + " x " + Text(base.Height) +
                                        " texels: nothing to draw");

    float pos = input.tilePos;
    if (std::isfinite(pos) && pos >= 0.0f && pos < static_cast<float>(kLevelCount)) {
        plan.tileValid = true;
        plan.tileIndex = static_cast<int>(std::floor(pos));
        plan.tileFrac = pos - static_cast<float>(plan.tileIndex);
        const TileLevel& level = tiles[static_cast<std::size_t>(plan.tileIndex)];
        plan.pitchW = Pitch(level.Width);
        plan.pitchH = Pitch(level.Height);
        if (level.Height <= 0) {
            fail(PreviewStep::Geometry, "Division by zero: level " + Text(plan.tileIndex) +
                                            " has a height of " + Text(level.Height));
        } else if (base.Height > 0) {
            double ratio = Nearest(static_cast<double>(base.Height) / static_cast<double>(level.Height));
            plan.levelScale = static_cast<std::int64_t>(ratio);
            plan.levelScaleValid = true;
        }
    } else {
        char text[32];
        auto written = std::to_chars(text, text + sizeof text, pos);
        fail(PreviewStep::Geometry,
             "Overflow: tile position " + std::string(text, written.ptr) + " is outside the levels 0 to 7");
    }

    plan.sizedW = SatMul(3 * plan.basePitchW, plan.zoom);
    plan.sizedH = SatMul(3 * plan.basePitchH, plan.zoom);

    // With a detail map every detail texel must cover whole pixels, so the
    // zoom moves up to a multiple of ShiftScale.
    if (input.detailFlag == 1 && plan.shiftValid) {
        int top = std::clamp(input.maxZoom, 1, kMaxZoom);
        if (plan.shiftScale <= 0) {
            fail(PreviewStep::ZoomAlign,
                 "Division by zero: 2 to the power of Shift " + Quoted(input.shiftText) + " rounds to 0");
        } else {
            int z = plan.zoom;
            while (z % plan.shiftScale != 0 && z < top)
                ++z;
            if (z % plan.shiftScale != 0)
                fail(PreviewStep::ZoomAlign, "Invalid property value: no zoom from " + Text(plan.zoom) +
                                                 " to " + Text(top) + " is a multiple of " +
                                                 Text(plan.shiftScale));
            else
                plan.zoom = z;
        }
    }
    plan.surfaceW = SatMul(3 * plan.basePitchW, plan.zoom);
    plan.surfaceH = SatMul(3 * plan.basePitchH, plan.zoom);
    plan.useDetailPass = input.detailFlag == 1 && plan.tileValid && plan.tileIndex == 0;
    return plan;
}

} // namespace vellora
