// SPDX-License-Identifier: MIT
#include "ui/texture1box.h"

#include "ui/dialogs.h"
#include "ui/loadsequence.h"
#include "ui/texturedocument.h"
#include "ui/widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace vellora {

namespace {

constexpr int kMaxWidth = 1024;
constexpr int kMaxHeight = 256;

// "32x32" as the calculator's boxes allow it; none for anything else.
std::optional<LevelSize> SizeOf(const QString& text) {
    const QStringList parts = text.trimmed().split(QLatin1Char('x'));
    if (parts.size() != 2)
        return std::nullopt;
    bool okW = false, okH = false;
    const int w = parts[0].toInt(&okW), h = parts[1].toInt(&okH);
    if (!okW || !okH || w < 1 || w > kMaxWidth || h < 1 || h > kMaxHeight)
        return std::nullopt;
    return LevelSize{w, h};
}

} // namespace

Texture1Box::Texture1Box(QWidget* parent, TextureDocument& document, Dialogs& dialogs)
    : QGroupBox(QStringLiteral("Texture 1: a second texture for a two-cycle combiner"), parent),
      document_(document), dialogs_(dialogs) {
    setObjectName(QStringLiteral("grpTexture1"));
    setCheckable(true);
    setChecked(false);
    auto* grid = new QGridLayout(this);
    txtSize_ = new QLineEdit(QStringLiteral("32x32"), this);
    txtSize_->setObjectName(QStringLiteral("txtTexture1Size"));
    cboKind_ = new QComboBox(this);
    cboKind_->setObjectName(QStringLiteral("cboTexture1Kind"));
    for (int k = 0; k < kKindCount; ++k) {
        const std::string_view name = KindName(static_cast<Kind>(k));
        cboKind_->addItem(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())), k);
    }
    cboKind_->setCurrentIndex(cboKind_->findData(static_cast<int>(Kind::RGBA16)));
    chkLevels_ = new QCheckBox(QStringLiteral("Mip-map levels"), this);
    chkLevels_->setObjectName(QStringLiteral("chkTexture1Levels"));
    cboPalette_ = PaletteChoice(this, "cboTexture1Palette");
    cboPalette_->setCurrentIndex(1);
    cboWrapS_ = WrapChoice(this, "cboTexture1WrapS");
    cboWrapT_ = WrapChoice(this, "cboTexture1WrapT");
    for (QComboBox* wrap : {cboWrapS_, cboWrapT_})
        connect(wrap, &QComboBox::currentIndexChanged, this, &Texture1Box::apply);
    txtWord_ = new QLineEdit(this);
    txtWord_->setObjectName(QStringLiteral("txtTexture1Word"));
    txtWord_->setPlaceholderText(QStringLiteral("after texture 0"));
    cmdLoad_ = new QPushButton(QStringLiteral("Load Picture\u2026"), this);
    cmdLoad_->setObjectName(QStringLiteral("cmdTexture1Load"));
    lblSource_ = new QLabel(QStringLiteral("A size and kind typed"), this);
    lblSource_->setObjectName(QStringLiteral("lblTexture1Source"));
    lblSource_->setWordWrap(true);
    grid->addWidget(new QLabel(QStringLiteral("Size (texels)"), this), 0, 0);
    grid->addWidget(txtSize_, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Kind"), this), 0, 2);
    grid->addWidget(cboKind_, 0, 3);
    grid->addWidget(chkLevels_, 1, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("CI4 palette"), this), 1, 2);
    grid->addWidget(cboPalette_, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("S axis"), this), 2, 0);
    grid->addWidget(cboWrapS_, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("T axis"), this), 2, 2);
    grid->addWidget(cboWrapT_, 2, 3);
    grid->addWidget(new QLabel(QStringLiteral("TMEM word"), this), 3, 0);
    grid->addWidget(txtWord_, 3, 1);
    grid->addWidget(cmdLoad_, 4, 0, 1, 2);
    grid->addWidget(lblSource_, 4, 2, 1, 2);

    // Unchecked, the box is one line: most textures are single.
    const auto showContents = [this](bool on) {
        for (QWidget* w : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            w->setVisible(on);
    };
    showContents(false);
    connect(this, &QGroupBox::toggled, this, showContents);
    connect(this, &QGroupBox::toggled, this, &Texture1Box::apply);
    connect(txtSize_, &QLineEdit::textEdited, this, [this] {
        // A typed size stands for itself: the picture is let go.
        picture_.reset();
        lblSource_->setText(QStringLiteral("A size and kind typed"));
        apply();
    });
    connect(cboKind_, &QComboBox::currentIndexChanged, this, &Texture1Box::apply);
    connect(chkLevels_, &QCheckBox::toggled, this, &Texture1Box::apply);
    connect(cboPalette_, &QComboBox::currentIndexChanged, this, &Texture1Box::apply);
    connect(txtWord_, &QLineEdit::textEdited, this, &Texture1Box::apply);
    connect(cmdLoad_, &QPushButton::clicked, this, [this] {
        FileRequest request;
        request.title = QStringLiteral("Open Texture 1");
        request.filters = PictureFilters();
        const QString path = dialogs_.chooseFile(request);
        if (!path.isEmpty())
            loadPicture(path);
    });
}

bool Texture1Box::loadPicture(const QString& path) {
    doc::Texture t;
    const doc::LoadResult r = doc::LoadPicture(t, QFile::encodeName(path).toStdString(), LoadRole::Base, 0);
    if (!r.ok) {
        dialogs_.messageBox(QString::fromStdString(r.error), MsgStyle::Exclamation, QString(), 0);
        return false;
    }
    picture_ = std::move(t);
    filling_ = true;
    txtSize_->setText(QStringLiteral("%1x%2").arg(picture_->spec.size.width).arg(picture_->spec.size.height));
    cboKind_->setCurrentIndex(cboKind_->findData(static_cast<int>(picture_->storedBaseKind())));
    filling_ = false;
    lblSource_->setText(QFileInfo(path).fileName());
    setChecked(true);
    apply();
    return true;
}

void Texture1Box::apply() {
    if (filling_)
        return;
    const std::optional<LevelSize> size = SizeOf(txtSize_->text());
    // An empty word places texture 1 right after texture 0.
    bool wordOk = true;
    const QString wordText = txtWord_->text().trimmed();
    const int word = wordText.isEmpty() ? -1 : wordText.toInt(&wordOk);
    wordOk = wordOk && word < hw::kTmemWords;
    if (!isChecked() || !size || !wordOk) {
        if (isChecked())
            lblSource_->setText(!size ? QStringLiteral("Type the size as WxH, up to 1024x256")
                                      : QStringLiteral("Type the TMEM word as 0 to 511, or leave it empty"));
        document_.setTexture1(std::nullopt);
        return;
    }
    doc::SecondTexture second;
    if (word >= 0)
        second.tmemWord = word;
    doc::Texture& t = second.texture;
    if (picture_)
        t = *picture_;
    const auto kind = static_cast<Kind>(cboKind_->currentData().toInt());
    t.spec.size = *size;
    t.spec.format = RowOf(kind);
    t.baseKind = kind;
    t.spec.levels = chkLevels_->isChecked() ? LevelMode::Auto : LevelMode::Manual;
    t.spec.lastLevel = 0;
    t.tiles.palette = cboPalette_->currentData().toInt();
    t.tiles.s = static_cast<hw::AxisMode>(cboWrapS_->currentData().toInt());
    t.tiles.t = static_cast<hw::AxisMode>(cboWrapT_->currentData().toInt());
    if (t.picturesLoaded)
        doc::DrawLevels(t);
    document_.setTexture1(std::move(second));
}

} // namespace vellora
