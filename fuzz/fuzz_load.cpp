// SPDX-License-Identifier: MIT
// The way a picture travels through the program: read as the base texture,
// its size written into the boxes through their input rules, the count with
// the mip-map regeneration it triggers, and one small preview pass.
#include "bitmap/loadstep.h"
#include "bitmap/mipmap.h"
#include "core/calc.h"
#include "core/detailmap.h"
#include "preview/renderer.h"

#include <cstdlib>
#include <string>

using namespace vellora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The last byte chooses the window's switches; it is also part of the file,
    // which the fuzzer copes with.
    const std::uint8_t knobs = size > 0 ? data[size - 1] : 0;
    Settings settings;
    settings.detailEnabled = (knobs & 1) != 0;
    settings.autoLevels = (knobs & 2) != 0;
    settings.widthRule = (knobs & 4) != 0;
    settings.levels = std::to_string((knobs >> 3) & 7);
    const MipFilter filter = (knobs & 64) != 0 ? MipFilter::Box2x2 : MipFilter::Weighted3x3;
    const int detailFlag = settings.detailEnabled ? 1 : 0;

    CoreState state;
    ResetPictures(state.tiles);
    const LoadStepResult r = LoadBytesInto({data, size}, LoadRole::Base, state, detailFlag);
    if (!r.ok)
        return 0;
    ApplyToSettings(r.file, LoadRole::Base, settings);

    CalcHooks hooks;
    hooks.regenerate = [filter](TileTable& t, int last, int flag) {
        GeneratebmpMipMap(t, last, flag, filter);
    };
    const CountResult count = CalcTMEM(settings, state, false, hooks);
    if (count.count.maxIndex < 0 || count.count.maxIndex >= kLevelCount)
        std::abort();
    // The filter switch regenerates with the number in the level box.
    GeneratebmpMipMap(state.tiles, count.count.maxIndex, count.count.detailFlag,
                      filter == MipFilter::Box2x2 ? MipFilter::Weighted3x3 : MipFilter::Box2x2);

    PreviewInput input;
    input.detailFlag = count.count.detailFlag;
    input.zoom = 1 + (knobs >> 7);
    input.tilePos = static_cast<float>(count.count.maxIndex) * static_cast<float>(knobs & 7) / 7.0f;
    input.viewW = 48;
    input.viewH = 32;
    unsigned seed = knobs;
    const PreviewResult shown = RenderPreview(state.tiles, input, [&seed] {
        seed = seed * 1103515245u + 12345u;
        return static_cast<double>((seed >> 8) & 0xFFFF) / 65536.0;
    });
    if (shown.rgb.size() !=
        static_cast<std::size_t>(shown.viewW) * static_cast<std::size_t>(shown.viewH) * 3u)
        std::abort();
    return 0;
}
