// SPDX-License-Identifier: MIT
#pragma once

#include "hardware/layout.h"
#include "ui/texturedocument.h"

#include <QFrame>

#include <optional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace vellora {

class Dialogs;
class Texture1Box;
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
// and the code to paste. Its choices go to the document; it shows the
// document's analysis whenever that changes.
class TileSetupPage : public QFrame {
    Q_OBJECT
  public:
    TileSetupPage(QWidget* parent, TextureDocument& document, Dialogs& dialogs);

    const hw::Layout& layout() const { return document_.layout(); }
    QString displayList() const;
    // "To make it fit: ..." with up to three changes, or empty when it fits.
    QString suggestionText() const;
    QString commandWords() const;
    // The loaded picture's pieces as a display list; empty without a picture.
    QString piecesDisplayList();
    TextureExportChoice exportChoice() const;

  signals:
    void exportRequested();
    // After each analysis: the note for the result box (what disagrees and
    // what would make it fit) and the alert for the tab (only while the
    // hardware and the count disagree).
    void noteChanged(const QString& resultNote, const QString& tabAlert);

  private:
    void build();
    void onChanged(TextureDocument::Changes what);
    void fillKinds(QComboBox* box, Format row, std::optional<Kind> chosen);
    void showLayout();
    void buildPieces(QWidget* content, QLayout* column);
    void showPieces();

    TextureDocument& document_;
    Dialogs& dialogs_;
    bool filling_ = false;

    QComboBox* cboBaseKind_ = nullptr;
    QComboBox* cboDetailKind_ = nullptr;
    QComboBox* cboWrapS_ = nullptr;
    QComboBox* cboWrapT_ = nullptr;
    QComboBox* cboPalette_ = nullptr;
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
    Texture1Box* texture1_ = nullptr;
    QGroupBox* grpPieces_ = nullptr;
    QCheckBox* chkPiecesOverlap_ = nullptr;
    QLabel* lblPieces_ = nullptr;
    QTableWidget* tblPieces_ = nullptr;
    QPushButton* cmdCopyPieces_ = nullptr;
};

} // namespace vellora
