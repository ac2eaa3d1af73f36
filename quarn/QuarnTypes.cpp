#include "quarn/QuarnTypes.h"

#include <cmath>

#include "platform/graphics/HSV.h"

QuarnColor QuarnColor::colorWithCalibratedRed(float red, float green, float blue, float alpha) {
  return QuarnColor{red, green, blue, alpha};
}

QuarnColor QuarnColor::colorWithCalibratedHue(float hue, float saturation, float brightness, float alpha) {
  // The hue runs 0..1 round the circle; anything else wraps, and a hue that is not a number is red.
  const float h = std::isfinite(hue) ? hue - std::floor(hue) : 0.0f;
  QuarnColor c{0, 0, 0, alpha};
  platform::hsvToRgb(h * 6.0f, saturation, brightness, c.red, c.green, c.blue);
  return c;
}
