// SPDX-License-Identifier: MIT
#include "controlanchor.h"

#include <QWidget>

namespace vellora {

void ControlAnchors::anchor(QWidget* control, int flags) {
    QWidget* container = control->parentWidget();
    if (!container)
        return;
    // Control-array members carry their index in the object name, so the
    // window's name and the control's name make a unique key.
    const QString key = control->window()->objectName() + control->objectName();
    const Record* rec = nullptr;
    for (const Record& r : records_) {
        if (r.key == key) {
            rec = &r;
            break;
        }
    }
    const QRect g = control->geometry();
    const int cw = container->width();
    const int ch = container->height();
    if (!rec) {
        Record r;
        r.key = key;
        r.leftFromRight = cw - g.left();
        r.topFromBottom = ch - g.top();
        if (flags & Anchor::Right)
            r.rightGap = cw - g.left() - g.width();
        if (flags & Anchor::Bottom)
            r.bottomGap = ch - g.top() - g.height();
        records_.append(r);
        rec = &records_.back();
    }
    QRect n = g;
    if (flags & Anchor::Right) {
        if (flags & Anchor::Left)
            n.setWidth(std::max(0, cw - g.left() - rec->rightGap));
        else
            n.moveLeft(cw - rec->leftFromRight);
    }
    if (flags & Anchor::Bottom) {
        if (flags & Anchor::Top)
            n.setHeight(std::max(0, ch - g.top() - rec->bottomGap));
        else
            n.moveTop(ch - rec->topFromBottom);
    }
    if (n != g)
        control->setGeometry(n);
}

} // namespace vellora
