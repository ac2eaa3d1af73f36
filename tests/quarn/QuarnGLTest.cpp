#include "QuarnGLTest.h"

namespace quarntest {

void QuarnGLTest::SetUp() {
  context = std::make_unique<platform::gl::HeadlessGLContext>(kSize, kSize);
  ASSERT_TRUE(context->valid());
  ASSERT_TRUE(context->makeCurrent());
}

void QuarnGLTest::TearDown() {
  if (context) {
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  }
}

std::vector<FeedbackPolygon> QuarnGLTest::feedback(const std::function<void()>& draw, float range) {
  std::vector<GLfloat> buffer(1 << 16);
  glViewport(0, 0, kSize, kSize);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(-range, range, -range, range, -range, range);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D, buffer.data());
  glRenderMode(GL_FEEDBACK);
  draw();
  const GLint count = glRenderMode(GL_RENDER);
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();

  // Window coordinates back to object space.
  auto unmap = [range](const GLfloat* w) {
    const float half = kSize / 2.0f;
    return FeedbackVertex{(w[0] / half - 1) * range, (w[1] / half - 1) * range, -(w[2] * 2 - 1) * range};
  };
  std::vector<FeedbackPolygon> polygons;
  for (GLint i = 0; i < count;) {
    const GLenum token = static_cast<GLenum>(buffer[i++]);
    if (token == GL_POLYGON_TOKEN) {
      const int n = static_cast<int>(buffer[i++]);
      FeedbackPolygon polygon;
      for (int v = 0; v < n; ++v, i += 3) polygon.vertices.push_back(unmap(&buffer[i]));
      polygons.push_back(polygon);
    } else if (token == GL_POINT_TOKEN || token == GL_BITMAP_TOKEN || token == GL_DRAW_PIXEL_TOKEN ||
               token == GL_COPY_PIXEL_TOKEN) {
      i += 3;
    } else if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) {
      i += 6;
    } else if (token == GL_PASS_THROUGH_TOKEN) {
      i += 1;
    } else {
      ADD_FAILURE() << "unexpected feedback token " << token;
      break;
    }
  }
  return polygons;
}

std::vector<FeedbackVertex> QuarnGLTest::vertices(const std::vector<FeedbackPolygon>& polygons) {
  std::vector<FeedbackVertex> all;
  for (const auto& p : polygons) all.insert(all.end(), p.vertices.begin(), p.vertices.end());
  return all;
}

GLint QuarnGLTest::getInteger(GLenum name) {
  GLint value = 0;
  glGetIntegerv(name, &value);
  return value;
}

std::vector<float> QuarnGLTest::getFloats(GLenum name, int count) {
  std::vector<float> values(16, 0.0f);
  glGetFloatv(name, values.data());
  values.resize(static_cast<size_t>(count));
  return values;
}

}  // namespace quarntest
