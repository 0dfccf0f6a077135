// SPDX-License-Identifier: MIT
#include "document/console.h"

#include "hardware/gbi.h"
#include "reduce/texturedata.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vellora::doc {
namespace {

std::string Number(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", v);
    return text;
}

// The texel coordinates of a screen point on the flat scene.
rdp::Vertex FlatVertex(double x, double y, const ConsoleOptions& o) {
    return {x, y, o.s0 + x / o.scale, o.t0 + y / o.scale, 1.0};
}

} // namespace

SceneBuild BuildScene(const hw::Layout& layout, const reduce::ReducedTexture& texture,
                      const ConsoleOptions& o) {
    SceneBuild out;
    if (!layout.fits || layout.tiles.empty()) {
        out.refused = "the texture cannot be loaded, so the console cannot draw it" +
                      (layout.reason ? ": " + *layout.reason : std::string());
        return out;
    }
    if (o.width < 1 || o.width > 1024 || o.height < 1 || o.height > 1024) {
        out.refused = "the console image must be 1 to 1024 pixels each way (asked " +
                      std::to_string(o.width) + " x " + std::to_string(o.height) + ")";
        return out;
    }
    if (!(o.scale >= 1.0 / 32 && o.scale <= 1024)) {
        out.refused = "the scale must be from 1/32 to 1024 pixels a texel (asked " + Number(o.scale) + ")";
        return out;
    }
    if (o.fbBits != 32 && o.fbBits != 16) {
        out.refused = "the colour image is 32 or 16 bits (asked " + std::to_string(o.fbBits) + ")";
        return out;
    }

    Scene scene;
    scene.width = o.width;
    scene.height = o.height;
    scene.fbBits = o.fbBits;
    const std::vector<std::uint8_t> data = reduce::TextureBytes(texture, {});
    const std::vector<std::uint8_t> palette =
        layout.palette ? reduce::PaletteBytes(texture) : std::vector<std::uint8_t>{};
    const std::size_t paletteAt = layout.palette ? static_cast<std::size_t>(layout.palette->offset) : 0;
    scene.dataBytes = std::max(data.size(), paletteAt + palette.size());
    scene.imageAddress = static_cast<std::uint32_t>((scene.dataBytes + 63) / 64 * 64);
    const std::size_t imageBytes =
        static_cast<std::size_t>(o.width) * static_cast<std::size_t>(o.height) * (o.fbBits == 32 ? 4u : 2u);
    scene.rdram.assign(scene.imageAddress + imageBytes, 0);
    std::copy(data.begin(), data.end(), scene.rdram.begin());
    std::copy(palette.begin(), palette.end(), scene.rdram.begin() + static_cast<std::ptrdiff_t>(paletteAt));

    // The primitives' tile is the lowest: the detail map's when there is
    // one, else the base's; the levels past it are the mip-maps.
    bool detail = false;
    int mips = 0;
    scene.primTile = 7;
    for (const hw::TileDescriptor& tile : layout.tiles) {
        scene.primTile = std::min(scene.primTile, tile.tile);
        const LevelRole role = layout.levels[static_cast<std::size_t>(tile.record)].role;
        detail |= role == LevelRole::Detail;
        mips += role == LevelRole::Mip;
    }
    scene.levels = mips;
    const bool lod = o.lod;
    const bool triangles = lod || o.scene == SceneKind::Floor;

    std::vector<std::uint64_t>& w = scene.words;
    w.push_back(rdp::ColorImageWord(o.fbBits == 32 ? rdp::Bits32 : rdp::Bits16, o.width, scene.imageAddress));
    w.push_back(rdp::ScissorWord(0, 0, o.width, o.height));
    for (const hw::Command& c : hw::LoadCommands(layout))
        w.push_back(c.word);
    w.push_back(rdp::kPipeSyncWord);
    rdp::DrawModes modes;
    modes.twoCycle = o.twoCycle;
    modes.filter = o.sampling;
    modes.lod = lod;
    modes.detail = lod && detail;
    modes.perspective = triangles; // off for rectangles, which have no w
    modes.tlut = !layout.palette        ? rdp::TlutMode::None
                 : layout.palette->ia16 ? rdp::TlutMode::Ia16
                                        : rdp::TlutMode::Rgba16;
    w.push_back(rdp::OtherModesWord(modes));
    w.push_back(rdp::CombineWord(lod ? rdp::CombineForm::LevelBlend : rdp::CombineForm::Texel0, o.twoCycle));
    if (modes.detail)
        w.push_back(
            rdp::PrimColorWord(0, 0, 0xFFFFFFFF)); // min level 0: the detail map shows from magnification 1

    const double W = o.width, H = o.height;
    if (!triangles) {
        const int ds = static_cast<int>(std::lround(1024.0 / o.scale));
        const int s = static_cast<int>(std::lround(o.s0 * 32)), t = static_cast<int>(std::lround(o.t0 * 32));
        const auto rect =
            rdp::TextureRectangleWords(scene.primTile, 0, 0, o.width * 4, o.height * 4, s, t, ds, ds);
        w.insert(w.end(), rect.begin(), rect.end());
    } else if (o.scene == SceneKind::Flat) {
        const rdp::Vertex a[3] = {FlatVertex(0, 0, o), FlatVertex(W, 0, o), FlatVertex(W, H, o)};
        const rdp::Vertex b[3] = {FlatVertex(0, 0, o), FlatVertex(W, H, o), FlatVertex(0, H, o)};
        for (const auto* v : {&a, &b}) {
            const auto tri = rdp::TriangleWords(*v, scene.primTile, mips);
            w.insert(w.end(), tri.begin(), tri.end());
        }
    } else {
        // A square of floor, as wide as the near edge shows at the scale,
        // reaching eight times as deep as the near edge is close; its far
        // edge draws an eighth as wide near the top of the image.
        const double depth = 8, span = W / o.scale;
        const double farY = H * 0.12, half = W / (2 * depth);
        const rdp::Vertex nl{0, H, o.s0, o.t0 + span, 1}, nr{W, H, o.s0 + span, o.t0 + span, 1};
        const rdp::Vertex fl{W / 2 - half, farY, o.s0, o.t0, depth},
            fr{W / 2 + half, farY, o.s0 + span, o.t0, depth};
        const rdp::Vertex a[3] = {nl, nr, fr};
        const rdp::Vertex b[3] = {nl, fr, fl};
        for (const auto* v : {&a, &b}) {
            const auto tri = rdp::TriangleWords(*v, scene.primTile, mips);
            w.insert(w.end(), tri.begin(), tri.end());
        }
    }
    w.push_back(rdp::kSyncFull);
    out.scene = std::move(scene);
    return out;
}

SceneBuild BuildScene(const Texture& texture, const Analysis& analysis, const ConsoleOptions& options,
                      bool dither) {
    if (!analysis.layout) {
        SceneBuild out;
        out.refused = "the texture has no hardware plan to draw";
        return out;
    }
    const reduce::ReducedTexture stored =
        reduce::ReduceTexture(texture.pictures, analysis.levels, texture.baseSource, texture.detailSource,
                              {dither, texture.generatedWith(), false});
    return BuildScene(*analysis.layout, stored, options);
}

ConsoleImage RenderScene(const Scene& scene, bool trace, const std::atomic<bool>* cancel) {
    ConsoleImage image;
    image.width = scene.width;
    image.height = scene.height;
    rdp::Rdp rdp(scene.rdram.size());
    std::copy(scene.rdram.begin(), scene.rdram.end(), rdp.rdram().begin());
    if (trace)
        rdp.traceInto(&image.samples, scene.width, scene.height);
    rdp.setCancel(cancel);
    try {
        rdp.run(scene.words);
    } catch (const rdp::Cancelled&) {
        image.cancelled = true;
        return image;
    } catch (const rdp::Error& e) {
        image.error = e.what();
        return image;
    }
    image.pixels = rdp::ReadColorImage(rdp, scene.width, scene.height);
    return image;
}

std::string SceneWordsText(const Scene& scene) {
    std::string text;
    text.reserve(scene.words.size() * 17);
    for (const std::uint64_t word : scene.words)
        text += hw::HexWord(word) + "\n";
    return text;
}

std::optional<std::vector<std::uint64_t>> ParseSceneWords(std::string_view text, std::string* error) {
    std::vector<std::uint64_t> words;
    int number = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++number;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.remove_suffix(1);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
            line.remove_prefix(1);
        if (line.empty() || line.front() == '#')
            continue;
        std::uint64_t word = 0;
        bool ok = line.size() == 16;
        for (const char c : line) {
            if (!ok)
                break;
            int digit = -1;
            if (c >= '0' && c <= '9')
                digit = c - '0';
            else if (c >= 'A' && c <= 'F')
                digit = c - 'A' + 10;
            else if (c >= 'a' && c <= 'f')
                digit = c - 'a' + 10;
            ok = digit >= 0;
            word = word << 4 | static_cast<std::uint64_t>(digit < 0 ? 0 : digit);
        }
        if (!ok) {
            if (error)
                *error = "line " + std::to_string(number) + " is not a command word (16 hex digits)";
            return std::nullopt;
        }
        words.push_back(word);
    }
    return words;
}

} // namespace vellora::doc
