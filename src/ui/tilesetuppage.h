// SPDX-License-Identifier: MIT
#pragma once

#include "document/analysis.h"
#include "hardware/layout.h"
#include "ui/form.h"

#include <QFrame>

#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace vellora {

class TmemMapView;

// The page's choices for "Export Texture...".
struct TextureExportChoice {
    bool baseOnly = false;
    bool wholeChain = false;
    bool dither = false;
};

// The Tile Setup page: the texture as the RDP holds it. The kinds of the
// base and the detail map, wrap, mirror or clamp per axis, the hardware
// verdict, one row per level with its tile and load, the hardware byte map
// and the code to paste. It follows every recalculation; its own choices
// only lay the counted levels out again.
class TileSetupPage : public QFrame {
    Q_OBJECT
  public:
    TileSetupPage(QWidget* parent, CoreState& state);

    // After a recalculation: the counted levels, the rows of the base and
    // of the detail map (none when the detail map is off), the detail Shift.
    void showCount(const Count& count, const TextureSpec& spec, Format baseRow,
                   std::optional<Format> detailRow, int detailShift);
    void setDetailShift(int shift);

    const hw::Layout& layout() const { return *analysis_.layout; }
    QString displayList() const;
    // "To make it fit: ..." with up to three changes, or empty when it fits.
    QString suggestionText() const;
    QString commandWords() const;
    TextureExportChoice exportChoice() const;
    const hw::TileOptions& tileOptions() const { return options_; }

  signals:
    // The hardware verdict may have changed.
    void layoutChanged();
    // The kinds or the dither changed: the texels as the RDP holds them did.
    void reductionChanged();
    void exportRequested();

  private:
    void build();
    void relayout(bool texelsMayChange = true);
    void fillKinds(QComboBox* box, Format row, std::optional<Kind> chosen);
    void showLayout();

    CoreState& state_;
    Count count_;
    TextureSpec spec_;
    Format baseRow_ = Format::Bits4;
    std::optional<Format> detailRow_;
    hw::TileOptions options_;
    // The layout, proof and suggestions for count_; a layout is always there.
    doc::Analysis analysis_;
    bool filling_ = false;

    QComboBox* cboBaseKind_ = nullptr;
    QComboBox* cboDetailKind_ = nullptr;
    QComboBox* cboWrapS_ = nullptr;
    QComboBox* cboWrapT_ = nullptr;
    QLabel* lblVerdict_ = nullptr;
    QLabel* lblVerified_ = nullptr;
    QLabel* lblSuggestions_ = nullptr;
    QTableWidget* tblTiles_ = nullptr;
    TmemMapView* map_ = nullptr;
    QPushButton* cmdCopyDisplayList_ = nullptr;
    QPushButton* cmdCopyWords_ = nullptr;
    QPushButton* cmdExportTexture_ = nullptr;
    QCheckBox* chkBaseOnly_ = nullptr;
    QCheckBox* chkWholeChain_ = nullptr;
    QCheckBox* chkDither_ = nullptr;
};

} // namespace vellora
