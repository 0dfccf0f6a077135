// SPDX-License-Identifier: MIT
#include "ui/mainwindow.h"

#include "bitmap/mipmap.h"
#include "bitmap/startup.h"
#include "core/numeric.h"
#include "core/version.h"
#include "document/messages.h"
#include "reduce/reduce.h"
#include "ui/aboutpage.h"
#include "ui/artwork.h"
#include "ui/calculatorpage.h"
#include "ui/dialogs.h"
#include "ui/form.h"
#include "ui/loadsequence.h"
#include "ui/previewpage.h"
#include "ui/splash.h"
#include "ui/tabstrip.h"
#include "ui/themes.h"
#include "ui/tilesetuppage.h"
#include "ui/tmemmapview.h"
#include "ui/twips.h"
#include "ui/widgets.h"
#include "ui/windowexports.h"

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEvent>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <utility>

namespace vellora {

MainWindow::MainWindow(Dialogs& dialogs, QWidget* parent) : QWidget(parent), dialogs_(dialogs) {
    exitHandler_ = [] { QCoreApplication::exit(0); };
    browseHandler_ = [this] { LoadSettingsFromBmp(*this, dialogs_); };

    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QString::fromLatin1(kAppTitle));
    setWindowIcon(QIcon(artwork::ProgramIcon(32)));
    setFont(WindowFont());
    resize(twips(6345), twips(6705));

    cmdBrowse_ = Button<QPushButton>(this, "cmdBrowse", QStringLiteral("Load Settings from bmp"),
                                     twipsRect(75, 6210, 2625, 450));
    btnExit_ = Button<QPushButton>(this, "btnExit", QStringLiteral("Exit"), twipsRect(5040, 6210, 1207, 442));
    tabs_ = new TabStrip(this);
    calculator_ = new CalculatorPage(tabs_);
    preview_ = new PreviewPage(tabs_, guard_, state_, dialogs_, [this] { return detailEnabled() ? 1 : 0; });
    // The TMEM map fills its page; the view lays out its own cells.
    auto* mapPage = PlainFrame(tabs_, "TabContents(2)", twipsRect(83, 380, 5934, 5600));
    tmemMap_ = new TmemMapView(mapPage);
    tmemMap_->setObjectName(QStringLiteral("TmemMapView"));
    tmemMap_->setGeometry(0, 0, mapPage->width(), mapPage->height());
    about_ = new AboutPage(tabs_);
    tileSetup_ = new TileSetupPage(tabs_, state_);
    tabs_->setPage(0, calculator_);
    tabs_->setPage(1, about_);
    tabs_->setPage(2, mapPage);
    tabs_->setPage(3, preview_);
    tabs_->setPage(4, tileSetup_);
    // A mark on the Tile Setup tab while the hardware and the count disagree.
    hardwareMarker_ = new QLabel(tabs_->button(4));
    hardwareMarker_->setObjectName(QStringLiteral("lblHardwareMarker"));
    hardwareMarker_->setGeometry(tabs_->button(4)->width() - twips(150), twips(45), twips(105), twips(105));
    hardwareMarker_->setStyleSheet(QStringLiteral("background: rgb(224, 0, 0); border-radius: 3px;"));
    hardwareMarker_->hide();
    themes_ = std::make_unique<Themes>(*this, calculator_->resultBox());
    layouts_ = std::make_unique<WindowLayouts>(*this, *tabs_, *preview_);
    tabs_->setWideTest([this] { return isWideLayout(); });
    // Design look: the calculator page in front with its button raised, but
    // no tab marked as chosen until the user clicks one.
    tabs_->showTab(0);
    exports_ = new WindowExports(*this, dialogs_, state_, last_, *preview_, *tmemMap_, *tileSetup_,
                                 [this] { return generatedWith(); });
    exports_->attachActions();
    setAcceptDrops(true);
    connect(tileSetup_, &TileSetupPage::layoutChanged, this, &MainWindow::showHardwareAgreement);
    connect(preview_, &PreviewPage::detailShiftChanged, tileSetup_, &TileSetupPage::setDetailShift);
    connect(tileSetup_, &TileSetupPage::exportRequested, this, &MainWindow::exportTexture);
    preview_->setShownTiles([this]() -> const TileTable* {
        if (!shownTiles_) {
            const reduce::ReducedTexture texture = reduce::ReduceTexture(
                state_.tiles, tileSetup_->layout().levels, state_.baseSource, state_.detailSource,
                {tileSetup_->exportChoice().dither, generatedWith(), true});
            shownTiles_ = reduce::ShownTable(state_.tiles, texture);
        }
        return &*shownTiles_;
    });
    connect(tileSetup_, &TileSetupPage::reductionChanged, this, [this] {
        shownTiles_.reset();
        QString kinds;
        for (const hw::Level& l : tileSetup_->layout().levels) {
            if (l.role == LevelRole::Base)
                kinds = QString::fromLatin1(KindName(l.kind)) + kinds;
            else if (l.role == LevelRole::Detail)
                kinds += QStringLiteral(", detail ") + QString::fromLatin1(KindName(l.kind));
        }
        preview_->setShownKinds(kinds);
        // A recalculation draws the preview itself once it is done.
        if (preview_->showFormat() && !counting_ && !guard_.held() && state_.bitmapLoaded)
            preview_->drawAtSlider();
    });

    connect(cmdBrowse_, &QPushButton::clicked, this, &MainWindow::browse);
    connect(btnExit_, &QPushButton::clicked, this, [this] {
        if (exitHandler_)
            exitHandler_();
    });
    connect(calculator_, &CalculatorPage::recalculateRequested, this,
            [this](bool askTileSizes) { recalculate(askTileSizes); });
    connect(calculator_, &CalculatorPage::detailToggled, this, &MainWindow::onDetailToggled);
    connect(calculator_, &CalculatorPage::themeClicked, this, &MainWindow::nextTheme);
    connect(calculator_, &CalculatorPage::helpRequested, this,
            [this](const QString& text) { dialogs_.messageBox(text, MsgStyle::Ok, QString(), 0); });
    connect(preview_, &PreviewPage::use2x2Toggled, this, &MainWindow::onUse2x2Toggled);
}

MainWindow::~MainWindow() = default;

void MainWindow::startUp() {
    startUp(static_cast<std::uint32_t>(QDateTime::currentSecsSinceEpoch()));
}

void MainWindow::startUp(std::uint32_t pictureSeed) {
    about_->setVersion(QLatin1String(kVersionText));
    state_.levelWarned = false;
    state_.noAutoTiles = false;
    {
        // The defaults raise the controls' events; none of them may count.
        RecalcGuard::Hold quiet = guard_.hold();
        initDefaults(pictureSeed);
    }
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
    calculator_->setDefaults();
    MakeStartupPictures(state_.tiles, pictureSeed);
    tabs_->button(3)->setEnabled(true);
    preview_->setTileBarEnabled(true);
    preview_->setZoomBarEnabled(true);
    state_.bitmapLoaded = true;
}

Settings MainWindow::currentSettings() const {
    return calculator_->settings();
}

void MainWindow::recalculate(bool askTileSizes) {
    if (guard_.held())
        return;
    RecalcGuard::Hold counting = guard_.hold();
    CalcHooks hooks;
    hooks.askTile = [this](const std::string& prompt, const std::string& title) {
        return dialogs_.inputBox(QString::fromStdString(prompt), QString::fromStdString(title)).toStdString();
    };
    const MipFilter filter = preview_->use2x2() ? MipFilter::Box2x2 : MipFilter::Weighted3x3;
    hooks.regenerate = [filter](TileTable& tiles, int lastLevel, int detailFlag) {
        GeneratebmpMipMap(tiles, lastLevel, detailFlag, filter);
    };
    ++recalculations_;
    CountResult r = CalcTMEM(currentSettings(), state_, askTileSizes, hooks);
    for (const std::string& message : r.messages)
        dialogs_.messageBox(QString::fromStdString(message), MsgStyle::Ok, QString(), 0);
    calculator_->showResult(r);
    if (r.levelsTextWritten)
        preview_->setTileBarMaximum(r.sliderTileMax);
    tmemMap_->setMap(r.count.tmemMap);
    last_ = std::move(r);
    const Settings settings = currentSettings();
    shownTiles_.reset();
    counting_ = true;
    tileSetup_->showCount(
        last_.count, SpecFromSettings(settings, state_.tiles), settings.baseFormat.value_or(Format::Bits4),
        settings.detailEnabled ? std::optional<Format>(settings.detailFormat.value_or(Format::Bits4))
                               : std::nullopt,
        preview_->detailShift());
    counting_ = false;
}

std::optional<MipFilter> MainWindow::generatedWith() const {
    if (state_.noAutoTiles)
        return std::nullopt;
    return preview_->use2x2() ? MipFilter::Box2x2 : MipFilter::Weighted3x3;
}

void MainWindow::showHardwareAgreement() {
    const hw::Layout& layout = tileSetup_->layout();
    const bool counted = !last_.count.exceeds();
    QString note;
    if (counted && !layout.fits)
        note = QStringLiteral("The hardware cannot load this texture: ") +
               QString::fromStdString(*layout.reason) + QStringLiteral(". See Tile Setup.");
    else if (!counted && layout.fits)
        note = QStringLiteral("The hardware can load this texture as the Tile Setup page lays it out.");
    const bool disagree = !note.isEmpty();
    // Where it does not fit, the result box says what would make it fit.
    if (const QString ways = tileSetup_->suggestionText(); !ways.isEmpty())
        note = note.isEmpty() ? ways : note + QStringLiteral("\n\n") + ways;
    if (auto* result = findChild<QLabel*>(QStringLiteral("lblExcede")))
        result->setToolTip(note);
    tabs_->button(4)->setToolTip(disagree ? note : QString());
    hardwareMarker_->setVisible(disagree);
}

void MainWindow::onDetailToggled() {
    const bool ticked = calculator_->detailEnabled();
    preview_->setDetailPropertiesVisible(ticked);
    bool undo = false;
    if (state_.bitmapLoaded && !guard_.held()) {
        const int answer =
            dialogs_.messageBox(QString::fromStdString(kDetailToggleQuestion),
                                MsgStyle::YesNo | MsgStyle::Question, QString::fromLatin1(kWarningTitle), 0);
        if (answer == MsgResult::Yes) {
            state_.bitmapLoaded = false;
            ResetPictures(state_.tiles);
            preview_->setTileBarEnabled(false);
            preview_->setZoomBarEnabled(false);
            calculator_->setSizeEnabled(SizeBox::Width, true);
            calculator_->setSizeEnabled(SizeBox::Height, true);
            clearPreview();
        } else {
            undo = true;
        }
    }
    if (!undo && !guard_.held()) {
        recalculate(false);
        calculator_->applyLevelControls(false);
        calculator_->setSizeEnabled(SizeBox::DetailWidth, ticked);
        calculator_->setSizeEnabled(SizeBox::DetailHeight, ticked);
        calculator_->enableDetailOptions(last_.count.baseIsCI);
        return;
    }
    // Put the box back without a count. The guard is given back as it was,
    // so a caller that holds it (a load in progress) keeps it.
    RecalcGuard::Hold quiet = guard_.hold();
    if (undo)
        calculator_->setDetailEnabled(!ticked);
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
    if (auto v = NumericValue(calculator_->levelsText().toStdString()))
        last = std::clamp(static_cast<int>(std::floor(*v)), 0, last_.count.maxIndex);
    const MipFilter filter = preview_->use2x2() ? MipFilter::Box2x2 : MipFilter::Weighted3x3;
    GeneratebmpMipMap(state_.tiles, last, detailEnabled() ? 1 : 0, filter);
    preview_->drawAtSlider();
}

bool MainWindow::deferWhileDrawing(void (MainWindow::*handler)()) {
    if (!preview_->isDrawing())
        return false;
    // Clicked inside a pass's checkpoint: the pass still reads the level
    // table, so nothing may replace the pictures under it. Stop the pass and
    // run the click once it has unwound.
    guard_.requestRedraw();
    QTimer::singleShot(0, this, handler);
    return true;
}

void MainWindow::browse() {
    if (deferWhileDrawing(&MainWindow::browse))
        return;
    if (browseHandler_)
        browseHandler_();
}

void MainWindow::savePreviewImage() {
    exports_->savePreviewImage();
}

void MainWindow::saveMapImage() {
    exports_->saveMapImage();
}

void MainWindow::exportLevels() {
    exports_->exportLevels();
}

void MainWindow::exportTexture() {
    exports_->exportTexture();
}

void MainWindow::dropFiles(const QList<QUrl>& urls) {
    const QString path =
        urls.size() == 1 && urls.front().isLocalFile() ? urls.front().toLocalFile() : QString();
    if (path.isEmpty() || !IsLoadablePictureName(path)) {
        dialogs_.messageBox(QStringLiteral("Drop one BMP or PNG file here to load it as the base texture."),
                            MsgStyle::Information, QString(), 0);
        return;
    }
    droppedFile_ = path;
    // The load asks its questions in modal dialogs, which must not run
    // inside the drop itself.
    QTimer::singleShot(0, this, &MainWindow::loadDropped);
}

void MainWindow::loadDropped() {
    if (droppedFile_.isEmpty() || deferWhileDrawing(&MainWindow::loadDropped))
        return;
    const QString path = std::exchange(droppedFile_, QString());
    LoadSettingsFromBmp(*this, dialogs_, path);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    event->acceptProposedAction();
    dropFiles(event->mimeData()->urls());
}

void MainWindow::drawPreview(float tilePos) {
    preview_->draw(tilePos);
}

void MainWindow::clearPreview() {
    preview_->clear();
}

void MainWindow::setPreviewDrawer(std::function<void(float)> drawer) {
    preview_->setDrawer(std::move(drawer));
}

void MainWindow::setPreviewClearer(std::function<void()> clearer) {
    preview_->setClearer(std::move(clearer));
}

QWidget* MainWindow::previewBox() const {
    return preview_->surfaceBox();
}

PreviewSurface* MainWindow::previewSurface() const {
    return preview_->surface();
}

PreviewDriver* MainWindow::previewDriver() const {
    return preview_->driver();
}

QSize MainWindow::previewViewport() const {
    return preview_->viewport();
}

void MainWindow::replacePreviewBox(QWidget* surface) {
    preview_->replaceSurface(surface);
    QWidget* box = preview_->surfaceBox();
    box->addAction(exports_->savePreviewAction());
    box->addAction(exports_->exportLevelsAction());
    box->setContextMenuPolicy(Qt::ActionsContextMenu);
}

void MainWindow::setSizeText(SizeBox box, const QString& text) {
    calculator_->setSizeText(box, text);
}

void MainWindow::setSizeEnabled(SizeBox box, bool enabled) {
    calculator_->setSizeEnabled(box, enabled);
}

void MainWindow::selectBaseFormat(Format format) {
    calculator_->selectBaseFormat(format);
}

void MainWindow::selectDetailFormat(Format format) {
    calculator_->selectDetailFormat(format);
}

bool MainWindow::detailEnabled() const {
    return calculator_->detailEnabled();
}

void MainWindow::setDetailEnabled(bool on) {
    calculator_->setDetailEnabled(on);
}

void MainWindow::setPreviewTabEnabled(bool enabled) {
    tabs_->button(3)->setEnabled(enabled);
}

void MainWindow::setSliderTileEnabled(bool enabled) {
    preview_->setTileBarEnabled(enabled);
}

void MainWindow::setSliderTileValue(int value) {
    preview_->setTileBarValue(value);
}

void MainWindow::setSliderZoomEnabled(bool enabled) {
    preview_->setZoomBarEnabled(enabled);
}

void MainWindow::selectTab(int index) {
    tabs_->select(index);
}

void MainWindow::nextTheme() {
    themes_->next();
}

int MainWindow::themeIndex() const {
    return themes_->index();
}

QColor MainWindow::themeBackground() const {
    return palette().color(QPalette::Window);
}

QColor MainWindow::themeText() const {
    return calculator_->themeText();
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layouts_->onResize(event->size());
}

void MainWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // The window system reports maximizing as a state change that may come
    // without a size change; handle it once the state change has settled.
    if (event->type() == QEvent::WindowStateChange)
        QTimer::singleShot(0, this, [this] { layouts_->onStateChange(); });
}

} // namespace vellora
