// SPDX-License-Identifier: MIT
#include "ui/tilesetuppage.h"

#include "hardware/gbi.h"
#include "hardware/suggest.h"
#include "ui/texture1box.h"
#include "ui/tmemmapview.h"
#include "ui/twips.h"
#include "ui/widgets.h"
#include "verify/verify.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QTableWidget>
#include <QVBoxLayout>

namespace vellora {

namespace {

QComboBox* Choice(QWidget* parent, const char* name) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

TileSetupPage::TileSetupPage(QWidget* parent, TextureDocument& document, Dialogs& dialogs)
    : QFrame(parent), document_(document), dialogs_(dialogs) {
    setObjectName(QStringLiteral("TabContents(4)"));
    setFrameShape(QFrame::NoFrame);
    setProperty("themedFrame", true);
    setGeometry(twipsRect(83, 380, 5934, 5600));
    build();
    connect(&document_, &TextureDocument::changed, this, &TileSetupPage::onChanged);
}

void TileSetupPage::build() {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("scrTileSetup"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    outer->addWidget(scroll);
    auto* content = new QFrame(scroll);
    content->setObjectName(QStringLiteral("fraTileSetup"));
    content->setProperty("themedFrame", true);
    scroll->setWidget(content);

    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(twips(60), twips(90), twips(60), twips(90));
    auto* grid = new QGridLayout();
    cboBaseKind_ = Choice(content, "cboBaseKind");
    cboDetailKind_ = Choice(content, "cboDetailKind");
    cboWrapS_ = WrapChoice(content, "cboWrapS");
    cboWrapT_ = WrapChoice(content, "cboWrapT");
    grid->addWidget(new QLabel(QStringLiteral("Base kind"), content), 0, 0);
    grid->addWidget(cboBaseKind_, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Detail kind"), content), 0, 2);
    grid->addWidget(cboDetailKind_, 0, 3);
    grid->addWidget(new QLabel(QStringLiteral("S axis"), content), 1, 0);
    grid->addWidget(cboWrapS_, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("T axis"), content), 1, 2);
    grid->addWidget(cboWrapT_, 1, 3);
    cboPalette_ = PaletteChoice(content, "cboPalette");
    grid->addWidget(new QLabel(QStringLiteral("CI4 palette"), content), 2, 0);
    grid->addWidget(cboPalette_, 2, 1);
    column->addLayout(grid);
    texture1_ = new Texture1Box(content, document_, dialogs_);
    column->addWidget(texture1_);
    connect(cboPalette_, &QComboBox::currentIndexChanged, &document_, &TextureDocument::setPalette);

    lblVerdict_ = new QLabel(content);
    lblVerdict_->setObjectName(QStringLiteral("lblHardwareVerdict"));
    lblVerdict_->setWordWrap(true);
    lblVerdict_->setMargin(twips(45));
    column->addWidget(lblVerdict_);
    lblVerified_ = new QLabel(content);
    lblVerified_->setObjectName(QStringLiteral("lblVerified"));
    lblVerified_->setWordWrap(true);
    lblVerified_->setToolTip(QStringLiteral("The commands below and the exported data, run on a model of the "
                                            "RDP, and every texel read back through its tile"));
    column->addWidget(lblVerified_);
    lblSuggestions_ = new QLabel(content);
    lblSuggestions_->setObjectName(QStringLiteral("lblSuggestions"));
    lblSuggestions_->setWordWrap(true);
    lblSuggestions_->hide();
    column->addWidget(lblSuggestions_);

    tblTiles_ = new QTableWidget(content);
    tblTiles_->setObjectName(QStringLiteral("tblTiles"));
    tblTiles_->setColumnCount(8);
    // Every size says its unit; the header's tip says it in full.
    const QStringList headers = {QStringLiteral("Tile"),          QStringLiteral("Level\n(texels)"),
                                 QStringLiteral("Kind"),          QStringLiteral("Line\n(words)"),
                                 QStringLiteral("TMEM\n(words)"), QStringLiteral("Mask"),
                                 QStringLiteral("Shift"),         QStringLiteral("Load")};
    const QStringList tips = {
        QStringLiteral("The tile descriptor, 0 to 7"),
        QStringLiteral("The level and its size in texels"),
        QStringLiteral("The kind the texels are stored in"),
        QStringLiteral("The length of a row in TMEM, in 64-bit words"),
        QStringLiteral("Where the level starts in TMEM, in 64-bit words"),
        QStringLiteral("Mask S, T: log2 of the texels that wrap"),
        QStringLiteral("Shift S, T: the level's coordinate shift"),
        QStringLiteral("The command that loads the level; its tip gives dxt or the reason")};
    tblTiles_->setHorizontalHeaderLabels(headers);
    for (int c = 0; c < tips.size(); ++c)
        tblTiles_->horizontalHeaderItem(c)->setToolTip(tips[c]);
    tblTiles_->verticalHeader()->hide();
    tblTiles_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblTiles_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    tblTiles_->horizontalHeader()->setStretchLastSection(true);
    tblTiles_->setMinimumHeight(twips(2200));
    column->addWidget(tblTiles_);

    auto* buttons = new QHBoxLayout();
    cmdCopyDisplayList_ = new QPushButton(QStringLiteral("Copy as Display List"), content);
    cmdCopyDisplayList_->setObjectName(QStringLiteral("cmdCopyDisplayList"));
    cmdCopyWords_ = new QPushButton(QStringLiteral("Copy as Command Words"), content);
    cmdCopyWords_->setObjectName(QStringLiteral("cmdCopyWords"));
    buttons->addWidget(cmdCopyDisplayList_);
    buttons->addWidget(cmdCopyWords_);
    column->addLayout(buttons);

    // Export of the texels as the game loads them.
    auto* exportRow = new QGridLayout();
    cmdExportTexture_ = new QPushButton(QStringLiteral("Export Texture\u2026"), content);
    cmdExportTexture_->setObjectName(QStringLiteral("cmdExportTexture"));
    chkBaseOnly_ = new QCheckBox(QStringLiteral("Base level only"), content);
    chkBaseOnly_->setObjectName(QStringLiteral("chkBaseOnly"));
    chkWholeChain_ = new QCheckBox(QStringLiteral("One load for the whole chain"), content);
    chkWholeChain_->setObjectName(QStringLiteral("chkWholeChain"));
    chkWholeChain_->setToolTip(
        QStringLiteral("Odd rows stored word-swapped, as one LoadBlock with dxt 0 needs"));
    chkDither_ = new QCheckBox(QStringLiteral("Dither"), content);
    chkDither_->setObjectName(QStringLiteral("chkDither"));
    chkDither_->setToolTip(QStringLiteral("Spread the error when a CI palette has to merge colours"));
    exportRow->addWidget(cmdExportTexture_, 0, 0);
    exportRow->addWidget(chkBaseOnly_, 0, 1);
    exportRow->addWidget(chkDither_, 1, 0);
    exportRow->addWidget(chkWholeChain_, 1, 1);
    exportRow->setColumnStretch(2, 1);
    column->addLayout(exportRow);
    connect(cmdExportTexture_, &QPushButton::clicked, this, &TileSetupPage::exportRequested);
    connect(chkDither_, &QCheckBox::toggled, &document_, &TextureDocument::setDither);

    map_ = new TmemMapView(content);
    map_->setObjectName(QStringLiteral("HardwareMapView"));
    // Narrower than the map page by the page's margins and scroll bar.
    map_->setFixedSize(twips(5500), twips(5600));
    map_->setToolTipSource(
        [this](int address) { return QString::fromStdString(hw::DescribeCell(layout(), address)); });
    column->addWidget(map_);
    buildPieces(content, column);
    column->addStretch(1);

    connect(cmdCopyDisplayList_, &QPushButton::clicked, this,
            [this] { QApplication::clipboard()->setText(displayList()); });
    connect(cmdCopyWords_, &QPushButton::clicked, this,
            [this] { QApplication::clipboard()->setText(commandWords()); });
    auto kindChanged = [this] {
        if (filling_)
            return;
        const auto detail =
            cboDetailKind_->count() > 0
                ? std::optional<Kind>(static_cast<Kind>(cboDetailKind_->currentData().toInt()))
                : std::nullopt;
        document_.setKinds(static_cast<Kind>(cboBaseKind_->currentData().toInt()), detail);
    };
    connect(cboBaseKind_, &QComboBox::currentIndexChanged, this, kindChanged);
    connect(cboDetailKind_, &QComboBox::currentIndexChanged, this, kindChanged);
    auto wrapChanged = [this] {
        document_.setWrap(static_cast<hw::AxisMode>(cboWrapS_->currentData().toInt()),
                          static_cast<hw::AxisMode>(cboWrapT_->currentData().toInt()));
    };
    connect(cboWrapS_, &QComboBox::currentIndexChanged, this, wrapChanged);
    connect(cboWrapT_, &QComboBox::currentIndexChanged, this, wrapChanged);
}

void TileSetupPage::fillKinds(QComboBox* box, Format row, std::optional<Kind> chosen) {
    box->clear();
    // The row's own kind first, then any other kind the row holds.
    const Kind first = DefaultKind(row);
    box->addItem(Text(KindName(first)), static_cast<int>(first));
    for (int k = 0; k < kKindCount; ++k) {
        const auto kind = static_cast<Kind>(k);
        if (kind != first && RowOf(kind) == row)
            box->addItem(Text(KindName(kind)), k);
    }
    const Kind shown = KindInRow(row, chosen);
    box->setCurrentIndex(std::max(0, box->findData(static_cast<int>(shown))));
}

void TileSetupPage::onChanged(TextureDocument::Changes what) {
    if (what & TextureDocument::What::Numbers) {
        // A count may have changed the rows: each offers its own kinds.
        const CoreState& state = document_.state();
        filling_ = true;
        fillKinds(cboBaseKind_, document_.baseRow(), state.baseKind);
        const std::optional<Format> detailRow = document_.detailRow();
        cboDetailKind_->setEnabled(detailRow.has_value());
        if (detailRow)
            fillKinds(cboDetailKind_, *detailRow, state.detailKind);
        else
            cboDetailKind_->clear();
        filling_ = false;
    }
    if (what & (TextureDocument::What::Numbers | TextureDocument::What::Pictures |
                TextureDocument::What::Kinds | TextureDocument::What::Pieces))
        showPieces();
    if (!(what &
          (TextureDocument::What::Numbers | TextureDocument::What::Kinds | TextureDocument::What::Tiling)))
        return;
    showLayout();
    const bool counted = document_.analysis().fitsCalculator();
    QString alert;
    if (counted && !layout().fits)
        alert = QStringLiteral("The hardware cannot load this texture: ") +
                QString::fromStdString(*layout().reason) + QStringLiteral(". See Tile Setup.");
    else if (!counted && layout().fits)
        alert = QStringLiteral("The hardware can load this texture as the Tile Setup page lays it out.");
    // Where it does not fit, the result box says what would make it fit.
    QString note = alert;
    if (const QString ways = suggestionText(); !ways.isEmpty())
        note = note.isEmpty() ? ways : note + QStringLiteral("\n\n") + ways;
    emit noteChanged(note, alert);
}

TextureExportChoice TileSetupPage::exportChoice() const {
    return {chkBaseOnly_->isChecked(), chkWholeChain_->isChecked(), document_.dither()};
}

void TileSetupPage::showLayout() {
    if (layout().fits) {
        lblVerdict_->setText(QStringLiteral("The hardware can load this texture."));
        lblVerdict_->setStyleSheet(QStringLiteral("background: rgb(0, 192, 0); color: black;"));
    } else {
        lblVerdict_->setText(QStringLiteral("The hardware cannot load this texture: ") +
                             QString::fromStdString(*layout().reason) + QLatin1Char('.'));
        lblVerdict_->setStyleSheet(QStringLiteral("background: rgb(224, 0, 0); color: white;"));
    }
    // A plan that fits was run on the RDP model before the page vouches for it.
    const doc::Analysis& analysis = document_.analysis();
    if (const std::optional<verify::Result>& proof = analysis.proof) {
        lblVerified_->setText(proof->ok()
                                  ? QStringLiteral("Verified on the RDP model: all %1 texels read back "
                                                   "as planned.")
                                        .arg(proof->texels)
                                  : QStringLiteral("The RDP model reads this plan back wrong: %1.")
                                        .arg(QString::fromStdString(proof->describe())));
    }
    lblVerified_->setVisible(layout().fits);
    // Only a CI4 texture without CI8 beside it names a palette.
    cboPalette_->setEnabled(layout().palette && layout().palette->entries == 16);

    // What would make it fit, by the count and the hardware both.
    QString suggestions;
    for (const hw::Suggestion& x : analysis.suggestions)
        suggestions += QStringLiteral("\u2022 %1: %2 bytes of %3, %4\n")
                           .arg(QString::fromStdString(x.change))
                           .arg(x.bytes)
                           .arg(x.limit)
                           .arg(x.fitsBoth ? QStringLiteral("fits") : QStringLiteral("still does not fit"));
    lblSuggestions_->setText(
        suggestions.isEmpty() ? QString() : QStringLiteral("To make it fit:\n") + suggestions.trimmed());
    lblSuggestions_->setVisible(!suggestions.isEmpty());

    QString notes;
    for (const std::string& n : layout().notes)
        notes += QString::fromStdString(n) + QLatin1Char('\n');
    lblVerdict_->setToolTip(notes.trimmed());

    tblTiles_->setRowCount(static_cast<int>(layout().tiles.size()));
    for (std::size_t i = 0; i < layout().tiles.size(); ++i) {
        const hw::TileDescriptor& d = layout().tiles[i];
        const hw::LoadPlan& p = layout().loads[i];
        const hw::Level& l = layout().levels[i];
        // The cell names the command; the narrow layout has no room for more.
        const QString load = p.block ? QStringLiteral("LoadBlock") : QStringLiteral("LoadTile");
        const QString loadDetail = p.block
                                       ? QStringLiteral("LoadBlock, dxt %1").arg(*p.dxt)
                                       : QStringLiteral("LoadTile: %1").arg(QString::fromStdString(p.reason));
        const QStringList cells = {QString::number(d.tile),
                                   LevelName(l.role, l.distance) +
                                       QStringLiteral(" %1x%2").arg(l.width).arg(l.height),
                                   Text(KindName(d.kind)),
                                   QString::number(d.line),
                                   QString::number(d.tmem),
                                   QStringLiteral("%1, %2").arg(d.masks).arg(d.maskt),
                                   QStringLiteral("%1, %2").arg(d.shifts).arg(d.shiftt),
                                   load};
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            item->setToolTip(QStringLiteral("SetTile %1\nSetTileSize %2\n%3")
                                 .arg(QString::fromStdString(hw::HexWord(d.setTile)),
                                      QString::fromStdString(hw::HexWord(d.setTileSize)), loadDetail));
            tblTiles_->setItem(static_cast<int>(i), c, item);
        }
    }
    // The same colours for the same things as the TMEM map's.
    const TmemMap colours = hw::HardwareColours(layout());
    const TmemLevels levels = hw::HardwareLevels(layout());
    map_->setMap(colours, levels);
    map_->setLegend(TmemMapView::LegendOf(colours, levels, [this](int record) {
        for (const hw::Level& l : layout().levels)
            if (l.record == record)
                return LegendLevelName(l.role, l.distance);
        return QString();
    }));
}

QString TileSetupPage::suggestionText() const {
    return lblSuggestions_->text();
}

QString TileSetupPage::displayList() const {
    hw::EmitOptions options;
    options.name = document_.arrayName();
    return QString::fromStdString(hw::DisplayList(layout(), options));
}

QString TileSetupPage::commandWords() const {
    hw::EmitOptions options;
    options.name = document_.arrayName();
    return QString::fromStdString(hw::CommandWords(layout(), options));
}

void TileSetupPage::buildPieces(QWidget* content, QLayout* column) {
    // Off by default: planning and proving a large picture is work an
    // everyday edit should not wait for.
    grpPieces_ =
        new QGroupBox(QStringLiteral("Pieces: the picture drawn in parts that each fit TMEM"), content);
    grpPieces_->setObjectName(QStringLiteral("grpPieces"));
    grpPieces_->setCheckable(true);
    grpPieces_->setChecked(false);
    auto* box = new QVBoxLayout(grpPieces_);
    chkPiecesOverlap_ = new QCheckBox(QStringLiteral("Overlap a texel for the bilinear filter"), grpPieces_);
    chkPiecesOverlap_->setObjectName(QStringLiteral("chkPiecesOverlap"));
    chkPiecesOverlap_->setToolTip(
        QStringLiteral("Each piece also loads the row and column the next one "
                       "starts with, so the filter finds its neighbour at the seam"));
    lblPieces_ = new QLabel(grpPieces_);
    lblPieces_->setObjectName(QStringLiteral("lblPieces"));
    lblPieces_->setWordWrap(true);
    tblPieces_ = new QTableWidget(grpPieces_);
    tblPieces_->setObjectName(QStringLiteral("tblPieces"));
    tblPieces_->setColumnCount(6);
    tblPieces_->setHorizontalHeaderLabels(
        {QStringLiteral("Piece"), QStringLiteral("Texels\n(x, y)"), QStringLiteral("Size\n(texels)"),
         QStringLiteral("Drawn\n(pixels)"), QStringLiteral("Line\n(words)"), QStringLiteral("Bytes")});
    tblPieces_->verticalHeader()->hide();
    tblPieces_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblPieces_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    tblPieces_->horizontalHeader()->setStretchLastSection(true);
    tblPieces_->setMinimumHeight(twips(2200));
    cmdCopyPieces_ = new QPushButton(QStringLiteral("Copy Pieces as Display List"), grpPieces_);
    cmdCopyPieces_->setObjectName(QStringLiteral("cmdCopyPieces"));
    box->addWidget(chkPiecesOverlap_);
    box->addWidget(lblPieces_);
    box->addWidget(tblPieces_);
    box->addWidget(cmdCopyPieces_);
    column->addWidget(grpPieces_);
    connect(grpPieces_, &QGroupBox::toggled, this, &TileSetupPage::showPieces);
    connect(chkPiecesOverlap_, &QCheckBox::toggled, &document_, &TextureDocument::setPiecesOverlap);
    connect(cmdCopyPieces_, &QPushButton::clicked, this,
            [this] { QApplication::clipboard()->setText(piecesDisplayList()); });
    showPieces();
}

void TileSetupPage::showPieces() {
    const bool shown = grpPieces_->isChecked();
    for (QWidget* w :
         std::initializer_list<QWidget*>{chkPiecesOverlap_, lblPieces_, tblPieces_, cmdCopyPieces_})
        w->setVisible(shown);
    if (!shown)
        return;
    const doc::PictureInPieces* pieces = document_.pictureInPieces();
    cmdCopyPieces_->setEnabled(pieces && pieces->proved());
    if (!pieces) {
        lblPieces_->setText(QStringLiteral("Load a picture to plan it in pieces."));
        tblPieces_->setRowCount(0);
        return;
    }
    QString text = QString::fromStdString(pieces->summary()) + QLatin1Char('.');
    if (!pieces->plan.refused)
        text += pieces->proof.ok()
                    ? QStringLiteral("\nVerified on the RDP model: every piece loads right (%1 "
                                     "texels read back).")
                          .arg(pieces->proof.texels)
                    : QStringLiteral("\nThe RDP model loads these pieces wrong: %1.")
                          .arg(QString::fromStdString(pieces->proof.describe()));
    lblPieces_->setText(text);
    const std::vector<hw::Piece>& list = pieces->plan.pieces;
    tblPieces_->setRowCount(static_cast<int>(list.size()));
    for (std::size_t i = 0; i < list.size(); ++i) {
        const hw::Piece& p = list[i];
        const QStringList cells = {QString::number(i + 1),
                                   QStringLiteral("%1, %2").arg(p.x).arg(p.y),
                                   QStringLiteral("%1x%2").arg(p.width).arg(p.height),
                                   QStringLiteral("%1x%2").arg(p.drawWidth).arg(p.drawHeight),
                                   QString::number(p.line),
                                   QString::number(p.bytes)};
        const QString tip = QStringLiteral("LoadTile %1\nTextureRectangle %2 %3")
                                .arg(QString::fromStdString(hw::HexWord(p.loadTile)),
                                     QString::fromStdString(hw::HexWord(p.rectangle[0])),
                                     QString::fromStdString(hw::HexWord(p.rectangle[1])));
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            item->setToolTip(tip);
            tblPieces_->setItem(static_cast<int>(i), c, item);
        }
    }
}

QString TileSetupPage::piecesDisplayList() {
    const doc::PictureInPieces* pieces = document_.pictureInPieces();
    if (!pieces || !pieces->proved())
        return QString();
    hw::PieceOptions options;
    options.overlap = pieces->plan.overlap;
    options.emitted.name = document_.arrayName();
    return QString::fromStdString(hw::PiecesDisplayList(pieces->plan, options));
}

} // namespace vellora
