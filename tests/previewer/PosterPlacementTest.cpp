// Where the poster puts a picture whose margin is odd or fractional: the offset is rounded down in
// bottom-left coordinates, so a half-pixel margin leaves its black row at the top.
#include <gtest/gtest.h>

#include "previewer/XACImageWriter.h"

using platform::graphics::Image;

namespace {

// A white picture of the given size, fitted into the 512 x 512 poster.
Image posterOf(int width, int height) {
  XACImageWriter writer;
  auto poster = writer.scaledImageFromData(Image(width, height, {255, 255, 255, 255}, false));
  EXPECT_TRUE(poster);
  return poster ? *poster : Image();
}

bool black(const Image& img, int y) {
  auto p = img.pixel(256, y);
  return p.r == 0 && p.g == 0 && p.b == 0;
}

bool white(const Image& img, int y) {
  auto p = img.pixel(256, y);
  return p.r == 255 && p.g == 255 && p.b == 255;
}

}  // namespace

TEST(PosterPlacement, OddMarginLeavesTheSpareRowAtTheTop) {
  // 512 x 511: margin (512 - 511) / 2 = 0.5, floor 0 from the bottom: rows 1 .. 511 top-down.
  Image poster = posterOf(512, 511);
  ASSERT_EQ(poster.height(), 512);
  EXPECT_TRUE(black(poster, 0));
  EXPECT_TRUE(white(poster, 1));
  EXPECT_TRUE(white(poster, 511));

  // 512 x 509: margin 1.5, floor 1 from the bottom: rows 2 .. 510.
  poster = posterOf(512, 509);
  EXPECT_TRUE(black(poster, 1));
  EXPECT_TRUE(white(poster, 2));
  EXPECT_TRUE(white(poster, 510));
  EXPECT_TRUE(black(poster, 511));
}

TEST(PosterPlacement, FractionalHeightIsPlacedFromTheBottomEdge) {
  // 1000 x 563 scales to 512 x 288.256; margin 111.872, floor 111 from the bottom. The picture
  // spans 111 .. 399.256 from the bottom, that is 112.744 .. 401 from the top: rows 113 to 400
  // are covered whole, row 112 only in part, rows 111 and 401 not at all. (Rounded down from the
  // top instead, it would span 111 .. 399.256 there and leave row 400 black.)
  Image poster = posterOf(1000, 563);
  EXPECT_TRUE(black(poster, 111));
  EXPECT_FALSE(white(poster, 112)) << "the partly covered top row";
  EXPECT_TRUE(white(poster, 113));
  EXPECT_TRUE(white(poster, 400));
  EXPECT_TRUE(black(poster, 401));
}
