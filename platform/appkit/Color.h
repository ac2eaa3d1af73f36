#pragma once
// NSColor: an RGBA colour (calibrated RGB), the colours the toolkit names, and setting it as the
// current context's fill and stroke. NSRectFill replaces the pixels of a rectangle, as the
// platform's does (a clear colour makes them transparent).
#include "platform/appkit/Geometry.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/GraphicsContext.h"

namespace platform::appkit {

struct NSColor {
  double red = 0, green = 0, blue = 0, alpha = 1;

  static NSColor clearColor() { return {0, 0, 0, 0}; }
  static NSColor blackColor() { return {0, 0, 0, 1}; }
  static NSColor whiteColor() { return {1, 1, 1, 1}; }
  static NSColor darkGrayColor() { return colorWithCalibratedWhite(1.0 / 3.0, 1); }
  static NSColor grayColor() { return colorWithCalibratedWhite(0.5, 1); }
  static NSColor lightGrayColor() { return colorWithCalibratedWhite(2.0 / 3.0, 1); }
  static NSColor colorWithCalibratedWhite(double white, double alpha) { return {white, white, white, alpha}; }
  static NSColor colorWithCalibratedRed(double r, double g, double b, double a) { return {r, g, b, a}; }
  static NSColor colorWithColor(const platform::Color& c) {
    return {c.redComponent(), c.greenComponent(), c.blueComponent(), c.alphaComponent()};
  }
  NSColor colorWithAlphaComponent(double a) const { return {red, green, blue, a}; }
  platform::Color color() const { return platform::Color::calibratedRGB(red, green, blue, alpha); }

  // The fill and stroke colour of the current graphics context (nothing without one).
  void set() const;
  void setFill() const;
  void setStroke() const;
  bool operator==(const NSColor&) const = default;
};

// Fills the rectangle with the current fill colour, replacing what was there.
void NSRectFill(const NSRect& rect);
void NSRectFillUsingOperation(const NSRect& rect, platform::CompositingOperation operation);
// A one-point outline inside the rectangle in the current fill colour.
void NSFrameRect(const NSRect& rect);

}  // namespace platform::appkit
