#include <gtest/gtest.h>

#include <cmath>

#include "platform/graphics/BezierPathGeometry.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/ImageCodec.h"
#include "tests/support/TestSupport.h"

using namespace platform;

namespace {
const RGBA8 kBlack{0, 0, 0, 255}, kWhite{255, 255, 255, 255};

struct Canvas {
  ImageSurface surface;
  GraphicsContext context;
  Canvas(int w, int h, bool flipped = false) : surface(w, h), context(surface, flipped) {
    context.setFillColor(Color::blackColor());
    context.fillRect(makeRect(0, 0, w, h));
  }
  RGBA8 at(int x, int y) const { return surface.image().pixel(x, y); }
};
}  // namespace

TEST(Color, ConversionsToCalibratedRGB) {
  const Color grey = Color::calibratedWhite(0.25, 0.5);
  auto rgb = grey.usingColorSpace(ColorSpace::CalibratedRGB);
  ASSERT_TRUE(rgb);
  EXPECT_EQ(rgb->colorSpace(), ColorSpace::CalibratedRGB);
  EXPECT_EQ(rgb->redComponent(), 0.25);
  EXPECT_EQ(rgb->blueComponent(), 0.25);
  EXPECT_EQ(rgb->alphaComponent(), 0.5);
  const Color cmyk = Color::deviceCMYK(1, 0, 0, 0.5);
  EXPECT_EQ(cmyk.redComponent(), 0);
  EXPECT_EQ(cmyk.greenComponent(), 0.5);
  EXPECT_EQ(Color::deviceRGB(0.1, 0.2, 0.3).usingColorSpace(ColorSpace::CalibratedRGB)->greenComponent(), 0.2);
  EXPECT_NEAR(Color::calibratedRGB(1, 1, 1).whiteComponent(), 1, 1e-12);
  const Color orange = Color::calibratedHSB(30.0 / 360, 1, 1);
  EXPECT_NEAR(orange.greenComponent(), 0.5, 1e-12);
  EXPECT_EQ(Color::clearColor().alphaComponent(), 0);
  EXPECT_EQ(Color::whiteColor().withAlphaComponent(0.3).alphaComponent(), 0.3);
}

TEST(GraphicsContext, OriginIsBottomLeftUnlessFlipped) {
  Canvas up(10, 10), down(10, 10, true);
  up.context.setFillColor(Color::whiteColor());
  down.context.setFillColor(Color::whiteColor());
  up.context.fillRect(makeRect(0, 0, 2, 2));
  down.context.fillRect(makeRect(0, 0, 2, 2));
  EXPECT_EQ(up.at(0, 9), kWhite);
  EXPECT_EQ(up.at(0, 0), kBlack);
  EXPECT_EQ(down.at(0, 0), kWhite);
  EXPECT_EQ(down.at(0, 9), kBlack);
}

TEST(GraphicsContext, SaveRestoreClipAndTransform) {
  Canvas c(20, 20, true);
  c.context.saveGraphicsState();
  c.context.setFillColor(Color::whiteColor());
  c.context.clipToRect(makeRect(0, 0, 10, 20));
  c.context.translate(5, 0);
  c.context.fillRect(makeRect(0, 0, 10, 5));  // 5..15, clipped at 10
  c.context.restoreGraphicsState();
  EXPECT_EQ(c.at(7, 2), kWhite);
  EXPECT_EQ(c.at(12, 2), kBlack);
  EXPECT_EQ(c.at(2, 2), kBlack);
  // Colour, clip and transformation are back.
  EXPECT_EQ(c.context.fillColor(), Color::blackColor());
  c.context.setFillColor(Color::whiteColor());
  c.context.fillRect(makeRect(12, 10, 2, 2));
  EXPECT_EQ(c.at(12, 10), kWhite);
  c.context.restoreGraphicsState();  // unbalanced: ignored
  // Rotation by a quarter turn about the origin, then a shift.
  c.context.rotateByDegrees(90);
  const AffineTransform t = c.context.currentTransform();
  EXPECT_NEAR(t.transformPoint({1, 0}).y, 1, 1e-12);
}

TEST(GraphicsContext, CopyFillReplacesAndPathsFillWithTheirRule) {
  Canvas c(20, 20, true);
  c.context.setFillColor(Color::whiteColor());
  c.context.fillRect(makeRect(0, 0, 20, 20));
  c.context.setFillColor(Color::clearColor());
  c.context.fillRect(makeRect(0, 0, 10, 20));  // source over: no change
  EXPECT_EQ(c.at(5, 5), kWhite);
  c.context.fillRect(makeRect(0, 0, 10, 20), CompositingOperation::Copy);
  EXPECT_EQ(c.at(5, 5).a, 0);
  EXPECT_TRUE(c.surface.image().hasAlpha());

  Canvas d(20, 20, true);
  BezierPath frame = bezierPathWithRect(makeRect(2, 2, 16, 16));
  frame.appendBezierPath(bezierPathWithRect(makeRect(6, 6, 8, 8)));
  frame.setWindingRule(WindingRule::EvenOdd);
  d.context.setFillColor(Color::whiteColor());
  d.context.fillPath(frame);
  EXPECT_EQ(d.at(10, 10), kBlack);
  EXPECT_EQ(d.at(4, 10), kWhite);
  d.context.saveGraphicsState();
  d.context.clipToPath(frame);
  d.context.setFillColor(Color::calibratedRGB(1, 0, 0));
  d.context.fillRect(makeRect(0, 0, 20, 20));
  d.context.restoreGraphicsState();
  EXPECT_EQ(d.at(10, 10), kBlack);
  EXPECT_EQ(d.at(4, 10), (RGBA8{255, 0, 0, 255}));
  // A wide stroke covers both sides of the line.
  BezierPath line;
  line.moveToPoint({0, 1});
  line.lineToPoint({20, 1});
  line.setLineWidth(2);
  d.context.setStrokeColor(Color::calibratedRGB(0, 0, 1));
  d.context.strokePath(line);
  EXPECT_EQ(d.at(10, 0), (RGBA8{0, 0, 255, 255}));
  EXPECT_EQ(d.at(10, 1), (RGBA8{0, 0, 255, 255}));
}

TEST(Shading, OneStepPerPixelRampIsExact) {
  // A staircase function: column k of a 256-pixel axis must get exactly k.
  Canvas c(256, 2);
  AxialShading s;
  s.start = {0, 0};
  s.end = {256, 0};
  s.function = [](double t, float rgba[4]) {
    const float v = float(std::min(std::floor(t * 256), 255.0) / 255);
    rgba[0] = v, rgba[1] = 1 - v, rgba[2] = v, rgba[3] = 1;
  };
  c.context.drawShading(s);
  const Image image = c.surface.image();
  for (int x = 0; x < 256; ++x) {
    ASSERT_EQ(image.pixel(x, 0).r, x);
    ASSERT_EQ(image.pixel(x, 1).g, 255 - x);
  }
}

TEST(Shading, AxialExtensionAndTranslucentColours) {
  Canvas c(30, 1);
  AxialShading s;
  s.start = {10, 0};
  s.end = {20, 0};
  s.function = [](double, float rgba[4]) { rgba[0] = 1, rgba[1] = rgba[2] = 1, rgba[3] = 0.5f; };
  c.context.drawShading(s);
  EXPECT_EQ(c.at(5, 0), kBlack);  // before the start, not extended
  EXPECT_EQ(c.at(15, 0).r, 128);  // half white over black
  s.extendStart = s.extendEnd = true;
  c.context.drawShading(s);
  EXPECT_EQ(c.at(2, 0).r, 128);
  EXPECT_EQ(c.at(28, 0).r, 128);
  // Degenerate axes draw nothing.
  s.end = s.start;
  c.context.drawShading(s);
  EXPECT_EQ(c.context.lastShadingEvaluations(), 0u);
}

TEST(Shading, RadialBetweenCircles) {
  Canvas c(41, 41, true);
  RadialShading s;
  s.startCenter = s.endCenter = {20.5, 20.5};
  s.startRadius = 0;
  s.endRadius = 20;
  s.function = [](double t, float rgba[4]) { rgba[0] = rgba[1] = rgba[2] = float(t), rgba[3] = 1; };
  c.context.drawShading(s);
  const Image image = c.surface.image();
  EXPECT_EQ(image.pixel(20, 20).r, 0);
  EXPECT_NEAR(image.pixel(30, 20).r, 255 * 10.0 / 20, 1);
  EXPECT_EQ(image.pixel(0, 0), kBlack);  // outside the end circle, not extended
}

TEST(ImageSurface, PNGOutputReadsBack) {
  testsupport::TempDir dir;
  Canvas c(16, 8);
  c.context.setFillColor(Color::calibratedRGB(0.2, 0.4, 0.6));
  c.context.fillRect(makeRect(0, 0, 8, 8));
  ASSERT_TRUE(c.surface.writePNG(dir.file("out.png")));
  auto back = readImageFile(dir.file("out.png"));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->width(), 16);
  EXPECT_FALSE(back->hasAlpha());
  EXPECT_EQ(back->pixel(3, 3), (RGBA8{51, 102, 153, 255}));
  EXPECT_EQ(back->pixel(12, 3), kBlack);
  EXPECT_FALSE(ImageSurface(0, 5).valid());
  EXPECT_FALSE(ImageSurface(0, 5).writePNG(dir.file("none.png")));
}

TEST(GraphicsContext, DrawsImagesUprightAndScaled) {
  Image image(2, 2, kWhite, false);  // top row white, bottom row red
  image.setPixel(0, 1, {255, 0, 0, 255});
  image.setPixel(1, 1, {255, 0, 0, 255});
  for (bool flipped : {false, true}) {
    SCOPED_TRACE(flipped);
    Canvas c(20, 20, flipped);
    c.context.drawImage(image, makeRect(0, 0, 20, 20));
    EXPECT_EQ(c.at(10, 1), kWhite);
    EXPECT_EQ(c.at(10, 18), (RGBA8{255, 0, 0, 255}));
  }
  Canvas half(4, 4);
  half.context.drawImage(Image(1, 1, kWhite, false), makeRect(0, 0, 4, 4), 0.5);
  EXPECT_NEAR(half.at(2, 2).r, 128, 1);
  half.context.drawImage(image, makeRect(0, 0, 0, 4));  // empty: nothing
}
