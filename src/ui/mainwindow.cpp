// SPDX-License-Identifier: MIT
#include "mainwindow.h"

#include "artwork.h"
#include "bitmap/mipmap.h"
#include "bitmap/startup.h"
#include "core/detailmap.h"
#include "core/inputrules.h"
#include "core/numeric.h"
#include "core/version.h"
#include "dialogs.h"
#include "loadsequence.h"
#include "picturebox.h"
#include "previewdriver.h"
#include "previewsurface.h"
#include "splash.h"
#include "tmemmapview.h"
#include "twips.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateTime>
#include <QEvent>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyleOptionButton>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cmath>

namespace vellora {

namespace {

// A command button whose caption wraps onto several lines, as the tall
// "Manually Define Mip-Map Tiles" button needs.
class WrapButton : public QPushButton {
  public:
    using QPushButton::QPushButton;

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        QStyleOptionButton opt;
        initStyleOption(&opt);
        const QString caption = opt.text;
        opt.text.clear();
        style()->drawControl(QStyle::CE_PushButton, &opt, &p, this);
        p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
        style()->drawItemText(&p, rect().adjusted(4, 2, -4, -2),
                              Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic, palette(),
                              isEnabled(), caption);
    }
};

// A borderless frame that groups controls; it follows the colour themes.
QFrame* PlainFrame(QWidget* parent, const char* name, const QRect& r) {
    auto* f = new QFrame(parent);
    f->setObjectName(QString::fromLatin1(name));
    f->setFrameShape(QFrame::NoFrame);
    f->setGeometry(r);
    f->setProperty("themedFrame", true);
    return f;
}

QGroupBox* Group(QWidget* parent, const char* name, const QString& caption, const QRect& r) {
    auto* g = new QGroupBox(caption, parent);
    g->setObjectName(QString::fromLatin1(name));
    g->setGeometry(r);
    return g;
}

// Captions sized for Tahoma may need more room in a fallback font: grow the
// width, never shrink it, so nothing is clipped.
template <class W> void FitWidth(W* w) {
    const int hint = w->sizeHint().width();
    if (hint > w->width())
        w->resize(hint, w->height());
}

QLabel* Label(QWidget* parent, const char* name, const QString& text, int left, int top, int width = -1,
              int height = -1, Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setAlignment(align);
    if (width < 0) {
        l->move(twips(left), twips(top));
        l->adjustSize();
    } else {
        l->setGeometry(twipsRect(left, top, width, height));
        FitWidth(l);
    }
    return l;
}

// A right-aligned label that sizes itself keeps its right edge where a
// Tahoma caption would have ended.
QLabel* RightLabel(QWidget* parent, const char* name, const QString& text, int left, int top) {
    auto* l = Label(parent, name, text, left, top);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return l;
}

QLineEdit* TextBox(QWidget* parent, const char* name, const QString& text, const QRect& r) {
    auto* e = new QLineEdit(text, parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setGeometry(r);
    e->setAlignment(Qt::AlignLeft);
    e->setTextMargins(0, 0, 0, 0);
    return e;
}

template <class B> B* Button(QWidget* parent, const char* name, const QString& caption, const QRect& r) {
    auto* b = new B(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(r);
    return b;
}

QString Indexed(const char* name, int index) {
    return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(index);
}

QColor PaintColour(Paint paint) {
    const QPalette pal = QApplication::palette();
    switch (paint) {
    case Paint::Window:
        return pal.color(QPalette::Base);
    case Paint::ButtonFace:
        return pal.color(QPalette::Button);
    case Paint::Highlight:
        return pal.color(QPalette::Highlight);
    default:
        break;
    }
    const Rgb c = FixedPaintRgb(paint);
    return QColor(c.r, c.g, c.b);
}

void SetBoxBack(QLineEdit* box, const QColor& colour) {
    QPalette p = box->palette();
    if (p.color(QPalette::Base) == colour && p.isBrushSet(QPalette::Active, QPalette::Base))
        return;
    p.setColor(QPalette::Base, colour);
    box->setPalette(p);
}

void SetBack(QWidget* w, const QColor& colour, bool fill = true) {
    QPalette p = w->palette();
    p.setColor(QPalette::Window, colour);
    p.setColor(QPalette::Button, colour);
    w->setPalette(p);
    w->setAutoFillBackground(fill);
}

void SetText(QWidget* w, const QColor& colour) {
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, colour);
    p.setColor(QPalette::ButtonText, colour);
    w->setPalette(p);
}

// Text boxes, scroll bars and picture boxes keep their own colours when a
// theme recolours the window: every role is set on them explicitly so none is
// inherited from the window.
void PinPalette(QWidget* w) {
    QPalette p = QApplication::palette();
    for (int g = 0; g < QPalette::NColorGroups; ++g) {
        const auto group = static_cast<QPalette::ColorGroup>(g);
        for (int r = 0; r < QPalette::NColorRoles; ++r) {
            const auto role = static_cast<QPalette::ColorRole>(r);
            if (role == QPalette::NoRole)
                continue;
            p.setBrush(group, role, p.brush(group, role));
        }
    }
    w->setPalette(p);
}

QString FromCaption(const std::string& caption) {
    // Captions join lines with CR LF; a label breaks lines on LF alone.
    return QString::fromStdString(caption).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

enum DimensionBox { WidthBox, HeightBox, DetailWidthBox, DetailHeightBox };
constexpr DimensionRule kRules[] = {kWidthRule, kHeightRule, kDetailWidthRule, kDetailHeightRule};

// Members are tested in order and the first selected one wins; none
// selected is no format.
std::optional<Format> SelectedFormat(const std::array<QRadioButton*, kFormatCount>& options) {
    for (int i = 0; i < kFormatCount; ++i)
        if (options[static_cast<std::size_t>(i)]->isChecked())
            return FormatAt(i);
    return std::nullopt;
}

// Where every drawing pass puts picPreview inside the preview page, in twips.
constexpr int kSurfaceLeftTwips = 180;
constexpr int kSurfaceTopTwips = 600;

} // namespace

MainWindow::MainWindow(Dialogs& dialogs, QWidget* parent) : QWidget(parent), dialogs_(dialogs) {
    exitHandler_ = [] { QCoreApplication::exit(0); };
    browseHandler_ = [this] { LoadSettingsFromBmp(*this); };
    buildWindow();
    bindPreviewDriver(qobject_cast<PreviewSurface*>(picPreview_));
    connectHandlers();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildWindow() {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QString::fromLatin1(kAppTitle));
    setWindowIcon(QIcon(artwork::ProgramIcon(32)));
    setFont(WindowFont());
    resize(twips(6345), twips(6705));

    cmdBrowse_ = Button<QPushButton>(this, "cmdBrowse", QStringLiteral("Load Settings from bmp"),
                                     twipsRect(75, 6210, 2625, 450));
    btnExit_ = Button<QPushButton>(this, "btnExit", QStringLiteral("Exit"), twipsRect(5040, 6210, 1207, 442));
    tabCtl_ = PlainFrame(this, "TabCtl1", twipsRect(75, 75, 6175, 6000));

    struct TabDesign {
        int index;
        const char* caption;
        int left, top, width, height;
    };
    const TabDesign tabs[] = {{0, "&Calculate", 85, 20, 1207, 440},
                              {3, "&Preview", 1275, 50, 1200, 405},
                              {2, "TMEM &Map", 2482, 50, 1207, 400},
                              {1, "&About", 3688, 50, 1207, 400}};
    for (const TabDesign& t : tabs) {
        auto* b = new QPushButton(QString::fromLatin1(t.caption), tabCtl_);
        b->setObjectName(Indexed("TabButtons", t.index));
        b->setGeometry(twipsRect(t.left, t.top, t.width, t.height));
        b->setProperty("Tag", QString());
        tabButtons_[t.index] = b;
    }
    tabButtons_[3]->setEnabled(false);

    bg_ = new QPushButton(tabCtl_);
    bg_->setObjectName(QStringLiteral("BG"));
    bg_->setGeometry(twipsRect(20, 340, 6100, 5655));
    bg_->setEnabled(false);
    bg_->setFocusPolicy(Qt::NoFocus);

    tabContents_[0] = PlainFrame(tabCtl_, "TabContents(0)", twipsRect(75, 380, 5934, 5600));
    tabContents_[3] = PlainFrame(tabCtl_, "TabContents(3)", twipsRect(83, 380, 5934, 5600));
    tabContents_[2] = PlainFrame(tabCtl_, "TabContents(2)", twipsRect(83, 380, 5934, 5600));
    tabContents_[1] = PlainFrame(tabCtl_, "TabContents(1)", twipsRect(83, 380, 5934, 5600));

    buildCalculatorPage(tabContents_[0]);
    buildPreviewPage(tabContents_[3]);
    buildAboutPage(tabContents_[1]);

    // The TMEM map fills its page; the view lays out its own cells.
    tmemMap_ = new TmemMapView(tabContents_[2]);
    tmemMap_->setObjectName(QStringLiteral("TmemMapView"));
    tmemMap_->setGeometry(0, 0, tabContents_[2]->width(), tabContents_[2]->height());

    // Design look: the calculator page in front with its button raised, but
    // no tab marked as chosen until the user clicks one.
    applyTabLook(0);
}

void MainWindow::buildCalculatorPage(QWidget* page) {
    auto* fillBarBG = Group(page, "FillBarBG", QString(), twipsRect(90, 170, 4246, 550));
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

    lblExcede_ = Label(page, "lblExcede", QStringLiteral("lblExcede by ########"), 4410, 90, 1455, 780,
                       Qt::AlignCenter);
    lblExcede_->setFrameShape(QFrame::Box);
    lblExcede_->setWordWrap(true);
    // The result wraps inside its design box instead of growing past the page.
    lblExcede_->setGeometry(twipsRect(4410, 90, 1455, 780));
    lblExcede_->setAutoFillBackground(true);
    {
        QPalette p = lblExcede_->palette();
        p.setColor(QPalette::Window, QColor(255, 0, 0));
        p.setColor(QPalette::WindowText, QColor(255, 255, 255));
        lblExcede_->setPalette(p);
    }

    auto* grpFormat = Group(page, "grpFormat", QStringLiteral("Format"), twipsRect(90, 900, 2490, 1275));
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

    auto* frame1 = Group(page, "Frame1", QStringLiteral("Dimensions"), twipsRect(2610, 900, 3255, 1275));
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
        Group(page, "fraMultiTile", QStringLiteral("Multi-Tile"), twipsRect(90, 2250, 5775, 3255));
    txtLevels_ = TextBox(fraMultiTile, "txtLevels", QStringLiteral("8"), twipsRect(270, 270, 315, 285));
    txtLevels_->setEnabled(false);
    txtLevels_->setMaxLength(1);
    lblLevels_ = Label(fraMultiTile, "lblLevels", QStringLiteral("Automatic Levels Calculated"), 720, 270);
    lblLevels_->move(lblLevels_->x(), txtLevels_->y() + (txtLevels_->height() - lblLevels_->height()) / 2);

    auto* frmLevels =
        Group(page, "FrmLevels", QStringLiteral("Mip-Map Levels"), twipsRect(270, 2880, 5385, 1125));
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
    // The check box caption may be wider than its Tahoma design: keep the
    // theme button clear of it.
    if (chkLevels_->geometry().right() >= picture1_->x())
        picture1_->move(chkLevels_->geometry().right() + 4, picture1_->y());
    manMipMap_ = Button<WrapButton>(frmLevels, "ManMipMap", QStringLiteral("Manually &Define Mip-Map Tiles"),
                                    twipsRect(3600, 180, 1717, 612));
    manMipMap_->setEnabled(false);

    auto* fraDetailMap =
        Group(page, "fraDetailMap", QStringLiteral("Detail Map"), twipsRect(270, 4050, 5415, 1365));
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

void MainWindow::buildPreviewPage(QWidget* page) {
    chkUse2x2_ = Button<QCheckBox>(page, "chkUse2x2", QStringLiteral("Generate Orrin style Mip-Maps?"),
                                   twipsRect(180, 90, 5235, 195));
    FitWidth(chkUse2x2_);

    // The surface the passes draw on. Made before the bars and labels, so a
    // surface larger than its viewport during a pass stays under them.
    picPreview_ = new PreviewSurface(page);
    picPreview_->setGeometry(twipsRect(2790, 2160, 240, 240));
    PinPalette(picPreview_);

    iconZoom_ = new PictureBox(page);
    iconZoom_->setObjectName(QStringLiteral("IconZoom"));
    iconZoom_->setGeometry(twipsRect(5580, 90, 240, 240));
    iconZoom_->setPicture(artwork::MagnifierIcon());
    PinPalette(iconZoom_);
    lblneg_ = Label(page, "lblneg", QStringLiteral("-"), 5580, 360, 195, 195, Qt::AlignCenter);
    lblpluss_ = Label(page, "lblpluss", QStringLiteral("+"), 5580, 4180, 165, 360, Qt::AlignCenter);

    sliderZoom_ = new QScrollBar(Qt::Vertical, page);
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

    sliderTile_ = new QScrollBar(Qt::Horizontal, page);
    sliderTile_->setObjectName(QStringLiteral("sliderTile"));
    sliderTile_->setGeometry(twipsRect(180, 4500, 5595, 195));
    sliderTile_->setRange(0, 70);
    sliderTile_->setSingleStep(1);
    sliderTile_->setPageStep(10);
    sliderTile_->setValue(0);
    sliderTile_->setEnabled(false);
    PinPalette(sliderTile_);

    lblTSMin_ = Label(page, "lblTSMin", QStringLiteral("MIN"), 180, 4680, 300, 195);
    lblTSTile_ = Label(page, "lblTSTile", QStringLiteral("Tile = 0"), 2610, 4680, 525, 195);
    lblTSMax_ = Label(page, "lblTSMax", QStringLiteral("MAX"), 5400, 4680, 345, 195);
    // Wider fallback captions grow to the left so MAX stays at the bar's end.
    lblTSMax_->move(twips(5400 + 345) - lblTSMax_->width(), lblTSMax_->y());

    fraDetailProps_ = Group(page, "fraDetailProps", QStringLiteral("Detail Map Properties"),
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

void MainWindow::buildAboutPage(QWidget* page) {
    auto* logo = new PictureBox(page);
    logo->setObjectName(QStringLiteral("Picture2"));
    logo->setGeometry(twipsRect(2210, 0, 1440, 960));
    logo->setPicture(artwork::Logo());
    PinPalette(logo);
    Label(page, "lblDevelopedBy", QStringLiteral("Written for texture artists of the Nintendo 64"), 90, 1080,
          5775, 195, Qt::AlignCenter);
    lblVersion_ = Label(page, "lblVersion", QStringLiteral("Version:"), 90, 1350, 5790, 195, Qt::AlignCenter);
    txtAbout_ = new QPlainTextEdit(page);
    txtAbout_->setObjectName(QStringLiteral("txtAbout"));
    txtAbout_->setGeometry(twipsRect(85, 1650, 5805, 3585));
    txtAbout_->setReadOnly(true);
    txtAbout_->setFocusPolicy(Qt::NoFocus);
    txtAbout_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtAbout_->setPlainText(AboutText().replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    PinPalette(txtAbout_);
}

void MainWindow::connectHandlers() {
    connect(cmdBrowse_, &QPushButton::clicked, this, &MainWindow::browse);
    connect(btnExit_, &QPushButton::clicked, this, [this] {
        if (exitHandler_)
            exitHandler_();
    });
    for (int i = 0; i < 4; ++i)
        connect(tabButtons_[i], &QPushButton::clicked, this, [this, i] { selectTab(i); });
    connect(picture1_, &PictureBox::clicked, this, &MainWindow::nextTheme);

    const std::array<QLineEdit*, 4> dims{txtWidth_, txtHeight_, txtDWidth_, txtDHeight_};
    for (int i = 0; i < 4; ++i)
        connect(dims[i], &QLineEdit::textChanged, this,
                [this, box = dims[i], i] { onDimensionChanged(box, i); });
    connect(txtLevels_, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (text.isEmpty())
            return;
        if (auto fixed = ApplyLevelsRule(text.toStdString()))
            txtLevels_->setText(QString::fromStdString(*fixed));
        recalculate();
    });
    for (QRadioButton* b : chkBitDepth_)
        connect(b, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                recalculate();
        });
    for (QRadioButton* b : optDBit_)
        connect(b, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                recalculate();
        });
    for (QRadioButton* b : {chklevelsH_, chklevelsW_})
        connect(b, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                recalculate();
        });
    connect(chkLevels_, &QCheckBox::toggled, this, [this] {
        recalculate();
        applyLevelControls(true);
    });
    connect(manMipMap_, &QPushButton::clicked, this, [this] { recalculate(true); });
    connect(chkDetailEnabled_, &QCheckBox::toggled, this, &MainWindow::onDetailToggled);
    connect(cmdWidthHelp_, &QPushButton::clicked, this,
            [this] { dialogs_.messageBox(QString::fromStdString(kWidthHelp), MsgStyle::Ok, QString(), 0); });
    connect(cmdHeightHelp_, &QPushButton::clicked, this,
            [this] { dialogs_.messageBox(QString::fromStdString(kHeightHelp), MsgStyle::Ok, QString(), 0); });

    connect(txtShift_, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (text.isEmpty())
            return;
        if (auto fixed = ApplyShiftRule(text.toStdString()))
            txtShift_->setText(QString::fromStdString(*fixed));
        drawPreview(static_cast<float>(sliderTile_->value() / 10.0));
    });
    connect(txtLODFrac_, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (text.isEmpty())
            return;
        if (auto fixed = ApplyLODFracRule(text.toStdString()))
            txtLODFrac_->setText(QString::fromStdString(*fixed));
        drawPreview(static_cast<float>(sliderTile_->value() / 10.0));
    });
    connect(chkUse2x2_, &QCheckBox::toggled, this, &MainWindow::onUse2x2Toggled);
    connect(sliderTile_, &QScrollBar::valueChanged, this, &MainWindow::onTileSliderChanged);
    connect(sliderZoom_, &QScrollBar::valueChanged, this, [this] {
        if (!recalculating_)
            drawPreview(static_cast<float>(sliderTile_->value() / 10.0));
    });
}

void MainWindow::startUp() {
    startUp(static_cast<std::uint32_t>(QDateTime::currentSecsSinceEpoch()));
}

void MainWindow::startUp(std::uint32_t pictureSeed) {
    lblVersion_->setText(QStringLiteral("Version: %1").arg(QLatin1String(kVersionText)));
    state_.levelWarned = false;
    recalculating_ = true;
    state_.noAutoTiles = false;
    initDefaults(pictureSeed);
    recalculating_ = false;
    recalculate(false);

    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    show();

    Splash splash;
    splash.showAndPaint();
    QApplication::processEvents();
    drawPreview(0.0f);
    splash.close();
}

void MainWindow::initDefaults(std::uint32_t pictureSeed) {
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

    MakeStartupPictures(state_.tiles, pictureSeed);
    tabButtons_[3]->setEnabled(true);
    sliderTile_->setEnabled(true);
    sliderZoom_->setEnabled(true);
    state_.bitmapLoaded = true;
}

Settings MainWindow::currentSettings() const {
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

void MainWindow::recalculate(bool askTileSizes) {
    if (recalculating_)
        return;
    recalculating_ = true;
    CalcHooks hooks;
    hooks.askTile = [this](const std::string& prompt, const std::string& title) {
        return dialogs_.inputBox(QString::fromStdString(prompt), QString::fromStdString(title)).toStdString();
    };
    const MipFilter filter = chkUse2x2_->isChecked() ? MipFilter::Box2x2 : MipFilter::Weighted3x3;
    hooks.regenerate = [filter](TileTable& tiles, int lastLevel, int detailFlag) {
        GeneratebmpMipMap(tiles, lastLevel, detailFlag, filter);
    };
    CountResult r = CalcTMEM(currentSettings(), state_, askTileSizes, hooks);
    for (const std::string& message : r.messages)
        dialogs_.messageBox(QString::fromStdString(message), MsgStyle::Ok, QString(), 0);
    applyResult(r);
    last_ = std::move(r);
    recalculating_ = false;
}

void MainWindow::applyResult(const CountResult& r) {
    for (int i = 0; i < kFormatCount; ++i)
        optDBit_[i]->setEnabled(r.detailOptionsEnabled[i]);
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
        sliderTile_->setMaximum(r.sliderTileMax);
        if (r.levelsBox)
            SetBoxBack(txtLevels_, PaintColour(*r.levelsBox));
        txtLevels_->setText(QString::number(r.count.maxIndex));
    }

    tmemMap_->setMap(r.count.tmemMap);

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

void MainWindow::applyLevelControls(bool includeStopRules) {
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

void MainWindow::updateDetailOptions() {
    const auto enabled = DetailOptionsEnabled(chkDetailEnabled_->isChecked(), last_.count.baseIsCI);
    for (int i = 0; i < kFormatCount; ++i)
        optDBit_[i]->setEnabled(enabled[i]);
}

void MainWindow::onDetailToggled() {
    const bool ticked = chkDetailEnabled_->isChecked();
    fraDetailProps_->setVisible(ticked);
    bool undo = false;
    if (state_.bitmapLoaded && !recalculating_) {
        const int answer =
            dialogs_.messageBox(QString::fromStdString(kDetailToggleQuestion),
                                MsgStyle::YesNo | MsgStyle::Question, QString::fromLatin1(kWarningTitle), 0);
        if (answer == MsgResult::Yes) {
            state_.bitmapLoaded = false;
            ResetPictures(state_.tiles);
            sliderTile_->setEnabled(false);
            sliderZoom_->setEnabled(false);
            txtWidth_->setEnabled(true);
            txtHeight_->setEnabled(true);
            clearPreview();
        } else {
            undo = true;
        }
    }
    if (!undo && !recalculating_) {
        recalculate(false);
        applyLevelControls(false);
        txtDWidth_->setEnabled(ticked);
        txtDHeight_->setEnabled(ticked);
        updateDetailOptions();
        return;
    }
    // Put the box back without a count. The guard is restored to what it
    // was, so a caller that holds it (a load in progress) keeps it.
    const bool wasRecalculating = recalculating_;
    recalculating_ = true;
    if (undo)
        chkDetailEnabled_->setChecked(!ticked);
    recalculating_ = wasRecalculating;
}

void MainWindow::onUse2x2Toggled() {
    if (!state_.bitmapLoaded)
        return;
    // Regenerating replaces level pictures a running pass is reading.
    if (deferWhileDrawing(&MainWindow::onUse2x2Toggled))
        return;
    // The level box holds the last level counted; an empty or stray text
    // falls back to the count's own answer so the generator never reaches
    // past the records in use.
    int last = last_.count.maxIndex;
    if (auto v = NumericValue(txtLevels_->text().toStdString()))
        last = std::clamp(static_cast<int>(std::floor(*v)), 0, last_.count.maxIndex);
    const MipFilter filter = chkUse2x2_->isChecked() ? MipFilter::Box2x2 : MipFilter::Weighted3x3;
    GeneratebmpMipMap(state_.tiles, last, chkDetailEnabled_->isChecked() ? 1 : 0, filter);
    drawPreview(static_cast<float>(sliderTile_->value() / 10.0));
}

void MainWindow::onTileSliderChanged(int value) {
    const double position = value / 10.0;
    lblTSTile_->setText(QStringLiteral("Tile = ") +
                        QLocale().toString(position, 'g', QLocale::FloatingPointShortest));
    fitTileLabel();
    drawPreview(static_cast<float>(position));
}

void MainWindow::onDimensionChanged(QLineEdit* box, int rule) {
    const QString text = box->text();
    if (text.isEmpty())
        return;
    if (auto fixed = ApplyDimensionRule(text.toStdString(), kRules[rule]))
        box->setText(QString::fromStdString(*fixed));
    recalculate();
}

void MainWindow::drawPreview(float tilePos) {
    if (previewDrawer_)
        previewDrawer_(tilePos);
    else if (driver_)
        driver_->Drawbmp(tilePos);
}

void MainWindow::clearPreview() {
    if (PreviewSurface* surface = previewSurface())
        surface->clearSurface();
    if (previewClearer_)
        previewClearer_();
    picPreview_->update();
}

PreviewSurface* MainWindow::previewSurface() const {
    return qobject_cast<PreviewSurface*>(picPreview_);
}

QSize MainWindow::previewViewport() const {
    // Measured from where a pass puts the surface, not from where it is now:
    // the first pass moves it there from its design place.
    return QSize(std::max(0, sliderZoom_->x() - twips(kSurfaceLeftTwips)),
                 std::max(0, sliderTile_->y() - twips(kSurfaceTopTwips)));
}

void MainWindow::bindPreviewDriver(PreviewSurface* surface) {
    driver_.reset();
    if (!surface)
        return;
    PreviewSources sources;
    sources.detailFlag = [this] { return chkDetailEnabled_->isChecked() ? 1 : 0; };
    sources.shiftText = [this] { return txtShift_->text(); };
    sources.lodFracText = [this] { return txtLODFrac_->text(); };
    sources.viewportPixels = [this] { return previewViewport(); };
    driver_ =
        std::make_unique<PreviewDriver>(PreviewFlags{recalculating_, redrawPending_, state_.bitmapLoaded},
                                        state_.tiles, std::move(sources), sliderZoom_, surface, dialogs_);
    connect(surface, &PreviewSurface::surfaceSizeChanged, this, &MainWindow::onSurfaceSized);
}

void MainWindow::onSurfaceSized(QSize size) {
    // A pass places the surface before it draws; a resize only fits it.
    if (driver_ && driver_->isDrawing())
        picPreview_->move(twips(kSurfaceLeftTwips), twips(kSurfaceTopTwips));
    picPreview_->resize(size);
}

bool MainWindow::deferWhileDrawing(void (MainWindow::*handler)()) {
    if (!driver_ || !driver_->isDrawing())
        return false;
    // Clicked inside a pass's checkpoint: the pass still reads the level
    // table, so nothing may replace the pictures under it. Stop the pass and
    // run the click once it has unwound.
    redrawPending_ = true;
    QTimer::singleShot(0, this, handler);
    return true;
}

void MainWindow::replacePreviewBox(QWidget* surface) {
    if (!surface || surface == picPreview_)
        return;
    // A pass on the stack still uses the surface and its driver.
    if (driver_ && driver_->isDrawing())
        return;
    QWidget* old = picPreview_;
    surface->setParent(old->parentWidget());
    surface->setGeometry(old->geometry());
    surface->setObjectName(QStringLiteral("picPreview"));
    // Keep its place in the stacking order: under the scroll bars and labels.
    surface->stackUnder(old);
    surface->setVisible(!old->isHidden());
    picPreview_ = surface;
    // The driver draws on the old surface: it goes with it.
    bindPreviewDriver(qobject_cast<PreviewSurface*>(surface));
    delete old;
}

void MainWindow::fitTileLabel() {
    // The design box holds "Tile = 0"; a position such as 2.5 needs more,
    // and there is room up to the MAX label.
    const int wanted = lblTSTile_->sizeHint().width();
    if (wanted > lblTSTile_->width())
        lblTSTile_->resize(wanted, lblTSTile_->height());
}

QLineEdit* MainWindow::sizeBox(SizeBox box) const {
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

void MainWindow::setSizeText(SizeBox box, const QString& text) {
    sizeBox(box)->setText(text);
}
void MainWindow::setSizeEnabled(SizeBox box, bool enabled) {
    sizeBox(box)->setEnabled(enabled);
}

void MainWindow::selectBaseFormat(Format format) {
    chkBitDepth_[static_cast<std::size_t>(FormatIndex(format))]->setChecked(true);
}

bool MainWindow::detailEnabled() const {
    return chkDetailEnabled_->isChecked();
}
void MainWindow::setDetailEnabled(bool on) {
    chkDetailEnabled_->setChecked(on);
}
void MainWindow::setPreviewTabEnabled(bool enabled) {
    tabButtons_[3]->setEnabled(enabled);
}
void MainWindow::setSliderTileEnabled(bool enabled) {
    sliderTile_->setEnabled(enabled);
}
void MainWindow::setSliderTileValue(int value) {
    sliderTile_->setValue(value);
}
void MainWindow::setSliderZoomEnabled(bool enabled) {
    sliderZoom_->setEnabled(enabled);
}

void MainWindow::browse() {
    if (deferWhileDrawing(&MainWindow::browse))
        return;
    if (browseHandler_)
        browseHandler_();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        const std::array<QLineEdit*, 4> dims{txtWidth_, txtHeight_, txtDWidth_, txtDHeight_};
        for (int i = 0; i < 4; ++i) {
            if (watched == dims[i] && dims[i]->text().isEmpty())
                dims[i]->setText(QString(kRules[i].fallback.data()));
        }
        if (watched == txtLevels_ && txtLevels_->text().isEmpty())
            txtLevels_->setText(
                QString::fromLatin1(kLevelsFocusFallback.data(), kLevelsFocusFallback.size()));
    }
    return QWidget::eventFilter(watched, event);
}

// ---- tabs and themes ----

void MainWindow::applyTabLook(int index) {
    for (QPushButton* b : tabButtons_) {
        b->raise();
        b->setGeometry(b->x(), twips(50), b->width(), twips(400));
        b->setProperty("Tag", QString());
    }
    bg_->raise();
    for (QFrame* page : tabContents_) {
        page->raise();
        page->hide();
    }
    QPushButton* chosen = tabButtons_[index];
    chosen->setGeometry(chosen->x(), twips(20), chosen->width(), twips(440));
    chosen->raise();
    tabContents_[index]->show();
    tabContents_[index]->raise();
    if (isWideLayout() && index == 0)
        tabContents_[2]->show();
}

void MainWindow::selectTab(int index) {
    if (index < 0 || index >= 4)
        return;
    applyTabLook(index);
    tabButtons_[index]->setProperty("Tag", QStringLiteral("1"));
}

QColor MainWindow::themeBackground() const {
    return palette().color(QPalette::Window);
}
QColor MainWindow::themeText() const {
    return chkLevels_->palette().color(QPalette::WindowText);
}

void MainWindow::nextTheme() {
    ++themeIndex_;
    const QPalette system = QApplication::palette();
    const QColor windowText = system.color(QPalette::WindowText);
    QColor back;
    QColor text = windowText;
    switch (themeIndex_) {
    case 1:
        back = QColor(56, 56, 128);
        text = Qt::white;
        break;
    case 2:
        back = QColor(192, 0, 38);
        break;
    case 3:
        back = QColor(64, 162, 64);
        break;
    case 4:
        back = QColor(255, 171, 64);
        break;
    case 5:
        back = QColor(128, 128, 128);
        break;
    case 6:
        back = QColor(32, 32, 32);
        break;
    default:
        back = system.color(QPalette::Button);
        themeIndex_ = 0;
        break;
    }
    applyTheme(back, text);
}

void MainWindow::applyTheme(const QColor& back, const QColor& text) {
    SetBack(this, back);
    const auto children = findChildren<QWidget*>();
    for (QWidget* w : children) {
        if (w == lblExcede_)
            continue;
        if (qobject_cast<QPushButton*>(w)) {
            SetBack(w, back, false);
        } else if (qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w) ||
                   qobject_cast<QGroupBox*>(w) || w->property("themedFrame").toBool()) {
            SetBack(w, back);
            SetText(w, text);
        } else if (qobject_cast<QLabel*>(w)) {
            // Transparent labels take the colour but never paint it, so the
            // fill bar still shows through the percentage.
            const bool transparent = w->property("transparentLabel").toBool();
            SetBack(w, back, !transparent);
            if (!transparent)
                SetText(w, text);
        }
    }
}

// ---- resizing ----

int MainWindow::windowWidthTwips() const {
    return width() * kTwipsPerPixel + kFrameTwips;
}

void MainWindow::setWindowWidthTwips(int widthTwips) {
    const int px =
        static_cast<int>(std::lround((widthTwips - kFrameTwips) / static_cast<double>(kTwipsPerPixel)));
    if (px != width())
        resize(px, height());
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    onFormResize();
}

void MainWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // The window system reports maximizing as a state change that may come
    // without a size change; handle it once the state change has settled.
    if (event->type() == QEvent::WindowStateChange && isMaximized())
        QTimer::singleShot(0, this, [this] {
            if (isMaximized())
                onFormResize();
        });
}

void MainWindow::onFormResize() {
    anchors_.anchor(btnExit_, Anchor::Right | Anchor::Bottom);
    anchors_.anchor(cmdBrowse_, Anchor::Left | Anchor::Bottom);
    anchors_.anchor(tabCtl_, Anchor::Left | Anchor::Top | Anchor::Right | Anchor::Bottom);
    anchors_.anchor(bg_, Anchor::Left | Anchor::Top | Anchor::Right | Anchor::Bottom);
    anchors_.anchor(tabContents_[1], Anchor::Left | Anchor::Top | Anchor::Right | Anchor::Bottom);
    anchors_.anchor(tabContents_[3], Anchor::Left | Anchor::Top | Anchor::Right | Anchor::Bottom);
    anchors_.anchor(txtAbout_, Anchor::Left | Anchor::Top | Anchor::Right | Anchor::Bottom);
    anchors_.anchor(fraDetailProps_, Anchor::Left | Anchor::Right | Anchor::Bottom);
    anchors_.anchor(sliderZoom_, Anchor::Top | Anchor::Right | Anchor::Bottom);
    anchors_.anchor(iconZoom_, Anchor::Top | Anchor::Right);
    anchors_.anchor(lblneg_, Anchor::Top | Anchor::Right);
    anchors_.anchor(lblpluss_, Anchor::Right | Anchor::Bottom);
    anchors_.anchor(lblTSMax_, Anchor::Right | Anchor::Bottom);
    anchors_.anchor(lblTSMin_, Anchor::Left | Anchor::Bottom);
    anchors_.anchor(sliderTile_, Anchor::Left | Anchor::Right | Anchor::Bottom);
    anchors_.anchor(lblTSTile_, Anchor::Left | Anchor::Right | Anchor::Bottom);
    fitTileLabel();

    if (!resizeReady_) {
        // The first resize, when the window is first shown, only records the
        // design distances.
        resizeReady_ = true;
        return;
    }
    if (isMinimized())
        return;
    if (isMaximized()) {
        // The maximize button switches between the two layouts.
        resizeReady_ = false;
        setWindowState(windowState() & ~Qt::WindowMaximized);
        setWindowWidthTwips(wideToggle_ ? 6495 : kWideWidthTwips);
        wideToggle_ = !wideToggle_;
        resizeReady_ = true;
    }

    if (windowWidthTwips() <= kNarrowWidthTwips) {
        setWindowWidthTwips(kNarrowWidthTwips);
        tabButtons_[2]->setEnabled(true);
        tabContents_[2]->move(twips(75), tabContents_[2]->y());
    } else {
        setWindowWidthTwips(kWideWidthTwips);
        tabButtons_[2]->setEnabled(false);
        tabContents_[2]->move(twips(6500), tabContents_[2]->y());
        tabContents_[2]->show();
        tabContents_[2]->raise();
    }
    for (int i = 0; i < 4; ++i) {
        if (tabButtons_[i]->property("Tag").toString() == QLatin1String("1")) {
            selectTab(i);
            break;
        }
    }
    const QSize fitted(std::max(0, sliderZoom_->x() - picPreview_->x()),
                       std::max(0, sliderTile_->y() - picPreview_->y()));
    if (PreviewSurface* surface = previewSurface())
        surface->setSurfaceSize(fitted); // fitted without drawing
    picPreview_->resize(fitted);
}

} // namespace vellora
