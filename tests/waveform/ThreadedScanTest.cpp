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
