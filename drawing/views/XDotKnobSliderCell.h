#pragma once
// XDotKnobSliderCell: the heads-up slider look: a small translucent dot for the knob, a grey pill
// outlined in white for the bar, which takes the cell's whole frame.
#include "platform/appkit/Slider.h"

namespace drawing {

class XDotKnobSliderCell : public platform::appkit::NSSliderCell {
 public:
  using NSRect = platform::appkit::NSRect;
  // An oval 1 point inside the knob rectangle, white at alpha 0.5 (0.25 when disabled).
  void drawKnob(NSRect knobRect) override;
  // The pill of the rectangle inset by 1: grey 0.15 at alpha 0.5, stroked 0.5 wide in white.
  void drawBarInside(NSRect rect, bool flipped) override;
  // _usesCustomTrackImage
  bool usesCustomTrackImage() const override { return true; }
};

}  // namespace drawing
