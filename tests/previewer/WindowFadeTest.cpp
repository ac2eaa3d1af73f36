// NSWindow(ZoFade): steps, records, the one fade-in notification, fades in every run-loop mode,
// and windows that go away while they fade.
#include <gtest/gtest.h>

#include "platform/appkit/Window.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "previewer/NSWindowZoFade.h"
#include "tests/support/TestSupport.h"

using namespace platform::appkit;
using testsupport::runMainLoopUntil;

namespace {

std::unique_ptr<NSWindow> makeWindow() {
  return std::make_unique<NSWindow>(NSMakeRect(10, 10, 200, 100), NSBorderlessWindowMask, NSBackingStoreBuffered, false);
}

struct FadeInCounter {
  explicit FadeInCounter(const NSWindow* w) {
    id = platform::NotificationCenter::defaultCenter().addObserver(
        kWindowDidFinishFadeIn, w, [this](const platform::Notification&) { ++count; });
  }
  ~FadeInCounter() { platform::NotificationCenter::defaultCenter().removeObserver(id); }
  int count = 0;
  platform::NotificationCenter::ObserverId id;
};

bool timerValid(platform::RunLoop::TimerId id) { return platform::RunLoop::mainRunLoop().isTimerValid(id); }

}  // namespace

TEST(WindowFade, FadeOutStepsByAFifthAndClosesAtZeroLeavingAlphaOne) {
  auto w = makeWindow();
  w->orderFront();
  fadeOutWithDuration(*w, 0.25);
  auto record = zofade::fadeRecordForWindow(*w);
  ASSERT_TRUE(record);
  EXPECT_FLOAT_EQ(record->stepSize, 0.2f);
  EXPECT_TRUE(timerValid(record->timer));
  EXPECT_EQ(zofade::windowKey(*w).find("0x"), std::string::npos);  // "%lx": bare hex digits
  EXPECT_DOUBLE_EQ(w->alphaValue(), 1.0);
  const double expected[] = {0.8, 0.6, 0.4, 0.2};
  for (double a : expected) {
    fadeOutOneStep(*w);
    EXPECT_NEAR(w->alphaValue(), a, 1e-6);
    EXPECT_TRUE(w->isVisible());
  }
  fadeOutOneStep(*w);  // 0.2 - 0.2f <= 0
  EXPECT_FALSE(w->isVisible());
  EXPECT_DOUBLE_EQ(w->alphaValue(), 1.0);
  EXPECT_FALSE(zofade::fadeRecordForWindow(*w));
  EXPECT_FALSE(timerValid(record->timer));
}

TEST(WindowFade, FadeInRisesByATwentiethAndAnnouncesTheEndOnce) {
  auto w = makeWindow();
  FadeInCounter finished(w.get());
  w->setAlphaValue(0.7);
  fadeInWithDuration(*w, 1.0);
  EXPECT_DOUBLE_EQ(w->alphaValue(), 0.0);  // starts from transparent, whatever it was
  EXPECT_TRUE(w->isVisible());
  auto record = zofade::fadeRecordForWindow(*w);
  ASSERT_TRUE(record);
  EXPECT_FLOAT_EQ(record->stepSize, 0.05f);
  for (int tick = 1; tick < 20; ++tick) {
    fadeInOneStep(*w);
    EXPECT_EQ(finished.count, 0) << tick;
    EXPECT_LT(w->alphaValue(), 1.0) << tick;
  }
  fadeInOneStep(*w);
  EXPECT_EQ(finished.count, 1);
  EXPECT_DOUBLE_EQ(w->alphaValue(), 1.0);
  EXPECT_FALSE(zofade::fadeRecordForWindow(*w));
  fadeInOneStep(*w);  // a late tick of a finished fade changes nothing
  EXPECT_EQ(finished.count, 1);
}

TEST(WindowFade, ANewFadeStopsTheOldTimerAndLevelsFadeTwiceAsFast) {
  auto w = makeWindow();
  w->orderFront();
  fadeOutWithDuration(*w, 1.0);
  const auto out = zofade::fadeRecordForWindow(*w);
  ASSERT_TRUE(out);
  fadeInWithDuration(*w, 1.0);
  EXPECT_FALSE(timerValid(out->timer));
  const auto in = zofade::fadeRecordForWindow(*w);
  ASSERT_TRUE(in);
  EXPECT_NE(in->timer, out->timer);
  EXPECT_TRUE(timerValid(in->timer));

  // Already at the level: nothing starts, the running fade stays.
  w->setAlphaValue(1);
  fadeToLevel(*w, 1, 0.5, true);
  EXPECT_EQ(zofade::fadeRecordForWindow(*w)->timer, in->timer);

  // From the current alpha, down, in steps of 1 / ((0.5 × 0.5) / 0.05) = 0.2.
  w->setAlphaValue(0.5);
  fadeToLevel(*w, 0, 0.5, true);
  EXPECT_FALSE(timerValid(in->timer));
  auto level = zofade::fadeRecordForWindow(*w);
  ASSERT_TRUE(level);
  EXPECT_FLOAT_EQ(level->stepSize, 0.2f);
  EXPECT_EQ(level->newLevel, 0);
  EXPECT_TRUE(level->keepOpen);
  EXPECT_DOUBLE_EQ(w->alphaValue(), 0.5);  // not reset first
  fadeOutOneStep(*w);
  EXPECT_NEAR(w->alphaValue(), 0.3, 1e-6);
  fadeOutOneStep(*w);
  fadeOutOneStep(*w);
  // keepOpen: open and transparent at the end.
  EXPECT_TRUE(w->isVisible());
  EXPECT_DOUBLE_EQ(w->alphaValue(), 0.0);
  EXPECT_FALSE(zofade::fadeRecordForWindow(*w));
}

TEST(WindowFade, ALevelFadeWithoutKeepOpenClosesTheWindow) {
  // An invisible window left open would still take clicks where nothing is seen.
  auto w = makeWindow();
  w->orderFront();
  w->setAlphaValue(0.2);
  fadeToLevel(*w, 0, 0.5, false);
  EXPECT_FALSE(zofade::fadeRecordForWindow(*w)->keepOpen);
  fadeOutOneStep(*w);
  EXPECT_FALSE(w->isVisible());
  EXPECT_DOUBLE_EQ(w->alphaValue(), 1.0);
}

TEST(WindowFade, TimersDriveFadesInTheTrackingAndModalModesToo) {
  auto& loop = platform::RunLoop::mainRunLoop();
  for (const char* mode : {"NSEventTrackingRunLoopMode", "NSModalPanelRunLoopMode", "kCFRunLoopDefaultMode"}) {
    auto w = makeWindow();
    FadeInCounter finished(w.get());
    fadeInWithDuration(*w, 0.25);
    const auto timer = zofade::fadeRecordForWindow(*w)->timer;
    for (int i = 0; i < 100 && finished.count == 0; ++i) loop.runMode(mode, 0.05, false);
    EXPECT_EQ(finished.count, 1) << mode;
    EXPECT_DOUBLE_EQ(w->alphaValue(), 1.0) << mode;
    EXPECT_FALSE(timerValid(timer)) << mode;
  }
}

TEST(WindowFade, AWindowDestroyedWhileFadingEndsItsFade) {
  auto w = makeWindow();
  fadeInWithDuration(*w, 1.0);
  const auto record = zofade::fadeRecordForWindow(*w);
  ASSERT_TRUE(record);
  w.reset();
  // The next tick finds the window gone: no access to it, and the timer stops.
  EXPECT_TRUE(runMainLoopUntil([&] { return !timerValid(record->timer); }, 2));
}
