// Real windows on a virtual X display, driven by real X input (xdotool) and looked at through
// screenshots: a Cairo-drawn view and a slider changed by a click, a drag and wheel notches, with
// the event-tracking mode's timers running during the drag; a GL window with a translucent child
// composited over it; native child windows and levels.
#include <gtest/gtest.h>

#include <cmath>
#include <thread>

#include "platform/appkit/Button.h"
#include "platform/appkit/OpenGLView.h"
#include "platform/appkit/Slider.h"
#include "platform/display/NativeWindow.h"
#include "platform/graphics/BezierPathGeometry.h"
#include "tests/appkit/AppKitTestSupport.h"
#include "tests/support/DisplayTestSupport.h"

using namespace appkittest;
using namespace testsupport;

namespace {

constexpr double kScreenHeight = 1024;  // xvfb-run's screen

// Screen pixel (top-left origin) of a point in a window's base coordinates.
std::pair<int, int> onScreen(const NSWindow& w, NSPoint p) {
  const NSPoint s = w.convertBaseToScreen(p);
  return {int(std::lround(s.x)), int(std::lround(kScreenHeight - s.y))};
}

std::string num(double v) { return std::to_string(int(std::lround(v))); }

void pause(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); }

// A slider that steps with the wheel as the heads-up slider does: a twentieth of the range per
// notch, a tenth of that with Option.
class WheelSlider : public NSSlider {
 public:
  using NSSlider::NSSlider;
  void scrollWheel(const NSEvent& e) override {
    double step = (maxValue() - minValue()) / 20;
    if (e.modifierFlags & NSAlternateKeyMask) step *= 0.1;
    if (e.deltaY == 0) return;
    setDoubleValue(doubleValue() + (e.deltaY > 0 ? step : -step));
    sendAction();
  }
};

// A translucent rounded panel body: white at half alpha inside a rounded outline, clear outside.
class RoundedView : public NSView {
 public:
  using NSView::NSView;
  void drawRect(NSRect) override {
    NSColor::clearColor().setFill();
    NSRectFill(bounds());
    auto* context = platform::GraphicsContext::current();
    context->setFillColor(platform::Color::calibratedWhite(1, 0.5));
    context->fillPath(platform::bezierPathWithRoundedRect(bounds(), 12));
  }
};

}  // namespace

TEST(AppKitRealWindows, ADrawnViewAndASliderTakeClicksDragsAndWheelNotches) {
  SKIP_WITHOUT_WINDOWS();
  NSWindow window(NSMakeRect(200, 424, 400, 200), NSTitledWindowMask, NSBackingStoreBuffered, false);
  window.setTitle("slider window");
  window.setBackgroundColor(NSColor::colorWithCalibratedWhite(0.9, 1));
  auto paint = std::make_shared<FillView>(NSMakeRect(20, 120, 100, 60), NSColor::colorWithCalibratedRed(1, 0.5, 0, 1));
  auto slider = std::make_shared<WheelSlider>(NSMakeRect(20, 40, 211, 21));
  slider->setMaxValue(100);
  slider->setDoubleValue(50);
  window.contentView()->addSubview(paint);
  window.contentView()->addSubview(slider);
  auto& loop = platform::RunLoop::mainRunLoop();
  int trackingTicks = 0, defaultTicks = 0;
  int trackingAtDown = 0, defaultAtDown = 0, trackingInDrag = -1, defaultInDrag = -1;
  std::vector<NSEventType> actions;
  slider->setAction([&](NSControl&) {
    const auto& e = NSApplication::sharedApplication().currentEvent();
    const NSEventType type = e ? e->type : NSEventType::Other;
    actions.push_back(type);
    if (type == NSEventType::LeftMouseDown) {
      trackingAtDown = trackingTicks;
      defaultAtDown = defaultTicks;
    }
    if (type == NSEventType::LeftMouseUp) {
      trackingInDrag = trackingTicks - trackingAtDown;
      defaultInDrag = defaultTicks - defaultAtDown;
    }
  });
  const auto trackingTimer = loop.addTimer(0.02, true, [&] { ++trackingTicks; }, {platform::RunLoop::kEventTrackingRunLoopMode});
  const auto defaultTimer = loop.addTimer(0.02, true, [&] { ++defaultTicks; });
  window.makeKeyAndOrderFront();
  spinMainLoop(0.3);
  ASSERT_NE(window.nativeWindow(), nullptr);
  // The native window is the content rectangle, turned to top-left coordinates.
  const WindowGeometry g = windowGeometry(window.nativeWindow()->systemWindowId());
  EXPECT_EQ(g.x, 200);
  EXPECT_EQ(g.y, 1024 - 424 - 200);
  EXPECT_EQ(g.width, 400);
  EXPECT_EQ(g.height, 200);

  // The drawn view sits where its frame says (window y 120..180 from the bottom: 20..80 from the top).
  platform::Image shot = screenshot(screenshotFile("appkit-slider-window.png"));
  ASSERT_FALSE(shot.empty());
  EXPECT_TRUE(pixelNear(shot, 200 + 70, 400 + 50, 255, 128, 0)) << describePixel(shot, 270, 450);
  EXPECT_TRUE(pixelNear(shot, 200 + 70, 400 + 10, 230, 230, 230)) << describePixel(shot, 270, 410);
  EXPECT_TRUE(pixelNear(shot, 200 + 130, 400 + 50, 230, 230, 230)) << describePixel(shot, 330, 450);

  // The knob's centre for a value v lies at slider x 10 + 191 v / 100.
  auto knob = [&](double v) { return onScreen(window, slider->convertPointToView({10 + 1.91 * v, 10.5}, nullptr)); };
  const auto [clickX, clickY] = knob(75);
  driveWhileRunning([&, x = clickX, y = clickY] {
    xdotool({"mousemove", num(x), num(y)});
    pause(0.1);
    xdotool({"click", "1"});
  });
  EXPECT_NEAR(slider->doubleValue(), 75, 0.6);
  ASSERT_GE(actions.size(), 2u);
  EXPECT_EQ(actions.front(), NSEventType::LeftMouseDown);
  EXPECT_EQ(actions.back(), NSEventType::LeftMouseUp);

  // Drag the knob from 75 to 25, slowly: the tracking mode's timer runs, the default one waits.
  actions.clear();
  const auto [toX, toY] = knob(25);
  driveWhileRunning([&, x0 = clickX, y0 = clickY, x1 = toX, y1 = toY] {
    xdotool({"mousemove", num(x0), num(y0)});
    pause(0.1);
    xdotool({"mousedown", "1"});
    for (int i = 1; i <= 5; ++i) {
      pause(0.08);
      xdotool({"mousemove", num(x0 + (x1 - x0) * i / 5.0), num(y0 + 3)});
    }
    pause(0.1);
    xdotool({"mouseup", "1"});
  });
  EXPECT_NEAR(slider->doubleValue(), 25, 0.6);
  EXPECT_GE(std::count(actions.begin(), actions.end(), NSEventType::LeftMouseDragged), 2);
  EXPECT_GE(trackingInDrag, 10);  // about half a second at 20 ms
  EXPECT_EQ(defaultInDrag, 0);
  EXPECT_GT(defaultTicks, 0);

  // Wheel notches over the slider: up, down, and up with Option (Alt) held.
  std::vector<double> afterNotches;
  slider->setAction([&](NSControl& s) { afterNotches.push_back(s.doubleValue()); });
  driveWhileRunning([&, x = toX, y = toY] {
    xdotool({"mousemove", num(x), num(y)});
    pause(0.05);
    xdotool({"click", "4"});
    xdotool({"click", "5"});
    xdotool({"click", "5"});
    xdotool({"keydown", "alt"});
    xdotool({"click", "4"});
    xdotool({"keyup", "alt"});
  });
  const double start = afterNotches.empty() ? 0 : afterNotches.front() - 5;
  ASSERT_EQ(afterNotches.size(), 4u);
  EXPECT_NEAR(afterNotches[0], start + 5, 1e-9);
  EXPECT_NEAR(afterNotches[1], start, 1e-9);
  EXPECT_NEAR(afterNotches[2], start - 5, 1e-9);
  EXPECT_NEAR(afterNotches[3], start - 4.5, 1e-9);
  EXPECT_NEAR(start, 25, 0.6);

  // The knob is drawn where the value says: its centre pixel is the knob's near-white.
  spinMainLoop(0.1);
  shot = screenshot(screenshotFile("appkit-slider-after.png"));
  const auto [kx, ky] = knob(slider->doubleValue());
  EXPECT_TRUE(pixelNear(shot, kx, ky, 247, 247, 247, 4)) << describePixel(shot, kx, ky);
  loop.invalidateTimer(trackingTimer);
  loop.invalidateTimer(defaultTimer);
}

TEST(AppKitRealWindows, AGLWindowShowsATranslucentChildCompositedOverIt) {
  SKIP_WITHOUT_WINDOWS();
  NSWindow movie(NSMakeRect(500, 300, 320, 240), NSBorderlessWindowMask, NSBackingStoreBuffered, false);
  movie.setBackgroundColor(NSColor::colorWithCalibratedRed(1, 0, 0, 1));  // the GL view clears to it
  movie.setContentView(std::make_shared<NSOpenGLView>(NSMakeRect(0, 0, 320, 240)));
  NSPanel panel(NSMakeRect(520, 310, 280, 60), NSBorderlessWindowMask, NSBackingStoreBuffered, false);
  panel.setOpaque(false);
  panel.setBackgroundColor(NSColor::clearColor());
  auto body = std::make_shared<RoundedView>(NSMakeRect(0, 0, 280, 60));
  panel.setContentView(body);
  auto button = std::make_shared<NSButton>(NSMakeRect(200, 15, 60, 30));
  button->setTitle("Go");
  body->addSubview(button);
  int clicks = 0;
  button->setAction([&](NSControl&) { ++clicks; });
  movie.addChildWindow(&panel, NSWindowAbove);
  movie.orderFront();
  panel.orderFront();
  spinMainLoop(0.4);
  ASSERT_NE(movie.nativeWindow(), nullptr);
  EXPECT_TRUE(movie.nativeWindow()->isGLCapable());
  EXPECT_EQ(panel.nativeWindow(), nullptr);  // drawn into the movie window's frame

  platform::Image shot = screenshot(screenshotFile("appkit-gl-translucent-child.png"));
  ASSERT_FALSE(shot.empty());
  // Screen top of the movie window: 1024 - 540 = 484; the panel's top: 1024 - 370 = 654.
  EXPECT_TRUE(pixelNear(shot, 510, 494, 255, 0, 0)) << describePixel(shot, 510, 494);
  EXPECT_TRUE(pixelNear(shot, 560, 684, 255, 128, 128, 4)) << describePixel(shot, 560, 684);  // half white over red
  EXPECT_TRUE(pixelNear(shot, 521, 655, 255, 0, 0, 4)) << describePixel(shot, 521, 655);     // outside the rounding
  EXPECT_FALSE(pixelNear(shot, 740, 684, 255, 128, 128, 10));                                 // the button

  // A real click on the child, through the parent's native window, reaches its button.
  driveWhileRunning([] {
    xdotool({"mousemove", "750", "684"});
    pause(0.05);
    xdotool({"click", "1"});
  });
  EXPECT_EQ(clicks, 1);

  // Half faded, the panel shows a quarter white.
  panel.setAlphaValue(0.5);
  spinMainLoop(0.2);
  shot = screenshot();
  EXPECT_TRUE(pixelNear(shot, 560, 684, 255, 64, 64, 4)) << describePixel(shot, 560, 684);
  // Moving the parent takes the child along.
  movie.setFrameOrigin({400, 300});
  spinMainLoop(0.3);
  EXPECT_EQ(panel.frame().origin, (NSPoint{420, 310}));
  shot = screenshot(screenshotFile("appkit-gl-moved.png"));
  EXPECT_TRUE(pixelNear(shot, 460, 684, 255, 64, 64, 4)) << describePixel(shot, 460, 684);
}

TEST(AppKitRealWindows, OpaqueChildrenMoveAlongAndFloatingWindowsStayAbove) {
  SKIP_WITHOUT_WINDOWS();
  NSWindow normal(NSMakeRect(100, 100, 200, 200), NSBorderlessWindowMask, NSBackingStoreBuffered, false);
  normal.setBackgroundColor(NSColor::colorWithCalibratedRed(0, 0, 1, 1));
  NSPanel floating(NSMakeRect(150, 150, 100, 100), NSBorderlessWindowMask, NSBackingStoreBuffered, false);
  floating.setLevel(NSFloatingWindowLevel);
  floating.setBackgroundColor(NSColor::colorWithCalibratedRed(0, 1, 0, 1));
  NSWindow child(NSMakeRect(110, 110, 30, 30), NSBorderlessWindowMask, NSBackingStoreBuffered, false);
  child.setBackgroundColor(NSColor::whiteColor());
  normal.addChildWindow(&child, NSWindowAbove);
  floating.orderFront();
  normal.orderFront();  // ordered front later, yet the floating one stays above it
  child.orderFront();
  spinMainLoop(0.3);
  platform::Image shot = screenshot(screenshotFile("appkit-levels.png"));
  // Overlap of the two at screen (200, 824 .. ): the floating window's green.
  EXPECT_TRUE(pixelNear(shot, 200, 1024 - 200, 0, 255, 0)) << describePixel(shot, 200, 824);
  EXPECT_TRUE(pixelNear(shot, 120, 1024 - 180, 0, 0, 255)) << describePixel(shot, 120, 844);
  ASSERT_NE(child.nativeWindow(), nullptr);
  EXPECT_TRUE(pixelNear(shot, 125, 1024 - 125, 255, 255, 255)) << describePixel(shot, 125, 899);

  normal.setFrameOrigin({300, 100});
  spinMainLoop(0.3);
  const WindowGeometry g = windowGeometry(child.nativeWindow()->systemWindowId());
  EXPECT_EQ(g.x, 310);
  EXPECT_EQ(g.y, 1024 - 140);
}
