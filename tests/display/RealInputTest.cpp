// Real X input (xdotool) through the one event pump: clicks with their counts, keys, wheel
// notches, a drag taken by a tracking loop while the timers of its mode fire, coalesced motion,
// the raw-event hook, and the cursor hidden until the mouse moves.
#include <gtest/gtest.h>

#include <SDL2/SDL.h>

#include <thread>

#include "platform/display/NativeWindow.h"
#include "tests/support/DisplayTestSupport.h"

using namespace platform;
using namespace platform::display;
using namespace testsupport;

namespace {
WindowStyle borderless() {
  WindowStyle style;
  style.borderless = true;
  return style;
}
}  // namespace

namespace {

// A shown window at (200, 150) with every event it gets recorded.
struct InputWindow {
  std::unique_ptr<NativeWindow> window;
  std::vector<Event> events;
  InputWindow(int x = 200, int y = 150) {
    window = NativeWindow::create("input", {x, y, 300, 200}, borderless());
    if (!window) return;
    window->addEventHandler([this](const Event& e) { events.push_back(e); });
    window->show();
    spinMainLoop(0.2);
    events.clear();
  }
  std::vector<Event> ofType(EventType type) const {
    std::vector<Event> out;
    for (const Event& e : events)
      if (e.type == type) out.push_back(e);
    return out;
  }
};

void pause(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); }

}  // namespace

TEST(RealInput, ClicksKeysAndWheelBecomeEventsWithTheirDetails) {
  SKIP_WITHOUT_WINDOWS();
  InputWindow w;
  ASSERT_TRUE(w.window);
  driveWhileRunning([] {
    xdotool({"mousemove", "250", "180"});
    pause(0.1);
    xdotool({"click", "1"});
    pause(0.6);  // past the double-click interval
    xdotool({"click", "--repeat", "2", "--delay", "80", "1"});
    pause(0.2);
    xdotool({"key", "a", "shift+b", "Escape", "Up"});
    xdotool({"click", "4"});  // one notch away from the user
    xdotool({"click", "5"});
    xdotool({"keydown", "alt"});
    xdotool({"click", "4"});
    xdotool({"keyup", "alt"});
  });
  const auto downs = w.ofType(EventType::LeftMouseDown);
  const auto ups = w.ofType(EventType::LeftMouseUp);
  ASSERT_EQ(downs.size(), 3u);
  ASSERT_EQ(ups.size(), 3u);
  EXPECT_EQ(downs[0].clickCount, 1);
  EXPECT_EQ(downs[1].clickCount, 1);
  EXPECT_EQ(downs[2].clickCount, 2);
  EXPECT_EQ(ups[2].clickCount, 2);
  EXPECT_EQ(downs[0].x, 50);  // window coordinates, from its top-left
  EXPECT_EQ(downs[0].y, 30);
  EXPECT_EQ(downs[0].buttonNumber, 0);

  const auto keys = w.ofType(EventType::KeyDown);
  ASSERT_EQ(keys.size(), 4u);
  EXPECT_EQ(keys[0].characters, "a");
  EXPECT_EQ(keys[1].characters, "B");
  EXPECT_EQ(keys[1].charactersIgnoringModifiers, "b");
  EXPECT_TRUE(keys[1].modifierFlags & kShiftKeyMask);
  EXPECT_EQ(keys[2].characters, "\x1b");
  EXPECT_EQ(keys[3].characters, "\xEF\x9C\x80");  // U+F700, the up-arrow function key
  EXPECT_FALSE(w.ofType(EventType::FlagsChanged).empty());  // shift and alt went down and up

  const auto wheel = w.ofType(EventType::ScrollWheel);
  ASSERT_EQ(wheel.size(), 3u);
  EXPECT_EQ(wheel[0].deltaY, 1);
  EXPECT_EQ(wheel[0].deltaX, 0);
  EXPECT_EQ(wheel[0].deviceDeltaX, 0);
  EXPECT_EQ(wheel[1].deltaY, -1);
  EXPECT_EQ(wheel[0].modifierFlags & kAlternateKeyMask, 0u);
  EXPECT_TRUE(wheel[2].modifierFlags & kAlternateKeyMask);
  EXPECT_EQ(wheel[0].x, 50);
}

TEST(RealInput, ADragIsTrackedInTheTrackingModeWhileItsTimersFire) {
  SKIP_WITHOUT_WINDOWS();
  InputWindow w;
  ASSERT_TRUE(w.window);
  auto& loop = RunLoop::mainRunLoop();
  int trackingTicks = 0, defaultTicks = 0, defaultTicksWhileTracking = -1, trackingTicksWhileTracking = -1;
  std::vector<Event> tracked;
  const auto trackingTimer = loop.addTimer(0.02, true, [&] { ++trackingTicks; }, {RunLoop::kEventTrackingRunLoopMode});
  const auto defaultTimer = loop.addTimer(0.02, true, [&] { ++defaultTicks; });
  // On mouse-down, a tracking loop as a control runs one: drags until the button comes up.
  w.window->addEventHandler([&](const Event& e) {
    if (e.type != EventType::LeftMouseDown) return;
    const int defaultBefore = defaultTicks, trackingBefore = trackingTicks;
    for (;;) {
      auto next = EventPump::shared().nextEvent(68, RunLoop::Clock::now() + std::chrono::seconds(20),
                                                RunLoop::kEventTrackingRunLoopMode);
      if (!next) break;
      tracked.push_back(*next);
      if (next->type == EventType::LeftMouseUp) break;
    }
    defaultTicksWhileTracking = defaultTicks - defaultBefore;
    trackingTicksWhileTracking = trackingTicks - trackingBefore;
  });
  driveWhileRunning([] {
    xdotool({"mousemove", "260", "200"});
    pause(0.1);
    xdotool({"mousedown", "1"});
    for (int x = 270; x <= 360; x += 30) {
      pause(0.1);
      xdotool({"mousemove", std::to_string(x), "205"});
    }
    xdotool({"key", "k"});  // not the tracking loop's: it waits
    pause(0.2);
    xdotool({"mouseup", "1"});
  });
  loop.invalidateTimer(trackingTimer);
  loop.invalidateTimer(defaultTimer);

  ASSERT_GE(tracked.size(), 2u);
  EXPECT_EQ(tracked.back().type, EventType::LeftMouseUp);
  EXPECT_EQ(tracked.back().x, 160);
  for (size_t i = 0; i + 1 < tracked.size(); ++i) EXPECT_EQ(tracked[i].type, EventType::LeftMouseDragged);
  EXPECT_EQ(tracked[tracked.size() - 2].x, 160);
  EXPECT_EQ(tracked[tracked.size() - 2].y, 55);
  EXPECT_GE(trackingTicksWhileTracking, 5);  // about half a second of drag at 20 ms
  EXPECT_EQ(defaultTicksWhileTracking, 0);
  EXPECT_GT(defaultTicks, 0);                // before and after the drag
  // The key waited in the queue and came afterwards; the drags were not handed out.
  EXPECT_EQ(w.ofType(EventType::KeyDown).size(), 1u);
  EXPECT_TRUE(w.ofType(EventType::LeftMouseDragged).empty());
}

TEST(RealInput, MotionCoalescesWhileTheLoopIsBusyAndTheRawHookSeesItsWindowOnly) {
  SKIP_WITHOUT_WINDOWS();
  InputWindow w;
  InputWindow other(600, 150);
  ASSERT_TRUE(w.window && other.window);
  std::vector<Uint32> rawTypes;
  w.window->addRawEventObserver([&](const SDL_Event& e) { rawTypes.push_back(e.type); });
  std::thread mover([] {
    for (int x = 210; x <= 400; x += 10) xdotool({"mousemove", std::to_string(x), "200"});
  });
  mover.join();  // the loop did not run meanwhile: the moves wait in the display's queue
  spinMainLoop(0.3);
  const auto moves = w.ofType(EventType::MouseMoved);
  ASSERT_FALSE(moves.empty());
  EXPECT_LT(moves.size(), 5u);  // 20 moves, coalesced
  EXPECT_EQ(moves.back().x, 200);
  EXPECT_EQ(moves.back().y, 50);

  driveWhileRunning([] {
    xdotool({"mousemove", "700", "200"});  // into the other window
    xdotool({"click", "1"});
  });
  EXPECT_EQ(other.ofType(EventType::LeftMouseDown).size(), 1u);
  EXPECT_TRUE(w.ofType(EventType::LeftMouseDown).empty());
  EXPECT_GE(std::count(rawTypes.begin(), rawTypes.end(), Uint32(SDL_MOUSEMOTION)), 2);
  EXPECT_EQ(std::count(rawTypes.begin(), rawTypes.end(), Uint32(SDL_MOUSEBUTTONDOWN)), 0);
}

TEST(RealInput, TheCursorHiddenUntilTheMouseMovesComesBack) {
  SKIP_WITHOUT_WINDOWS();
  InputWindow w;
  ASSERT_TRUE(w.window);
  auto& pump = EventPump::shared();
  pump.setCursorHiddenUntilMouseMoves(true);
  EXPECT_TRUE(pump.isCursorHidden());
  spinMainLoop(0.1);
  EXPECT_TRUE(pump.isCursorHidden());
  driveWhileRunning([] { xdotool({"mousemove", "300", "250"}); });
  EXPECT_FALSE(pump.isCursorHidden());
}
