// SPDX-License-Identifier: MIT
#include "ui/mainwindow.h"
#include "ui/qtdialogs.h"
#include "ui/screenshots.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTextStream>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vellora"));

    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption screenshotDir(
        QStringLiteral("screenshot-dir"),
        QStringLiteral("Write a PNG of every page in both layouts, then quit."), QStringLiteral("DIR"));
    parser.addOption(screenshotDir);
    parser.process(app);

    vellora::QtDialogs dialogs;
    vellora::MainWindow window(dialogs);
    dialogs.setOwner(&window);
    window.startUp();
    if (parser.isSet(screenshotDir)) {
        const QStringList files = vellora::WriteScreenshots(window, parser.value(screenshotDir));
        QTextStream out(stdout);
        for (const QString& f : files)
            out << f << '\n';
        return files.isEmpty() ? 1 : 0;
    }
    return app.exec();
}
