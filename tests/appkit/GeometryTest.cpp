// Points and rectangles: the platform's text forms and rectangle functions.
#include <gtest/gtest.h>

#include "platform/appkit/Geometry.h"

using namespace platform::appkit;

TEST(AppKitGeometry, PointsReadBackFromTheirText) {
  EXPECT_EQ(NSStringFromPoint({40, 700}), "{40, 700}");
  EXPECT_EQ(NSStringFromPoint({1.5, -2.25}), "{1.5, -2.25}");
  EXPECT_EQ(NSPointFromString("{1.5, -2.25}"), (NSPoint{1.5, -2.25}));
  EXPECT_EQ(NSPointFromString(" { 3 ,4 } "), (NSPoint{3, 4}));
  const NSPoint p{0.1, 1e6 / 3};
  EXPECT_EQ(NSPointFromString(NSStringFromPoint(p)), p);
  // Not a point: the origin.
  for (const char* bad : {"", "{1}", "1, 2", "{1, 2", "{a, b}", "{nan, 1}"}) EXPECT_EQ(NSPointFromString(bad), NSPoint{});
  EXPECT_EQ(NSStringFromRect(NSMakeRect(1, 2.5, 3, 4)), "{{1, 2.5}, {3, 4}}");
}

TEST(AppKitGeometry, IntegralRectsHoldTheOriginalAndEmptyOnesVanish) {
  EXPECT_EQ(NSIntegralRect(NSMakeRect(10.2, 20.7, 5.5, 0.6)), NSMakeRect(10, 20, 6, 2));
  EXPECT_EQ(NSIntegralRect(NSMakeRect(-0.5, -1.5, 1, 1)), NSMakeRect(-1, -2, 2, 2));
  EXPECT_EQ(NSIntegralRect(NSMakeRect(3, 4, 5, 6)), NSMakeRect(3, 4, 5, 6));
  EXPECT_EQ(NSIntegralRect(NSMakeRect(3.5, 4, 0, 6)), NSZeroRect);
  EXPECT_EQ(NSIntegralRect(NSMakeRect(3.5, 4, 2, -1)), NSZeroRect);
}

TEST(AppKitGeometry, ContainmentAndPointTestsKeepThePlatformsEdges) {
  const NSRect r = NSMakeRect(0, 0, 10, 10);
  EXPECT_TRUE(NSPointInRect({0, 0}, r));
  EXPECT_FALSE(NSPointInRect({10, 5}, r));  // right edge out
  EXPECT_FALSE(NSPointInRect({5, 10}, r));  // top edge out
  EXPECT_FALSE(NSMouseInRect({5, 0}, r, true));  // flipped: the top (y = 0) out
  EXPECT_TRUE(NSMouseInRect({5, 10}, r, true));  // and the bottom in
  EXPECT_TRUE(NSContainsRect(r, NSMakeRect(0, 0, 10, 10)));
  EXPECT_TRUE(NSContainsRect(r, NSMakeRect(2, 2, 3, 3)));
  EXPECT_FALSE(NSContainsRect(r, NSMakeRect(8, 8, 3, 1)));
  EXPECT_FALSE(NSContainsRect(r, NSMakeRect(2, 2, 0, 3)));  // an empty rectangle lies nowhere
  EXPECT_EQ(NSInsetRect(r, 1, 2), NSMakeRect(1, 2, 8, 6));
}

TEST(AppKitGeometry, IntersectionsAndUnionsIgnoreEmptyRectangles) {
  const NSRect a = NSMakeRect(0, 0, 10, 10), b = NSMakeRect(5, 5, 10, 10);
  EXPECT_EQ(NSIntersectionRect(a, b), NSMakeRect(5, 5, 5, 5));
  EXPECT_EQ(NSIntersectionRect(a, NSMakeRect(10, 0, 5, 5)), NSZeroRect);  // touching edges
  EXPECT_FALSE(NSIntersectsRect(a, NSMakeRect(10, 0, 5, 5)));
  EXPECT_EQ(NSUnionRect(a, b), NSMakeRect(0, 0, 15, 15));
  EXPECT_EQ(NSUnionRect(NSZeroRect, b), b);
  EXPECT_EQ(NSUnionRect(a, NSMakeRect(100, 100, 0, 5)), a);
}
