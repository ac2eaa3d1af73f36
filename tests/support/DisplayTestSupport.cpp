#include "tests/support/DisplayTestSupport.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <cstdlib>
#include <sstream>
#include <thread>

#include "platform/foundation/RunLoop.h"
#include "platform/graphics/ImageCodec.h"
#include "tests/support/TestSupport.h"

namespace testsupport {

std::string findProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::stringstream folders(path ? path : "/usr/bin:/bin");
  std::string folder;
  while (std::getline(folders, folder, ':')) {
    const std::string candidate = folder + "/" + name;
    if (!folder.empty() && access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return "";
}

std::string windowTestsUnavailable() {
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) return "no X display (run under xvfb-run -a)";
  for (const char* tool : {"xdotool", "xwininfo", "xprop"})
    if (findProgram(tool).empty()) return std::string(tool) + " is not installed (scripts/install-deps)";
  if (access("/usr/bin/import", X_OK) != 0) return "ImageMagick's import is not installed (scripts/install-deps)";
  return "";
}

bool xdotool(const std::vector<std::string>& args) {
  static const std::string program = findProgram("xdotool");
  return !program.empty() && run(program, args, {}, 30).status == 0;
}

void driveWhileRunning(const std::function<void()>& input, double settle) {
  std::atomic<bool> done{false};
  std::thread driver([&] {
    input();
    done = true;
    platform::RunLoop::mainRunLoop().perform([] {});  // wakes the loop
  });
  runMainLoopUntil([&] { return done.load(); }, 60);
  driver.join();
  spinMainLoop(settle);
}

void spinMainLoop(double seconds) {
  platform::RunLoop::mainRunLoop().runMode(platform::RunLoop::kDefaultRunLoopMode, seconds);
}

namespace {
std::string xwininfo(unsigned long windowId) {
  static const std::string program = findProgram("xwininfo");
  return run(program, {"-id", std::to_string(windowId)}, {}, 30).out;
}

int field(const std::string& text, const std::string& label) {
  const size_t at = text.find(label);
  return at == std::string::npos ? 0 : std::atoi(text.c_str() + at + label.size());
}
}  // namespace

WindowGeometry windowGeometry(unsigned long windowId) {
  const std::string text = xwininfo(windowId);
  WindowGeometry g;
  g.found = text.find("Absolute upper-left X:") != std::string::npos;
  g.x = field(text, "Absolute upper-left X:");
  g.y = field(text, "Absolute upper-left Y:");
  g.width = field(text, "Width:");
  g.height = field(text, "Height:");
  g.viewable = text.find("IsViewable") != std::string::npos;
  return g;
}

std::string windowProperty(unsigned long windowId, const std::string& property) {
  static const std::string program = findProgram("xprop");
  std::string out = run(program, {"-id", std::to_string(windowId), property}, {}, 30).out;
  const size_t at = out.find(" = ");
  if (at == std::string::npos) return "";
  out = out.substr(at + 3);
  while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
  return out;
}

std::string screenshotFile(const std::string& name) {
  const std::string folder = std::string(MT_BIN_DIR) + "/../tests/screenshots";
  std::filesystem::create_directories(folder);
  return folder + "/" + name;
}

platform::Image screenshot(const std::string& savePath) {
  TempDir dir;
  const std::string path = savePath.empty() ? dir.file("screen.png") : savePath;
  if (run("/usr/bin/import", {"-window", "root", path}, {}, 60).status != 0) return {};
  return platform::readImageFile(path).value_or(platform::Image());
}

bool pixelNear(const platform::Image& image, int x, int y, int r, int g, int b, int tolerance) {
  if (x < 0 || y < 0 || x >= image.width() || y >= image.height()) return false;
  const platform::RGBA8 p = image.pixel(x, y);
  return std::abs(p.r - r) <= tolerance && std::abs(p.g - g) <= tolerance && std::abs(p.b - b) <= tolerance;
}

std::string describePixel(const platform::Image& image, int x, int y) {
  if (x < 0 || y < 0 || x >= image.width() || y >= image.height()) return "(outside the image)";
  const platform::RGBA8 p = image.pixel(x, y);
  return "(" + std::to_string(p.r) + ", " + std::to_string(p.g) + ", " + std::to_string(p.b) + ")";
}

}  // namespace testsupport
