#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"

using namespace platform;

TEST(RunLoop, TimersModesAndCancelledPerforms) {
  RunLoop& loop = RunLoop::mainRunLoop();
  loop.stop();  // not running: no effect on the next run
  int defaultFired = 0, otherFired = 0, common = 0, cancelled = 0;
  loop.addTimer(0.001, false, [&] { ++defaultFired; });
  loop.addTimer(0.001, false, [&] { ++otherFired; }, {"XTrackingMode"});
  auto repeating = loop.addTimer(0.005, true, [&] { ++common; }, {RunLoop::kCommonModes});
  int tag = 0;
  loop.performAfterDelay(0.001, &tag, "tick:", [&] { ++cancelled; });
  loop.cancelPreviousPerformRequests(&tag, "tick:");
  loop.runMode(RunLoop::kDefaultRunLoopMode, 0.05);
  EXPECT_EQ(defaultFired, 1);
  EXPECT_EQ(otherFired, 0);  // waits for its mode
  EXPECT_EQ(cancelled, 0);
  EXPECT_GE(common, 3);
  loop.runMode("XTrackingMode", 0.01);
  EXPECT_EQ(otherFired, 1);
  loop.invalidateTimer(repeating);
  EXPECT_FALSE(loop.isTimerValid(repeating));
  EXPECT_EQ(loop.timerCount(), 0u);

  // Work from another thread runs on the main loop; waitUntilDone blocks until it has.
  std::atomic<bool> ranOnMain{false};
  std::thread worker([&] {
    RunLoop::performOnMainThread([&] { ranOnMain = RunLoop::isMainThread(); }, true);
    RunLoop::mainRunLoop().stop();
  });
  loop.runMode(RunLoop::kDefaultRunLoopMode, 10);
  worker.join();
  EXPECT_TRUE(ranOnMain);
}

TEST(NotificationCenter, MatchesNameAndSender) {
  NotificationCenter center;
  int a = 0, b = 0;
  std::vector<std::string> seen;
  auto byName = center.addObserver("XNote", nullptr, [&](const Notification& n) { seen.push_back("name:" + n.name); });
  auto bySender = center.addObserver("", &a, [&](const Notification& n) { seen.push_back("sender:" + n.name); });
  center.postNotification("XNote", &a);
  center.postNotification("XNote", &b);
  center.postNotification("Other", &a);
  center.postNotification("Other", &b);
  EXPECT_EQ(seen, (std::vector<std::string>{"name:XNote", "sender:XNote", "name:XNote", "sender:Other"}));
  center.removeObserver(byName);
  center.removeObserver(bySender);
  seen.clear();
  // An observer may remove itself while being notified.
  NotificationCenter::ObserverId once = 0;
  once = center.addObserver("XNote", nullptr, [&](const Notification&) {
    seen.push_back("once");
    center.removeObserver(once);
  });
  center.postNotification("XNote", nullptr);
  center.postNotification("XNote", nullptr);
  EXPECT_EQ(seen, std::vector<std::string>{"once"});
}
