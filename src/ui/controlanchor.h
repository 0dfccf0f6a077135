// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QVector>

class QWidget;

namespace vellora {

// Edge flags for ControlAnchors::anchor.
namespace Anchor {
inline constexpr int Left = 1;
inline constexpr int Top = 2;
inline constexpr int Right = 4;
inline constexpr int Bottom = 8;
} // namespace Anchor

// Keeps controls at fixed distances from the right and bottom edges of their
// parent. The first call for a control records its present distances; every
// later call restores them against the parent's current size.
class ControlAnchors {
  public:
    void anchor(QWidget* control, int flags);
    int recordCount() const { return static_cast<int>(records_.size()); }

  private:
    struct Record {
        QString key;
        int leftFromRight = 0;
        int topFromBottom = 0;
        int bottomGap = 0;
        int rightGap = 0;
    };
    QVector<Record> records_;
};

} // namespace vellora
