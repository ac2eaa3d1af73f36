#include <gtest/gtest.h>

#include <cmath>

#include "platform/graphics/ImageScaling.h"

using namespace platform;

namespace {
const RGBA8 kBlack{0, 0, 0, 255}, kWhite{255, 255, 255, 255}, kRed{255, 0, 0, 255}, kBlue{0, 0, 255, 255};
}

TEST(ImageScaling, ShrinkingAveragesAreasInsteadOfPickingPixels) {
  // A one-pixel checkerboard halves to an even grey; point sampling would give black or white.
  Image checker(8, 8, kBlack, false);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      if ((x + y) % 2) checker.setPixel(x, y, kWhite);
  Image half = scaledImage(checker, 4, 4);
  ASSERT_EQ(half.width(), 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_NEAR(half.pixel(x, y).r, 128, 1);

  // Blocks of 4 x 4 pixels keep their exact colours at half size.
  Image blocks(8, 8, kRed, false);
  for (int y = 0; y < 4; ++y)
    for (int x = 4; x < 8; ++x) blocks.setPixel(x, y, kBlue);
  Image small = scaledImage(blocks, 4, 4);
  EXPECT_EQ(small.pixel(0, 0), kRed);
  EXPECT_EQ(small.pixel(3, 1), kBlue);
  EXPECT_EQ(small.pixel(3, 3), kRed);

  // Three pixels into two: each output covers 1.5 inputs.
  Image row(3, 1, kBlack, false);
  row.setPixel(0, 0, {0, 0, 0, 255});
  row.setPixel(1, 0, {90, 90, 90, 255});
  row.setPixel(2, 0, {180, 180, 180, 255});
  Image two = scaledImage(row, 2, 1);
  EXPECT_EQ(two.pixel(0, 0).r, 30);   // (0 + 90 / 2) / 1.5
  EXPECT_EQ(two.pixel(1, 0).r, 150);  // (90 / 2 + 180) / 1.5
}

TEST(ImageScaling, EnlargingInterpolatesBilinearly) {
  Image row(2, 1, {0, 0, 0, 255}, false);
  row.setPixel(1, 0, {255, 255, 255, 255});
  Image four = scaledImage(row, 4, 1);
  EXPECT_EQ(four.pixel(0, 0).r, 0);
  EXPECT_EQ(four.pixel(1, 0).r, 64);   // 0.25 of the way
  EXPECT_EQ(four.pixel(2, 0).r, 191);  // 0.75
  EXPECT_EQ(four.pixel(3, 0).r, 255);
  // The same size is a copy.
  Image same = scaledImage(row, 2, 1);
  EXPECT_EQ(same.pixel(0, 0), row.pixel(0, 0));
  EXPECT_EQ(same.pixel(1, 0), row.pixel(1, 0));
  EXPECT_TRUE(scaledImage(row, 0, 5).empty());
}

TEST(ImageScaling, TransparentPixelsDoNotBleedColour) {
  Image pair(2, 1, {255, 0, 0, 0}, true);
  pair.setPixel(1, 0, kBlue);
  Image one = scaledImage(pair, 1, 1);
  EXPECT_EQ(one.pixel(0, 0).b, 255);
  EXPECT_EQ(one.pixel(0, 0).r, 0);
  EXPECT_NEAR(one.pixel(0, 0).a, 128, 1);
}

TEST(ImageScaling, DrawsLetterboxedIntoARectangle) {
  Image frame(1920, 1080, kRed, false);
  Image poster(512, 512, kBlack, false);
  drawImage(poster, frame, {0, 112, 512, 288});
  EXPECT_EQ(poster.pixel(256, 111), kBlack);
  EXPECT_EQ(poster.pixel(0, 112), kRed);
  EXPECT_EQ(poster.pixel(511, 399), kRed);
  EXPECT_EQ(poster.pixel(256, 400), kBlack);
  EXPECT_FALSE(poster.hasAlpha());

  // Rectangles partly outside are clipped; degenerate ones draw nothing.
  Image dst(10, 10, kBlack, false);
  drawImage(dst, frame, {-5, -5, 10, 10});
  EXPECT_EQ(dst.pixel(4, 4), kRed);
  EXPECT_EQ(dst.pixel(5, 5), kBlack);
  drawImage(dst, frame, {6, 6, 0, 3});
  drawImage(dst, frame, {6, 6, std::nan(""), 3});
  EXPECT_EQ(dst.pixel(7, 7), kBlack);
}

TEST(ImageScaling, CompositesTranslucentSourcesOver) {
  Image dst(2, 1, kWhite, false);
  Image src(1, 1, {0, 0, 0, 128}, true);
  drawImage(dst, src, {0, 0, 1, 1});
  EXPECT_NEAR(dst.pixel(0, 0).r, 127, 1);
  EXPECT_EQ(dst.pixel(0, 0).a, 255);
  EXPECT_EQ(dst.pixel(1, 0), kWhite);
}

TEST(ImageScaling, DrawingAtTheSourceSizeMatchesTheResampledPath) {
  // Opaque, clear and translucent pixels over a half-transparent destination, clipped on the left.
  Image src(3, 2, kRed, true);
  src.setPixel(1, 0, {0, 0, 255, 0});
  src.setPixel(2, 0, {0, 200, 0, 100});
  src.setPixel(0, 1, {10, 20, 30, 255});
  src.setPixel(2, 1, {90, 0, 90, 1});
  const Image base(4, 4, {255, 255, 255, 128}, true);

  Image whole = base;  // whole-pixel rectangle: pixels copied or composited one to one
  drawImage(whole, src, {-1, 1, 3, 2});
  Image nudged = base;  // a hair off the pixel grid: goes through the resampler
  drawImage(nudged, src, {-1 + 1e-7, 1, 3, 2});
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) {
      SCOPED_TRACE(testing::Message() << x << "," << y);
      const auto a = whole.pixel(x, y), b = nudged.pixel(x, y);
      EXPECT_NEAR(a.r, b.r, 1);
      EXPECT_NEAR(a.g, b.g, 1);
      EXPECT_NEAR(a.b, b.b, 1);
      EXPECT_NEAR(a.a, b.a, 1);
    }
  EXPECT_EQ(whole.pixel(0, 1), base.pixel(0, 1));  // clear source pixel
  EXPECT_EQ(whole.pixel(0, 2), kRed);
  EXPECT_EQ(whole.pixel(2, 1), base.pixel(2, 1));  // outside the rectangle
  EXPECT_GT(whole.pixel(1, 1).g, 100);              // translucent green over white
  EXPECT_GT(whole.pixel(1, 1).a, 128);
}
