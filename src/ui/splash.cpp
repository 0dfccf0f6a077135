// SPDX-License-Identifier: MIT
#include "splash.h"

#include "artwork.h"
#include "core/version.h"
#include "dialogs.h"
#include "picturebox.h"
#include "twips.h"

#include <QApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>

namespace vellora {

Splash::Splash(QWidget* parent) : QWidget(parent, Qt::SplashScreen | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("frmSplash"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    setFont(WindowFont());
    setFixedSize(twips(7380), twips(4245));

    frame_ = new QFrame(this);
    frame_->setObjectName(QStringLiteral("Frame1"));
    frame_->setFrameShape(QFrame::Box);
    frame_->setGeometry(twipsRect(150, 60, 7080, 4050));
    frame_->installEventFilter(this);

    auto* logo = new PictureBox(frame_);
    logo->setObjectName(QStringLiteral("imgLogo"));
    logo->setPicture(artwork::ProgramIcon(128), true);
    logo->setGeometry(twipsRect(360, 795, 1815, 2385));

    productName_ = new QLabel(QStringLiteral("Product"), frame_);
    productName_->setObjectName(QStringLiteral("lblProductName"));
    productName_->setFont(SplashFont(32.25, true));
    productName_->move(twips(2520), twips(1140));
    productName_->adjustSize();

    version_ = new QLabel(QStringLiteral("Version"), frame_);
    version_->setObjectName(QStringLiteral("lblVersion"));
    version_->setFont(SplashFont(12, true));
    version_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    version_->move(twips(5970), twips(2700));
    version_->adjustSize();

    auto* warning = new QLabel(QStringLiteral("Loading Please Wait..."), frame_);
    warning->setObjectName(QStringLiteral("lblWarning"));
    warning->setFont(SplashFont(8.25, false));
    warning->setGeometry(twipsRect(150, 3660, 6855, 195));

    auto* credit = new QLabel(QStringLiteral("A TMEM budget tool"), frame_);
    credit->setObjectName(QStringLiteral("lblCopyright"));
    credit->setFont(SplashFont(8.25, false));
    credit->setGeometry(twipsRect(4560, 3060, 2415, 255));
    auto* company = new QLabel(QStringLiteral("for N64 texture artists"), frame_);
    company->setObjectName(QStringLiteral("lblCompany"));
    company->setFont(SplashFont(8.25, false));
    company->setGeometry(twipsRect(4560, 3270, 2415, 255));
}

void Splash::showAndPaint() {
    version_->setText(QStringLiteral("Version %1").arg(QLatin1String(kVersionText)));
    productName_->setText(QString::fromLatin1(kAppTitle));
    productName_->adjustSize();
    // The version label is right-aligned: it grows to the left of its design edge.
    const int right = version_->geometry().right();
    version_->adjustSize();
    version_->move(right - version_->width() + 1, version_->y());

    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    show();
    QApplication::processEvents();
}

void Splash::keyPressEvent(QKeyEvent*) {
    close();
}

bool Splash::eventFilter(QObject* watched, QEvent* event) {
    if (watched == frame_ &&
        (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease))
        close();
    return QWidget::eventFilter(watched, event);
}

} // namespace vellora
