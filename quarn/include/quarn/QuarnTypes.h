#pragma once
// Small value records shared by the scene classes: colours, sizes, points and rectangles.

// A colour in calibrated RGB with alpha, each component 0…1.
struct QuarnColor {
  float red = 0;
  float green = 0;
  float blue = 0;
  float alpha = 1;

  static QuarnColor colorWithCalibratedRed(float red, float green, float blue, float alpha);
  // Hue, saturation and brightness 0…1 (hue 1 is red again).
  static QuarnColor colorWithCalibratedHue(float hue, float saturation, float brightness, float alpha);
  static QuarnColor whiteColor() { return {1, 1, 1, 1}; }
  static QuarnColor blackColor() { return {0, 0, 0, 1}; }

  bool operator==(const QuarnColor&) const = default;
};

// Width and height, e.g. of a viewport in pixels.
struct QuarnSize {
  float width = 0;
  float height = 0;
  bool operator==(const QuarnSize&) const = default;
};

// A point, e.g. a mouse location or offset.
struct QuarnPoint {
  float x = 0;
  float y = 0;
  bool operator==(const QuarnPoint&) const = default;
};

// A rectangle: origin and size.
struct QuarnRect {
  QuarnPoint origin;
  QuarnSize size;
  bool operator==(const QuarnRect&) const = default;
};
