// Vector kit, random helpers and the display-list meshes.
#include <cmath>
#include <cstdlib>
#include <set>
#include <tuple>

#include "QuarnGLTest.h"
#include "quarn/Quarn.h"

using quarntest::FeedbackPolygon;
using quarntest::FeedbackVertex;
using quarntest::QuarnGLTest;

namespace {

void expectVector(const Vector& v, float x, float y, float z) {
  EXPECT_FLOAT_EQ(v.x, x);
  EXPECT_FLOAT_EQ(v.y, y);
  EXPECT_FLOAT_EQ(v.z, z);
}

// Outward winding: the triangle's normal points away from the origin (convex meshes about it).
bool windsOutward(const FeedbackPolygon& p) {
  const auto& a = p.vertices[0];
  const auto& b = p.vertices[1];
  const auto& c = p.vertices[2];
  Vector u{b.x - a.x, b.y - a.y, b.z - a.z};
  Vector w{c.x - a.x, c.y - a.y, c.z - a.z};
  Vector n = vectorCross(&u, &w);
  Vector centre{(a.x + b.x + c.x) / 3, (a.y + b.y + c.y) / 3, (a.z + b.z + c.z) / 3};
  return vectorDot(&n, &centre) > 0;
}

std::set<std::tuple<int, int, int>> distinctPoints(const std::vector<FeedbackVertex>& vs) {
  std::set<std::tuple<int, int, int>> points;
  for (const auto& v : vs)
    points.insert({static_cast<int>(std::lround(v.x * 100)), static_cast<int>(std::lround(v.y * 100)),
                   static_cast<int>(std::lround(v.z * 100))});
  return points;
}

}  // namespace

TEST(QuarnVector, ArithmeticInPlace) {
  Vector a{1, 2, 3};
  const Vector b{1, 1, 1};
  vectorMadd(&a, &b, -0.5f);  // the sum is scaled, not b alone
  expectVector(a, -1, -1.5f, -2);

  Vector x{1, 0, 0}, y{0, 1, 0}, z{0, 0, 1};
  expectVector(vectorCross(&x, &y), 0, 0, 1);
  expectVector(vectorCross(&z, &x), 0, 1, 0);
  EXPECT_FLOAT_EQ(vectorDot(&a, &b), -4.5f);

  Vector v{3, 4, 0};
  EXPECT_FLOAT_EQ(vectorMagnitude(&v), 5);
  expectVector(vectorGetNormalised(&v), 0.6f, 0.8f, 0);
  expectVector(v, 3, 4, 0);  // untouched
  vectorNormalise(&v);
  expectVector(v, 0.6f, 0.8f, 0);

  Vector c{1, 2, 3};
  vectorAddScalar(&c, 1);
  expectVector(c, 2, 3, 4);
  vectorSubtractVector(&c, &b);
  expectVector(c, 1, 2, 3);
  vectorMultiplyByScalar(&c, 2);
  expectVector(c, 2, 4, 6);
  vectorAddVector(&c, &b);
  expectVector(c, 3, 5, 7);
  Vector d{};
  vectorSetToVector(&d, &c);
  expectVector(d, 3, 5, 7);

  Vector zero{0, 0, 0};
  EXPECT_TRUE(std::isnan(vectorGetNormalised(&zero).x));
}

TEST(QuarnRandom, FollowsTheDrawsOfRandom) {
  for (unsigned seed : {1u, 7u, 12345u}) {
    srandom(seed);
    const long d1 = random(), d2 = random(), d3 = random();
    srandom(seed);
    EXPECT_EQ(randomSign(), (d1 % 2) ? 1 : -1);
    EXPECT_FLOAT_EQ(randomFloat(), static_cast<float>((d2 % 100000 + 1) * 0.00001));
    EXPECT_FLOAT_EQ(randomRange(2, 4), 2 + 2 * static_cast<float>((d3 % 100000 + 1) * 0.00001));
  }
  EXPECT_FLOAT_EQ(randomRange(5, 5), 5);
  for (int i = 0; i < 1000; ++i) {
    const float f = randomFloat();
    EXPECT_GT(f, 0.0f);
    EXPECT_LE(f, 1.0f);
    const float r = randomRange(2, 1);  // unordered bounds
    EXPECT_GE(r, 1.0f);
    EXPECT_LE(r, 2.0f);
  }
}

TEST(QuarnRandom, DrawOf99999GivesExactlyOne) {
  // Find a seed whose first draw is 99999 modulo 100000.
  unsigned seed = 0;
  for (unsigned s = 1; s < 5000000; ++s) {
    srandom(s);
    if (random() % 100000 == 99999) {
      seed = s;
      break;
    }
  }
  ASSERT_NE(seed, 0u);
  srandom(seed);
  EXPECT_EQ(randomFloat(), 1.0f);
}

TEST(QuarnRandom, RandomVectorSignsAndMagnitudes) {
  srandom(99);
  long draws[6];
  for (long& d : draws) d = random();
  srandom(99);
  Vector v;
  randomVector(&v, 0.25f, 2.5f);
  const float* c[3] = {&v.x, &v.y, &v.z};
  for (int i = 0; i < 3; ++i) {
    const float sign = (draws[2 * i] % 2) ? 1.0f : -1.0f;
    const float f = static_cast<float>((draws[2 * i + 1] % 100000 + 1) * 0.00001);
    EXPECT_FLOAT_EQ(*c[i], sign * (0.25f + f * 2.25f));
  }
  for (int i = 0; i < 500; ++i) {
    randomVector(&v, 0.25f, 2.5f);
    for (float comp : {v.x, v.y, v.z}) {
      EXPECT_GE(std::fabs(comp), 0.25f);
      EXPECT_LE(std::fabs(comp), 2.5f);
    }
  }
}

TEST_F(QuarnGLTest, CubesCoverTheSixFacesWindingOutward) {
  for (auto builder : {plainCube, texturedCube, xtexturedCube}) {
    const int id = builder();
    ASSERT_NE(id, 0);
    auto polygons = feedback([&] { glCallList(static_cast<GLuint>(id)); });
    ASSERT_EQ(polygons.size(), 12u);  // six four-vertex faces as triangle pairs
    for (const auto& p : polygons) EXPECT_TRUE(windsOutward(p));
    auto points = distinctPoints(vertices(polygons));
    EXPECT_EQ(points.size(), 8u);
    for (const auto& [x, y, z] : points) {
      EXPECT_EQ(std::abs(x), 100);
      EXPECT_EQ(std::abs(y), 100);
      EXPECT_EQ(std::abs(z), 100);
    }
    glDeleteLists(static_cast<GLuint>(id), 1);
  }
}

TEST_F(QuarnGLTest, OnlyTheQuadCubeCarriesNormals) {
  const GLuint plain = static_cast<GLuint>(plainCube());
  const GLuint textured = static_cast<GLuint>(xtexturedCube());
  glNormal3f(0.25f, 0.5f, 0.75f);
  glCallList(plain);
  EXPECT_EQ(getFloats(GL_CURRENT_NORMAL, 3), (std::vector<float>{0.25f, 0.5f, 0.75f}));
  glCallList(textured);
  // The last face is the right one.
  EXPECT_EQ(getFloats(GL_CURRENT_NORMAL, 3), (std::vector<float>{1, 0, 0}));
  // The last vertex of every cube face list carries texture coordinate (0, 1).
  glCallList(textured);
  EXPECT_EQ(getFloats(GL_CURRENT_TEXTURE_COORDS, 2), (std::vector<float>{0, 1}));
  glDeleteLists(plain, 1);
  glDeleteLists(textured, 1);
}

TEST_F(QuarnGLTest, TexturedQuadIsAThreeByThreeSquareFacingZ) {
  const GLuint id = static_cast<GLuint>(texturedQuad());
  auto polygons = feedback([&] { glCallList(id); });
  ASSERT_EQ(polygons.size(), 2u);  // a four-vertex strip
  std::set<std::tuple<int, int, int>> expected = {{150, 150, 0}, {-150, 150, 0}, {150, -150, 0}, {-150, -150, 0}};
  EXPECT_EQ(distinctPoints(vertices(polygons)), expected);
  for (const auto& p : polygons) {
    const auto& a = p.vertices[0];
    const auto& b = p.vertices[1];
    const auto& c = p.vertices[2];
    EXPECT_GT((b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x), 0) << "faces +z";
  }
  // The last vertex is (-1.5, -1.5) with texture coordinate (0, 0); no normal is sent.
  glNormal3f(0, 1, 0);
  glCallList(id);
  EXPECT_EQ(getFloats(GL_CURRENT_TEXTURE_COORDS, 2), (std::vector<float>{0, 0}));
  EXPECT_EQ(getFloats(GL_CURRENT_NORMAL, 3), (std::vector<float>{0, 1, 0}));
  glDeleteLists(id, 1);
}

TEST_F(QuarnGLTest, IcosahedronHasTwentyOutwardUnitTriangles) {
  const GLuint id = static_cast<GLuint>(icosahedron());
  auto polygons = feedback([&] { glCallList(id); }, 2.0f);
  ASSERT_EQ(polygons.size(), 20u);
  for (const auto& p : polygons) {
    ASSERT_EQ(p.vertices.size(), 3u);
    EXPECT_TRUE(windsOutward(p));
    for (const auto& v : p.vertices) {
      const Vector u{v.x, v.y, v.z};
      EXPECT_NEAR(vectorMagnitude(&u), 1.0f, 1e-3f);  // window-coordinate round trip
    }
  }
  EXPECT_EQ(distinctPoints(vertices(polygons)).size(), 12u);
  glDeleteLists(id, 1);
}
