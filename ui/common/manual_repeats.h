// Repeating calls that run only when asked: what tests give the program instead of timers, so
// that the watch looks exactly when the test says.
#pragma once

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include "ui/common/platform_services.h"

namespace ui {

class ManualRepeats {
 public:
  std::unique_ptr<Repeating> Add(std::function<void()> tick) {
    return std::make_unique<Registered>(ticks_, std::move(tick));
  }
  // Runs each call once, as the time passing would.
  void RunAll() {
    for (std::function<void()>* tick : std::vector(ticks_)) {
      // One call may end another, as a timer stopped by another's call never fires.
      if (std::ranges::find(ticks_, tick) != ticks_.end()) {
        (*tick)();
      }
    }
  }

 private:
  class Registered final : public Repeating {
   public:
    Registered(std::vector<std::function<void()>*>& ticks, std::function<void()> tick)
        : ticks_(ticks), tick_(std::move(tick)) {
      ticks_.push_back(&tick_);
    }
    Registered(const Registered&) = delete;
    Registered& operator=(const Registered&) = delete;
    ~Registered() override { std::erase(ticks_, &tick_); }

   private:
    std::vector<std::function<void()>*>& ticks_;
    std::function<void()> tick_;
  };

  std::vector<std::function<void()>*> ticks_;
};

}  // namespace ui
