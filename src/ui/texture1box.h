// SPDX-License-Identifier: MIT
#pragma once

#include "document/texture.h"

#include <QGroupBox>

#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vellora {

class Dialogs;
class TextureDocument;

// A material's texture 1 on the Tile Setup page: typed as a size and kind,
// or loaded from a picture, with its levels or none, its CI4 palette, its
// wrap, mirror or clamp, and where it starts in TMEM (empty: after texture 0).
// Checked, it gives the document the material; unchecked, the texture alone.
class Texture1Box : public QGroupBox {
    Q_OBJECT
  public:
    Texture1Box(QWidget* parent, TextureDocument& document, Dialogs& dialogs);

    // Reads a picture as texture 1; false (and a message) when it cannot.
    bool loadPicture(const QString& path);

  private:
    void apply();

    TextureDocument& document_;
    Dialogs& dialogs_;
    std::optional<doc::Texture> picture_; // the picture loaded, until a size is typed
    bool filling_ = false;
    QLineEdit* txtSize_ = nullptr;
    QComboBox* cboKind_ = nullptr;
    QCheckBox* chkLevels_ = nullptr;
    QComboBox* cboPalette_ = nullptr;
    QComboBox* cboWrapS_ = nullptr;
    QComboBox* cboWrapT_ = nullptr;
    QLineEdit* txtWord_ = nullptr;
    QPushButton* cmdLoad_ = nullptr;
    QLabel* lblSource_ = nullptr;
};

} // namespace vellora
