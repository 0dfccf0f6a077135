// SPDX-License-Identifier: MIT
#include "ui/calculatorpage.h"

#include "document/messages.h"
#include "ui/artwork.h"
#include "ui/dialogs.h"
#include "ui/form.h"
#include "ui/inputrules.h"
#include "ui/picturebox.h"
#include "ui/twips.h"
#include "ui/widgets.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>
#include <cmath>

namespace vellora {

namespace {

constexpr SizeBox kSizeBoxes[] = {SizeBox::Width, SizeBox::Height, SizeBox::DetailWidth,
                                  SizeBox::DetailHeight};
constexpr DimensionRule kRules[] = {kWidthRule, kHeightRule, kDetailWidthRule, kDetailHeightRule};

// Members are tested in order and the first selected one wins; none
// selected is no format.
std::optional<Format> SelectedFormat(const std::array<QRadioButton*, kFormatCount>& options) {
    for (int i = 0; i < kFormatCount; ++i)
        if (options[static_cast<std::size_t>(i)]->isChecked())
            return FormatAt(i);
    return std::nullopt;
}

} // namespace

CalculatorPage::CalculatorPage(QWidget* parent, TextureDocument& document, Dialogs& dialogs)
    : QFrame(parent), document_(document), dialogs_(dialogs) {
    setObjectName(QStringLiteral("TabContents(0)"));
    setFrameShape(QFrame::NoFrame);
    setProperty("themedFrame", true);
    setGeometry(twipsRect(75, 380, 5934, 5600));
    build();
    connectRules();
    connect(&document_, &TextureDocument::changed, this, [this](TextureDocument::Changes what) {
        using What = TextureDocument::What;
        if (what & What::Numbers)
            showResult(document_.result());
        if (what & (What::Numbers | What::Kinds | What::Tiling))
            showHardwareLine();
    });
}

void CalculatorPage::build() {
    auto* fillBarBG = Group(this, "FillBarBG", QString(), twipsRect(90, 170, 4246, 550));
    fillBar_ = new QWidget(fillBarBG);
    fillBar_->setObjectName(QStringLiteral("FillBar"));
    fillBar_->setGeometry(twipsRect(75, 150, 4097, 350));
    fillBar_->setAutoFillBackground(true);
    PinPalette(fillBar_);
    lblPercent_[1] =
        Label(fillBarBG, "lblPercent(1)", QStringLiteral("###%"), 1810, 195, 612, 272, Qt::AlignCenter);
    lblPercent_[0] =
        Label(fillBarBG, "lblPercent(0)", QStringLiteral("###%"), 1785, 170, 612, 272, Qt::AlignCenter);
    SetText(lblPercent_[0], QApplication::palette().color(QPalette::HighlightedText));
    for (QLabel* l : lblPercent_)
        l->setProperty("transparentLabel", true);

    lblExcede_ = Label(this, "lblExcede", QStringLiteral("lblExcede by ########"), 4410, 90, 1455, 630,
                       Qt::AlignCenter);
    lblExcede_->setFrameShape(QFrame::Box);
    lblExcede_->setWordWrap(true);
    // The result wraps inside its box instead of growing past the page; the
    // box leaves the bottom of its design room to the hardware's line.
    lblExcede_->setGeometry(twipsRect(4410, 90, 1455, 630));
    lblHardware_ = new ElidedLine(this);
    lblHardware_->setObjectName(QStringLiteral("lblHardwareLine"));
    lblHardware_->setGeometry(twipsRect(90, 735, 5775, 165));
    lblHardware_->setCursor(Qt::PointingHandCursor);
    {
        QFont small = lblHardware_->font();
        small.setPixelSize(std::max(9, twips(150)));
        lblHardware_->setFont(small);
    }
    lblHardware_->installEventFilter(this);
    lblExcede_->setAutoFillBackground(true);
    {
        QPalette p = lblExcede_->palette();
        p.setColor(QPalette::Window, QColor(255, 0, 0));
        p.setColor(QPalette::WindowText, QColor(255, 255, 255));
        lblExcede_->setPalette(p);
    }

    auto* grpFormat = Group(this, "grpFormat", QStringLiteral("Format"), twipsRect(90, 900, 2490, 1275));
    Label(grpFormat, "lblCI(1)", QStringLiteral("CI"), 360, 360);
    Label(grpFormat, "lblCI(0)", QStringLiteral("I/IA/RGBA"), 990, 360);
    const char* depthCaptions[] = {"4Bit", "4Bit", "8Bit", "8Bit", "16Bit", "32Bit"};
    const int depthPos[6][2] = {{105, 600}, {900, 600}, {90, 900}, {900, 900}, {1530, 600}, {1530, 900}};
    for (int i = 0; i < 6; ++i) {
        auto* b = new QRadioButton(QString::fromLatin1(depthCaptions[i]), grpFormat);
        b->setObjectName(Indexed("ChkBitDepth", i));
        b->setGeometry(twipsRect(depthPos[i][0], depthPos[i][1], 675, 272));
        FitWidth(b);
        chkBitDepth_[i] = b;
    }

    auto* frame1 = Group(this, "Frame1", QStringLiteral("Dimensions"), twipsRect(2610, 900, 3255, 1275));
    txtWidth_ = TextBox(frame1, "txtWidth", QStringLiteral("64"), twipsRect(720, 450, 495, 357));
    txtHeight_ = TextBox(frame1, "txtHeight", QStringLiteral("64"), twipsRect(720, 810, 495, 357));
    // The two size captions end just left of their boxes.
    auto* lblWidth = RightLabel(frame1, "lblWidth", QStringLiteral("Width"), 240, 540);
    lblWidth->move(txtWidth_->x() - lblWidth->width() - 3,
                   txtWidth_->y() + (txtWidth_->height() - lblWidth->height()) / 2);
    auto* lblHeight = RightLabel(frame1, "lblHeight", QStringLiteral("Height"), 180, 810);
    lblHeight->move(txtHeight_->x() - lblHeight->width() - 3,
                    txtHeight_->y() + (txtHeight_->height() - lblHeight->height()) / 2);
    Label(frame1, "lblMask", QStringLiteral("Mask  Wrap"), 1350, 180);
    auto resultBox = [&](const char* name, const char* text, int left, int top) {
        auto* e = TextBox(frame1, name, QString::fromLatin1(text), twipsRect(left, top, 495, 357));
        e->setEnabled(false);
        e->setFocusPolicy(Qt::NoFocus);
        PinPalette(e);
        SetBoxBack(e, QApplication::palette().color(QPalette::Button));
        return e;
    };
    txtMaskW_ = resultBox("txtMaskW", "6", 1350, 450);
    txtMaskH_ = resultBox("txtMaskH", "6", 1350, 810);
    txtWrapW_ = resultBox("txtWrapW", "64", 1890, 450);
    txtWrapH_ = resultBox("txtWrapH", "64", 1890, 810);
    cmdWidthHelp_ =
        Button<QPushButton>(frame1, "cmdWidthHelp", QStringLiteral("?"), twipsRect(2430, 450, 465, 360));
    cmdHeightHelp_ =
        Button<QPushButton>(frame1, "cmdHeightHelp", QStringLiteral("?"), twipsRect(2430, 810, 465, 360));

    auto* fraMultiTile =
        Group(this, "fraMultiTile", QStringLiteral("Multi-Tile"), twipsRect(90, 2250, 5775, 3255));
    txtLevels_ = TextBox(fraMultiTile, "txtLevels", QStringLiteral("8"), twipsRect(270, 270, 315, 285));
    txtLevels_->setEnabled(false);
    txtLevels_->setMaxLength(1);
    lblLevels_ = Label(fraMultiTile, "lblLevels", QStringLiteral("Automatic Levels Calculated"), 720, 270);
    lblLevels_->move(lblLevels_->x(), txtLevels_->y() + (txtLevels_->height() - lblLevels_->height()) / 2);

    auto* frmLevels =
        Group(this, "FrmLevels", QStringLiteral("Mip-Map Levels"), twipsRect(270, 2880, 5385, 1125));
    chkLevels_ = Button<QCheckBox>(frmLevels, "chkLevels", QStringLiteral("Auto-Calculate &Levels"),
                                   twipsRect(180, 270, 2635, 255));
    chkLevels_->setChecked(true);
    chklevelsH_ =
        Button<QRadioButton>(frmLevels, "ChklevelsH", QStringLiteral("Stop When Tile Height = 1 [Default]"),
                             twipsRect(360, 540, 4063, 255));
    chklevelsH_->setChecked(true);
    chklevelsW_ = Button<QRadioButton>(frmLevels, "ChklevelsW",
                                       QStringLiteral("Stop When Tile Width = 64bit [Recommended]"),
                                       twipsRect(360, 810, 4539, 255));
    for (QAbstractButton* b :
         {static_cast<QAbstractButton*>(chkLevels_), static_cast<QAbstractButton*>(chklevelsH_),
          static_cast<QAbstractButton*>(chklevelsW_)})
        FitWidth(b);
    picture1_ = new PictureBox(frmLevels);
    picture1_->setObjectName(QStringLiteral("Picture1"));
    picture1_->setGeometry(twipsRect(2160, 270, 240, 240));
    picture1_->setPicture(artwork::ThemeIcon());
    picture1_->setToolTip(QStringLiteral("Change Theme"));
    picture1_->setCursor(Qt::PointingHandCursor);
    PinPalette(picture1_);
    // Picture1 keeps its design place. The check box's design width reaches
    // under it; the box ends just before it so a click on the picture
    // changes the theme and nothing else.
    const int room = picture1_->x() - chkLevels_->x() - 2;
    // A fallback font wider than Tahoma is narrowed for this caption until
    // it fits the room the design gives it.
    for (int stretch : {QFont::SemiCondensed, QFont::Condensed, QFont::ExtraCondensed}) {
        if (chkLevels_->sizeHint().width() <= room)
            break;
        QFont narrower = chkLevels_->font();
        narrower.setStretch(stretch);
        chkLevels_->setFont(narrower);
    }
    chkLevels_->resize(std::min(chkLevels_->width(), room), chkLevels_->height());
    picture1_->raise();
    manMipMap_ = Button<WrapButton>(frmLevels, "ManMipMap", QStringLiteral("Manually &Define Mip-Map Tiles"),
                                    twipsRect(3600, 180, 1717, 612));
    manMipMap_->setEnabled(false);

    auto* fraDetailMap =
        Group(this, "fraDetailMap", QStringLiteral("Detail Map"), twipsRect(270, 4050, 5415, 1365));
    chkDetailEnabled_ = Button<QCheckBox>(fraDetailMap, "chkDetailEnabled", QStringLiteral("Detail Enabled"),
                                          twipsRect(180, 270, 1455, 195));
    FitWidth(chkDetailEnabled_);
    txtDWidth_ = TextBox(fraDetailMap, "txtDWidth", QStringLiteral("16"), twipsRect(720, 720, 495, 357));
    txtDHeight_ = TextBox(fraDetailMap, "txtDHeight", QStringLiteral("16"), twipsRect(1890, 720, 495, 357));
    txtDWidth_->setEnabled(false);
    txtDHeight_->setEnabled(false);
    auto* lblDWidth = RightLabel(fraDetailMap, "lblDWidth", QStringLiteral("Width"), 270, 810);
    lblDWidth->move(txtDWidth_->x() - lblDWidth->width() - 3,
                    txtDWidth_->y() + (txtDWidth_->height() - lblDWidth->height()) / 2);
    auto* lblDHeight = RightLabel(fraDetailMap, "lblDHeight", QStringLiteral("Height"), 1350, 810);
    lblDHeight->move(txtDHeight_->x() - lblDHeight->width() - 3,
                     txtDHeight_->y() + (txtDHeight_->height() - lblDHeight->height()) / 2);
    auto* fraDFormat =
        Group(fraDetailMap, "fraDFormat", QStringLiteral("Format"), twipsRect(2520, 180, 2760, 1095));
    Label(fraDFormat, "lblDCI(0)", QStringLiteral("CI"), 540, 180);
    Label(fraDFormat, "lblDIIA(0)", QStringLiteral("I/IA/RGBA"), 1440, 180);
    const int dPos[6][2] = {{375, 420}, {1260, 420}, {360, 720}, {1260, 720}, {1890, 420}, {1890, 720}};
    for (int i = 0; i < 6; ++i) {
        auto* b = new QRadioButton(QString::fromLatin1(depthCaptions[i]), fraDFormat);
        b->setObjectName(Indexed("optDBit", i));
        b->setGeometry(twipsRect(dPos[i][0], dPos[i][1], 675, 272));
        FitWidth(b);
        optDBit_[i] = b;
    }

    for (QLineEdit* e : {txtWidth_, txtHeight_, txtLevels_, txtDWidth_, txtDHeight_}) {
        PinPalette(e);
        e->installEventFilter(this);
    }
}

void CalculatorPage::connectRules() {
    for (std::size_t i = 0; i < 4; ++i) {
        QLineEdit* box = sizeBox(kSizeBoxes[i]);
        connect(box, &QLineEdit::textChanged, this, [this, box, i] {
            const QString text = box->text();
            if (text.isEmpty())
                return;
            // A corrected text raises this once more, and that one counts:
            // one count per edit.
            if (auto fixed = ApplyDimensionRule(text.toStdString(), kRules[i]);
                fixed && *fixed != text.toStdString()) {
                box->setText(QString::fromStdString(*fixed));
                return;
            }
            recount();
        });
    }
    connect(txtLevels_, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (text.isEmpty())
            return;
        if (auto fixed = ApplyLevelsRule(text.toStdString()); fixed && *fixed != text.toStdString()) {
            txtLevels_->setText(QString::fromStdString(*fixed));
            return;
        }
        recount();
    });
    auto countWhenSelected = [this](bool on) {
        if (on)
            recount();
    };
    for (QRadioButton* b : chkBitDepth_)
        connect(b, &QRadioButton::toggled, this, countWhenSelected);
    for (QRadioButton* b : optDBit_)
        connect(b, &QRadioButton::toggled, this, countWhenSelected);
    for (QRadioButton* b : {chklevelsH_, chklevelsW_})
        connect(b, &QRadioButton::toggled, this, countWhenSelected);
    connect(chkLevels_, &QCheckBox::toggled, this, [this] {
        recount();
        applyLevelControls(true);
    });
    connect(manMipMap_, &QPushButton::clicked, this, [this] { recount(true); });
    connect(chkDetailEnabled_, &QCheckBox::toggled, this, &CalculatorPage::onDetailToggled);
    connect(picture1_, &PictureBox::clicked, this, &CalculatorPage::themeClicked);
    connect(cmdWidthHelp_, &QPushButton::clicked, this,
            [this] { dialogs_.messageBox(QString::fromStdString(kWidthHelp), MsgStyle::Ok, QString(), 0); });
    connect(cmdHeightHelp_, &QPushButton::clicked, this,
            [this] { dialogs_.messageBox(QString::fromStdString(kHeightHelp), MsgStyle::Ok, QString(), 0); });
}

void CalculatorPage::setDefaults() {
    fillBar_->resize(0, fillBar_->height());
    {
        QPalette p = fillBar_->palette();
        p.setColor(QPalette::Window, PaintColour(Paint::Highlight));
        fillBar_->setPalette(p);
    }
    chkLevels_->setChecked(true);
    txtWidth_->setText(QStringLiteral("64"));
    txtHeight_->setText(QStringLiteral("64"));
    txtLevels_->setText(QStringLiteral("1"));
    SetText(lblPercent_[1], Qt::black);

    // Option buttons normally keep one member selected; clearing them all
    // needs the exclusivity lifted for a moment.
    for (auto* group : {&chkBitDepth_, &optDBit_}) {
        for (QRadioButton* b : *group) {
            b->setAutoExclusive(false);
            b->setChecked(false);
            b->setAutoExclusive(true);
        }
    }
    chkBitDepth_[1]->setChecked(true);
    optDBit_[1]->setChecked(true);
    chkDetailEnabled_->setChecked(true);
}

Settings CalculatorPage::settings() const {
    Settings s;
    s.width = txtWidth_->text().toStdString();
    s.height = txtHeight_->text().toStdString();
    s.baseFormat = SelectedFormat(chkBitDepth_);
    s.autoLevels = chkLevels_->isChecked();
    s.widthRule = chklevelsW_->isChecked();
    s.levels = txtLevels_->text().toStdString();
    s.detailEnabled = chkDetailEnabled_->isChecked();
    s.detailWidth = txtDWidth_->text().toStdString();
    s.detailHeight = txtDHeight_->text().toStdString();
    s.detailFormat = SelectedFormat(optDBit_);
    return s;
}

void CalculatorPage::showResult(const CountResult& r) {
    for (int i = 0; i < kFormatCount; ++i)
        optDBit_[static_cast<std::size_t>(i)]->setEnabled(
            r.detailOptionsEnabled[static_cast<std::size_t>(i)]);
    if (r.count.detailWidthAligned)
        SetBoxBack(txtDWidth_, PaintColour(r.detailWidthBack));

    txtMaskW_->setText(QString::fromStdString(r.maskW));
    txtMaskH_->setText(QString::fromStdString(r.maskH));
    txtWrapW_->setText(QString::fromStdString(r.wrapW));
    txtWrapH_->setText(QString::fromStdString(r.wrapH));
    SetBoxBack(txtMaskW_, PaintColour(r.maskWBack));
    SetBoxBack(txtMaskH_, PaintColour(r.maskHBack));
    SetBoxBack(txtWidth_, PaintColour(r.widthBack));
    SetBoxBack(txtHeight_, PaintColour(r.heightBack));

    if (r.levelsTextWritten) {
        if (r.levelsBox)
            SetBoxBack(txtLevels_, PaintColour(*r.levelsBox));
        txtLevels_->setText(QString::number(r.count.maxIndex));
    }

    fillBar_->resize(static_cast<int>(std::lround(r.fillBarWidth / kTwipsPerPixel)), fillBar_->height());
    {
        QPalette p = fillBar_->palette();
        p.setColor(QPalette::Window, PaintColour(r.fillBarPaint));
        fillBar_->setPalette(p);
    }
    lblExcede_->setText(FromCaption(r.excedeCaption));
    {
        QPalette p = lblExcede_->palette();
        p.setColor(QPalette::Window, PaintColour(r.excedeBack));
        p.setColor(QPalette::WindowText, PaintColour(r.excedeFore));
        lblExcede_->setPalette(p);
    }
    const QString percent = QString::fromStdString(r.percentCaption);
    lblPercent_[0]->setText(percent);
    lblPercent_[1]->setText(percent);
}

void CalculatorPage::applyLevelControls(bool includeStopRules) {
    const LevelControls c = LevelControlsFor(chkLevels_->isChecked(), chkDetailEnabled_->isChecked());
    txtLevels_->setEnabled(c.levelsEnabled);
    lblLevels_->setText(QString::fromStdString(c.levelsCaption));
    lblLevels_->adjustSize();
    if (!includeStopRules)
        return;
    manMipMap_->setEnabled(c.manMipMapEnabled);
    chklevelsW_->setEnabled(c.stopRulesEnabled);
    chklevelsH_->setEnabled(c.stopRulesEnabled);
}

void CalculatorPage::onDetailToggled() {
    const bool ticked = detailEnabled();
    emit detailToggled(ticked);
    RecalcGuard& guard = document_.guard();
    bool undo = false;
    if (document_.state().bitmapLoaded && !guard.held()) {
        const int answer =
            dialogs_.messageBox(QString::fromStdString(kDetailToggleQuestion),
                                MsgStyle::YesNo | MsgStyle::Question, QString::fromLatin1(kWarningTitle), 0);
        if (answer == MsgResult::Yes) {
            setSizeEnabled(SizeBox::Width, true);
            setSizeEnabled(SizeBox::Height, true);
            document_.forgetPictures();
        } else {
            undo = true;
        }
    }
    if (!undo && !guard.held()) {
        recount();
        applyLevelControls(false);
        setSizeEnabled(SizeBox::DetailWidth, ticked);
        setSizeEnabled(SizeBox::DetailHeight, ticked);
        enableDetailOptions(document_.result().count.baseIsCI);
        return;
    }
    // Put the box back without a count. The guard is given back as it was,
    // so a caller that holds it (a load in progress) keeps it.
    RecalcGuard::Hold quiet = guard.hold();
    if (undo)
        setDetailEnabled(!ticked);
}

QString HardwareLine(const doc::Analysis& analysis) {
    const Count& count = analysis.count;
    // The levels in the words the command line uses too.
    QStringList parts{QString::fromStdString(doc::LevelsPhrase(count)) + QLatin1Char('.')};
    // The limit is named: a CI texture has only the lower half of TMEM.
    if (count.exceeds())
        parts << QStringLiteral("Needs %1 of %2 bytes%3.")
                     .arg(count.totalBytes)
                     .arg(count.tmemLimit)
                     .arg(count.baseIsCI ? QStringLiteral(" for CI") : QString());
    if (analysis.fitsHardware())
        parts << QStringLiteral("The hardware can load it.");
    else
        parts << QStringLiteral("The hardware cannot load it: %1.")
                     .arg(QString::fromStdString(analysis.hardwareReason.value_or(std::string())));
    if (!analysis.suggestions.empty())
        parts
            << QStringLiteral("To fit: %1.").arg(QString::fromStdString(analysis.suggestions.front().change));
    return parts.join(QLatin1Char(' '));
}

void CalculatorPage::showHardwareLine() {
    const QString line = HardwareLine(document_.analysis());
    const bool fits = document_.analysis().fits(hw::Rules::Both);
    if (line == lblHardware_->line())
        return;                                                       // most counts keep the line they had
    lblHardware_->setLine(line, fits ? QColor() : QColor(192, 0, 0)); // none: the theme's text colour
    lblHardware_->setToolTip(line + QStringLiteral("\nClick for the Tile Setup page."));
}

void ElidedLine::setLine(const QString& line, const QColor& colour) {
    line_ = line;
    colour_ = colour;
    update();
}

QString ElidedLine::shown() const {
    return fontMetrics().elidedText(line_, Qt::ElideRight, width());
}

void ElidedLine::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(colour_.isValid() ? colour_ : palette().color(QPalette::WindowText));
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter, shown());
}

void CalculatorPage::setResultNote(const QString& note) {
    lblExcede_->setToolTip(note);
}

void CalculatorPage::enableDetailOptions(bool baseIsCI) {
    const auto enabled = DetailOptionsEnabled(chkDetailEnabled_->isChecked(), baseIsCI);
    for (int i = 0; i < kFormatCount; ++i)
        optDBit_[static_cast<std::size_t>(i)]->setEnabled(enabled[static_cast<std::size_t>(i)]);
}

QLineEdit* CalculatorPage::sizeBox(SizeBox box) const {
    switch (box) {
    case SizeBox::Width:
        return txtWidth_;
    case SizeBox::Height:
        return txtHeight_;
    case SizeBox::DetailWidth:
        return txtDWidth_;
    case SizeBox::DetailHeight:
        return txtDHeight_;
    }
    return txtWidth_;
}

void CalculatorPage::setSizeText(SizeBox box, const QString& text) {
    sizeBox(box)->setText(text);
}

void CalculatorPage::setSizeEnabled(SizeBox box, bool enabled) {
    sizeBox(box)->setEnabled(enabled);
}

void CalculatorPage::selectBaseFormat(Format format) {
    chkBitDepth_[static_cast<std::size_t>(FormatIndex(format))]->setChecked(true);
}

void CalculatorPage::selectDetailFormat(Format format) {
    optDBit_[static_cast<std::size_t>(FormatIndex(format))]->setChecked(true);
}

bool CalculatorPage::detailEnabled() const {
    return chkDetailEnabled_->isChecked();
}

void CalculatorPage::setDetailEnabled(bool on) {
    chkDetailEnabled_->setChecked(on);
}

QWidget* CalculatorPage::resultBox() const {
    return lblExcede_;
}

QColor CalculatorPage::themeText() const {
    return chkLevels_->palette().color(QPalette::WindowText);
}

bool CalculatorPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lblHardware_ && event->type() == QEvent::MouseButtonRelease) {
        emit hardwareLineClicked();
        return true;
    }
    if (event->type() == QEvent::FocusOut) {
        for (std::size_t i = 0; i < 4; ++i) {
            QLineEdit* box = sizeBox(kSizeBoxes[i]);
            if (watched == box && box->text().isEmpty())
                box->setText(QString(kRules[i].fallback.data()));
        }
        if (watched == txtLevels_ && txtLevels_->text().isEmpty())
            txtLevels_->setText(
                QString::fromLatin1(kLevelsFocusFallback.data(), kLevelsFocusFallback.size()));
    }
    return QFrame::eventFilter(watched, event);
}

} // namespace vellora
