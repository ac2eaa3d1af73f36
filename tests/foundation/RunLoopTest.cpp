#include <gtest/gtest.h>

#include <sys/select.h>
#include <unistd.h>

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

TEST(RunLoop, FireDatesMoveSuspendAndResumeATimer) {
  RunLoop& loop = RunLoop::mainRunLoop();
  int fired = 0;
  auto timer = loop.addTimer(0.01, true, [&] { ++fired; });
  loop.setTimerFireDate(timer, RunLoop::distantFuture());  // suspended, still valid
  loop.runMode(RunLoop::kDefaultRunLoopMode, 0.05);
  EXPECT_EQ(fired, 0);
  EXPECT_TRUE(loop.isTimerValid(timer));
  EXPECT_EQ(loop.timerFireDate(timer), RunLoop::distantFuture());

  loop.setTimerFireDate(timer, RunLoop::Clock::now());  // goes on, at its interval from now
  loop.runMode(RunLoop::kDefaultRunLoopMode, 0.055);
  EXPECT_GE(fired, 3);
  EXPECT_LE(fired, 7);

  // A timer added to a further mode fires there too; one of another mode waits.
  fired = 0;
  loop.addTimerToMode(timer, RunLoop::kEventTrackingRunLoopMode);
  loop.runMode(RunLoop::kEventTrackingRunLoopMode, 0.03);
  EXPECT_GE(fired, 1);
  loop.invalidateTimer(timer);
  loop.setTimerFireDate(timer, RunLoop::Clock::now());  // an invalid timer stays invalid
  EXPECT_FALSE(loop.isTimerValid(timer));
  EXPECT_FALSE(loop.timerFireDate(timer).has_value());
}

TEST(RunLoop, InputSourcesAreServedInTheirModesAndWakeTheLoop) {
  RunLoop& loop = RunLoop::mainRunLoop();
  int pipeFds[2];
  ASSERT_EQ(pipe(pipeFds), 0);
  std::string received;
  int polls = 0;
  RunLoop::InputSource source;
  source.perform = [&] {
    ++polls;
    char buffer[16];
    bool any = false;
    // Non-blocking look: only when the descriptor has something.
    while (true) {
      fd_set set;
      FD_ZERO(&set);
      FD_SET(pipeFds[0], &set);
      timeval none{0, 0};
      if (select(pipeFds[0] + 1, &set, nullptr, nullptr, &none) <= 0) break;
      ssize_t n = read(pipeFds[0], buffer, sizeof buffer);
      if (n <= 0) break;
      received.append(buffer, size_t(n));
      any = true;
    }
    return any;
  };
  source.descriptor = [&] { return pipeFds[0]; };
  source.pollInterval = source.descriptorPollInterval = 30;  // only the descriptor wakes the loop early
  source.modes = {RunLoop::kEventTrackingRunLoopMode};
  auto id = loop.addInputSource(source);

  // Not in its mode: not served.
  loop.runMode(RunLoop::kDefaultRunLoopMode, 0.02);
  EXPECT_EQ(polls, 0);

  std::thread writer([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ssize_t n = write(pipeFds[1], "ping", 4);
    (void)n;
  });
  // One pass that had nothing to do waits for the input, serves it and returns, long before
  // its deadline and the source's poll interval.
  const auto start = RunLoop::Clock::now();
  EXPECT_TRUE(loop.runModeBeforeDate(RunLoop::kEventTrackingRunLoopMode, start + std::chrono::seconds(20)));
  writer.join();
  EXPECT_EQ(received, "ping");
  EXPECT_LT(RunLoop::Clock::now() - start, std::chrono::seconds(10));
  EXPECT_EQ(loop.currentMode(), "");

  loop.removeInputSource(id);
  polls = 0;
  loop.runMode(RunLoop::kEventTrackingRunLoopMode, 0.02);
  EXPECT_EQ(polls, 0);
  close(pipeFds[0]);
  close(pipeFds[1]);
}

TEST(RunLoop, ATimerSlowerThanItsIntervalLeavesRoomForSourcesTimersAndTheDeadline) {
  RunLoop& loop = RunLoop::mainRunLoop();
  // A 15 ms frame timer whose work takes 25 ms, as on a slow renderer.
  int frames = 0, ticks = 0, polls = 0;
  auto frame = loop.addTimer(0.015, true, [&] {
    ++frames;
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  });
  auto tick = loop.addTimer(0.015, true, [&] { ++ticks; });
  RunLoop::InputSource source;
  source.perform = [&] {
    ++polls;
    return false;
  };
  auto id = loop.addInputSource(source);
  const auto start = RunLoop::Clock::now();
  loop.runMode(RunLoop::kDefaultRunLoopMode, 0.3);
  const auto took = RunLoop::Clock::now() - start;
  loop.invalidateTimer(frame);
  loop.invalidateTimer(tick);
  loop.removeInputSource(id);
  // The loop came back at its deadline (one slow frame late at most), and every pass served the
  // other timer and the source as well as the frame.
  EXPECT_LT(took, std::chrono::milliseconds(300 + 100));
  EXPECT_GE(frames, 5);
  EXPECT_GE(ticks, frames - 1);
  EXPECT_GE(polls, frames - 1);
}

TEST(RunLoop, RunModeBeforeDateServesOneThingAndKnowsItsMode) {
  RunLoop& loop = RunLoop::mainRunLoop();
  std::vector<std::string> modes;
  loop.addTimer(0.01, false, [&] { modes.push_back(loop.currentMode()); }, {RunLoop::kModalPanelRunLoopMode});
  loop.addTimer(0.3, false, [&] { modes.push_back("late"); }, {RunLoop::kModalPanelRunLoopMode});
  EXPECT_TRUE(loop.runModeBeforeDate(RunLoop::kModalPanelRunLoopMode, RunLoop::Clock::now() + std::chrono::seconds(5)));
  EXPECT_EQ(modes, std::vector<std::string>{RunLoop::kModalPanelRunLoopMode});  // returned after the first
  // Nothing due before the deadline: returns at the deadline.
  EXPECT_TRUE(loop.runModeBeforeDate(RunLoop::kModalPanelRunLoopMode, RunLoop::Clock::now() + std::chrono::milliseconds(20)));
  EXPECT_EQ(modes.size(), 1u);
  loop.runMode(RunLoop::kModalPanelRunLoopMode, 0.5, true);  // idle once the late one has fired
  EXPECT_EQ(modes.size(), 2u);
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
