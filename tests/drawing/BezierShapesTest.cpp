#include <gtest/gtest.h>

#include <cmath>

#include "drawing/BezierPathXMHExtensions.h"
#include "platform/graphics/BezierPathGeometry.h"
#include "platform/graphics/GraphicsContext.h"

namespace shapes = drawing::XMHExtensions;
using platform::BezierPath;
using platform::makeRect;
using platform::PathElementType;
using platform::Point;

namespace {

constexpr double kS = 0.70710678118654757;  // sin 45

void expectPoint(Point actual, Point expected, double tolerance = 1e-9) {
  EXPECT_NEAR(actual.x, expected.x, tolerance);
  EXPECT_NEAR(actual.y, expected.y, tolerance);
}

// End points of the elements (none for close), in order.
std::vector<Point> endPoints(const BezierPath& path) {
  std::vector<Point> out;
  for (const auto& e : path.elements()) {
    if (e.type == PathElementType::CurveTo) out.push_back(e.points[2]);
    if (e.type == PathElementType::MoveTo || e.type == PathElementType::LineTo) out.push_back(e.points[0]);
  }
  return out;
}

std::string types(const BezierPath& path) {
  std::string s;
  for (const auto& e : path.elements()) s += "mlcz"[int(e.type)];
  return s;
}

void expectRect(platform::Rect r, double x, double y, double w, double h, double tolerance = 1e-9) {
  EXPECT_NEAR(r.origin.x, x, tolerance);
  EXPECT_NEAR(r.origin.y, y, tolerance);
  EXPECT_NEAR(r.size.width, w, tolerance);
  EXPECT_NEAR(r.size.height, h, tolerance);
}

}  // namespace

TEST(BezierArcs, LineToTheStartThenQuarterCurvesCounterClockwise) {
  BezierPath path;
  path.moveToPoint({0, 0});
  platform::appendArc(path, {10, 0}, 2, 270, 0);  // 270 to 360: one quarter
  EXPECT_EQ(types(path), "mlc");
  expectPoint(path.elementAtIndex(1).points[0], {10, -2});
  expectPoint(path.elementAtIndex(2).points[2], {12, 0});
  BezierPath circle;
  platform::appendArc(circle, {0, 0}, 1, 30, 390);
  EXPECT_EQ(types(circle), "mcccc");
  BezierPath three;
  platform::appendArc(three, {0, 0}, 1, 0, 200);  // 90 + 90 + 20
  EXPECT_EQ(types(three), "mccc");
  expectPoint(three.elementAtIndex(3).points[2], {std::cos(200 * M_PI / 180), std::sin(200 * M_PI / 180)}, 1e-12);
  // Each cubic stays on the circle (within the usual approximation error).
  for (size_t i = 1; i < three.elementCount(); ++i) {
    const Point p0 = three.elementAtIndex(i - 1).type == PathElementType::MoveTo ? three.elementAtIndex(i - 1).points[0]
                                                                               : three.elementAtIndex(i - 1).points[2];
    const auto& e = three.elementAtIndex(i);
    const double x = (p0.x + 3 * e.points[0].x + 3 * e.points[1].x + e.points[2].x) / 8;
    const double y = (p0.y + 3 * e.points[0].y + 3 * e.points[1].y + e.points[2].y) / 8;
    EXPECT_NEAR(std::hypot(x, y), 1, 3e-4);
  }
  BezierPath clockwise;
  platform::appendArc(clockwise, {0, 0}, 1, 90, 0, true);
  EXPECT_EQ(types(clockwise), "mc");
  expectPoint(clockwise.elementAtIndex(1).points[2], {1, 0}, 1e-12);
}

TEST(BezierGeometry, BoundsAndTransforms) {
  const auto oval = platform::bezierPathWithOvalInRect(makeRect(10, 20, 40, 10));
  expectRect(platform::pathBounds(oval), 10, 20, 40, 10, 1e-9);
  const auto cp = platform::controlPointBounds(oval);
  EXPECT_GT(cp.size.width, 40 - 1e-9);
  expectRect(platform::pathBounds(BezierPath()), 0, 0, 0, 0);
  // A curve bulging past its end points.
  BezierPath bulge;
  bulge.moveToPoint({0, 0});
  bulge.curveToPoint({10, 0}, {0, 8}, {10, 8});
  expectRect(platform::pathBounds(bulge), 0, 0, 10, 6);
  expectRect(platform::controlPointBounds(bulge), 0, 0, 10, 8);

  BezierPath square = platform::bezierPathWithRect(makeRect(1, 2, 3, 4));
  square.setLineWidth(7);
  platform::AffineTransform t;
  t.rotateByDegrees(90);
  platform::transformPath(square, t);
  expectPoint(square.elementAtIndex(0).points[0], {-2, 1}, 0);  // quarter turns are exact
  expectRect(platform::pathBounds(square), -6, 1, 4, 3);
  EXPECT_EQ(square.lineWidth(), 7);
  t.invert();
  platform::transformPath(square, t);
  expectRect(platform::pathBounds(square), 1, 2, 3, 4);
  // Translate then rotate: points are translated first.
  platform::AffineTransform tr;
  tr.rotateByDegrees(90);
  tr.translateBy(1, 0);
  expectPoint(tr.transformPoint({0, 0}), {0, 1});
}

TEST(BezierShapes, VerticalSliderKnob) {
  auto knob = shapes::sliderKnobForRect(makeRect(0, 0, 20, 20), false, true);
  EXPECT_EQ(types(*knob), "mclclclclcz");
  const std::vector<Point> expected = {{2, 4},           {3, 3},           {17, 3},          {18, 4},
                                       {18, 11},         {17 + kS, 11 + kS}, {10 + kS, 18 + kS}, {10 - kS, 18 + kS},
                                       {3 - kS, 11 + kS}, {2, 11}};
  const auto points = endPoints(*knob);
  ASSERT_EQ(points.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) expectPoint(points[i], expected[i], 1e-9);
  // Flat edge at y = 3, the point reaching (10, 19).
  expectRect(platform::pathBounds(*knob), 2, 3, 16, 16, 1e-9);
  EXPECT_EQ(knob->lineWidth(), 1);
  EXPECT_EQ(knob->lineJoinStyle(), platform::LineJoinStyle::Round);
}

TEST(BezierShapes, HorizontalSliderKnobPointsRight) {
  auto knob = shapes::sliderKnobForRect(makeRect(0, 0, 20, 20), true, false);
  // L = 3, R = 17, Cx = 10, B = 3, T = 17, Cy = 10.
  const auto points = endPoints(*knob);
  expectPoint(points.front(), {2, 3});
  expectRect(platform::pathBounds(*knob), 2, 2, 16, 16, 1e-9);
  // The point is the arc around (R, Cy) from 315 to 45.
  expectPoint(points[5], {17 + kS, 10 + kS}, 1e-9);
  EXPECT_NEAR(platform::pathBounds(*knob).origin.x + platform::pathBounds(*knob).size.width, 18, 1e-9);
}

TEST(BezierShapes, RoundedRectangleRadii) {
  auto path = shapes::roundedPathForRect(makeRect(0, 0, 40, 30), 0, 5);
  const auto points = endPoints(*path);
  // Bottom corners rounded, top corners square (arcs of radius 0 sit on the corners).
  expectPoint(points[0], {0, 5});
  expectPoint(points[1], {5, 0});
  expectPoint(points[4], {40, 30});
  expectPoint(points[5], {40, 30});
  expectPoint(points[6], {0, 30});
  expectRect(platform::pathBounds(*path), 0, 0, 40, 30, 1e-9);
  EXPECT_EQ(path->elements().back().type, PathElementType::ClosePath);
}

TEST(BezierShapes, PillsAndTheirLineProperties) {
  auto pill = shapes::pillPathForRect(makeRect(0, 0, 40, 10), false);
  EXPECT_EQ(types(*pill), "mcclccz");
  expectPoint(endPoints(*pill)[0], {5, 10});
  expectRect(platform::pathBounds(*pill), 0, 0, 40, 10, 1e-9);
  EXPECT_EQ(pill->lineCapStyle(), platform::LineCapStyle::Butt);
  EXPECT_EQ(pill->lineJoinStyle(), platform::LineJoinStyle::Round);
  EXPECT_EQ(pill->flatness(), 0.1);
  EXPECT_EQ(pill->miterLimit(), 2);
  EXPECT_EQ(pill->windingRule(), platform::WindingRule::NonZero);
  auto vertical = shapes::pillPathForRect(makeRect(0, 0, 10, 40), true);
  expectPoint(endPoints(*vertical)[0], {0, 5});
  expectRect(platform::pathBounds(*vertical), 0, 0, 10, 40, 1e-9);
}

TEST(BezierShapes, CutoutPillRings) {
  auto ring = shapes::cutoutPillPathForRect(makeRect(10, 10, 40, 10), 0, 0, false);
  EXPECT_EQ(ring->windingRule(), platform::WindingRule::EvenOdd);
  EXPECT_EQ(ring->flatness(), 0.1);
  // Outer pill open, inner pill from (x + q, y + h) closed.
  EXPECT_EQ(types(*ring), "mcclccmlcclccz");
  expectRect(platform::pathBounds(*ring), 10, 9, 40, 12, 1e-9);  // 1 beyond across, 0 at the ends
  expectPoint(ring->elementAtIndex(6).points[0], {15, 20});
  auto flanged = shapes::cutoutPillPathForRect(makeRect(10, 10, 40, 10), 3, 5, false);
  expectRect(platform::pathBounds(*flanged), 7, 9, 48, 12, 1e-9);
  // Vertical: the inset still grows y, the flanges extend it further.
  auto vertical = shapes::cutoutPillPathForRect(makeRect(10, 10, 10, 40), 3, 5, true);
  expectRect(platform::pathBounds(*vertical), 10, 6, 10, 50, 1e-9);
}

TEST(BezierShapes, PolygonsUseTheFortyFourSeventhsTurn) {
  EXPECT_FALSE(shapes::polygonWithSides(0));
  EXPECT_FALSE(shapes::meshedPolygonWithSides(0));
  auto one = shapes::polygonWithSides(1);
  EXPECT_EQ(types(*one), "mz");
  expectPoint(one->elementAtIndex(0).points[0], {1, 0}, 0);

  auto square = shapes::polygonWithSides(4);
  EXPECT_EQ(types(*square), "mlllz");
  const float turn = 6.285714f, step = turn / 4;
  const auto points = endPoints(*square);
  expectPoint(points[0], {1, 0}, 0);
  float a = turn;
  for (int i = 1; i < 4; ++i) {
    a -= step;
    expectPoint(points[i], {std::cos(a), std::sin(a)}, 0);
    EXPECT_NEAR(a, turn * (4 - i) / 4, 1e-6);
  }
  // Clockwise; the first edge is short by 0.0025 radians, so the second vertex lies just past (0, -1).
  EXPECT_NEAR(points[1].y, -1, 1e-5);
  EXPECT_NEAR(points[1].x, std::sin(6.285714 - 2 * M_PI) * 0.75, 1e-4);
  EXPECT_GT(points[1].x, 0);
}

TEST(BezierShapes, MeshJoinsEveryPairOnce) {
  auto mesh = shapes::meshedPolygonWithSides(4);
  EXPECT_EQ(types(*mesh), "mlmlmlmlmlml");
  const float turn = 6.285714f, step = turn / 4;
  Point p[4];
  float a = turn;
  for (int k = 3; k >= 0; --k) {
    a -= step;
    p[k] = {std::cos(a), std::sin(a)};
  }
  const int pairs[6][2] = {{3, 2}, {3, 1}, {3, 0}, {2, 1}, {2, 0}, {1, 0}};
  for (int s = 0; s < 6; ++s) {
    expectPoint(mesh->elementAtIndex(size_t(2 * s)).points[0], p[pairs[s][0]], 0);
    expectPoint(mesh->elementAtIndex(size_t(2 * s + 1)).points[0], p[pairs[s][1]], 0);
  }
  EXPECT_NEAR(p[0].x, 1, 1e-5);  // p0 is about angle 0
  EXPECT_EQ(shapes::meshedPolygonWithSides(7)->elementCount(), 7u * 6u);
  EXPECT_EQ(shapes::meshedPolygonWithSides(1)->elementCount(), 0u);
}

TEST(BezierShapes, DrawingAtAPointOfAView) {
  platform::ImageSurface surface(40, 40);
  platform::GraphicsContext context(surface);
  platform::GraphicsContext::CurrentScope scope(context);
  drawing::ContextOriginView view;
  view.setBoundsOrigin({-3, -4});
  auto square = shapes::polygonWithSides(4);
  platform::transformPath(*square, platform::AffineTransform::scaling(5, 5));
  context.setFillColor(platform::Color::whiteColor());
  shapes::fillAtPoint(*square, {20, 10}, &view);
  expectPoint(view.boundsOrigin(), {-3, -4}, 0);
  // Centred on (20, 10) in the view, which sits at (23, 14) of the surface: row 40 - 14.
  const platform::Image image = surface.image();
  EXPECT_EQ(image.pixel(23, 25).r, 255);
  EXPECT_EQ(image.pixel(10, 25).r, 0);
  // Without a view the path is drawn where it is.
  context.setStrokeColor(platform::Color::whiteColor());
  shapes::strokeAtPoint(*shapes::polygonWithSides(3), {100, 100}, nullptr);
}
