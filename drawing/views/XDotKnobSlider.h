#pragma once
// XDotKnobSlider: a slider with the dot-knob cell, which also steps its value by the scroll wheel.
#include "drawing/views/XDotKnobSliderCell.h"
#include "platform/appkit/Slider.h"

namespace drawing {

class XDotKnobSlider : public platform::appkit::NSSlider {
 public:
  using NSSlider::NSSlider;
  // cellClass: new sliders get a dot-knob cell.
  std::unique_ptr<platform::appkit::NSCell> makeCell() const override { return std::make_unique<XDotKnobSliderCell>(); }
  // Replaces the cell the slider was made with by a new XDotKnobSliderCell carrying its settings.
  void awakeFromNib() override;
  bool acceptsFirstMouse(const platform::appkit::NSEvent* event) override {
    (void)event;
    return true;
  }
  bool acceptsFirstResponder() override { return true; }
  // A notch moves the value by a twentieth of the range (a device's deltas by a hundredth), a
  // tenth of that with Option held; then the action goes out.
  void scrollWheel(const platform::appkit::NSEvent& event) override;
};

}  // namespace drawing
