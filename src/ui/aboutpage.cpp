// SPDX-License-Identifier: MIT
#include "ui/aboutpage.h"

#include "ui/artwork.h"
#include "ui/picturebox.h"
#include "ui/twips.h"
#include "ui/widgets.h"

#include <QLabel>
#include <QPlainTextEdit>

namespace vellora {

AboutPage::AboutPage(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("TabContents(1)"));
    setFrameShape(QFrame::NoFrame);
    setProperty("themedFrame", true);
    setGeometry(twipsRect(83, 380, 5934, 5600));

    auto* logo = new PictureBox(this);
    logo->setObjectName(QStringLiteral("Picture2"));
    logo->setGeometry(twipsRect(2210, 0, 1440, 960));
    logo->setPicture(artwork::Logo());
    PinPalette(logo);
    Label(this, "lblDevelopedBy", QStringLiteral("Written for texture artists of the Nintendo 64"), 90, 1080,
          5775, 195, Qt::AlignCenter);
    lblVersion_ = Label(this, "lblVersion", QStringLiteral("Version:"), 90, 1350, 5790, 195, Qt::AlignCenter);
    txtAbout_ = new QPlainTextEdit(this);
    txtAbout_->setObjectName(QStringLiteral("txtAbout"));
    txtAbout_->setGeometry(twipsRect(85, 1650, 5805, 3585));
    txtAbout_->setReadOnly(true);
    txtAbout_->setFocusPolicy(Qt::NoFocus);
    txtAbout_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // The text breaks its own lines; wrapping them again at the box's edge
    // left single words on lines of their own. Long lines scroll instead.
    txtAbout_->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtAbout_->setPlainText(AboutText().replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    PinPalette(txtAbout_);
}

void AboutPage::setVersion(const QString& version) {
    lblVersion_->setText(QStringLiteral("Version: %1").arg(version));
}

} // namespace vellora
