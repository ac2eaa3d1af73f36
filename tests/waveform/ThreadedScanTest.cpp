#include <gtest/gtest.h>

#include <atomic>

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "tests/support/TestSupport.h"
#include "waveform/XAudioAnalyser.h"

using namespace platform;
using testsupport::fixture;

namespace {

// Counts completion notes of one analyser and where they arrived.
struct CompletionWatch {
  explicit CompletionWatch(const XAudioAnalyser* a) {
    id = NotificationCenter::defaultCenter().addObserver(kXAudioAnalyserCompletionNote, a, [this](const Notification&) {
      ++posts;
      onMain = onMain && RunLoop::isMainThread();
    });
  }
  ~CompletionWatch() { NotificationCenter::defaultCenter().removeObserver(id); }
  NotificationCenter::ObserverId id;
  int posts = 0;
  bool onMain = true;
};

// Runs the main loop until the analyser is idle, then a little longer to catch stray posts.
void runUntilIdle(const XAudioAnalyser& a) {
  for (int i = 0; i < 1000 && a.isScanning(); ++i) RunLoop::mainRunLoop().runMode(RunLoop::kDefaultRunLoopMode, 0.01);
  RunLoop::mainRunLoop().runMode(RunLoop::kDefaultRunLoopMode, 0.05);
}

}  // namespace

TEST(XAudioAnalyserThreaded, CompletionIsPostedOnceOnTheMainThread) {
  auto a = XAudioAnalyser::init();
  a->setChannel(1);
  CompletionWatch watch(a.get());
  a->setPath(fixture("wf-half-quarter.wav"));
  EXPECT_TRUE(a->isScanning());
  runUntilIdle(*a);
  EXPECT_FALSE(a->isScanning());
  EXPECT_EQ(watch.posts, 1);
  EXPECT_TRUE(watch.onMain);
  ASSERT_EQ(a->audioLength(), 44100u);
  EXPECT_FLOAT_EQ(a->meanValue(), 0.5f);
}

TEST(XAudioAnalyserThreaded, CancelledScanPostsNothing) {
  auto a = XAudioAnalyser::init();
  CompletionWatch watch(a.get());
  a->setPath(fixture("wf-silence.wav"));
  a->purgeBuffers();  // scanning: asks the scan to stop
  EXPECT_FALSE(a->shouldContinue());
  runUntilIdle(*a);
  EXPECT_EQ(watch.posts, 0);
  EXPECT_EQ(a->audioLength(), 0u);
}

TEST(XAudioAnalyserThreaded, NewPathWhileScanningRetriesUntilTheOldScanIsDone) {
  auto a = XAudioAnalyser::init();
  CompletionWatch watch(a.get());
  testing::internal::CaptureStdout();
  a->setPath(fixture("wf-half-quarter.wav"));
  a->setPath(fixture("wf-mono.wav"));
  for (int i = 0; i < 1000 && (a->isScanning() || watch.posts == 0); ++i)
    RunLoop::mainRunLoop().runMode(RunLoop::kDefaultRunLoopMode, 0.01);
  runUntilIdle(*a);
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(out.rfind("XAudioAnalyser: initiateProcessing: already scanning...\n", 0), 0u) << out;
  // Only the second scan completes, with the mono file's curve (0.5 + 0.5).
  EXPECT_EQ(watch.posts, 1);
  ASSERT_EQ(a->audioLength(), 11025u);
  EXPECT_EQ(a->audioFrames()[0], 1.0f);
  EXPECT_EQ(RunLoop::mainRunLoop().timerCount(), 0u);
}

TEST(RunLoop, TimersModesAndCancelledPerforms) {
  RunLoop& loop = RunLoop::mainRunLoop();
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
