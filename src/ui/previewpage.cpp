// SPDX-License-Identifier: MIT
#include "ui/previewpage.h"

#include "core/numeric.h"
#include "ui/artwork.h"
#include "ui/inputrules.h"
#include "ui/picturebox.h"
#include "ui/previewdriver.h"
#include "ui/previewsurface.h"
#include "ui/twips.h"
#include "ui/widgets.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <optional>

namespace vellora {

namespace {

// Where every drawing pass puts picPreview inside the preview page, in twips.
constexpr int kSurfaceLeftTwips = 180;
constexpr int kSurfaceTopTwips = 600;

} // namespace

PreviewPage::PreviewPage(QWidget* parent, TextureDocument& document, Dialogs& dialogs)
    : QFrame(parent), document_(document), dialogs_(dialogs) {
    setObjectName(QStringLiteral("TabContents(3)"));
    setFrameShape(QFrame::NoFrame);
    setProperty("themedFrame", true);
    setGeometry(twipsRect(83, 380, 5934, 5600));
    build();
    bindDriver(qobject_cast<PreviewSurface*>(picPreview_));
    picPreview_->installEventFilter(this);

    connect(txtShift_, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (text.isEmpty())
            return;
        if (auto fixed = ApplyShiftRule(text.toStdString()))
            txtShift_->setText(QString::fromStdString(*fixed));
        document_.setDetailShift(detailShift());
        drawAtSlider();
    });
    connect(txtLODFrac_, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (text.isEmpty())
            return;
        if (auto fixed = ApplyLODFracRule(text.toStdString()))
            txtLODFrac_->setText(QString::fromStdString(*fixed));
        drawAtSlider();
    });
    connect(chkUse2x2_, &QCheckBox::toggled, this, &PreviewPage::onFilterToggled);
    connect(&document_, &TextureDocument::changed, this, &PreviewPage::onChanged);
    connect(chkShowFormat_, &QCheckBox::toggled, this, [this] {
        showTileCaption();
        if (!document_.guard().held())
            drawAtSlider();
    });
    connect(sliderTile_, &QScrollBar::valueChanged, this, [this](int value) {
        showTileCaption();
        draw(static_cast<float>(value / 10.0));
    });
    connect(sliderZoom_, &QScrollBar::valueChanged, this, [this] {
        if (!document_.guard().held())
            drawAtSlider();
    });
}

PreviewPage::~PreviewPage() = default;

void PreviewPage::build() {
    chkUse2x2_ = Button<QCheckBox>(this, "chkUse2x2", QStringLiteral("Generate Orrin style Mip-Maps?"),
                                   twipsRect(180, 90, 5235, 195));
    FitWidth(chkUse2x2_);
    chkShowFormat_ = Button<QCheckBox>(this, "chkShowFormat", QStringLiteral("Show the texture's format"),
                                       twipsRect(3120, 90, 2475, 195));
    FitWidth(chkShowFormat_);
    chkShowFormat_->setToolTip(
        QStringLiteral("Draw each level as its kind stores it (the kinds chosen on the Tile Setup page)"));

    // The surface the passes draw on. Made before the bars and labels, so a
    // surface larger than its viewport during a pass stays under them.
    picPreview_ = new PreviewSurface(this);
    picPreview_->setGeometry(twipsRect(2790, 2160, 240, 240));
    PinPalette(picPreview_);

    iconZoom_ = new PictureBox(this);
    iconZoom_->setObjectName(QStringLiteral("IconZoom"));
    iconZoom_->setGeometry(twipsRect(5580, 90, 240, 240));
    iconZoom_->setPicture(artwork::MagnifierIcon());
    PinPalette(iconZoom_);
    lblneg_ = Label(this, "lblneg", QStringLiteral("-"), 5580, 360, 195, 195, Qt::AlignCenter);
    lblpluss_ = Label(this, "lblpluss", QStringLiteral("+"), 5580, 4180, 165, 360, Qt::AlignCenter);

    sliderZoom_ = new QScrollBar(Qt::Vertical, this);
    sliderZoom_->setObjectName(QStringLiteral("sliderZoom"));
    sliderZoom_->setGeometry(twipsRect(5580, 600, 195, 3560));
    sliderZoom_->setRange(1, 32);
    sliderZoom_->setSingleStep(1);
    sliderZoom_->setPageStep(4);
    sliderZoom_->setValue(2);
    // Dragging the zoom thumb redraws only when it is released.
    sliderZoom_->setTracking(false);
    sliderZoom_->setEnabled(false);
    PinPalette(sliderZoom_);

    sliderTile_ = new QScrollBar(Qt::Horizontal, this);
    sliderTile_->setObjectName(QStringLiteral("sliderTile"));
    sliderTile_->setGeometry(twipsRect(180, 4500, 5595, 195));
    sliderTile_->setRange(0, 70);
    sliderTile_->setSingleStep(1);
    sliderTile_->setPageStep(10);
    sliderTile_->setValue(0);
    sliderTile_->setEnabled(false);
    PinPalette(sliderTile_);

    lblTSMin_ = Label(this, "lblTSMin", QStringLiteral("MIN"), 180, 4680, 300, 195);
    lblTSTile_ = Label(this, "lblTSTile", QStringLiteral("Tile = 0"), 2610, 4680, 525, 195);
    lblTSMax_ = Label(this, "lblTSMax", QStringLiteral("MAX"), 5400, 4680, 345, 195);
    // Wider fallback captions grow to the left so MAX stays at the bar's end.
    lblTSMax_->move(twips(5400 + 345) - lblTSMax_->width(), lblTSMax_->y());

    fraDetailProps_ = Group(this, "fraDetailProps", QStringLiteral("Detail Map Properties"),
                            twipsRect(180, 4860, 5595, 645));
    fraDetailProps_->hide();
    txtLODFrac_ =
        TextBox(fraDetailProps_, "txtLODFrac", QStringLiteral("0.8"), twipsRect(1890, 270, 465, 285));
    txtShift_ = TextBox(fraDetailProps_, "txtShift", QStringLiteral("1"), twipsRect(3690, 270, 285, 285));
    auto* lblLOD =
        Label(fraDetailProps_, "lblLODFracClamp", QStringLiteral("LODFrac Clamp (0-0.99)"), 90, 270);
    auto* lblShift = Label(fraDetailProps_, "lblShift", QStringLiteral("Shift (0-5)"), 2880, 270);
    lblLOD->move(lblLOD->x(), txtLODFrac_->y() + (txtLODFrac_->height() - lblLOD->height()) / 2);
    lblShift->move(lblShift->x(), txtShift_->y() + (txtShift_->height() - lblShift->height()) / 2);
    for (QLineEdit* e : {txtLODFrac_, txtShift_})
        PinPalette(e);
}

void PreviewPage::showTileCaption() {
    QString caption = QStringLiteral("Tile = ") +
                      QLocale().toString(sliderTile_->value() / 10.0, 'g', QLocale::FloatingPointShortest);
    if (chkShowFormat_->isChecked() && !shownKinds_.isEmpty())
        caption += QStringLiteral(" as ") + shownKinds_;
    lblTSTile_->setText(caption);
    fitTileLabel();
}

bool PreviewPage::eventFilter(QObject* watched, QEvent* event) {
    // Over the picture the wheel zooms, a notch a step, as the bar does.
    if (watched == picPreview_ && event->type() == QEvent::Wheel && sliderZoom_->isEnabled()) {
        const int notches =
            static_cast<QWheelEvent*>(event)->angleDelta().y() / QWheelEvent::DefaultDeltasPerStep;
        if (notches != 0) {
            sliderZoom_->setValue(sliderZoom_->value() + notches);
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}

void PreviewPage::onChanged(TextureDocument::Changes what) {
    using What = TextureDocument::What;
    if ((what & What::Pictures) && !document_.state().bitmapLoaded) {
        setTileBarEnabled(false);
        setZoomBarEnabled(false);
        clear();
    }
    const CountResult& result = document_.result();
    if ((what & What::Numbers) && result.levelsTextWritten)
        setTileBarMaximum(result.sliderTileMax);
    if (!(what & (What::Numbers | What::Kinds | What::Dither)))
        return; // the wrap and the Shift leave the texels alone
    QString kinds;
    for (const hw::Level& l : document_.analysis().levels) {
        if (l.role == LevelRole::Base)
            kinds = QString::fromLatin1(KindName(l.kind)) + kinds;
        else if (l.role == LevelRole::Detail)
            kinds += QStringLiteral(", detail ") + QString::fromLatin1(KindName(l.kind));
    }
    const bool kindsChanged = kinds != shownKinds_;
    if (kindsChanged) {
        shownKinds_ = kinds;
        showTileCaption();
    }
    if (!showFormat() || !document_.state().bitmapLoaded)
        return;
    if (!document_.guard().held()) {
        drawAtSlider();
    } else if (kindsChanged) {
        // A count holds the guard while the pages follow it; once it is done
        // the picture must show the new kinds, as the caption already does.
        QTimer::singleShot(0, this, [this] {
            if (showFormat())
                drawAtSlider();
        });
    }
}

void PreviewPage::onFilterToggled() {
    // Drawing the levels again replaces pictures a running pass is reading:
    // stop the pass and come back once it has unwound.
    if (isDrawing()) {
        document_.guard().requestRedraw();
        QTimer::singleShot(0, this, &PreviewPage::onFilterToggled);
        return;
    }
    document_.setFilter(use2x2() ? MipFilter::Box2x2 : MipFilter::Weighted3x3);
    if (document_.state().bitmapLoaded)
        drawAtSlider();
}

bool PreviewPage::showFormat() const {
    return chkShowFormat_->isChecked();
}

void PreviewPage::draw(float tilePos) {
    if (drawer_)
        drawer_(tilePos);
    else if (driver_)
        driver_->Drawbmp(tilePos);
}

void PreviewPage::drawAtSlider() {
    draw(tilePosition());
}

float PreviewPage::tilePosition() const {
    return static_cast<float>(sliderTile_->value() / 10.0);
}

void PreviewPage::clear() {
    if (PreviewSurface* s = surface())
        s->clearSurface();
    if (clearer_)
        clearer_();
    picPreview_->update();
}

namespace {

std::optional<int> ShiftFromText(const QString& text) {
    const std::optional<double> value = NumericValue(text.toStdString());
    if (!value || !std::isfinite(*value))
        return std::nullopt;
    // A tile's shift is a whole number: the box's number is rounded (halves
    // to even, as every number of the form) and cut to 0-5, so that the
    // preview draws the very shift the tile descriptors carry.
    return static_cast<int>(Nearest(std::clamp(*value, 0.0, 5.0)));
}

} // namespace

int PreviewPage::detailShift() const {
    return ShiftFromText(txtShift_->text()).value_or(1);
}

PreviewSurface* PreviewPage::surface() const {
    return qobject_cast<PreviewSurface*>(picPreview_);
}

bool PreviewPage::isDrawing() const {
    return driver_ && driver_->isDrawing();
}

QSize PreviewPage::viewport() const {
    // Measured from where a pass puts the surface, not from where it is now:
    // the first pass moves it there from its design place.
    return QSize(std::max(0, sliderZoom_->x() - twips(kSurfaceLeftTwips)),
                 std::max(0, sliderTile_->y() - twips(kSurfaceTopTwips)));
}

void PreviewPage::bindDriver(PreviewSurface* s) {
    driver_.reset();
    if (!s)
        return;
    PreviewSources sources;
    sources.detailFlag = [this] { return document_.settings().detailEnabled ? 1 : 0; };
    // A box without a number goes to the pass as typed, which reports it.
    sources.shiftText = [this] {
        const std::optional<int> shift = ShiftFromText(txtShift_->text());
        return shift ? QString::number(*shift) : txtShift_->text();
    };
    sources.lodFracText = [this] { return txtLODFrac_->text(); };
    sources.viewportPixels = [this] { return viewport(); };
    sources.shownTiles = [this]() -> const TileTable* {
        return chkShowFormat_->isChecked() ? &document_.shownTiles() : nullptr;
    };
    driver_ = std::make_unique<PreviewDriver>(document_.guard(), document_.state(), std::move(sources),
                                              sliderZoom_, s, dialogs_);
    connect(s, &PreviewSurface::surfaceSizeChanged, this, &PreviewPage::onSurfaceSized);
}

void PreviewPage::onSurfaceSized(QSize size) {
    // A pass places the surface before it draws; a resize only fits it.
    if (isDrawing())
        picPreview_->move(twips(kSurfaceLeftTwips), twips(kSurfaceTopTwips));
    // Only the viewport of the surface is ever drawn (the canvas is the
    // viewport), so the widget never needs to reach past it: a surface of
    // 3 x pitch x zoom can be thousands of pixels wide, and resizing the
    // widget that far makes the page repaint everything it uncovers.
    picPreview_->resize(isDrawing() ? size.boundedTo(viewport()) : size);
}

void PreviewPage::replaceSurface(QWidget* replacement) {
    if (!replacement || replacement == picPreview_)
        return;
    // A pass on the stack still uses the surface and its driver.
    if (isDrawing())
        return;
    QWidget* old = picPreview_;
    replacement->setParent(old->parentWidget());
    replacement->setGeometry(old->geometry());
    replacement->setObjectName(QStringLiteral("picPreview"));
    // Keep its place in the stacking order: under the scroll bars and labels.
    replacement->stackUnder(old);
    replacement->setVisible(!old->isHidden());
    picPreview_ = replacement;
    picPreview_->installEventFilter(this);
    // The driver draws on the old surface: it goes with it.
    bindDriver(qobject_cast<PreviewSurface*>(replacement));
    delete old;
}

void PreviewPage::fitSurface() {
    const QSize fitted(std::max(0, sliderZoom_->x() - picPreview_->x()),
                       std::max(0, sliderTile_->y() - picPreview_->y()));
    if (PreviewSurface* s = surface())
        s->setSurfaceSize(fitted); // fitted without drawing
    picPreview_->resize(fitted);
}

void PreviewPage::fitTileLabel() {
    // The design box holds "Tile = 0"; a position such as 2.5 needs more,
    // and there is room up to the MAX label.
    const int wanted = lblTSTile_->sizeHint().width();
    if (wanted > lblTSTile_->width())
        lblTSTile_->resize(wanted, lblTSTile_->height());
}

bool PreviewPage::use2x2() const {
    return chkUse2x2_->isChecked();
}

void PreviewPage::setDetailPropertiesVisible(bool on) {
    fraDetailProps_->setVisible(on);
}

void PreviewPage::setTileBarEnabled(bool on) {
    sliderTile_->setEnabled(on);
}

void PreviewPage::setTileBarValue(int value) {
    sliderTile_->setValue(value);
}

void PreviewPage::setTileBarMaximum(int maximum) {
    sliderTile_->setMaximum(maximum);
}

void PreviewPage::setZoomBarEnabled(bool on) {
    sliderZoom_->setEnabled(on);
}

} // namespace vellora
