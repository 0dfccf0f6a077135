// SPDX-License-Identifier: MIT
#include "ui/mainwindow.h"

#include "bitmap/startup.h"
#include "core/version.h"
#include "ui/aboutpage.h"
#include "ui/artwork.h"
#include "ui/calculatorpage.h"
#include "ui/dialogs.h"
#include "ui/form.h"
#include "ui/loadsequence.h"
#include "ui/pictureopener.h"
#include "ui/previewpage.h"
#include "ui/splash.h"
#include "ui/tabstrip.h"
#include "ui/texturedocument.h"
#include "ui/themes.h"
#include "ui/tilesetuppage.h"
#include "ui/tmemmapview.h"
#include "ui/tooltips.h"
#include "ui/twips.h"
#include "ui/widgets.h"
#include "ui/windowexports.h"
#include "ui/windowkeys.h"

#include <QApplication>
#include <QDateTime>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QTimer>
#include <QUrl>

#include <utility>

namespace vellora {

MainWindow::MainWindow(Dialogs& dialogs, QWidget* parent) : QWidget(parent), dialogs_(dialogs) {
    exitHandler_ = [] { QCoreApplication::exit(0); };
    browseHandler_ = [this] {
        // The guided load replaces the picture: no file stays open in one step.
        if (LoadSettingsFromBmp(*loadHost_, dialogs_) != LoadOutcome::Declined)
            opener_->forget();
    };

    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QString::fromLatin1(kAppTitle));
    setWindowIcon(QIcon(artwork::ProgramIcon(32)));
    setFont(WindowFont());
    resize(twips(6345), twips(6705));

    document_ = new TextureDocument(dialogs_, this);
    cmdBrowse_ = Button<QPushButton>(this, "cmdBrowse", QStringLiteral("Load Settings from bmp"),
                                     twipsRect(75, 6210, 2625, 450));
    btnExit_ = Button<QPushButton>(this, "btnExit", QStringLiteral("Exit"), twipsRect(5040, 6210, 1207, 442));
    tabs_ = new TabStrip(this);
    calculator_ = new CalculatorPage(tabs_, *document_, dialogs_);
    preview_ = new PreviewPage(tabs_, *document_, dialogs_);
    // The TMEM map fills its page; the view lays out its own cells.
    auto* mapPage = PlainFrame(tabs_, "TabContents(2)", twipsRect(83, 380, 5934, 5600));
    tmemMap_ = new TmemMapView(mapPage);
    tmemMap_->setObjectName(QStringLiteral("TmemMapView"));
    tmemMap_->setGeometry(0, 0, mapPage->width(), mapPage->height());
    about_ = new AboutPage(tabs_);
    tileSetup_ = new TileSetupPage(tabs_, *document_, dialogs_);
    tabs_->setPage(0, calculator_);
    tabs_->setPage(1, about_);
    tabs_->setPage(2, mapPage);
    tabs_->setPage(3, preview_);
    tabs_->setPage(4, tileSetup_);
    ExplainControls(*this);
    tabs_->setAlert(4, QString());
    themes_ = std::make_unique<Themes>(*this, calculator_->resultBox());
    layouts_ = std::make_unique<WindowLayouts>(*this, *tabs_, *preview_);
    tabs_->setWideTest([this] { return isWideLayout(); });
    // Design look: the calculator page in front with its button raised, but
    // no tab marked as chosen until the user clicks one.
    tabs_->showTab(0);
    loadHost_ = std::make_unique<PageLoadHost>(*this, *document_, *calculator_, *preview_, *tabs_);
    opener_ = new PictureOpener(*this, *loadHost_, dialogs_);
    opener_->addControls();
    InstallWindowKeys(*tabs_, *opener_, *tileSetup_, dialogs_);
    connect(opener_, &PictureOpener::openFileChanged, this, [this](const QString& path) {
        const QString app = QString::fromLatin1(kAppTitle);
        setWindowTitle(path.isEmpty() ? app : QFileInfo(path).fileName() + QStringLiteral(" \u2014 ") + app);
        document_->setSourceFile(QFile::encodeName(path).toStdString());
    });
    exports_ = new WindowExports(*this, dialogs_, *document_, *preview_, *tmemMap_, *tileSetup_);
    exports_->attachActions();
    setAcceptDrops(true);

    connect(document_, &TextureDocument::changed, this, [this](TextureDocument::Changes what) {
        if (what & TextureDocument::What::Numbers)
            ShowCountMap(*tmemMap_, document_->result().count);
    });
    connect(tileSetup_, &TileSetupPage::noteChanged, this, [this](const QString& note, const QString& alert) {
        calculator_->setResultNote(note);
        tabs_->setAlert(4, alert);
    });
    connect(tileSetup_, &TileSetupPage::exportRequested, exports_, &WindowExports::exportTexture);
    connect(calculator_, &CalculatorPage::detailToggled, preview_, &PreviewPage::setDetailPropertiesVisible);
    connect(calculator_, &CalculatorPage::themeClicked, this, &MainWindow::nextTheme);
    connect(calculator_, &CalculatorPage::hardwareLineClicked, this, [this] { selectTab(4); });
    connect(cmdBrowse_, &QPushButton::clicked, this, &MainWindow::browse);
    connect(btnExit_, &QPushButton::clicked, this, [this] {
        if (exitHandler_)
            exitHandler_();
    });
}

MainWindow::~MainWindow() = default;

void MainWindow::startUp() {
    startUp(static_cast<std::uint32_t>(QDateTime::currentSecsSinceEpoch()));
}

void MainWindow::startUp(std::uint32_t pictureSeed) {
    about_->setVersion(QLatin1String(kVersionText));
    CoreState& state = document_->state();
    state.levelWarned = false;
    state.noAutoTiles = false;
    {
        // The defaults raise the controls' events; none of them may count.
        RecalcGuard::Hold quiet = document_->guard().hold();
        calculator_->setDefaults();
        MakeStartupPictures(state.tiles, pictureSeed);
        tabs_->button(3)->setEnabled(true);
        preview_->setTileBarEnabled(true);
        preview_->setZoomBarEnabled(true);
        state.bitmapLoaded = true;
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

void MainWindow::recalculate(bool askTileSizes) {
    calculator_->recount(askTileSizes);
}

bool MainWindow::isRecalculating() const {
    return document_->guard().held();
}

void MainWindow::setRecalculating(bool on) {
    document_->guard().set(on);
}

Settings MainWindow::currentSettings() const {
    return calculator_->settings();
}

CoreState& MainWindow::coreState() {
    return document_->state();
}

const CountResult& MainWindow::lastResult() const {
    return document_->result();
}

int MainWindow::recalculations() const {
    return document_->recounts();
}

bool MainWindow::deferWhileDrawing(void (MainWindow::*handler)()) {
    if (!preview_->isDrawing())
        return false;
    // Clicked inside a pass's checkpoint: the pass still reads the level
    // table, so nothing may replace the pictures under it. Stop the pass and
    // run the click once it has unwound.
    document_->guard().requestRedraw();
    QTimer::singleShot(0, this, handler);
    return true;
}

void MainWindow::browse() {
    if (deferWhileDrawing(&MainWindow::browse))
        return;
    if (browseHandler_)
        browseHandler_();
}

void MainWindow::exportLevels() {
    exports_->exportLevels();
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
    opener_->open(std::exchange(droppedFile_, QString()));
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
