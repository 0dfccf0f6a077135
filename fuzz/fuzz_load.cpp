// SPDX-License-Identifier: MIT
// The way a picture travels through the document: read as the base
// texture, its levels drawn and counted, its analysis, one small preview
// pass, and the texture reduced to a kind and laid out as the game loads it.
#include "document/analysis.h"
#include "document/export.h"
#include "document/texture.h"
#include "preview/renderer.h"

#include <cstdlib>
#include <string>

using namespace vellora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The last byte chooses the switches; it is also part of the file,
    // which the fuzzer copes with.
    const std::uint8_t knobs = size > 0 ? data[size - 1] : 0;
    doc::Texture texture;
    if ((knobs & 1) != 0)
        texture.spec.detail = DetailSpec{};
    texture.spec.levels = (knobs & 2) == 0   ? LevelMode::Manual
                          : (knobs & 4) != 0 ? LevelMode::AutoWidth64
                                             : LevelMode::Auto;
    texture.spec.lastLevel = (knobs >> 3) & 7;
    texture.filter = (knobs & 64) != 0 ? MipFilter::Box2x2 : MipFilter::Weighted3x3;
    const int detailFlag = texture.spec.detail ? 1 : 0;
    if (!doc::LoadPicture(texture, {data, size}, LoadRole::Base, detailFlag).ok)
        return 0;

    doc::DrawLevels(texture);
    doc::AnalyzeOptions options;
    options.suggest = (knobs & 32) != 0;
    const doc::Analysis analysis = doc::Analyze(texture, options);
    const Count& count = analysis.count;
    if (count.maxIndex < 0 || count.maxIndex >= kLevelCount || !analysis.layout)
        std::abort();

    PreviewInput input;
    input.detailFlag = count.detailFlag;
    input.zoom = 1 + (knobs >> 7);
    input.tilePos = static_cast<float>(count.maxIndex) * static_cast<float>(knobs & 7) / 7.0f;
    input.viewW = 48;
    input.viewH = 32;
    unsigned seed = knobs;
    const PreviewResult shown = RenderPreview(texture.pictures, input, [&seed] {
        seed = seed * 1103515245u + 12345u;
        return static_cast<double>((seed >> 8) & 0xFFFF) / 65536.0;
    });
    if (shown.rgb.size() !=
        static_cast<std::size_t>(shown.viewW) * static_cast<std::size_t>(shown.viewH) * 3u)
        std::abort();

    // Reducing and writing every texel takes far longer than the rest under
    // the fuzzer's instrumentation; one input in four, and only textures of
    // up to 128 x 128 texels, go on to it, so the load keeps most of the time.
    long texels = 0;
    for (const CountedLevel& l : count.levels)
        texels += static_cast<long>(l.width) * l.height;
    if (size % 4 != 0 || texels > 128 * 128)
        return 0;
    static constexpr Kind kKinds[] = {Kind::RGBA32, Kind::RGBA16, Kind::IA16, Kind::IA8, Kind::IA4,
                                      Kind::I8,     Kind::I4,     Kind::CI8,  Kind::CI4};
    std::vector<hw::Level> levels = hw::LevelsOf(count, kKinds[knobs % 9], Kind::CI4);
    for (const char* name : {"t.bin", "t.c", "t.png"}) {
        const doc::Exported exported = doc::ExportTexture(
            texture.pictures, texture.baseSource, texture.detailSource, levels, texture.tiles, name,
            {(knobs & 128) != 0, (knobs & 16) != 0, (knobs & 8) != 0, (knobs & 4) != 0 ? "fuzzed" : ""},
            texture.filter);
        if (exported.refused)
            continue;
        if (exported.texture.levels.size() != (((knobs & 128) != 0) ? 1u : levels.size()))
            std::abort();
        for (const reduce::ReducedLevel& l : exported.texture.levels) {
            if (l.texels.size() != static_cast<std::size_t>(l.width) * static_cast<std::size_t>(l.height))
                std::abort();
            if (l.kind == Kind::CI4 || l.kind == Kind::CI8)
                for (std::uint32_t index : l.texels)
                    if (!exported.texture.palette.empty() && index >= exported.texture.palette.size())
                        std::abort();
        }
    }
    return 0;
}
