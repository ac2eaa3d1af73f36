// The headless maker behind the common context interface.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include "platform/gl/GLContext.h"
#include "platform/gl/HeadlessGLContext.h"

using namespace platform::gl;

TEST(HeadlessGLContext, DrawsThroughTheCommonInterface) {
  std::unique_ptr<GLContext> context = makeHeadlessGLContext(64, 32);
  ASSERT_TRUE(context && context->valid());
  ASSERT_TRUE(context->makeCurrent());
  EXPECT_EQ(context->width(), 64);
  EXPECT_EQ(context->height(), 32);
  const PixelFormat format = context->pixelFormat();
  EXPECT_EQ(format.colorBits(), 32);
  EXPECT_EQ(format.depthBits, 24);
  EXPECT_FALSE(format.doubleBuffered);
  EXPECT_NE(context->glVersion().find("Compatibility"), std::string::npos) << context->glVersion();
  EXPECT_FALSE(context->glRenderer().empty());

  // The entry points the context hands out draw into it.
  using ClearColor = void (*)(GLfloat, GLfloat, GLfloat, GLfloat);
  auto clearColor = reinterpret_cast<ClearColor>(context->procAddress("glClearColor"));
  ASSERT_NE(clearColor, nullptr);
  clearColor(1, 0.5f, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  context->flushBuffer();
  const auto* headless = dynamic_cast<HeadlessGLContext*>(context.get());
  ASSERT_NE(headless, nullptr);
  const uint32_t pixel = headless->pixel(10, 10);
  EXPECT_EQ(pixel >> 24, 0xFFu);
  EXPECT_NEAR(int((pixel >> 16) & 0xFF), 128, 1);
  EXPECT_EQ((pixel >> 8) & 0xFF, 0u);
}

TEST(HeadlessGLContext, ADescriptionSaysWhatWasGranted) {
  PixelFormat f;
  f.redBits = f.greenBits = f.blueBits = f.alphaBits = 8;
  f.depthBits = 32;
  f.doubleBuffered = true;
  EXPECT_EQ(f.description(),
            "colour 32 bits (8/8/8/8), depth 32 bits, stencil 0 bits, double-buffered, not accelerated");
}
