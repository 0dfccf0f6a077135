// SPDX-License-Identifier: MIT
#pragma once

namespace vellora {

// The window's re-entrancy guard. Writing to a control raises its events at
// once, in the middle of the code that wrote it; while the guard is held the
// recalculation does nothing and a preview request only marks a redraw as
// pending, which also stops a running drawing pass at its next checkpoint.
class RecalcGuard {
  public:
    // Holds the guard for a scope and gives it back as it was found.
    class [[nodiscard]] Hold {
      public:
        explicit Hold(RecalcGuard& guard) : guard_(guard), was_(guard.held_) { guard_.held_ = true; }
        ~Hold() { guard_.held_ = was_; }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

        // Lets the guard go before the scope ends (a count that must run in
        // the middle of a load) and takes it again.
        void release() { guard_.held_ = false; }
        void retake() { guard_.held_ = true; }

      private:
        RecalcGuard& guard_;
        bool was_;
    };

    Hold hold() { return Hold(*this); }
    bool held() const { return held_; }
    // For a caller that owns the whole sequence (tests, the window's start-up).
    void set(bool held) { held_ = held; }

    bool redrawPending() const { return redrawPending_; }
    void requestRedraw() { redrawPending_ = true; }
    // Answers the pending request: the pass that takes it draws the newest picture.
    void clearRedraw() { redrawPending_ = false; }

  private:
    bool held_ = false;
    bool redrawPending_ = false;
};

} // namespace vellora
