#pragma once

#include "card/window/control.h"

namespace card {

// The wait cursor over one card's window (cHourGlass): while one lives, the
// window's "MousePointer" is 11 (the hourglass); when it ends, the pointer
// it found is put back. Commands hold one for the duration of a long step.
// The pointer is the card's own, not the process's: two cards in one host
// wait independently.
class HourGlass {
 public:
  static constexpr int32_t kHourglass = 11;

  explicit HourGlass(Control& window) : window_(&window), before_(window.Get("MousePointer")) {
    window.Set("MousePointer", com::Variant(kHourglass));
  }
  ~HourGlass() { window_->Set("MousePointer", before_.IsEmpty() ? com::Variant(int32_t{0}) : before_); }
  HourGlass(const HourGlass&) = delete;
  HourGlass& operator=(const HourGlass&) = delete;

 private:
  com::Ref<Control> window_;
  com::Variant before_;
};

}  // namespace card
