// SPDX-License-Identifier: MIT
#pragma once

#include "ui/form.h"
#include "ui/loadhost.h"
#include "ui/texturedocument.h"

#include <QFrame>

#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace vellora {

class Dialogs;
class PictureBox;

// The calculator page: the size, format, level and detail-map controls, the
// fill bar and the result. It applies every box's input rule itself, hands
// each edit that counts to the document and shows the document's count.
// The line under the result: the hardware's verdict in plain words and,
// when it does not fit, the first way to make it fit.
QString HardwareLine(const doc::Analysis& analysis);

// One line of text, cut with an ellipsis where it meets the widget's edge
// when it is painted (a label lays its text out again on every change,
// which every count would pay for).
class ElidedLine : public QWidget {
  public:
    explicit ElidedLine(QWidget* parent) : QWidget(parent) {}
    void setLine(const QString& line, const QColor& colour);
    QString line() const { return line_; }
    // What a paint shows of it.
    QString shown() const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString line_;
    QColor colour_;
};

class CalculatorPage : public QFrame {
    Q_OBJECT
  public:
    CalculatorPage(QWidget* parent, TextureDocument& document, Dialogs& dialogs);

    Settings settings() const;
    // The count or the one that asks the tile sizes (cmdManMipMap).
    void recount(bool askTileSizes = false) { document_.recount(settings(), askTileSizes); }
    void showResult(const CountResult& result);
    // The result box's tip: what the count and the hardware disagree on.
    void setResultNote(const QString& note);
    // Captions and enabled states of the level controls (the stop rules too
    // when the automatic levels box changed).
    void applyLevelControls(bool includeStopRules);
    void enableDetailOptions(bool baseIsCI);
    // The design values InitDefaults writes.
    void setDefaults();

    void setSizeText(SizeBox box, const QString& text);
    void setSizeEnabled(SizeBox box, bool enabled);
    void selectBaseFormat(Format format);
    void selectDetailFormat(Format format);
    bool detailEnabled() const;
    void setDetailEnabled(bool on);
    QWidget* resultBox() const;
    QColor themeText() const;

  signals:
    void detailToggled(bool ticked);
    // The hardware's line under the result was clicked: Tile Setup, please.
    void hardwareLineClicked();
    void themeClicked();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void build();
    void connectRules();
    void onDetailToggled();
    void showHardwareLine();
    QLineEdit* sizeBox(SizeBox box) const;

    TextureDocument& document_;
    Dialogs& dialogs_;
    QWidget* fillBar_ = nullptr;
    std::array<QLabel*, 2> lblPercent_{};
    QLabel* lblExcede_ = nullptr;
    ElidedLine* lblHardware_ = nullptr;
    std::array<QRadioButton*, kFormatCount> chkBitDepth_{};
    QLineEdit* txtWidth_ = nullptr;
    QLineEdit* txtHeight_ = nullptr;
    QLineEdit* txtMaskW_ = nullptr;
    QLineEdit* txtMaskH_ = nullptr;
    QLineEdit* txtWrapW_ = nullptr;
    QLineEdit* txtWrapH_ = nullptr;
    QPushButton* cmdWidthHelp_ = nullptr;
    QPushButton* cmdHeightHelp_ = nullptr;
    QLineEdit* txtLevels_ = nullptr;
    QLabel* lblLevels_ = nullptr;
    QCheckBox* chkLevels_ = nullptr;
    QRadioButton* chklevelsH_ = nullptr;
    QRadioButton* chklevelsW_ = nullptr;
    PictureBox* picture1_ = nullptr;
    QPushButton* manMipMap_ = nullptr;
    QCheckBox* chkDetailEnabled_ = nullptr;
    QLineEdit* txtDWidth_ = nullptr;
    QLineEdit* txtDHeight_ = nullptr;
    std::array<QRadioButton*, kFormatCount> optDBit_{};
};

} // namespace vellora
