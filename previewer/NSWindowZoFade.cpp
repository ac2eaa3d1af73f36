// NSWindow(ZoFade): the fade records, their timers and the fade steps.
#include "previewer/NSWindowZoFade.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "platform/foundation/NotificationCenter.h"

using platform::appkit::NSWindow;

namespace zofade {
namespace {

// The process-wide records, made on first use.
std::map<std::string, FadeRecord>& records() {
  static auto* map = new std::map<std::string, FadeRecord>();
  return *map;
}

bool windowIsAlive(const NSWindow* window) {
  const auto& all = NSWindow::allWindows();
  return std::find(all.begin(), all.end(), window) != all.end();
}

void stopRecordTimer(const std::string& key) {
  auto it = records().find(key);
  if (it != records().end()) platform::RunLoop::mainRunLoop().invalidateTimer(it->second.timer);
}

// A repeating tick in the three modes. A window destroyed while it fades ends its fade.
platform::RunLoop::TimerId startTick(NSWindow& window, void (*step)(NSWindow&)) {
  NSWindow* target = &window;
  const std::string key = windowKey(window);
  auto& loop = platform::RunLoop::mainRunLoop();
  return loop.addTimer(kTickInterval, true,
                       [target, key, step] {
                         if (!windowIsAlive(target)) {
                           stopRecordTimer(key);
                           records().erase(key);
                           return;
                         }
                         step(*target);
                       },
                       {platform::RunLoop::kDefaultRunLoopMode, platform::RunLoop::kModalPanelRunLoopMode,
                        platform::RunLoop::kEventTrackingRunLoopMode});
}

float stepFor(double seconds) { return static_cast<float>(1.0 / (seconds / 0.05)); }

}  // namespace

std::string windowKey(const NSWindow& window) {
  char key[32];
  std::snprintf(key, sizeof key, "%lx", reinterpret_cast<unsigned long>(&window));
  return key;
}

std::optional<FadeRecord> fadeRecordForWindow(const NSWindow& window) {
  auto it = records().find(windowKey(window));
  if (it == records().end()) return std::nullopt;
  return it->second;
}

}  // namespace zofade

using namespace zofade;

void fadeInWithDuration(NSWindow& window, double duration) {
  const std::string key = windowKey(window);
  stopRecordTimer(key);
  window.setAlphaValue(0);
  window.orderFront();
  FadeRecord record;
  record.timer = startTick(window, &fadeInOneStep);
  record.stepSize = stepFor(duration);
  records()[key] = record;
}

void fadeOutWithDuration(NSWindow& window, double duration) {
  const std::string key = windowKey(window);
  stopRecordTimer(key);
  window.setAlphaValue(1);
  FadeRecord record;
  record.timer = startTick(window, &fadeOutOneStep);
  record.stepSize = stepFor(duration);
  records()[key] = record;
}

void fadeToLevel(NSWindow& window, long level, double duration, bool keepOpen) {
  if (static_cast<double>(static_cast<float>(level)) == window.alphaValue()) return;
  const std::string key = windowKey(window);
  stopRecordTimer(key);
  FadeRecord record;
  record.timer = startTick(window, level > 0 ? &fadeInOneStep : &fadeOutOneStep);
  record.stepSize = stepFor(duration * 0.5);
  record.newLevel = level;
  record.keepOpen = keepOpen;
  records()[key] = record;
}

void fadeInOneStep(NSWindow& window) {
  const std::string key = windowKey(window);
  auto it = records().find(key);
  if (it == records().end()) return;
  const double alpha = window.alphaValue() + it->second.stepSize;
  if (alpha >= 1) {
    platform::RunLoop::mainRunLoop().invalidateTimer(it->second.timer);
    records().erase(it);
    // Opaque before observers hear of it (one of them may close or even destroy the window).
    window.setAlphaValue(1);
    platform::NotificationCenter::defaultCenter().postNotification(kWindowDidFinishFadeIn, &window);
    return;
  }
  window.setAlphaValue(alpha);
}

void fadeOutOneStep(NSWindow& window) {
  const std::string key = windowKey(window);
  auto it = records().find(key);
  if (it == records().end()) return;
  const FadeRecord record = it->second;  // kept for this call
  double alpha = window.alphaValue() - record.stepSize;
  if (alpha <= 0) {
    platform::RunLoop::mainRunLoop().invalidateTimer(record.timer);
    records().erase(it);
    if (!record.keepOpen) {
      window.close();
      window.setAlphaValue(1);
    } else {
      window.setAlphaValue(0);
    }
    return;
  }
  window.setAlphaValue(alpha);
}
