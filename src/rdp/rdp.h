// SPDX-License-Identifier: MIT
#pragma once

// A model of the RDP's texture memory and texture pipeline: it runs the
// commands that set up tiles and load textures into TMEM, reads back any texel
// the way the texture unit would see it, and draws textured rectangles and
// triangles into a colour image in RDRAM, so what Vellora states about a
// layout, and what it shows of a texture, can be run rather than believed.
// Standard library only.

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <vector>

namespace vellora::rdp {

namespace detail {
class Drawing;
}

struct Rgba8 {
    std::uint8_t r = 0, g = 0, b = 0, a = 0;
    friend bool operator==(const Rgba8&, const Rgba8&) = default;
};

// Formats (fmt) and texel sizes (siz) as the command words encode them.
enum Format : int { Rgba = 0, Yuv = 1, Ci = 2, Ia = 3, Intensity = 4 };
enum Size : int { Bits4 = 0, Bits8 = 1, Bits16 = 2, Bits32 = 3 };

// The render mode's texture LUT (SetOtherModes' TT bits).
enum class TlutMode { None, Rgba16, Ia16 };

// One tile descriptor as SetTile/SetTileSize left it. A load rewrites the
// coordinates of its tile (LoadBlock leaves its dxt in th, as the hardware
// does). cms/cmt: bit 0 mirror, bit 1 clamp.
struct Tile {
    int fmt = 0, siz = 0, line = 0, tmem = 0, palette = 0;
    int cms = 0, cmt = 0, masks = 0, maskt = 0, shifts = 0, shiftt = 0;
    int sl = 0, tl = 0, sh = 0, th = 0; // 10.2 fixed point as in the words
};

struct TextureImage {
    int fmt = 0, siz = 0, width = 1;
    std::uint32_t address = 0;
};

struct ColorImage {
    int fmt = 0, siz = 0, width = 1;
    std::uint32_t address = 0;
};

class Error : public std::runtime_error {
    using runtime_error::runtime_error;
};
// A drawing stopped because its cancel flag was raised.
class Cancelled : public Error {
    using Error::Error;
};

// What made one drawn pixel: the texture coordinates after the perspective
// divide (s10.5 texels of the base's space), the tile TEXEL0 came from, how
// many tiles past the primitive's tile that is, and LOD_FRACTION.
struct Sample {
    std::int32_t s = 0, t = 0;
    std::uint8_t tile = 0, level = 0, lodFrac = 0, alpha = 0;
    bool drawn = false;
};

// Command bytes (bits 56..63 of a word).
enum class Command : std::uint8_t {
    LoadTlut = 0xF0,
    SetTileSize = 0xF2,
    LoadBlock = 0xF3,
    LoadTile = 0xF4,
    SetTile = 0xF5,
    LoadSync = 0xE6,
    PipeSync = 0xE7,
    TileSync = 0xE8,
    SyncFull = 0xE9,
    SetOtherModes = 0xEF,
    SetPrimColor = 0xFA,
    SetCombineMode = 0xFC,
    SetTextureImage = 0xFD,
    // Drawing.
    NoOp = 0xC0,
    TextureTriangle = 0xCA,  // 12 words: edges, then s, t, w and their steps
    TextureRectangle = 0xE4, // 2 words
    TextureRectangleFlip = 0xE5,
    SetScissor = 0xED,
    SetFogColor = 0xF8,
    SetBlendColor = 0xF9,
    SetEnvColor = 0xFB,
    SetColorImage = 0xFF,
};

// How many 64-bit words a command takes, from its first word's command byte.
int CommandLength(std::uint8_t command);

class Rdp {
  public:
    // RDRAM: a byte buffer of this size, zero-filled.
    explicit Rdp(std::size_t rdramBytes);

    std::vector<std::uint8_t>& rdram() { return rdram_; }
    const std::vector<std::uint8_t>& rdram() const { return rdram_; }
    const std::array<std::uint8_t, 4096>& tmem() const { return tmem_; }
    const Tile& tile(int index) const; // 0..7, else Error
    const TextureImage& textureImage() const { return image_; }

    // The last words of the commands that are stored but not acted on yet.
    std::uint64_t otherModes() const { return otherModes_; }
    std::uint64_t combineMode() const { return combineMode_; }
    std::uint64_t primColor() const { return primColor_; }
    // The palette mode the stored SetOtherModes selects (bit 47 on, bit 46 IA16).
    TlutMode tlutMode() const;

    const ColorImage& colorImage() const { return colorImage_; }

    // Takes one word. A command of several words (a rectangle, a triangle)
    // runs once its last word has come. Throws Error for a command byte it
    // does not know, a load that would read past the end of RDRAM, a 4-bit
    // texture image used as a load source, a LoadTLUT over more than one
    // row, and a primitive drawn in a mode the model does not draw (see
    // draw.cpp): it draws opaque pixels, undithered, without Z.
    void execute(std::uint64_t word);
    // Runs a stream; on failure the Error names the word's index and value.
    // A stream that ends inside a command is an Error too.
    void run(std::span<const std::uint64_t> words);
    // Words of a command still waiting for the rest of it.
    std::size_t pendingWords() const { return pending_.size(); }

    // While set, each drawn pixel inside width x height records what made
    // it at samples[y * width + x].
    void traceInto(std::vector<Sample>* samples, int width, int height);
    // Checked once a scanline: a raised flag stops the drawing with Cancelled.
    void setCancel(const std::atomic<bool>* flag) { cancel_ = flag; }
    // The most pixels the primitives may visit from now on (an Error past
    // it), so that untrusted words cannot keep the model busy for long.
    void setPixelBudget(long pixels) { budget_ = pixels; }

    // The texel of render tile `tile` at integer texel coordinates (s, t) in
    // the base level's coordinate space: shift, subtract sl/tl, clamp, mirror,
    // mask, then address and decode as texelAt does. Like the texture unit's
    // s10.5 input, coordinates outside -1024..1023 saturate.
    Rgba8 fetch(int tile, int s, int t, TlutMode tlut) const;
    // The texel at tile-relative (s, t) after shift/clamp/mirror/mask. Only
    // the low 8 bits of t reach the row address, as on the hardware.
    // Throws Error for a YUV tile, which the model does not decode.
    Rgba8 texelAt(int tile, int s, int t, TlutMode tlut) const;

  private:
    friend class detail::Drawing;
    enum class LoadKind { Block, Tile, Tlut };
    void dispatch(std::span<const std::uint64_t> command);
    void draw(std::span<const std::uint64_t> command);
    Rgba8 decodeAt(const Tile& tile, std::uint32_t s, std::uint32_t row, TlutMode tlut) const;
    void load(LoadKind kind, std::uint32_t hi, std::uint32_t lo);
    std::uint64_t readWord(std::uint64_t address, bool tlut) const;
    void writeShort(std::uint32_t index, std::uint16_t value);
    std::uint16_t readShort(std::uint32_t index) const;

    std::vector<std::uint8_t> rdram_;
    std::array<std::uint8_t, 4096> tmem_{};
    std::array<Tile, 8> tiles_{};
    TextureImage image_;
    std::uint64_t otherModes_ = 0, combineMode_ = 0, primColor_ = 0;
    std::uint64_t envColor_ = 0, blendColor_ = 0, fogColor_ = 0;
    ColorImage colorImage_;
    int scissor_[4] = {0, 0, 0, 0}; // xh, yh, xl, yl in 10.2
    std::vector<std::uint64_t> pending_;
    std::vector<Sample>* samples_ = nullptr;
    int traceWidth_ = 0, traceHeight_ = 0;
    const std::atomic<bool>* cancel_ = nullptr;
    long budget_ = -1;
};

// An RGBA16 (5-5-5-1) value as the RDP expands it to 8 bits a channel.
Rgba8 FromRgba16(std::uint16_t value);

// The colour image's pixels from RDRAM as R G B A (A 255), row after row;
// 32-bit and 16-bit RGBA images. Pixels past the end of RDRAM read as 0.
std::vector<Rgba8> ReadColorImage(const Rdp& rdp, int width, int height);

} // namespace vellora::rdp
