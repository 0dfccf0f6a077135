// SPDX-License-Identifier: MIT
#pragma once

#include <QFrame>
#include <QPushButton>
#include <QString>

#include <array>
#include <functional>

namespace vellora {

// The tab strip TabCtl1: five tab buttons over the background button BG and
// the five pages. A chosen tab's button stands taller and in front; the
// button's Tag marks which one the user chose, so a relayout can show it
// again. In the wide layout the TMEM map stays beside the calculator.
class TabStrip : public QFrame {
  public:
    static constexpr int kPageCount = 5;
    // Indices of the design: 0 calculator, 1 About, 2 TMEM map, 3 preview;
    // then 4 Tile Setup.
    explicit TabStrip(QWidget* parent);

    // The page frames are made by their owners with this strip as parent.
    void setPage(int index, QFrame* page) { pages_[static_cast<std::size_t>(index)] = page; }
    QFrame* page(int index) const { return pages_[static_cast<std::size_t>(index)]; }
    QPushButton* button(int index) const { return buttons_[static_cast<std::size_t>(index)]; }
    QWidget* background() const { return bg_; }
    void setWideTest(std::function<bool()> wide) { wide_ = std::move(wide); }

    // The user's choice of a tab.
    void select(int index);
    // The look of a tab in front, without marking it as chosen.
    void showTab(int index);
    // The tab last chosen, or -1.
    int chosen() const;
    // A red mark on a tab that needs a look, with the reason as its tip; an
    // empty note takes it away.
    void setAlert(int index, const QString& note);

  private:
    std::array<QWidget*, kPageCount> alerts_{};
    std::array<QPushButton*, kPageCount> buttons_{};
    std::array<QFrame*, kPageCount> pages_{};
    QPushButton* bg_ = nullptr;
    std::function<bool()> wide_;
};

} // namespace vellora
