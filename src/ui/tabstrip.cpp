// SPDX-License-Identifier: MIT
#include "ui/tabstrip.h"

#include "ui/twips.h"
#include "ui/widgets.h"

#include <QLabel>
#include <QPushButton>

namespace vellora {

TabStrip::TabStrip(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("TabCtl1"));
    setFrameShape(QFrame::NoFrame);
    setGeometry(twipsRect(75, 75, 6175, 6000));
    setProperty("themedFrame", true);

    struct TabDesign {
        int index;
        const char* caption;
        int left, top, width, height;
    };
    const TabDesign tabs[] = {{0, "&Calculate", 85, 20, 1207, 440},
                              {3, "&Preview", 1275, 50, 1200, 405},
                              {2, "TMEM &Map", 2482, 50, 1207, 400},
                              {1, "&About", 3688, 50, 1207, 400},
                              // In the room the design left right of About.
                              {4, "Tile &Setup", 4895, 50, 1207, 400}};
    for (const TabDesign& t : tabs) {
        auto* b = new QPushButton(QString::fromLatin1(t.caption), this);
        b->setObjectName(Indexed("TabButtons", t.index));
        b->setGeometry(twipsRect(t.left, t.top, t.width, t.height));
        b->setProperty("Tag", QString());
        buttons_[static_cast<std::size_t>(t.index)] = b;
        connect(b, &QPushButton::clicked, this, [this, i = t.index] { select(i); });
    }
    buttons_[3]->setEnabled(false);

    bg_ = new QPushButton(this);
    bg_->setObjectName(QStringLiteral("BG"));
    bg_->setGeometry(twipsRect(20, 340, 6100, 5655));
    bg_->setEnabled(false);
    bg_->setFocusPolicy(Qt::NoFocus);
}

void TabStrip::showTab(int index) {
    for (QPushButton* b : buttons_) {
        b->raise();
        b->setGeometry(b->x(), twips(50), b->width(), twips(400));
        b->setProperty("Tag", QString());
    }
    bg_->raise();
    for (QFrame* page : pages_) {
        if (!page)
            continue;
        page->raise();
        page->hide();
    }
    QPushButton* front = buttons_[static_cast<std::size_t>(index)];
    front->setGeometry(front->x(), twips(20), front->width(), twips(440));
    front->raise();
    if (QFrame* page = pages_[static_cast<std::size_t>(index)]) {
        page->show();
        page->raise();
    }
    if (wide_ && wide_() && index == 0 && pages_[2])
        pages_[2]->show();
}

void TabStrip::select(int index) {
    if (index < 0 || index >= kPageCount)
        return;
    showTab(index);
    buttons_[static_cast<std::size_t>(index)]->setProperty("Tag", QStringLiteral("1"));
}

int TabStrip::chosen() const {
    for (int i = 0; i < kPageCount; ++i)
        if (buttons_[static_cast<std::size_t>(i)]->property("Tag").toString() == QLatin1String("1"))
            return i;
    return -1;
}

void TabStrip::setAlert(int index, const QString& note) {
    QPushButton* tab = button(index);
    QWidget*& mark = alerts_[static_cast<std::size_t>(index)];
    if (!mark) {
        mark = new QLabel(tab);
        mark->setObjectName(QStringLiteral("lblHardwareMarker"));
        mark->setGeometry(tab->width() - twips(150), twips(45), twips(105), twips(105));
        mark->setStyleSheet(QStringLiteral("background: rgb(224, 0, 0); border-radius: 3px;"));
    }
    // The tab's own tip stays; the alert comes after it.
    if (!tab->property("ownTip").isValid())
        tab->setProperty("ownTip", tab->toolTip());
    const QString own = tab->property("ownTip").toString();
    tab->setToolTip(note.isEmpty() ? own : own.isEmpty() ? note : own + QStringLiteral("\n\n") + note);
    mark->setVisible(!note.isEmpty());
}

} // namespace vellora
