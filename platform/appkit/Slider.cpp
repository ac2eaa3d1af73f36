#include "platform/appkit/Slider.h"

#include <algorithm>
#include <cmath>

#include "platform/appkit/Color.h"
#include "platform/graphics/BezierPathGeometry.h"

namespace platform::appkit {

// ---- Cell

void NSSliderCell::setMinValue(double v) {
  min_ = v;
  setDoubleValue(doubleValue());
}

void NSSliderCell::setMaxValue(double v) {
  max_ = v;
  setDoubleValue(doubleValue());
}

void NSSliderCell::setDoubleValue(double value) {
  if (std::isnan(value)) value = min_;
  const double lo = std::min(min_, max_), hi = std::max(min_, max_);
  NSCell::setDoubleValue(std::clamp(value, lo, hi));
}

NSRect NSSliderCell::trackRect() const {
  if (NSIsEmptyRect(trackRect_) && controlView()) return controlView()->bounds();
  return trackRect_;
}

double NSSliderCell::knobThickness() const {
  const double nominal = controlSize() == NSMiniControlSize ? 11 : controlSize() == NSSmallControlSize ? 15 : 20;
  const NSRect r = trackRect();
  const double breadth = isVertical() ? r.size.width : r.size.height;
  return std::max(0.0, std::min(nominal, breadth));
}

NSRect NSSliderCell::barRectFlipped(bool flipped) const {
  (void)flipped;
  if (usesCustomTrackImage()) return trackRect();
  const double groove = controlSize() == NSMiniControlSize ? 3 : controlSize() == NSSmallControlSize ? 4 : 5;
  const double inset = std::max(0.0, knobThickness() / 2 - groove / 2);
  const NSRect r = trackRect();
  if (isVertical())
    return NSMakeRect(NSMidX(r) - groove / 2, r.origin.y + inset, groove, std::max(0.0, r.size.height - 2 * inset));
  return NSMakeRect(r.origin.x + inset, NSMidY(r) - groove / 2, std::max(0.0, r.size.width - 2 * inset), groove);
}

namespace {
// Position 0..1 of the value in the range.
double fraction(double value, double min, double max) {
  if (max == min) return 0;
  return std::clamp((value - min) / (max - min), 0.0, 1.0);
}
}  // namespace

NSRect NSSliderCell::knobRectFlipped(bool flipped) const {
  const double k = knobThickness();
  const NSRect r = trackRect();
  const double t = fraction(doubleValue(), min_, max_);
  if (isVertical()) {
    const double travel = std::max(0.0, r.size.height - k);
    // The maximum is at the top: the far end of y when not flipped, the near end when flipped.
    const double y = flipped ? r.origin.y + (1 - t) * travel : r.origin.y + t * travel;
    return NSMakeRect(std::floor(NSMidX(r) - k / 2), std::floor(y), k, k);
  }
  const double travel = std::max(0.0, r.size.width - k);
  return NSMakeRect(std::floor(r.origin.x + t * travel), std::floor(NSMidY(r) - k / 2), k, k);
}

double NSSliderCell::valueForPoint(NSPoint point, bool flipped) const {
  const double k = knobThickness();
  const NSRect r = trackRect();
  double t;
  if (isVertical()) {
    const double travel = r.size.height - k;
    t = travel > 0 ? (point.y - r.origin.y - k / 2) / travel : 0;
    if (flipped) t = 1 - t;
  } else {
    const double travel = r.size.width - k;
    t = travel > 0 ? (point.x - r.origin.x - k / 2) / travel : 0;
  }
  t = std::clamp(t, 0.0, 1.0);
  return min_ + t * (max_ - min_);
}

void NSSliderCell::drawBarInside(NSRect rect, bool flipped) {
  (void)flipped;
  auto* context = platform::GraphicsContext::current();
  if (!context || NSIsEmptyRect(rect)) return;
  const double radius = std::min(rect.size.width, rect.size.height) / 2;
  platform::BezierPath groove = platform::bezierPathWithRoundedRect(NSInsetRect(rect, 0.5, 0.5), radius);
  context->setFillColor(platform::Color::calibratedWhite(0.78, isEnabled() ? 1 : 0.5));
  context->fillPath(groove);
  context->setStrokeColor(platform::Color::calibratedWhite(0.45, isEnabled() ? 1 : 0.5));
  context->strokePath(groove);
}

void NSSliderCell::drawKnob(NSRect knobRect) {
  auto* context = platform::GraphicsContext::current();
  if (!context || NSIsEmptyRect(knobRect)) return;
  platform::BezierPath knob = platform::bezierPathWithOvalInRect(NSInsetRect(knobRect, 0.5, 0.5));
  const double alpha = isEnabled() ? 1 : 0.5;
  context->setFillColor(platform::Color::calibratedWhite(isHighlighted() ? 0.85 : 0.97, alpha));
  context->fillPath(knob);
  context->setStrokeColor(platform::Color::calibratedWhite(0.4, alpha));
  context->strokePath(knob);
}

void NSSliderCell::drawKnob() {
  const bool flipped = controlView() && controlView()->isFlipped();
  drawKnob(knobRectFlipped(flipped));
}

void NSSliderCell::drawWithFrame(NSRect cellFrame, NSView* view) {
  trackRect_ = cellFrame;
  const bool flipped = view && view->isFlipped();
  drawBarInside(barRectFlipped(flipped), flipped);
  drawKnob(knobRectFlipped(flipped));
}

bool NSSliderCell::startTrackingAt(NSPoint point, NSControl* controlView) {
  const bool flipped = controlView && controlView->isFlipped();
  const NSRect knob = knobRectFlipped(flipped);
  // On the knob the grip is kept; on the bar the knob jumps under the mouse. The grip is measured
  // from where the value puts the knob's centre (the drawn knob sits on whole points).
  const NSRect r = trackRect();
  const double k = knobThickness(), t = fraction(doubleValue(), min_, max_);
  const NSPoint centre = isVertical()
                             ? NSPoint{NSMidX(r), r.origin.y + k / 2 + (flipped ? 1 - t : t) * (r.size.height - k)}
                             : NSPoint{r.origin.x + k / 2 + t * (r.size.width - k), NSMidY(r)};
  grip_ = NSMouseInRect(point, knob, flipped) ? NSPoint{point.x - centre.x, point.y - centre.y} : NSPoint{};
  setHighlighted(true);
  if (controlView) {
    controlView->setDoubleValue(valueForPoint({point.x - grip_.x, point.y - grip_.y}, flipped));
    controlView->setNeedsDisplay(true);
  }
  return true;
}

bool NSSliderCell::continueTracking(NSPoint lastPoint, NSPoint currentPoint, NSControl* controlView) {
  (void)lastPoint;
  if (!controlView) return false;
  controlView->setDoubleValue(valueForPoint({currentPoint.x - grip_.x, currentPoint.y - grip_.y}, controlView->isFlipped()));
  return true;
}

// ---- Control

NSSlider::NSSlider(NSRect frame) : NSControl(frame) {}

double NSSlider::minValue() const { return sliderCell() ? sliderCell()->minValue() : 0; }
double NSSlider::maxValue() const { return sliderCell() ? sliderCell()->maxValue() : 0; }
double NSSlider::altIncrementValue() const { return sliderCell() ? sliderCell()->altIncrementValue() : 0; }
double NSSlider::knobThickness() const { return sliderCell() ? sliderCell()->knobThickness() : 0; }

void NSSlider::setMinValue(double v) {
  if (auto* c = sliderCell()) c->setMinValue(v);
  setNeedsDisplay(true);
}

void NSSlider::setMaxValue(double v) {
  if (auto* c = sliderCell()) c->setMaxValue(v);
  setNeedsDisplay(true);
}

void NSSlider::setAltIncrementValue(double v) {
  if (auto* c = sliderCell()) c->setAltIncrementValue(v);
}

void NSSlider::setFrame(NSRect frame) {
  NSControl::setFrame(frame);
  if (auto* c = sliderCell()) c->setTrackRect(bounds());
}

void NSSlider::drawRect(NSRect dirtyRect) {
  if (auto* c = sliderCell()) c->setTrackRect(bounds());
  NSControl::drawRect(dirtyRect);
}

void NSSlider::mouseDown(const NSEvent& event) {
  if (auto* c = sliderCell()) c->setTrackRect(bounds());
  NSControl::mouseDown(event);
  if (NSView::exists(this)) {
    cell()->setHighlighted(false);
    setNeedsDisplay(true);
  }
}

}  // namespace platform::appkit
