// SPDX-License-Identifier: MIT
#pragma once

#include "bitmap/mipmap.h"
#include "document/analysis.h"
#include "document/pieces.h"
#include "ui/form.h"
#include "ui/recalcguard.h"

#include <QFlags>
#include <QObject>

#include <optional>
#include <string>

namespace vellora {

class Dialogs;

// The window's one texture: the form's last settings and count, the level
// pictures, the Tile Setup choices and the analysis judged from them. Pages
// change it through its setters and redraw from it when it says what
// changed; no page reads another page's controls.
class TextureDocument : public QObject {
    Q_OBJECT
  public:
    enum class What {
        Numbers = 0x1,  // a count: sizes, levels, the byte map, the analysis
        Pictures = 0x2, // the levels' pixels were drawn again
        Kinds = 0x4,    // the stored kinds: the texels the RDP holds change
        Tiling = 0x8,   // wrap, mirror, clamp or the detail map's shift: the tiles only
        Dither = 0x10,  // how CI texels are reduced
        Pieces = 0x20,  // how the picture is cut in pieces
    };
    Q_DECLARE_FLAGS(Changes, What)

    // The dialogs ask the count's tile sizes and show its messages.
    explicit TextureDocument(Dialogs& dialogs, QObject* parent = nullptr);

    // The level table and the picture flags the count keeps between runs.
    CoreState& state() { return state_; }
    const CoreState& state() const { return state_; }
    // The window-wide re-entrancy guard: no count while it is held.
    RecalcGuard& guard() { return guard_; }

    const Settings& settings() const { return settings_; } // as last counted
    const CountResult& result() const { return result_; }  // the last count as the form shows it
    const doc::Analysis& analysis() const { return analysis_; }
    const hw::Layout& layout() const { return *analysis_.layout; }
    const hw::TileOptions& tileOptions() const { return tiles_; }
    Format baseRow() const { return settings_.baseFormat.value_or(Format::Bits4); }
    std::optional<Format> detailRow() const;
    MipFilter filter() const { return filter_; }
    // The filter the levels were generated with; none when they came from files.
    std::optional<MipFilter> generatedWith() const;
    bool dither() const { return dither_; }
    // The arrays' prefix in the display list, the command words and the
    // exported C: from the open picture's name, "texture" without one.
    const std::string& arrayName() const { return arrayName_; }
    void setSourceFile(const std::string& path);

    // The one recount of the form's settings: the count, its messages shown
    // in order, then the judgement. Does nothing while the guard is held.
    void recount(const Settings& settings, bool askTileSizes = false);
    void setKinds(std::optional<Kind> base, std::optional<Kind> detail);
    void setWrap(hw::AxisMode s, hw::AxisMode t);
    void setDetailShift(int shift);
    // The CI4 palette the tiles name, 0 to 15.
    void setPalette(int palette);
    // A material's texture 1, or none: the layout, verdict and proof become
    // the material's; the count and the preview stay texture 0's.
    void setTexture1(std::optional<doc::SecondTexture> texture1);
    const std::optional<doc::SecondTexture>& texture1() const { return texture1_; }
    void setDither(bool on);
    // The generator's filter; the levels are drawn again with it while a
    // picture with generated levels is loaded.
    void setFilter(MipFilter filter);

    // The loaded base picture planned in pieces in its stored kind, each
    // piece proved on the RDP model; made on the first request after the
    // picture, its kind or the overlap changed. None without a picture.
    const doc::PictureInPieces* pictureInPieces();
    bool piecesOverlap() const { return piecesOverlap_; }
    void setPiecesOverlap(bool on);

    // Forgets every picture (the detail map turned on or off under a loaded
    // picture): the level records empty again, nothing to preview.
    void forgetPictures();

    // The levels as the RDP holds them (each reduced to its kind), made on
    // the first request after a change of the pixels, kinds or dither.
    const TileTable& shownTiles();

    int recounts() const { return recounts_; }     // counts run
    int analyses() const { return analyses_; }     // judgements made (each count's included)
    int reductions() const { return reductions_; } // shown tables made

  signals:
    void changed(TextureDocument::Changes what);

  private:
    void judge();
    void retile(const hw::TileOptions& next);
    void announce(Changes what);

    Dialogs& dialogs_;
    CoreState state_;
    RecalcGuard guard_;
    Settings settings_;
    CountResult result_;
    TextureSpec spec_;
    hw::TileOptions tiles_;
    MipFilter filter_ = MipFilter::Weighted3x3;
    bool dither_ = false;
    std::string arrayName_ = "texture";
    doc::Analysis analysis_;
    std::optional<TileTable> shown_;
    bool piecesOverlap_ = false;
    std::optional<doc::SecondTexture> texture1_;
    std::optional<hw::Material> material1_;
    struct PiecesKey {
        Kind kind;
        bool overlap;
        friend bool operator==(const PiecesKey&, const PiecesKey&) = default;
    };
    std::optional<std::pair<PiecesKey, doc::PictureInPieces>> pieces_;
    int recounts_ = 0;
    int analyses_ = 0;
    int reductions_ = 0;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TextureDocument::Changes)

} // namespace vellora
