// SPDX-License-Identifier: MIT
#include "screenshots.h"

#include "dialogs.h"
#include "loadhost.h"
#include "loadsequence.h"
#include "mainwindow.h"
#include "splash.h"

#include "bitmap/bmpwriter.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QList>
#include <QPixmap>
#include <QTemporaryDir>

#include <cmath>
#include <cstdint>
#include <vector>

namespace vellora {

namespace {

// Answers the load's questions without showing anything: OK to the
// confirmation, No to the detail map, the one picture for every file, OK to
// the 24-bit note and Yes to generated tiles.
class AnsweringDialogs : public Dialogs {
  public:
    explicit AnsweringDialogs(QString file) : file_(std::move(file)) {}
    int messageBox(const QString&, int style, const QString&, int) override {
        if ((style & MsgStyle::YesNo) == MsgStyle::YesNo)
            return answeredDetail_++ == 0 ? MsgResult::No : MsgResult::Yes;
        return MsgResult::Ok;
    }
    QString inputBox(const QString&, const QString&) override { return QString(); }
    QString chooseFile(const FileRequest&) override { return file_; }
    QString chooseSaveFile(const FileRequest&) override { return QString(); }
    QString chooseFolder(const FileRequest&) override { return QString(); }

  private:
    QString file_;
    int answeredDetail_ = 0;
};

// A 24-bit picture of soft colour bands with a ring, so levels and their
// blends are easy to tell apart.
bool WriteSamplePicture(const QString& path, int width, int height) {
    PixelGrid grid(height, width);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double dx = x - width / 2.0, dy = (y - height / 2.0) * 2.0;
            const bool ring = std::abs(std::hypot(dx, dy) - height * 0.6) < 6.0;
            std::uint8_t* p = grid.at(y, x);
            p[0] = static_cast<std::uint8_t>(ring ? 255 : 40 + x * 200 / width);
            p[1] = static_cast<std::uint8_t>(ring ? 230 : 60 + y * 180 / height);
            p[2] = static_cast<std::uint8_t>(ring ? 40 : 220 - x * 150 / width);
        }
    }
    const std::vector<std::uint8_t> bytes = EncodeBmp24(grid);
    QFile file(path);
    return file.open(QIODevice::WriteOnly) &&
           file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size())) ==
               static_cast<qint64>(bytes.size());
}

bool Save(QWidget& widget, const QString& dir, const QString& name, QStringList& written) {
    const QString file = QDir(dir).filePath(name);
    if (!widget.grab().save(file))
        return false;
    written << file;
    return true;
}

} // namespace

QStringList WriteScreenshots(MainWindow& window, const QString& dir) {
    QStringList written;
    if (!QDir().mkpath(dir))
        return written;
    struct Page {
        int tab;
        const char* name;
    };
    const Page pages[] = {
        {0, "calculator"}, {3, "preview"}, {2, "tmem-map"}, {1, "about"}, {4, "tile-setup"}};
    const struct {
        const char* name;
        int widthTwips;
    } layouts[] = {{"narrow", MainWindow::kNarrowWidthTwips}, {"wide", MainWindow::kWideWidthTwips}};
    for (const auto& layout : layouts) {
        window.setWindowWidthTwips(layout.widthTwips);
        QApplication::processEvents();
        for (const Page& page : pages) {
            // In the wide layout the map stands beside the calculator and has
            // no page of its own.
            if (window.isWideLayout() && page.tab == 2)
                continue;
            window.selectTab(page.tab);
            QApplication::processEvents();
            const QString file = QDir(dir).filePath(
                QStringLiteral("%1-%2.png").arg(QLatin1String(layout.name), QLatin1String(page.name)));
            if (window.grab().save(file))
                written << file;
        }
    }
    // The preview page with the start-up picture, then with a loaded one at
    // tile position 1.5, in the narrow layout.
    window.setWindowWidthTwips(MainWindow::kNarrowWidthTwips);
    window.selectTab(3);
    window.loadHost().setSliderTileValue(0);
    window.drawPreview(0.0f);
    QApplication::processEvents();
    Save(window, dir, QStringLiteral("preview-startup.png"), written);
    QTemporaryDir pictures;
    const QString sample = QDir(pictures.path()).filePath(QStringLiteral("sample.bmp"));
    if (pictures.isValid() && WriteSamplePicture(sample, 128, 64)) {
        AnsweringDialogs answers(sample);
        // The window's pages are the load's host; only the load's dialogs are answered.
        if (LoadSettingsFromBmp(window.loadHost(), answers) == LoadOutcome::Loaded) {
            window.selectTab(3);
            window.loadHost().setSliderTileValue(15);
            QApplication::processEvents();
            Save(window, dir, QStringLiteral("preview-loaded.png"), written);
            // The Tile Setup page of a material whose picture is also planned
            // in pieces: the whole page, scrolled parts included.
            window.selectTab(4);
            for (const char* box : {"grpTexture1", "grpPieces"})
                if (auto* group = window.findChild<QGroupBox*>(QLatin1String(box)))
                    group->setChecked(true);
            QApplication::processEvents();
            if (auto* page = window.findChild<QWidget*>(QStringLiteral("fraTileSetup")))
                Save(*page, dir, QStringLiteral("tile-setup-material.png"), written);
        }
    }

    // The splash as it stands over the window during start-up.
    Splash splash;
    splash.showAndPaint();
    const QString file = QDir(dir).filePath(QStringLiteral("splash.png"));
    if (splash.grab().save(file))
        written << file;
    splash.close();
    return written;
}

} // namespace vellora
