#pragma once
// NSWindow(ZoFade): alpha fades of any window, driven by repeating 0.05 s timers that run in the
// default, modal-panel and event-tracking run-loop modes. One process-wide record per fading
// window (keyed by the window's address as "%lx"); a new fade replaces the window's record.
#include <cstdint>
#include <optional>
#include <string>

#include "platform/appkit/Window.h"
#include "platform/foundation/RunLoop.h"

// Posted (object: the window) when a fade-in reaches full opacity.
inline const std::string kWindowDidFinishFadeIn = "kWindowDidFinishFadeIn";

namespace zofade {

// The tick of every fade: the 32-bit float 0.05, widened.
constexpr double kTickInterval = static_cast<double>(0.05f);

// A fade in progress ("timer", "stepSize", and for fadeToLevel "newLevel" and "keepOpen").
struct FadeRecord {
  platform::RunLoop::TimerId timer = 0;
  float stepSize = 0;
  std::optional<long> newLevel;
  bool keepOpen = false;
};

// The record of a window, if it is fading.
std::optional<FadeRecord> fadeRecordForWindow(const platform::appkit::NSWindow& window);
// "%lx" of the window's address.
std::string windowKey(const platform::appkit::NSWindow& window);

}  // namespace zofade

// Alpha 0, front, then up to 1 in steps of 1 / (duration / 0.05); posts kWindowDidFinishFadeIn.
void fadeInWithDuration(platform::appkit::NSWindow& window, double duration);
// Alpha 1, then down to 0; closes the window at the end and leaves its alpha at 1.
void fadeOutWithDuration(platform::appkit::NSWindow& window, double duration);
// From the current alpha up to 1 (level > 0) or down to 0, twice as fast as the fades above;
// nothing when the alpha already equals the level. With keepOpen a fade down leaves the window
// open at alpha 0, else it closes it as fadeOutWithDuration does.
void fadeToLevel(platform::appkit::NSWindow& window, long level, double duration, bool keepOpen);
// The timer callbacks: one step of a fade.
void fadeInOneStep(platform::appkit::NSWindow& window);
void fadeOutOneStep(platform::appkit::NSWindow& window);
