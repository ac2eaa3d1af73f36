#include "previewer/AnimataWindow.h"

#include <algorithm>
#include <cmath>

#include "platform/foundation/RunLoop.h"
#include "previewer/NSWindowZoFade.h"

using namespace platform::appkit;

float AnimataWindow::transitionDuration() {
  if (transitionDuration_ == 0) transitionDuration_ = 0.25f;
  return transitionDuration_;
}

int32_t AnimataWindow::transitionType() {
  if (transitionType_ == 0) transitionType_ = 7;
  return transitionType_;
}

void AnimataWindow::performTransition() { turn(tag()); }

void AnimataWindow::fadeClosed() { fadeOutWithDuration(*this, 0.25); }
void AnimataWindow::fadeOpen() { fadeInWithDuration(*this, 0.25); }

void AnimataWindow::turn(long senderTag) {
  lastTransition_ = {transitionType(), static_cast<int32_t>(senderTag | 128), windowNumber(), transitionDuration()};
  const double duration = std::max(0.0f, lastTransition_.duration);
  display();
  const NSRect frame0 = this->frame();
  const double alpha0 = alphaValue();
  const bool fade = lastTransition_.type == 1 || lastTransition_.type == 5;
  using Clock = platform::RunLoop::Clock;
  const auto start = Clock::now();
  const auto end = start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(duration));
  auto& loop = platform::RunLoop::mainRunLoop();
  // The window animates while the loop serves the event-tracking mode, as an animated resize does.
  while (Clock::now() < end) {
    const double t = std::chrono::duration<double>(Clock::now() - start).count() / duration;
    const double open = std::fabs(std::cos(M_PI * t));  // 1 → 0 halfway → 1
    if (fade) {
      setAlphaValue(alpha0 * open);
    } else {
      const double w = std::max(1.0, std::round(frame0.size.width * open));
      setFrame(NSMakeRect(frame0.origin.x + std::round((frame0.size.width - w) / 2), frame0.origin.y, w,
                          frame0.size.height),
               true, false);
    }
    loop.runModeBeforeDate(platform::RunLoop::kEventTrackingRunLoopMode,
                           std::min(end, Clock::now() + std::chrono::milliseconds(16)));
  }
  if (fade)
    setAlphaValue(alpha0);
  else
    setFrame(frame0, true, false);
}
