// SPDX-License-Identifier: MIT
#pragma once

// The texture as the console draws it: a scene of RDP commands (the
// texture's own loads, the render modes, the primitives) run on the RDP
// model into a colour image, and written so that anyone can replay it.
#include "document/analysis.h"
#include "document/texture.h"
#include "hardware/layout.h"
#include "rdp/primitives.h"
#include "rdp/rdp.h"
#include "reduce/reduce.h"

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vellora::doc {

enum class SceneKind {
    Flat, // facing the viewer: a rectangle, or two triangles when LOD is on
    Floor // a floor receding in perspective: the levels change with distance
};

struct ConsoleOptions {
    rdp::Filter sampling = rdp::Filter::Bilerp;
    bool twoCycle = true;
    bool lod = true;
    SceneKind scene = SceneKind::Flat;
    int width = 320, height = 240; // the colour image
    // Pixels per base texel: everywhere on a flat scene, at the near edge
    // of the floor. From 1/32 (the rectangle's steepest step) to 1024.
    double scale = 1.0;
    int fbBits = 32; // the colour image: 32-bit RGBA, or 16-bit (5-5-5-1)
    // The base texel under the image's top-left corner (flat) or the near
    // edge's left end (floor): where a view has been panned to.
    double s0 = 0, t0 = 0;
};

// The command words, and RDRAM holding what they read: the texture data
// from address 0, the palette at its offset, the colour image after them.
struct Scene {
    std::vector<std::uint64_t> words;
    std::vector<std::uint8_t> rdram;
    std::uint32_t imageAddress = 0;
    std::size_t dataBytes = 0; // texture data and palette: what a replay must load
    int width = 0, height = 0, fbBits = 32;
    int primTile = 0, levels = 0; // the primitives' tile and the levels past it
};

struct SceneBuild {
    std::optional<Scene> scene;
    std::string refused; // why there is no scene
};

// The scene for a texture whose plan fits, from its layout and its levels
// as stored. Refused for a layout that does not fit and for options out of
// range.
SceneBuild BuildScene(const hw::Layout& layout, const reduce::ReducedTexture& texture,
                      const ConsoleOptions& options);
// The same for a document's texture and its analysis (which needs a layout).
SceneBuild BuildScene(const Texture& texture, const Analysis& analysis, const ConsoleOptions& options,
                      bool dither = false);

struct ConsoleImage {
    int width = 0, height = 0;
    std::vector<rdp::Rgba8> pixels;   // R G B and 255, rows top first
    std::vector<rdp::Sample> samples; // what made each pixel, when traced
    std::optional<std::string> error; // the model refused the scene
    bool cancelled = false;
};
// Runs the scene on the RDP model and reads the colour image back.
ConsoleImage RenderScene(const Scene& scene, bool trace = false, const std::atomic<bool>* cancel = nullptr);

// scene.words: every command, 16 upper-case hex digits a line.
std::string SceneWordsText(const Scene& scene);
// Reads such a text back: lines of 16 hex digits; blank lines and lines
// starting with '#' are skipped. None, with the reason naming the line,
// for anything else.
std::optional<std::vector<std::uint64_t>> ParseSceneWords(std::string_view text, std::string* error);

} // namespace vellora::doc
