#include "drawing/views/XDotKnobSlider.h"

#include <algorithm>

namespace drawing {

using namespace platform::appkit;

void XDotKnobSlider::awakeFromNib() {
  NSSliderCell* old = sliderCell();
  const NSCell* current = cell();
  const NSAction action = current->action();
  void* target = current->target();
  const double minValue = old ? old->minValue() : 0;
  const double maxValue = old ? old->maxValue() : 1;
  const float value = current->floatValue();
  const NSControlSize size = current->controlSize();
  const double altIncrement = old ? old->altIncrementValue() : 0;
  const bool continuous = current->isContinuous();
  const bool enabled = current->isEnabled();

  setCell(std::make_unique<XDotKnobSliderCell>());
  NSSliderCell* fresh = sliderCell();
  fresh->setAction(action);
  fresh->setTarget(target);
  fresh->setMinValue(static_cast<float>(minValue));
  fresh->setMaxValue(static_cast<float>(maxValue));
  fresh->setFloatValue(value);
  fresh->setControlSize(size);
  fresh->setEnabled(enabled);
  fresh->setContinuous(continuous);
  fresh->setAltIncrementValue(altIncrement);
}

void XDotKnobSlider::scrollWheel(const NSEvent& event) {
  const float min = static_cast<float>(minValue());
  const float max = static_cast<float>(maxValue());
  const float range = max - min;
  float delta = static_cast<float>(event.deltaY);
  float step = range / 20;
  if (event.deltaX == 0 && event.deltaY == 0) {
    // A device that reports only its own deltas.
    delta = -static_cast<float>(event.deviceDeltaX);
    step = range / 100;
  }
  if (event.modifierFlags & NSAlternateKeyMask) step = step * 0.1f;
  if (delta == 0) return;
  float value = floatValue() + (delta > 0 ? step : -step);
  value = std::clamp(value, std::min(min, max), std::max(min, max));
  willChangeValueForKey("floatValue");
  setFloatValue(value);
  didChangeValueForKey("floatValue");
  sendAction(action(), target());
}

}  // namespace drawing
