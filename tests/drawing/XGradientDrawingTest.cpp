#include <gtest/gtest.h>

#include <cmath>

#include "drawing/BezierPathXMHExtensions.h"
#include "drawing/XGradient.h"
#include "platform/graphics/BezierPathGeometry.h"
#include "platform/graphics/GraphicsContext.h"

using drawing::XGradient;
using platform::Color;
using platform::GraphicsContext;
using platform::ImageSurface;
using platform::makeRect;
using platform::Point;

namespace {

int byteOf(double v) { return int(std::lround(v * 255)); }

// Renders into a fresh opaque black surface with the gradient code drawing into it.
struct Canvas {
  ImageSurface surface;
  GraphicsContext context;
  GraphicsContext::CurrentScope scope;
  Canvas(int w, int h, bool flipped = false) : surface(w, h), context(surface, flipped), scope(context) {
    context.setFillColor(Color::blackColor());
    context.fillRect(makeRect(0, 0, w, h));
  }
};

double dot(Point a, Point b) { return a.x * b.x + a.y * b.y; }

}  // namespace

TEST(XGradientAxis, RightAnglesUseTheEdges) {
  Point s, e;
  XGradient::axialEndPoints(makeRect(10, 20, 100, 50), 0, s, e);
  EXPECT_EQ(s, (Point{10, 20}));
  EXPECT_EQ(e, (Point{110, 20}));
  XGradient::axialEndPoints(makeRect(10, 20, 100, 50), 90, s, e);
  EXPECT_EQ(s, (Point{10, 20}));
  EXPECT_EQ(e, (Point{10, 70}));
  XGradient::axialEndPoints(makeRect(0, 0, 64, 64), 45, s, e);  // corner to corner
  EXPECT_NEAR(s.x, 0, 1e-4);
  EXPECT_NEAR(s.y, 0, 1e-4);
  EXPECT_NEAR(e.x, 64, 1e-4);
  EXPECT_NEAR(e.y, 64, 1e-4);
}

TEST(XGradientAxis, OtherAnglesSpanTheRectangleAlongTheirDirection) {
  const auto rect = makeRect(5, -3, 120, 40);
  for (float angle : {30.0f, 45.0f, 80.0f, 135.0f, 200.0f, 270.0f, -60.0f}) {
    SCOPED_TRACE(angle);
    Point s, e;
    XGradient::axialEndPoints(rect, angle, s, e);
    const Point axis{e.x - s.x, e.y - s.y};
    const double len = std::hypot(axis.x, axis.y);
    const Point dir{std::cos(angle * M_PI / 180), std::sin(angle * M_PI / 180)};
    EXPECT_NEAR(dot(axis, dir), len, 1e-3 * len);  // points the angle's way
    // The corners project onto [start, end]: the first and last corners meet the ends.
    double lo = INFINITY, hi = -INFINITY;
    for (Point c : {Point{5, -3}, Point{125, -3}, Point{5, 37}, Point{125, 37}}) {
      const double t = dot({c.x - s.x, c.y - s.y}, axis) / (len * len);
      lo = std::min(lo, t), hi = std::max(hi, t);
    }
    EXPECT_NEAR(lo, 0, 1e-4);
    EXPECT_NEAR(hi, 1, 1e-4);
  }
  // 270 runs from the top edge down.
  Point s, e;
  XGradient::axialEndPoints(rect, 270, s, e);
  EXPECT_NEAR(s.y, 37, 1e-4);
  EXPECT_NEAR(e.y, -3, 1e-4);
}

TEST(XGradientRendering, HorizontalRampHasTheEvaluatedColourInEveryColumn) {
  for (auto g : {XGradient::gradientWithBeginningColor(Color::blackColor(), Color::whiteColor()),
                 XGradient::plumoScrollBarThumbGradient(), XGradient::rainbowGradient(),
                 XGradient::hydrogenSpectrumGradient(), XGradient::aquaSelectedGradient()}) {
    Canvas canvas(256, 4);
    g->fillRect(makeRect(0, 0, 256, 4), 0);
    EXPECT_LT(canvas.context.lastShadingEvaluations(), 256u * 4u * 2u);
    const platform::Image image = canvas.surface.image();
    for (int x = 0; x < 256; ++x) {
      const Color c = g->colorAtPosition(float((x + 0.5) / 256));
      const platform::RGBA8 p = image.pixel(x, 2);
      ASSERT_NEAR(p.r, byteOf(c.redComponent()), 1) << x;
      ASSERT_NEAR(p.g, byteOf(c.greenComponent()), 1) << x;
      ASSERT_NEAR(p.b, byteOf(c.blueComponent()), 1) << x;
    }
  }
}

TEST(XGradientRendering, VerticalFillRunsUpAndAreaOutsideTheRectangleIsUntouched) {
  Canvas canvas(8, 100);
  XGradient::gradientWithBeginningColor(Color::blackColor(), Color::whiteColor())->fillRect(makeRect(2, 0, 4, 100), 90);
  const platform::Image image = canvas.surface.image();
  EXPECT_EQ(image.pixel(3, 99).r, byteOf(0.005));  // bottom row: position 0.005
  EXPECT_EQ(image.pixel(3, 0).r, byteOf(0.995));
  EXPECT_EQ(image.pixel(1, 50).r, 0);
  EXPECT_EQ(image.pixel(6, 50).r, 0);
}

TEST(XGradientRendering, RadialFillCentresWithItsOneUnitShift) {
  Canvas canvas(101, 101);
  auto g = XGradient::gradientWithBeginningColor(Color::blackColor(), Color::whiteColor());
  g->radialFillRect(makeRect(0, 0, 101, 101));
  const platform::Image image = canvas.surface.image();
  // Width equals height: the circle is moved 1 along x, so the darkest pixel is at x = 51.
  int darkest = 0;
  for (int x = 1; x < 101; ++x)
    if (image.pixel(x, 50).r < image.pixel(darkest, 50).r) darkest = x;
  EXPECT_EQ(darkest, 51);
  // Position 1 / (radius + 1) at the centre (the start circle has radius -1); corners extended.
  EXPECT_NEAR(image.pixel(51, 50).r, 255.0 / (50.5 + 1), 1);
  EXPECT_EQ(image.pixel(0, 0).r, 255);
  EXPECT_EQ(image.pixel(100, 100).r, 255);
  // Empty rectangles draw nothing and leave the context usable.
  g->radialFillRect(makeRect(0, 0, 0, 10));
  g->fillRect(makeRect(0, 0, 101, 101), 0);
  EXPECT_EQ(canvas.surface.image().pixel(100, 50).r, byteOf(100.5 / 101));
}

TEST(XGradientRendering, PathFillsClipToThePathAndLeaveItAsItWas) {
  Canvas canvas(100, 100);
  auto g = XGradient::gradientWithBeginningColor(Color::calibratedRGB(1, 0, 0), Color::calibratedRGB(0, 0, 1));
  platform::BezierPath triangle;
  triangle.moveToPoint({10, 10});
  triangle.lineToPoint({90, 10});
  triangle.lineToPoint({10, 90});
  triangle.closePath();
  const platform::BezierPath before = triangle;
  g->fillBezierPath(triangle, 0);
  EXPECT_TRUE(triangle == before);
  platform::Image image = canvas.surface.image();
  EXPECT_EQ(image.pixel(80, 20), (platform::RGBA8{0, 0, 0, 255}));  // outside (above the diagonal)
  const platform::RGBA8 left = image.pixel(12, 80), right = image.pixel(80, 85);
  EXPECT_GT(left.r, 240);  // near the start of the path's bounds
  EXPECT_GT(right.b, 200);
  // At 90 degrees the ramp runs from the bottom of the path upward.
  Canvas second(100, 100);
  g->fillBezierPath(triangle, 90);
  image = second.surface.image();
  EXPECT_GT(image.pixel(50, 88).r, 240);  // y = 11: near the bottom
  EXPECT_GT(image.pixel(12, 20).b, 200);  // y = 79.5: near the top
  // Radial fills of a path stay inside it too.
  Canvas third(100, 100);
  g->radialFillBezierPath(triangle);
  EXPECT_EQ(third.surface.image().pixel(80, 20), (platform::RGBA8{0, 0, 0, 255}));
}

TEST(XGradientRendering, WithoutACurrentContextNothingIsDrawn) {
  ASSERT_EQ(GraphicsContext::current(), nullptr);
  auto g = XGradient::rainbowGradient();
  g->fillRect(makeRect(0, 0, 10, 10), 0);
  g->radialFillRect(makeRect(0, 0, 10, 10));
  g->fillBezierPath(platform::bezierPathWithRect(makeRect(0, 0, 10, 10)), 45);
}

TEST(XGradientRendering, EvenOddRingHasAHole) {
  Canvas canvas(80, 40);
  auto ring = drawing::XMHExtensions::cutoutPillPathForRect(makeRect(20, 10, 40, 20), 6, 6, false);
  canvas.context.setFillColor(Color::whiteColor());
  canvas.context.fillPath(*ring);
  platform::Image image = canvas.surface.image();
  EXPECT_EQ(image.pixel(40, 20).r, 0);     // inside the inner pill: the hole
  EXPECT_EQ(image.pixel(16, 20).r, 255);   // the flange before the inner pill
  EXPECT_EQ(image.pixel(40, 9).r, 255);    // the band 1 thick below it (rows count down from the top)
  EXPECT_EQ(image.pixel(5, 20).r, 0);      // outside the outer pill
  // The same outline with the non-zero rule has no hole: both pills run the same way.
  ring->setWindingRule(platform::WindingRule::NonZero);
  canvas.context.fillPath(*ring);
  EXPECT_EQ(canvas.surface.image().pixel(40, 20).r, 255);
}

TEST(XGradientRendering, LargeFillsSampleTheFunctionNotEveryPixel) {
  Canvas canvas(1000, 1000);
  XGradient::rainbowGradient()->fillRect(makeRect(0, 0, 1000, 1000), 30);
  EXPECT_GT(canvas.context.lastShadingEvaluations(), 1000u);
  EXPECT_LT(canvas.context.lastShadingEvaluations(), 10000u);
}
