// SPDX-License-Identifier: MIT
#include "ui/texturedocument.h"

#include "core/numeric.h"
#include "reduce/reduce.h"
#include "reduce/texturedata.h"
#include "ui/dialogs.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace vellora {

TextureDocument::TextureDocument(Dialogs& dialogs, QObject* parent) : QObject(parent), dialogs_(dialogs) {
    analysis_.layout.emplace();
}

std::optional<Format> TextureDocument::detailRow() const {
    if (!settings_.detailEnabled)
        return std::nullopt;
    return settings_.detailFormat.value_or(Format::Bits4);
}

std::optional<MipFilter> TextureDocument::generatedWith() const {
    if (state_.noAutoTiles)
        return std::nullopt;
    return filter_;
}

void TextureDocument::recount(const Settings& settings, bool askTileSizes) {
    if (guard_.held())
        return;
    // Every page redraws under the guard: nothing it writes counts again.
    RecalcGuard::Hold counting = guard_.hold();
    CalcHooks hooks;
    hooks.askTile = [this](const std::string& prompt, const std::string& title) {
        return dialogs_.inputBox(QString::fromStdString(prompt), QString::fromStdString(title)).toStdString();
    };
    hooks.regenerate = [filter = filter_](TileTable& tiles, int lastLevel, int detailFlag) {
        GeneratebmpMipMap(tiles, lastLevel, detailFlag, filter);
    };
    ++recounts_;
    settings_ = settings;
    result_ = CalcTMEM(settings_, state_, askTileSizes, hooks);
    // The level box shows the last level counted once the count is done.
    if (result_.levelsTextWritten)
        settings_.levels = std::to_string(result_.count.maxIndex);
    for (const std::string& message : result_.messages)
        dialogs_.messageBox(QString::fromStdString(message), MsgStyle::Ok, QString(), 0);
    // The settings as numbers once the count has settled the sizes its
    // boxes left open.
    spec_ = SpecFromSettings(settings_, state_.tiles);
    judge();
    announce(What::Numbers);
}

void TextureDocument::judge() {
    ++analyses_;
    const Kind base = KindInRow(baseRow(), state_.baseKind);
    const std::optional<Format> detail = detailRow();
    const Kind detailKind = detail ? KindInRow(*detail, state_.detailKind) : Kind::I4;
    // Judged as the command line judges it: the layout, the RDP model's
    // proof of a plan that fits, and what would make it fit.
    analysis_.count = result_.count;
    doc::AnalyzeOptions options;
    options.verify = true;
    doc::Judge(analysis_,
               doc::Subject{spec_, base, detailKind, tiles_, state_.tiles, state_.baseSource,
                            state_.bitmapLoaded, material1_ ? &*material1_ : nullptr},
               options);
}

void TextureDocument::announce(Changes what) {
    // The texels as the RDP holds them follow the pixels, the kinds and the
    // dither; the wrap and the shift leave them alone.
    if (what & (What::Numbers | What::Pictures | What::Kinds | What::Dither))
        shown_.reset();
    if (what & What::Pictures)
        pieces_.reset();
    emit changed(what);
}

void TextureDocument::setKinds(std::optional<Kind> base, std::optional<Kind> detail) {
    const std::optional<Kind> detailKind = detailRow() ? detail : state_.detailKind;
    if (base == state_.baseKind && detailKind == state_.detailKind)
        return;
    state_.baseKind = base;
    state_.detailKind = detailKind;
    judge();
    announce(What::Kinds);
}

void TextureDocument::setWrap(hw::AxisMode s, hw::AxisMode t) {
    hw::TileOptions next = tiles_;
    next.s = s;
    next.t = t;
    retile(next);
}

void TextureDocument::setDetailShift(int shift) {
    hw::TileOptions next = tiles_;
    next.detailShift = shift;
    retile(next);
}

void TextureDocument::setPalette(int palette) {
    hw::TileOptions next = tiles_;
    next.palette = std::clamp(palette, 0, hw::kPalettes - 1);
    retile(next);
}

void TextureDocument::retile(const hw::TileOptions& next) {
    if (next.s == tiles_.s && next.t == tiles_.t && next.detailShift == tiles_.detailShift &&
        next.palette == tiles_.palette)
        return;
    tiles_ = next;
    judge();
    announce(What::Tiling);
}

void TextureDocument::setDither(bool on) {
    if (on == dither_)
        return;
    dither_ = on;
    announce(What::Dither);
}

void TextureDocument::setFilter(MipFilter filter) {
    filter_ = filter;
    if (!state_.bitmapLoaded || state_.noAutoTiles)
        return;
    // The level box holds the last level counted; an empty or stray text
    // falls back to the count's own answer so the generator never reaches
    // past the records in use.
    const int counted = result_.count.maxIndex;
    int last = counted;
    if (auto v = NumericValue(settings_.levels))
        last = std::clamp(static_cast<int>(std::floor(*v)), 0, counted);
    GeneratebmpMipMap(state_.tiles, last, settings_.detailEnabled ? 1 : 0, filter_);
    announce(What::Pictures);
}

void TextureDocument::setSourceFile(const std::string& path) {
    const std::string name = path.empty() ? std::string("texture") : reduce::ArrayName(path);
    // Nothing to redraw: the code to paste is written when it is copied.
    arrayName_ = name;
}

void TextureDocument::forgetPictures() {
    state_.bitmapLoaded = false;
    ResetPictures(state_.tiles);
    announce(What::Pictures);
}

void TextureDocument::setTexture1(std::optional<doc::SecondTexture> texture1) {
    texture1_ = std::move(texture1);
    material1_ = texture1_ ? std::optional<hw::Material>(doc::MaterialOf(*texture1_)) : std::nullopt;
    judge();
    // Texture 0's texels stay as they are: only the layout and its tiles change.
    announce(What::Tiling);
}

void TextureDocument::setPiecesOverlap(bool on) {
    if (on == piecesOverlap_)
        return;
    piecesOverlap_ = on;
    announce(What::Pieces);
}

const doc::PictureInPieces* TextureDocument::pictureInPieces() {
    if (!state_.bitmapLoaded)
        return nullptr;
    // A count changes the kind only through the format row, so the plan is
    // kept across the edits that leave both alone.
    const PiecesKey key{KindInRow(baseRow(), state_.baseKind), piecesOverlap_};
    if (!pieces_ || !(pieces_->first == key)) {
        const TileLevel& base = state_.tiles[settings_.detailEnabled ? 1 : 0];
        hw::PieceOptions options;
        options.overlap = piecesOverlap_;
        options.emitted.name = arrayName_;
        pieces_.emplace(key, doc::PlanPicturePieces(base, state_.baseSource, key.kind, options));
    }
    return &pieces_->second;
}

const TileTable& TextureDocument::shownTiles() {
    if (!shown_) {
        ++reductions_;
        const reduce::ReducedTexture texture =
            reduce::ReduceTexture(state_.tiles, analysis_.levels, state_.baseSource, state_.detailSource,
                                  {dither_, generatedWith(), true});
        shown_ = reduce::ShownTable(state_.tiles, texture);
    }
    return *shown_;
}

} // namespace vellora
