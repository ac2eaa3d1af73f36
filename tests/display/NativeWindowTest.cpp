// Native windows as the X server sees them: frame, title, stacking hints, opacity, mapping, and
// the pixels a software window presents.
#include <gtest/gtest.h>

#include "platform/display/NativeWindow.h"
#include "platform/display/SDLLibrary.h"
#include "tests/support/DisplayTestSupport.h"

using namespace platform::display;
using namespace testsupport;

namespace {
WindowStyle borderless() {
  WindowStyle style;
  style.borderless = true;
  return style;
}
}  // namespace

TEST(NativeWindow, FrameTitleHintsAndMappingReachTheWindowSystem) {
  SKIP_WITHOUT_WINDOWS();
  WindowStyle style;
  style.borderless = true;
  style.alwaysOnTop = true;
  style.utility = true;
  auto window = NativeWindow::create("display test", {100, 120, 200, 150}, style);
  ASSERT_TRUE(window);
  EXPECT_STREQ(videoDriver(), "x11");
  const unsigned long xid = window->systemWindowId();
  ASSERT_NE(xid, 0u);
  EXPECT_FALSE(windowGeometry(xid).viewable);  // made hidden

  window->show();
  spinMainLoop(0.2);
  WindowGeometry g = windowGeometry(xid);
  EXPECT_TRUE(g.viewable);
  EXPECT_EQ(g.x, 100);
  EXPECT_EQ(g.y, 120);
  EXPECT_EQ(g.width, 200);
  EXPECT_EQ(g.height, 150);
  EXPECT_EQ(window->frame(), (PixelRect{100, 120, 200, 150}));
  EXPECT_NE(windowProperty(xid, "_NET_WM_STATE").find("_NET_WM_STATE_ABOVE"), std::string::npos);
  EXPECT_NE(windowProperty(xid, "_NET_WM_WINDOW_TYPE").find("_NET_WM_WINDOW_TYPE_UTILITY"), std::string::npos);
  EXPECT_EQ(windowProperty(xid, "WM_NAME"), "\"display test\"");

  window->setFrame({300, 200, 160, 90});
  window->setTitle("moved");
  window->setOpacity(0.5f);
  spinMainLoop(0.2);
  g = windowGeometry(xid);
  EXPECT_EQ(g.x, 300);
  EXPECT_EQ(g.y, 200);
  EXPECT_EQ(g.width, 160);
  EXPECT_EQ(g.height, 90);
  EXPECT_EQ(windowProperty(xid, "WM_NAME"), "\"moved\"");
  EXPECT_EQ(windowProperty(xid, "_NET_WM_WINDOW_OPACITY"), "2147483647");  // half of 0xffffffff

  // Without a window manager only an unmapped window's state changes at once.
  window->hide();
  window->setAlwaysOnTop(false);
  spinMainLoop(0.2);
  EXPECT_FALSE(windowGeometry(xid).viewable);
  EXPECT_EQ(windowProperty(xid, "_NET_WM_STATE").find("_NET_WM_STATE_ABOVE"), std::string::npos);
}

TEST(NativeWindow, SoftwareWindowShowsThePixelsItPresents) {
  SKIP_WITHOUT_WINDOWS();
  auto window = NativeWindow::create("pixels", {400, 300, 120, 80}, borderless());
  ASSERT_TRUE(window);
  window->show();
  spinMainLoop(0.2);
  const unsigned long xid = window->systemWindowId();
  // Left half red, right half half-transparent blue (premultiplied: shows as dark blue on black).
  const int w = 120, h = 80;
  std::vector<uint32_t> pixels(size_t(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) pixels[size_t(y) * w + x] = x < w / 2 ? 0xFFFF0000u : 0x80000080u;
  window->present(reinterpret_cast<const uint8_t*>(pixels.data()), w, h, w * 4);
  // Then only a rectangle: a green square in the red half.
  for (int y = 10; y < 30; ++y)
    for (int x = 10; x < 30; ++x) pixels[size_t(y) * w + x] = 0xFF00FF00u;
  pixels[size_t(70) * w + 5] = 0xFFFFFFFFu;  // outside the rectangle: must not show
  window->present(reinterpret_cast<const uint8_t*>(pixels.data()), w, h, w * 4, {{10, 10, 20, 20}});
  spinMainLoop(0.1);
  const platform::Image shot = screenshot();
  ASSERT_FALSE(shot.empty());
  EXPECT_TRUE(pixelNear(shot, 400 + 40, 300 + 60, 255, 0, 0)) << describePixel(shot, 440, 360);
  EXPECT_TRUE(pixelNear(shot, 400 + 90, 300 + 40, 0, 0, 128)) << describePixel(shot, 490, 340);
  EXPECT_TRUE(pixelNear(shot, 400 + 20, 300 + 20, 0, 255, 0)) << describePixel(shot, 420, 320);
  EXPECT_TRUE(pixelNear(shot, 400 + 5, 300 + 70, 255, 0, 0)) << describePixel(shot, 405, 370);
  EXPECT_FALSE(pixelNear(shot, 400 + 90, 300 + 40, 0, 0, 0, 10));  // the window really is there
  // Presenting keeps the window the window system knows (no GL renderer remaking it).
  EXPECT_EQ(window->systemWindowId(), xid);
}
