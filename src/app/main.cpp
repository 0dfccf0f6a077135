// SPDX-License-Identifier: MIT
#include "core/version.h"
#include "ui/mainwindow.h"
#include "ui/qtdialogs.h"
#include "ui/screenshots.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QTextStream>
#include <QUrl>

#include <string_view>

namespace {

const QCommandLineOption
    kScreenshotDir(QStringLiteral("screenshot-dir"),
                   QStringLiteral("Write a PNG of every page in both layouts, then quit."),
                   QStringLiteral("DIR"));

// The few options of the window program, for --help.
void Describe(QCommandLineParser& parser) {
    parser.setApplicationDescription(QStringLiteral(
        "Counts the bytes a Nintendo 64 texture and its mip-maps take in the RDP's texture memory."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(
        QStringLiteral("file"),
        QStringLiteral("A BMP or PNG picture to load as the base texture, as a dropped "
                       "file is loaded."),
        QStringLiteral("[file]"));
    parser.addOption(kScreenshotDir);
}

// --help and --version print text and quit: they need no display, so they
// are answered without one (over ssh, in a package check).
bool AsksOnlyForText(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view a(argv[i]);
        if (a == "-h" || a == "--help" || a == "--help-all" || a == "-v" || a == "--version")
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char* argv[]) {
    if (AsksOnlyForText(argc, argv)) {
        QCoreApplication text(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("Vellora"));
        QCoreApplication::setApplicationVersion(QString::fromLatin1(vellora::kVersionText));
        QCommandLineParser parser;
        Describe(parser);
        parser.process(text); // prints and quits
        return 0;
    }
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Vellora"));
    QApplication::setApplicationName(QStringLiteral("Vellora"));
    QApplication::setApplicationVersion(QString::fromLatin1(vellora::kVersionText));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.vellora.Vellora"));

    QCommandLineParser parser;
    Describe(parser);
    parser.process(app);

    vellora::QtDialogs dialogs;
    vellora::MainWindow window(dialogs);
    dialogs.setOwner(&window);
    window.startUp();
    if (parser.isSet(kScreenshotDir)) {
        const QStringList files = vellora::WriteScreenshots(window, parser.value(kScreenshotDir));
        QTextStream out(stdout);
        for (const QString& f : files)
            out << f << '\n';
        return files.isEmpty() ? 1 : 0;
    }
    // "Open With" from a file manager: the file opens in one step, as a dropped one does.
    if (const QStringList files = parser.positionalArguments(); !files.isEmpty())
        window.dropFiles({QUrl::fromLocalFile(QFileInfo(files.front()).absoluteFilePath())});
    return app.exec();
}
