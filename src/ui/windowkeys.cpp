// SPDX-License-Identifier: MIT
#include "ui/windowkeys.h"

#include "ui/dialogs.h"
#include "ui/inputrules.h"
#include "ui/pictureopener.h"
#include "ui/tabstrip.h"
#include "ui/tilesetuppage.h"

#include <QApplication>
#include <QClipboard>
#include <QKeySequence>
#include <QShortcut>
#include <QWidget>

namespace vellora {

const char* const kKeysHelp = "Keys:\n"
                              "Ctrl+O  open a picture (no questions)\n"
                              "F5  read the open picture again\n"
                              "Ctrl+1 to Ctrl+5  the pages, left to right\n"
                              "Ctrl+Shift+C  copy the display list\n"
                              "F1  this help, or the help of the focused box";

namespace {

void OnKey(QWidget* window, const QKeySequence& keys, QObject* context, std::function<void()> run) {
    auto* shortcut = new QShortcut(keys, window);
    shortcut->setContext(Qt::WindowShortcut);
    QObject::connect(shortcut, &QShortcut::activated, context, std::move(run));
}

} // namespace

void InstallWindowKeys(TabStrip& tabs, PictureOpener& opener, TileSetupPage& tileSetup, Dialogs& dialogs) {
    QWidget* window = tabs.window();
    OnKey(window, QKeySequence::Open, &opener, [&opener] { opener.chooseAndOpen(); });
    OnKey(window, QKeySequence(Qt::Key_F5), &opener, [&opener] { opener.reload(); });
    // The tabs as they stand: Calculate, Preview, TMEM Map, About, Tile Setup.
    constexpr int kTabOrder[] = {0, 3, 2, 1, 4};
    for (int n = 0; n < 5; ++n)
        OnKey(window, QKeySequence(Qt::CTRL | static_cast<Qt::Key>(Qt::Key_1 + n)), &tabs,
              [&tabs, n, kTabOrder] {
                  const int index = kTabOrder[n];
                  if (tabs.button(index)->isEnabled())
                      tabs.select(index);
              });
    OnKey(window, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C), &tileSetup,
          [&tileSetup] { QApplication::clipboard()->setText(tileSetup.displayList()); });
    OnKey(window, QKeySequence(Qt::Key_F1), window, [&dialogs] {
        const QWidget* focus = QApplication::focusWidget();
        const QString name = focus ? focus->objectName() : QString();
        std::string help = kKeysHelp;
        if (name == QLatin1String("txtWidth"))
            help = kWidthHelp;
        else if (name == QLatin1String("txtHeight"))
            help = kHeightHelp;
        dialogs.messageBox(QString::fromStdString(help), MsgStyle::Ok, QString(), 0);
    });
}

} // namespace vellora
