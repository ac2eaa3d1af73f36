// The event pump's queue: tracking loops take the events of their mask in the run-loop mode they
// name, the rest wait for them and are handed out afterwards in order. No display needed.
#include <gtest/gtest.h>

#include "platform/display/EventPump.h"

using namespace platform;
using namespace platform::display;

namespace {

Event event(EventType type, uint32_t window, double x = 0) {
  Event e;
  e.type = type;
  e.windowId = window;
  e.x = x;
  return e;
}

constexpr uint32_t kWindow = 90001;  // an id no real window has

struct Recorder {
  std::vector<EventPump::HandlerId> ids;
  std::vector<EventType> seen;
  explicit Recorder(uint32_t window) {
    ids.push_back(EventPump::shared().addHandler(window, [this](const Event& e) { seen.push_back(e.type); }));
  }
  ~Recorder() {
    for (auto id : ids) EventPump::shared().removeHandler(id);
  }
};

void drain() {
  RunLoop::mainRunLoop().runMode(RunLoop::kDefaultRunLoopMode, 0.02);
  EventPump::shared().discardEvents(kAnyEventMask);
}

}  // namespace

TEST(EventQueue, PostedEventsReachTheirWindowsHandlersInOrder) {
  drain();
  Recorder window(kWindow), other(kWindow + 1), application(0);
  auto& pump = EventPump::shared();
  pump.postEvent(event(EventType::LeftMouseDown, kWindow));
  pump.postEvent(event(EventType::KeyDown, kWindow + 1));
  pump.postEvent(event(EventType::QuitRequested, kWindow));  // application events go to window 0
  pump.postEvent(event(EventType::LeftMouseUp, kWindow));
  pump.postEvent(event(EventType::ScrollWheel, kWindow), true);  // to the front
  EXPECT_TRUE(window.seen.empty());  // handed out by the loop, not from inside postEvent
  RunLoop::mainRunLoop().runMode(RunLoop::kDefaultRunLoopMode, 0.02);
  EXPECT_EQ(window.seen, (std::vector{EventType::ScrollWheel, EventType::LeftMouseDown, EventType::LeftMouseUp}));
  EXPECT_EQ(other.seen, std::vector{EventType::KeyDown});
  EXPECT_EQ(application.seen, std::vector{EventType::QuitRequested});
  EXPECT_EQ(pump.queuedEventCount(), 0u);
}

TEST(EventQueue, TrackingTakesItsMaskInItsModeAndLeavesTheRestForLater) {
  drain();
  Recorder window(kWindow);
  auto& pump = EventPump::shared();
  auto& loop = RunLoop::mainRunLoop();
  int trackingTicks = 0, defaultTicks = 0;
  // The "user": keys and drags arrive while the tracking loop waits, then the button comes up.
  const auto tracking = loop.addTimer(0.01, true, [&] {
    ++trackingTicks;
    if (trackingTicks == 1) pump.postEvent(event(EventType::KeyDown, kWindow));
    if (trackingTicks == 2) pump.postEvent(event(EventType::LeftMouseDragged, kWindow, 5));
    if (trackingTicks == 3) pump.postEvent(event(EventType::MouseMoved, kWindow));
    if (trackingTicks == 4) pump.postEvent(event(EventType::LeftMouseUp, kWindow, 9));
  }, {RunLoop::kEventTrackingRunLoopMode});
  const auto idle = loop.addTimer(0.01, true, [&] { ++defaultTicks; });

  const EventMask mask = eventMaskFromType(EventType::LeftMouseUp) | eventMaskFromType(EventType::LeftMouseDragged);
  ASSERT_EQ(mask, 68u);
  std::vector<Event> taken;
  const auto deadline = RunLoop::Clock::now() + std::chrono::seconds(10);
  while (taken.empty() || taken.back().type != EventType::LeftMouseUp) {
    auto e = pump.nextEvent(mask, deadline, RunLoop::kEventTrackingRunLoopMode);
    ASSERT_TRUE(e.has_value());
    taken.push_back(*e);
  }
  loop.invalidateTimer(tracking);
  ASSERT_EQ(taken.size(), 2u);
  EXPECT_EQ(taken[0].type, EventType::LeftMouseDragged);
  EXPECT_EQ(taken[0].x, 5);
  EXPECT_EQ(taken[1].x, 9);
  EXPECT_EQ(trackingTicks, 4);
  EXPECT_EQ(defaultTicks, 0);           // the loop ran in the tracking mode only
  EXPECT_TRUE(window.seen.empty());     // nothing was handed out while tracking
  EXPECT_EQ(pump.queuedEventCount(), 2u);

  loop.runMode(RunLoop::kDefaultRunLoopMode, 0.05);
  loop.invalidateTimer(idle);
  EXPECT_GT(defaultTicks, 0);
  EXPECT_EQ(window.seen, (std::vector{EventType::KeyDown, EventType::MouseMoved}));
}

TEST(EventQueue, NextEventGivesUpAtItsDeadlineAndCanPeek) {
  drain();
  auto& pump = EventPump::shared();
  const auto soon = RunLoop::Clock::now() + std::chrono::milliseconds(30);
  EXPECT_FALSE(pump.nextEvent(kAnyEventMask, soon, RunLoop::kEventTrackingRunLoopMode).has_value());
  EXPECT_GE(RunLoop::Clock::now(), soon);

  pump.postEvent(event(EventType::KeyDown, kWindow));
  const auto now = RunLoop::Clock::now();
  auto peeked = pump.nextEvent(eventMaskFromType(EventType::KeyDown), now, RunLoop::kEventTrackingRunLoopMode, false);
  ASSERT_TRUE(peeked.has_value());
  EXPECT_EQ(pump.queuedEventCount(), 1u);  // not dequeued
  EXPECT_FALSE(pump.nextEvent(eventMaskFromType(EventType::KeyUp), now, RunLoop::kEventTrackingRunLoopMode));
  EXPECT_TRUE(pump.nextEvent(eventMaskFromType(EventType::KeyDown), now, RunLoop::kEventTrackingRunLoopMode));
  EXPECT_EQ(pump.queuedEventCount(), 0u);
}

TEST(EventQueue, WindowEventsArriveAtOnceEvenWhileTracking) {
  drain();
  Recorder window(kWindow);
  auto& pump = EventPump::shared();
  std::vector<EventType> seenDuringTracking;
  const auto poster = RunLoop::mainRunLoop().addTimer(0.005, false, [&] {
    pump.postEvent(event(EventType::WindowResized, kWindow));
    pump.postEvent(event(EventType::KeyUp, kWindow));
    seenDuringTracking = window.seen;
    pump.postEvent(event(EventType::LeftMouseUp, kWindow));
  }, {RunLoop::kEventTrackingRunLoopMode});
  (void)poster;
  auto up = pump.nextEvent(eventMaskFromType(EventType::LeftMouseUp), RunLoop::Clock::now() + std::chrono::seconds(5),
                           RunLoop::kEventTrackingRunLoopMode);
  ASSERT_TRUE(up.has_value());
  EXPECT_EQ(seenDuringTracking, std::vector{EventType::WindowResized});
  RunLoop::mainRunLoop().runMode(RunLoop::kDefaultRunLoopMode, 0.02);
  EXPECT_EQ(window.seen, (std::vector{EventType::WindowResized, EventType::KeyUp}));
}
