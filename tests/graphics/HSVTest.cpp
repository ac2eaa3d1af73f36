// The one HSV conversion shared by colours, gradients and the scene framework.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>

#include "platform/graphics/Color.h"
#include "platform/graphics/HSV.h"

using platform::hsvToRgb;
using platform::rgbToHsv;

TEST(HSV, SectorsOfTheCircleAndTheirMixes) {
  double r, g, b;
  hsvToRgb(0.0, 1.0, 1.0, r, g, b);
  EXPECT_EQ((std::array{r, g, b}), (std::array{1.0, 0.0, 0.0}));
  hsvToRgb(2.0, 1.0, 1.0, r, g, b);
  EXPECT_EQ((std::array{r, g, b}), (std::array{0.0, 1.0, 0.0}));
  hsvToRgb(4.5, 1.0, 0.8, r, g, b);  // between blue and magenta
  EXPECT_DOUBLE_EQ(r, 0.4);
  EXPECT_DOUBLE_EQ(g, 0);
  EXPECT_DOUBLE_EQ(b, 0.8);
  hsvToRgb(1.0, 0.5, 0.6, r, g, b);  // yellow, half saturated
  EXPECT_DOUBLE_EQ(r, 0.6);
  EXPECT_DOUBLE_EQ(g, 0.6);
  EXPECT_DOUBLE_EQ(b, 0.3);
}

TEST(HSV, HuesOutsideOneTurnWrapAndChannelsStayWithinTheValue) {
  for (double sixths : {-0.5, -6.5, 5.5, 11.5, -13.25}) {
    double r, g, b, r2, g2, b2;
    hsvToRgb(sixths, 0.7, 0.9, r, g, b);
    const double wrapped = sixths - 6 * std::floor(sixths / 6);
    hsvToRgb(wrapped, 0.7, 0.9, r2, g2, b2);
    EXPECT_NEAR(r, r2, 1e-12) << sixths;
    EXPECT_NEAR(g, g2, 1e-12) << sixths;
    EXPECT_NEAR(b, b2, 1e-12) << sixths;
    for (double c : {r, g, b}) {
      EXPECT_GE(c, 0.9 * 0.3 - 1e-12) << sixths;
      EXPECT_LE(c, 0.9 + 1e-12) << sixths;
    }
  }
  float r, g, b;
  hsvToRgb(std::numeric_limits<float>::quiet_NaN(), 1.0f, 1.0f, r, g, b);  // no hue: red
  EXPECT_EQ((std::array{r, g, b}), (std::array{1.0f, 0.0f, 0.0f}));
}

TEST(HSV, RoundTripsAndGreys) {
  for (float hue : {0.0f, 30.0f, 119.0f, 200.0f, 359.0f}) {
    float r, g, b, h, s, v;
    hsvToRgb(hue / 60, 0.6f, 0.7f, r, g, b);
    rgbToHsv(r, g, b, h, s, v);
    EXPECT_NEAR(h, hue, 1e-3f);
    EXPECT_NEAR(s, 0.6f, 1e-6f);
    EXPECT_NEAR(v, 0.7f, 1e-6f);
  }
  double h, s, v;
  rgbToHsv(0.3, 0.3, 0.3, h, s, v);
  EXPECT_TRUE(std::isnan(h));
  EXPECT_EQ(s, 0);
  // The colour class names hues in turns.
  const platform::Color cyan = platform::Color::calibratedHSB(-0.5, 1, 1);
  EXPECT_DOUBLE_EQ(cyan.redComponent(), 0);
  EXPECT_DOUBLE_EQ(cyan.greenComponent(), 1);
  EXPECT_DOUBLE_EQ(cyan.blueComponent(), 1);
}
