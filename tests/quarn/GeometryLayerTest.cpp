// Geometry types replayed through feedback; the vertex-array cube; 2D backdrop layers.
#include <cmath>
#include <stdexcept>

#include "QuarnGLTest.h"
#include "QuarnLogCapture.h"
#include "quarn/Quarn.h"
#include "tests/support/TestSupport.h"

using quarntest::FeedbackVertex;
using quarntest::QuarnGLTest;

namespace {

struct Bounds {
  float minX = 1e9f, maxX = -1e9f, minY = 1e9f, maxY = -1e9f, minZ = 1e9f, maxZ = -1e9f;
};

Bounds boundsOf(const std::vector<FeedbackVertex>& vs) {
  Bounds b;
  for (const auto& v : vs) {
    b.minX = std::min(b.minX, v.x), b.maxX = std::max(b.maxX, v.x);
    b.minY = std::min(b.minY, v.y), b.maxY = std::max(b.maxY, v.y);
    b.minZ = std::min(b.minZ, v.z), b.maxZ = std::max(b.maxZ, v.z);
  }
  return b;
}

}  // namespace

TEST_F(QuarnGLTest, EveryGeometryTypeBuildsItsShape) {
  QuarnGeometry geometry;
  EXPECT_EQ(geometry.name(), "New Geometry");
  EXPECT_EQ(geometry.geometryType(), "quad");
  EXPECT_EQ(QuarnGeometry::geometryTypes(),
            (std::vector<std::string>{"quad", "box", "sphere", "cone", "cylinder", "disc", "geosphere"}));
  auto draw = [&] { geometry.drawGeometry(); };

  auto quad = feedback(draw, 3);
  EXPECT_EQ(quad.size(), 2u);
  EXPECT_NEAR(boundsOf(vertices(quad)).maxX, 1.5f, 0.05f);

  geometry.setGeometryType("box");
  EXPECT_EQ(feedback(draw, 3).size(), 12u);

  geometry.setGeometryType("sphere");  // 4 slices × 4 stacks
  auto sphere = feedback(draw, 3);
  EXPECT_GE(sphere.size(), 8u);
  for (const auto& v : vertices(sphere)) EXPECT_NEAR(std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z), 1.0f, 0.05f);
  Bounds sb = boundsOf(vertices(sphere));
  EXPECT_NEAR(sb.minZ, -1, 0.05f);
  EXPECT_NEAR(sb.maxZ, 1, 0.05f);

  geometry.setGeometryType("Sphere");  // not a type name: nothing changes
  EXPECT_EQ(geometry.geometryType(), "sphere");
  EXPECT_EQ(feedback(draw, 3).size(), sphere.size());

  geometry.setGeometryType("cone");
  Bounds cone = boundsOf(vertices(feedback(draw, 3)));
  EXPECT_NEAR(cone.minZ, 0, 0.05f);
  EXPECT_NEAR(cone.maxZ, 2, 0.05f);
  EXPECT_NEAR(cone.maxX, 1, 0.05f);

  geometry.setGeometryType("cylinder");
  auto cylinder = vertices(feedback(draw, 3));
  for (const auto& v : cylinder) EXPECT_NEAR(std::hypot(v.x, v.y), 1.0f, 0.05f);  // top radius 1 too
  EXPECT_NEAR(boundsOf(cylinder).maxZ, 2, 0.05f);

  geometry.setGeometryType("disc");
  auto disc = vertices(feedback(draw, 3));
  EXPECT_EQ(feedback(draw, 3).size(), 10u);  // 10 slices, one loop
  for (const auto& v : disc) EXPECT_NEAR(v.z, 0, 0.05f);

  geometry.setGeometryType("geosphere");
  EXPECT_EQ(feedback(draw, 3).size(), 20u);

  // Setting the current type again rebuilds it under a fresh list.
  const GLuint before = geometry.displayList();
  geometry.setGeometryType("geosphere");
  EXPECT_NE(geometry.displayList(), 0u);
  EXPECT_FALSE(before != geometry.displayList() && glIsList(before));
}

TEST_F(QuarnGLTest, VertexArraysDrawTheColourCubeWhateverTheType) {
  QuarnGeometry geometry;
  geometry.setGeometryType("sphere");
  geometry.toggleVertexArrays();
  EXPECT_TRUE(geometry.useVertexArrays());
  auto polygons = feedback([&] { geometry.drawGeometry(); }, 3);
  EXPECT_EQ(polygons.size(), 12u);
  Bounds b = boundsOf(vertices(polygons));
  EXPECT_NEAR(b.minX, -1, 0.05f);
  EXPECT_NEAR(b.maxY, 1, 0.05f);
  glDisableClientState(GL_VERTEX_ARRAY);
  glDisableClientState(GL_COLOR_ARRAY);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
}

TEST_F(QuarnGLTest, MeshIsAGeometry) {
  std::shared_ptr<QuarnGeometry> mesh = std::make_shared<QuarnMesh>();
  mesh->setGeometryType("box");
  EXPECT_EQ(feedback([&] { mesh->drawGeometry(); }, 3).size(), 12u);
}

TEST(QuarnLayer2D, CornersFollowSizeDepthAndViewAngle) {
  QuarnLayer2D layer;
  EXPECT_EQ(layer.name(), "New 2D-layer");
  EXPECT_FLOAT_EQ(layer.depth(), 1.01f);
  EXPECT_EQ(layer.size(), (QuarnSize{400, 300}));
  layer.setViewAngle(90);
  EXPECT_FLOAT_EQ(layer.viewAngle(), 1.0f);
  layer.setSize({400, 300});
  const float expected[4][3] = {{-1.3466667f, -1.01f, -1.01f},
                                {1.3466667f, -1.01f, -1.01f},
                                {1.3466667f, 1.01f, -1.01f},
                                {-1.3466667f, 1.01f, -1.01f}};
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 3; ++j) EXPECT_NEAR(layer.vertex(i)[j], expected[i][j], 1e-6) << i << "," << j;

  layer.setViewAngle(120);
  EXPECT_NEAR(layer.viewAngle(), ((30 / 3.1429) * (30 / 3.1429) + 90) / 90, 1e-5);
  EXPECT_NEAR(layer.viewAngle(), 2.0124f, 1e-4);
  layer.setViewAngle(45);
  EXPECT_FLOAT_EQ(layer.viewAngle(), 0.5f);
  layer.setDepth(2);  // corners follow at once
  EXPECT_FLOAT_EQ(layer.vertex(2)[1], 1.0f);
  EXPECT_FLOAT_EQ(layer.vertex(2)[2], -2.0f);
}

TEST(QuarnLayer2D, CornerColours) {
  QuarnLayer2D layer;
  for (int i = 0; i < 4; ++i) {
    auto c = layer.getColor(i);
    ASSERT_TRUE(c.has_value());
    EXPECT_FLOAT_EQ(c->alpha, 0.25f);
    // Saturation 1, brightness 0.5: the largest channel is 0.5, the smallest 0.
    EXPECT_FLOAT_EQ(std::max({c->red, c->green, c->blue}), 0.5f);
    EXPECT_FLOAT_EQ(std::min({c->red, c->green, c->blue}), 0.0f);
  }
  layer.setColor(2, QuarnColor::colorWithCalibratedRed(0.1f, 0.2f, 0.3f, 0.4f));
  EXPECT_EQ(*layer.getColor(2), QuarnColor::colorWithCalibratedRed(0.1f, 0.2f, 0.3f, 0.4f));
  quarntest::QuarnLogCapture log;
  EXPECT_FALSE(layer.getColor(4).has_value());
  EXPECT_FALSE(layer.getColor(-1).has_value());
  EXPECT_EQ(log.messages(), (std::vector<std::string>{"illegal colorList index", "illegal colorList index"}));
  EXPECT_THROW(layer.setColor(4, {}), std::out_of_range);
}

TEST_F(QuarnGLTest, BackdropsCycleTheClearColourOncePerFrame) {
  auto camera = std::make_shared<QuarnCamera>();
  camera->initGL();
  auto first = camera->addBackdrop();
  camera->renderScene();
  EXPECT_EQ(first->bgHue(), 1);
  // Hue 1°, saturation 1, brightness 0.25, alpha 1 replaces the camera's black at once.
  auto clear = getFloats(GL_COLOR_CLEAR_VALUE, 4);
  EXPECT_FLOAT_EQ(clear[0], 0.25f);
  EXPECT_NEAR(clear[1], 0.25f * 6 / 360, 1e-6);
  EXPECT_FLOAT_EQ(clear[2], 0);
  EXPECT_FLOAT_EQ(clear[3], 1);
  // The backdrop leaves blending off and depth testing and lighting on; texturing off.
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_EQ(getInteger(GL_BLEND_SRC), GL_SRC_ALPHA);
  EXPECT_EQ(getInteger(GL_BLEND_DST), GL_ONE_MINUS_SRC_ALPHA);

  // Lighting or depth testing switched off from outside stays off behind the backdrop.
  glDisable(GL_LIGHTING);
  camera->renderScene();
  EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  glDisable(GL_DEPTH_TEST);
  camera->renderScene();
  EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
  glEnable(GL_LIGHTING);
  glEnable(GL_DEPTH_TEST);
  first->cycleBGColor();
  EXPECT_EQ(first->bgHue(), 4);

  for (int i = 4; i < 360; ++i) first->cycleBGColor();
  EXPECT_EQ(first->bgHue(), 0);  // full turn

  auto second = camera->addBackdrop();
  for (int i = 0; i < 120; ++i) second->cycleBGColor();  // second at 120°
  camera->renderScene();
  EXPECT_EQ(first->bgHue(), 1);
  EXPECT_EQ(second->bgHue(), 121);
  // The one drawn last sets the clear colour: hue 121° is mostly green.
  clear = getFloats(GL_COLOR_CLEAR_VALUE, 4);
  EXPECT_FLOAT_EQ(clear[1], 0.25f);
  EXPECT_LT(clear[0], 0.01f);
}
