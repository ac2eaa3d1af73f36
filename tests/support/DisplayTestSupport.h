#pragma once
// Helpers of the window tests: whether a display and the X tools are there, real X input through
// xdotool (run beside the main run loop), window geometry through xwininfo and xprop, and
// screenshots of the whole screen (ImageMagick's import).
#include <functional>
#include <string>
#include <vector>

#include "platform/graphics/Image.h"

namespace testsupport {

// The full path of a program on PATH; empty when there is none.
std::string findProgram(const std::string& name);

// Empty when a display and xdotool, xwininfo, xprop and import are all there; else why not,
// for GTEST_SKIP.
std::string windowTestsUnavailable();

// Runs xdotool with the arguments; true when it succeeded.
bool xdotool(const std::vector<std::string>& args);

// Runs `input` (xdotool calls, sleeps) on a thread of its own while the main run loop runs in its
// default mode, then keeps the loop running for `settle` seconds more so that the last events are
// served. Returns when both are done.
void driveWhileRunning(const std::function<void()>& input, double settle = 0.3);

// The loop runs for `seconds` (to let the display deliver what is pending).
void spinMainLoop(double seconds);

// xwininfo of an X window: absolute position, size and whether it is mapped.
struct WindowGeometry {
  int x = 0, y = 0, width = 0, height = 0;
  bool viewable = false;
  bool found = false;
};
WindowGeometry windowGeometry(unsigned long windowId);
// The value of an X property of a window as xprop prints it ("" when unset).
std::string windowProperty(unsigned long windowId, const std::string& property);

// Where a test keeps a screenshot to look at: <build>/tests/screenshots/<name>.
std::string screenshotFile(const std::string& name);
// The screen as an image (empty when import failed); kept as `savePath` when given.
platform::Image screenshot(const std::string& savePath = "");

// True when the pixel's channels are each within `tolerance` of (r, g, b).
bool pixelNear(const platform::Image& image, int x, int y, int r, int g, int b, int tolerance = 3);
// "(r, g, b)" of a pixel, for failure messages.
std::string describePixel(const platform::Image& image, int x, int y);

}  // namespace testsupport

// Skips the running test, saying why, where windows can't be made.
#define SKIP_WITHOUT_WINDOWS()                                     \
  do {                                                             \
    const std::string why = testsupport::windowTestsUnavailable(); \
    if (!why.empty()) GTEST_SKIP() << why;                         \
  } while (0)
