// GL windows on the X display: what the context was granted, a frame cleared to a known colour,
// and overlays (how a child window over a GL parent is shown) composited with their alpha over
// it without disturbing the renderer's GL state.
#include <gtest/gtest.h>

#include "platform/display/NativeWindow.h"
#include "platform/foundation/Log.h"
#include "platform/gl/WindowGLContext.h"
#include "tests/support/DisplayTestSupport.h"

using namespace platform::display;
using namespace platform::gl;
using namespace testsupport;

namespace {

std::unique_ptr<NativeWindow> glWindow(PixelRect frame) {
  WindowStyle style;
  style.borderless = true;
  style.gl = GLSurfaceRequest{};  // the default: 32-bit colour and depth
  return NativeWindow::create("gl window", frame, style);
}

// Premultiplied ARGB32 pixels of one colour.
std::vector<uint32_t> solid(int w, int h, uint32_t argb) { return std::vector<uint32_t>(size_t(w) * h, argb); }

int integer(const GLFunctions& gl, GLenum name) {
  GLint v = 0;
  gl.glGetIntegerv(name, &v);
  return v;
}

}  // namespace

TEST(WindowGLContext, AsksFor32BitColourAndDepthAndSaysWhatItGot) {
  SKIP_WITHOUT_WINDOWS();
  auto window = glWindow({50, 50, 160, 120});
  ASSERT_TRUE(window);
  EXPECT_TRUE(window->isGLCapable());
  auto context = makeWindowGLContext(*window);
  ASSERT_TRUE(context);
  const PixelFormat format = context->pixelFormat();
  platform::log("WindowGLContext test: granted %s; %s, %s", format.description().c_str(), context->glVersion().c_str(),
                context->glRenderer().c_str());
  EXPECT_EQ(format.redBits + format.greenBits + format.blueBits, 24);
  EXPECT_GE(format.depthBits, 24);
  EXPECT_EQ(format.depthBits, window->glSurface().depthBits);  // reports what the window was made with
  EXPECT_TRUE(format.doubleBuffered);
  EXPECT_NE(context->glVersion().find("Compatibility"), std::string::npos) << context->glVersion();
  EXPECT_EQ(context->width(), 160);
  EXPECT_EQ(context->height(), 120);

  // A plain (non-GL) window has no context to give.
  auto plain = NativeWindow::create("plain", {0, 0, 10, 10}, WindowStyle{});
  ASSERT_TRUE(plain);
  EXPECT_EQ(makeWindowGLContext(*plain), nullptr);
}

TEST(WindowGLContext, ClearsToAColourAndCompositesOverlaysWithTheirAlpha) {
  SKIP_WITHOUT_WINDOWS();
  auto window = glWindow({300, 200, 240, 160});
  ASSERT_TRUE(window);
  auto made = makeWindowGLContext(*window);
  ASSERT_TRUE(made);
  auto& context = static_cast<WindowGLContext&>(*made);
  const GLFunctions& gl = context.functions();
  window->show();
  spinMainLoop(0.2);

  // A translucent white panel (alpha 0.5) whose corner is transparent, and an opaque green
  // square faded to 0.25 by its overlay opacity.
  auto panel = solid(100, 40, 0x80808080u);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) panel[size_t(y) * 100 + x] = 0;
  context.overlays().setOverlay(1, reinterpret_cast<const uint8_t*>(panel.data()), 100, 40, 400, 20, 100, 1.0f);
  auto square = solid(30, 30, 0xFF00FF00u);
  context.overlays().setOverlay(2, reinterpret_cast<const uint8_t*>(square.data()), 30, 30, 120, 180, 20, 0.25f);

  // The renderer's own state, which the overlays must leave alone.
  gl.glEnable(GL_DEPTH_TEST);
  gl.glDisable(GL_BLEND);
  gl.glMatrixMode(GL_PROJECTION);
  GLuint texture = 0;
  gl.glGenTextures(1, &texture);
  gl.glBindTexture(GL_TEXTURE_2D, texture);

  gl.glClearColor(0.0f, 0.0f, 1.0f, 1.0f);  // blue
  gl.glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  context.flushBuffer();
  EXPECT_EQ(integer(gl, GL_DEPTH_TEST), 1);
  EXPECT_EQ(integer(gl, GL_BLEND), 0);
  EXPECT_EQ(integer(gl, GL_MATRIX_MODE), GL_PROJECTION);
  EXPECT_EQ(integer(gl, GL_TEXTURE_BINDING_2D), int(texture));
  EXPECT_EQ(integer(gl, GL_VIEWPORT), 0);
  spinMainLoop(0.1);

  platform::Image shot = screenshot(screenshotFile("gl-window-overlays.png"));
  ASSERT_FALSE(shot.empty());
  const int ox = 300, oy = 200;
  EXPECT_TRUE(pixelNear(shot, ox + 5, oy + 5, 0, 0, 255)) << describePixel(shot, ox + 5, oy + 5);
  // The panel: half white over blue.
  EXPECT_TRUE(pixelNear(shot, ox + 60, oy + 120, 128, 128, 255, 4)) << describePixel(shot, ox + 60, oy + 120);
  // Its transparent corner shows the blue beneath.
  EXPECT_TRUE(pixelNear(shot, ox + 22, oy + 102, 0, 0, 255)) << describePixel(shot, ox + 22, oy + 102);
  // The square at a quarter: 0.25 green over 0.75 blue.
  EXPECT_TRUE(pixelNear(shot, ox + 195, oy + 35, 0, 64, 191, 4)) << describePixel(shot, ox + 195, oy + 35);

  // Moved, faded out and removed: the next frames show so.
  context.overlays().moveOverlay(2, 10, 10);
  context.overlays().setOverlayAlpha(1, 0);
  gl.glClear(GL_COLOR_BUFFER_BIT);
  context.flushBuffer();
  spinMainLoop(0.1);
  shot = screenshot();
  EXPECT_TRUE(pixelNear(shot, ox + 60, oy + 120, 0, 0, 255)) << describePixel(shot, ox + 60, oy + 120);
  EXPECT_TRUE(pixelNear(shot, ox + 20, oy + 20, 0, 64, 191, 4)) << describePixel(shot, ox + 20, oy + 20);
  EXPECT_TRUE(pixelNear(shot, ox + 195, oy + 35, 0, 0, 255)) << describePixel(shot, ox + 195, oy + 35);

  context.overlays().removeOverlay(2);
  EXPECT_FALSE(context.overlays().hasOverlay(2));
  gl.glClear(GL_COLOR_BUFFER_BIT);
  context.flushBuffer();
  spinMainLoop(0.1);
  shot = screenshot();
  EXPECT_TRUE(pixelNear(shot, ox + 20, oy + 20, 0, 0, 255)) << describePixel(shot, ox + 20, oy + 20);
  gl.glDeleteTextures(1, &texture);
}
