#include "drawing/views/XDotKnobSliderCell.h"

#include "drawing/BezierPathXMHExtensions.h"
#include "platform/graphics/BezierPathGeometry.h"
#include "platform/graphics/GeometryFunctions.h"
#include "platform/graphics/GraphicsContext.h"

namespace drawing {

using platform::Color;

void XDotKnobSliderCell::drawKnob(NSRect knobRect) {
  platform::GraphicsContext* context = platform::GraphicsContext::current();
  if (!context) return;
  context->setFillColor(Color::calibratedWhite(1.0, isEnabled() ? 0.5 : 0.25));
  context->fillPath(platform::bezierPathWithOvalInRect(platform::insetRect(knobRect, 1, 1)));
}

void XDotKnobSliderCell::drawBarInside(NSRect rect, bool flipped) {
  (void)flipped;
  platform::GraphicsContext* context = platform::GraphicsContext::current();
  if (!context) return;
  std::shared_ptr<platform::BezierPath> bar = XMHExtensions::pillPathForRect(platform::insetRect(rect, 1, 1), false);
  if (!bar) return;
  bar->setLineWidth(0.5);
  context->setFillColor(Color::calibratedWhite(0.15, 0.5));
  context->fillPath(*bar);
  context->setStrokeColor(Color::whiteColor());
  context->strokePath(*bar);
}

}  // namespace drawing
