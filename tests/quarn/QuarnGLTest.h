#pragma once
// Headless OpenGL for the Quarn suites: a fixture with a current OSMesa context and helpers that
// capture what a drawing call sends down the pipeline (feedback mode) or leaves in GL state.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <functional>
#include <memory>
#include <vector>

#include "platform/gl/HeadlessGLContext.h"

namespace quarntest {

struct FeedbackVertex {
  float x, y, z;  // object space: the helper undoes its own orthographic mapping
};

struct FeedbackPolygon {
  std::vector<FeedbackVertex> vertices;
};

class QuarnGLTest : public ::testing::Test {
 protected:
  static constexpr int kSize = 128;
  void SetUp() override;
  void TearDown() override;

  // Polygons that draw() sends, with identity matrices under an orthographic view of
  // -range … range on every axis (vertices come back in object space).
  std::vector<FeedbackPolygon> feedback(const std::function<void()>& draw, float range = 10.0f);
  // Every vertex of the polygons, in order.
  static std::vector<FeedbackVertex> vertices(const std::vector<FeedbackPolygon>& polygons);

  GLint getInteger(GLenum name);
  std::vector<float> getFloats(GLenum name, int count);

  std::unique_ptr<platform::gl::HeadlessGLContext> context;
};

}  // namespace quarntest
