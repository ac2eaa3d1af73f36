// Kestrix on a virtual X display, driven as a user drives it with real X input (xdotool) and
// looked at through screenshots: the picture, the control panel over its lower edge with the
// movie showing at its corners, the knobs where the values put them, dragging the position knob,
// wheel notches on the volume, the keys, a live resize holding the aspect ratio, quitting with the
// user defaults written and a second start at the same place.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <filesystem>
#include <set>
#include <thread>

#include "platform/display/NativeWindow.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/UserDefaults.h"
#include "previewer/Kestrix.h"
#include "tests/support/DisplayTestSupport.h"
#include "tests/support/TestSupport.h"

using namespace platform::appkit;
using namespace testsupport;

namespace {

// The fixture's picture: a flat (32, 128, 192), 480 × 270, 30 s.
const int kMovieR = 32, kMovieG = 128, kMovieB = 192;

std::string num(double v) { return std::to_string(int(std::lround(v))); }
void sleepFor(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); }

double screenHeight() { return NSScreen::mainScreen()->frame().size.height; }

// Screen pixel (from the top-left) of a point of a window's base coordinates.
struct Pixel {
  int x, y;
};
Pixel onScreen(const NSWindow& w, NSPoint p) {
  const NSPoint s = w.convertBaseToScreen(p);
  return {int(std::floor(s.x)), int(std::floor(screenHeight() - s.y))};
}

int brightness(const platform::Image& image, int x, int y) {
  const auto p = image.pixel(x, y);
  return (p.r + p.g + p.b) / 3;
}

class KestrixOnScreen : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string why = windowTestsUnavailable();
    if (!why.empty()) GTEST_SKIP() << why;
    setenv("MT_AUDIO_OUTPUT", "null", 1);
    platform::UserDefaults::setApplicationDomain("Kestrix");
    NSApplication::sharedApplication().reset();
    Kestrix::setVerboseMode(false);
  }
  void TearDown() override {
    kestrix_.reset();
    NSApplication::sharedApplication().reset();
    NSOpenPanel::setChooser(nullptr);
    Kestrix::setVerboseMode(false);
  }

  // Launches the controller on the flat fixture and waits for its picture.
  Kestrix& launch(const std::string& movie = "flat-16x9-30s.mp4") {
    kestrix_ = std::make_unique<Kestrix>(fixture(movie), std::nullopt);
    NSApplication::sharedApplication().finishLaunching();
    const bool ready = runMainLoopUntil(
        [&] { return kestrix_->canSetTime() && kestrix_->qtMovieView()->newPictures() > 3; }, 20);
    EXPECT_TRUE(ready) << "no picture drawn";
    spinMainLoop(0.3);
    return *kestrix_;
  }
  unsigned long movieWindowId() const { return kestrix_->window()->nativeWindow()->systemWindowId(); }

  // Geometry of the control panel's pieces, on the screen.
  struct SliderOnScreen {
    int left, right, centreY;
  };
  SliderOnScreen sliderOnScreen(NSSlider* slider) {
    NSWindow* panel = kestrix_->controlPanel();
    const NSRect f = slider->frame();
    const Pixel a = onScreen(*panel, {f.origin.x, NSMidY(f)});
    const Pixel b = onScreen(*panel, {NSMaxX(f), NSMidY(f)});
    return {a.x, b.x, a.y};
  }
  // Where the knob's centre is drawn for the slider's value.
  double knobCentreFor(NSSlider* slider, double value) {
    const SliderOnScreen s = sliderOnScreen(slider);
    const double k = slider->knobThickness();
    return s.left + k / 2 + value * (s.right - s.left - k);
  }
  // The knob's centre in a screenshot: the middle of the bright run along the slider's centre row
  // (the bar's ends, drawn in white too, left out).
  static double knobCentreIn(const platform::Image& shot, const SliderOnScreen& s) {
    double sum = 0;
    int count = 0;
    for (int x = s.left + 3; x < s.right - 3; ++x)
      if (brightness(shot, x, s.centreY) > 120) {
        sum += x;
        ++count;
      }
    return count ? sum / count + 0.5 : -1;
  }

  ScopedHome home;
  std::unique_ptr<Kestrix> kestrix_;
};

}  // namespace

TEST_F(KestrixOnScreen, ThePictureFillsTheWindowAndThePanelLiesOverItsLowerEdgeShowingTheMovieAtItsCorners) {
  Kestrix& k = launch();
  NSWindow* w = k.window();
  NSWindow* panel = k.controlPanel();
  // The panel: x + 20, y + 10, width w − 40, height 60 of the movie window's frame.
  const NSRect f = w->frame();
  EXPECT_EQ(panel->frame(), NSMakeRect(f.origin.x + 20, f.origin.y + 10, f.size.width - 40, 60));
  EXPECT_TRUE(panel->isComposited());  // drawn into the movie window's frame, not a window of its own
  const WindowGeometry g = windowGeometry(movieWindowId());
  ASSERT_TRUE(g.found && g.viewable);
  EXPECT_EQ(g.width, 480);
  EXPECT_EQ(g.height, 270);

  platform::Image shot = screenshot(screenshotFile("kestrix-playing.png"));
  ASSERT_FALSE(shot.empty());
  // The picture, above the panel and beside it.
  for (auto [x, y] : {std::pair{g.x + 240, g.y + 100}, {g.x + 5, g.y + 5}, {g.x + 474, g.y + 264}, {g.x + 10, g.y + 230}})
    EXPECT_TRUE(pixelNear(shot, x, y, kMovieR, kMovieG, kMovieB, 8)) << x << "," << y << " " << describePixel(shot, x, y);

  // The panel's rectangle on the screen.
  const int left = g.x + 20, right = g.x + 480 - 20, bottom = g.y + 270 - 10, top = bottom - 60;
  // Inside its outline: the dark glossy body, with a little of the movie's blue showing through.
  const auto body = shot.pixel((left + right) / 2, top + 30);
  EXPECT_LT(body.r + body.g + body.b, 150) << describePixel(shot, (left + right) / 2, top + 30);
  EXPECT_GT(body.b, body.r);
  // Its corners, outside the rounded outline, show the movie.
  for (auto [x, y] : {std::pair{left + 1, top + 1}, {right - 2, top + 1}, {left + 1, bottom - 2}, {right - 2, bottom - 2}})
    EXPECT_TRUE(pixelNear(shot, x, y, kMovieR, kMovieG, kMovieB, 12)) << "corner " << x << "," << y << " "
                                                                       << describePixel(shot, x, y);
  // Just inside the corners' curves it is the panel.
  EXPECT_FALSE(pixelNear(shot, left + 12, top + 12, kMovieR, kMovieG, kMovieB, 30));
  EXPECT_FALSE(pixelNear(shot, left + 10, bottom - 8, kMovieR, kMovieG, kMovieB, 30));
  // Edges: the movie one point outside the panel's sides, the panel a few inside.
  EXPECT_TRUE(pixelNear(shot, left - 2, top + 30, kMovieR, kMovieG, kMovieB, 8));
  EXPECT_FALSE(pixelNear(shot, left + 3, top + 30, kMovieR, kMovieG, kMovieB, 30));
}

TEST_F(KestrixOnScreen, TheKnobsSitWhereThePositionAndTheVolumeSay) {
  Kestrix& k = launch();
  k.pause();
  k.setCurrentFloatTimeFromGui(0.6f);
  ASSERT_TRUE(runMainLoopUntil([&] { return std::fabs(k.currentFloatTime() - 0.6f) < 0.01f; }, 5));
  spinMainLoop(0.5);
  platform::Image shot = screenshot(screenshotFile("kestrix-knobs.png"));
  ASSERT_FALSE(shot.empty());
  const double position = knobCentreIn(shot, sliderOnScreen(k.transportSlider()));
  EXPECT_NEAR(position, knobCentreFor(k.transportSlider(), k.currentFloatTime()), 1.5);
  const double volume = knobCentreIn(shot, sliderOnScreen(k.volumeSlider()));
  EXPECT_NEAR(volume, knobCentreFor(k.volumeSlider(), 0.5), 1.5);  // no stored volume: 0.5
}

TEST_F(KestrixOnScreen, DraggingThePositionKnobPausesSeeksWhileDraggingAndResumes) {
  Kestrix::setVerboseMode(true);
  Kestrix& k = launch();
  auto movie = k.qtMovie();
  ASSERT_GT(movie->rate(), 0);
  const SliderOnScreen s = sliderOnScreen(k.transportSlider());
  const double from = knobCentreFor(k.transportSlider(), k.currentFloatTime());
  const double to = knobCentreFor(k.transportSlider(), 0.75);

  // What happens during the drag, sampled in the event-tracking mode the drag runs in.
  std::vector<std::pair<float, double>> samples;  // (rate, position in seconds)
  auto& loop = platform::RunLoop::mainRunLoop();
  auto timer = loop.addTimer(0.02, true, [&] {
    const auto t = movie->currentTime();
    samples.push_back({movie->rate(), double(t.timeValue) / t.timeScale});
  }, {platform::RunLoop::kEventTrackingRunLoopMode});
  LogCapture log;
  driveWhileRunning([&] {
    xdotool({"mousemove", num(from), num(s.centreY)});
    sleepFor(0.2);
    xdotool({"mousedown", "1"});
    for (int i = 1; i <= 8; ++i) {
      sleepFor(0.08);
      xdotool({"mousemove", num(from + (to - from) * i / 8), num(s.centreY)});
    }
    sleepFor(0.2);
    xdotool({"mouseup", "1"});
  }, 0.5);
  loop.invalidateTimer(timer);

  ASSERT_GE(samples.size(), 5u);
  for (const auto& [rate, at] : samples) EXPECT_EQ(rate, 0) << "playing during the drag at " << at;
  std::set<long> positions;
  for (const auto& sample : samples) positions.insert(std::lround(sample.second * 10));
  EXPECT_GE(positions.size(), 3u) << "the movie did not follow the drag";
  EXPECT_LE(samples.front().second, samples.back().second);
  // Released: playing again, from where the knob was let go.
  EXPECT_GT(movie->rate(), 0);
  EXPECT_NEAR(k.currentFloatTime(), 0.75f, 0.04f);
  const auto messages = log.messages();
  EXPECT_EQ(std::count(messages.begin(), messages.end(), "pause:"), 1);
  EXPECT_EQ(std::count(messages.begin(), messages.end(), "unpause:"), 1);
}

TEST_F(KestrixOnScreen, WheelNotchesOnTheVolumeStepItAndOptionMakesTheStepsFine) {
  Kestrix& k = launch();
  auto movie = k.qtMovie();
  ASSERT_FLOAT_EQ(movie->volume(), 0.5f);
  const SliderOnScreen s = sliderOnScreen(k.volumeSlider());
  const std::string x = num((s.left + s.right) / 2), y = num(s.centreY);
  driveWhileRunning([&] {
    xdotool({"mousemove", x, y});
    sleepFor(0.2);
    xdotool({"click", "4"});  // a notch up
  });
  EXPECT_FLOAT_EQ(movie->volume(), 0.55f);
  EXPECT_FLOAT_EQ(static_cast<float>(k.volumeSlider()->doubleValue()), 0.55f);
  driveWhileRunning([&] { xdotool({"click", "5"}); xdotool({"click", "5"}); });
  EXPECT_FLOAT_EQ(movie->volume(), 0.45f);
  driveWhileRunning([&] {
    xdotool({"keydown", "alt"});
    xdotool({"click", "4"});
    xdotool({"keyup", "alt"});
  });
  EXPECT_NEAR(movie->volume(), 0.455f, 1e-6);
  // The player hears of it: 45.5 %.
  EXPECT_TRUE(runMainLoopUntil([&] { return std::fabs(movie->player()->volume() - 45.5) < 0.01; }, 5));
}

TEST_F(KestrixOnScreen, SpaceTogglesPlaybackAndAResizeHoldsTheMoviesAspectRatio) {
  Kestrix& k = launch();
  auto movie = k.qtMovie();
  const std::string id = std::to_string(movieWindowId());
  ASSERT_GT(movie->rate(), 0);
  driveWhileRunning([&] {
    xdotool({"windowfocus", id});
    sleepFor(0.2);
    xdotool({"key", "space"});
  });
  EXPECT_EQ(movie->rate(), 0);
  driveWhileRunning([&] { xdotool({"key", "space"}); });
  EXPECT_GT(movie->rate(), 0);

  // A user resize to 640 × 300: the width follows the height at 16:9 (the title area not counted).
  driveWhileRunning([&] { xdotool({"windowsize", id, "640", "300"}); }, 0.8);
  const WindowGeometry g = windowGeometry(movieWindowId());
  EXPECT_EQ(g.height, 300);
  EXPECT_EQ(g.width, int(std::floor(300 * 16.0 / 9.0)));
  const NSRect f = k.window()->frame();
  EXPECT_EQ(k.controlPanel()->frame(), NSMakeRect(f.origin.x + 20, f.origin.y + 10, f.size.width - 40, 60));
  platform::Image shot = screenshot(screenshotFile("kestrix-resized.png"));
  // The picture fills the new size; the panel stretched with it.
  EXPECT_TRUE(pixelNear(shot, g.x + g.width - 4, g.y + 4, kMovieR, kMovieG, kMovieB, 8));
  EXPECT_FALSE(pixelNear(shot, g.x + g.width - 25, g.y + g.height - 40, kMovieR, kMovieG, kMovieB, 30));
}

TEST_F(KestrixOnScreen, ControlOOpensTheDesktopsChooserAndItsChoicePlays) {
  // A chooser that answers with another movie (the desktop's chooser stands in for the panel).
  TempDir bin;
  testsupport::writeFile(bin.file("zenity"), "#!/bin/sh\necho '" + fixture("flat-2s.mp4") + "'\n");
  ::chmod(bin.file("zenity").c_str(), 0755);
  const std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
  const std::string oldBus = std::getenv("DBUS_SESSION_BUS_ADDRESS") ? std::getenv("DBUS_SESSION_BUS_ADDRESS") : "";
  setenv("PATH", (bin.path() + ":" + oldPath).c_str(), 1);
  setenv("DBUS_SESSION_BUS_ADDRESS", "", 1);
  Kestrix& k = launch();
  auto first = k.qtMovie();
  const std::string id = std::to_string(movieWindowId());
  driveWhileRunning([&] {
    xdotool({"windowfocus", id});
    sleepFor(0.2);
    xdotool({"key", "ctrl+o"});
  });
  EXPECT_TRUE(runMainLoopUntil([&] { return k.qtMovie() != first; }, 10));
  EXPECT_EQ(k.sourceFilePath(), fixture("flat-2s.mp4"));
  EXPECT_EQ(k.window()->title(), "flat-2s.mp4");
  setenv("PATH", oldPath.c_str(), 1);
  setenv("DBUS_SESSION_BUS_ADDRESS", oldBus.c_str(), 1);
}

// The program itself: quit with Ctrl+Q, the defaults it wrote, and where a second start opens.
TEST(KestrixProgram, ControlQWritesVolumeAndPlaceAndTheNextStartOpensThere) {
  SKIP_WITHOUT_WINDOWS();
  ScopedHome home;
  std::vector<std::string> env = {"MT_AUDIO_OUTPUT=null", "HOME=" + home.path(),
                                   "XDG_CONFIG_HOME=" + home.path() + "/.config"};
#ifdef __SANITIZE_ADDRESS__
  // Quitting closes the X display, and Mesa's GLX unloads its driver with it: the driver's own
  // allocations then show up as leaks from an unknown module, which no suppression can name.
  env.push_back("LSAN_OPTIONS=detect_leaks=0");
#endif
  auto start = [&](pid_t& pid) -> unsigned long {
    std::vector<std::string> args = {binPath("Kestrix"), fixture("flat-16x9-30s.mp4")};
    pid = fork();
    if (pid == 0) {
      for (const auto& e : env) putenv(const_cast<char*>(e.c_str()));
      std::vector<char*> argv;
      for (auto& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      execv(argv[0], argv.data());
      _exit(127);
    }
    RunResult found = run(findProgram("xdotool"), {"search", "--sync", "--onlyvisible", "--pid", std::to_string(pid)}, {}, 20);
    return found.status == 0 ? std::stoul(found.out) : 0;
  };
  auto waitExit = [](pid_t pid) {
    for (int i = 0; i < 200; ++i) {
      int status = 0;
      if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      sleepFor(0.05);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return -1;
  };

  pid_t pid = 0;
  unsigned long window = start(pid);
  ASSERT_NE(window, 0u);
  sleepFor(1.0);
  WindowGeometry g = windowGeometry(window);
  EXPECT_EQ(g.x, (1280 - 480) / 2);  // centred at the first start
  // Moved to (100, 150), a notch up on the volume, then Ctrl+Q.
  xdotool({"windowmove", std::to_string(window), "100", "150"});
  sleepFor(0.5);
  xdotool({"mousemove", num(100 + 20 + 6 + 50), num(150 + 270 - 10 - 44)});
  sleepFor(0.2);
  xdotool({"click", "4"});
  sleepFor(0.3);
  xdotool({"windowfocus", std::to_string(window)});
  sleepFor(0.2);
  xdotool({"key", "ctrl+q"});
  EXPECT_EQ(waitExit(pid), 0);

  auto stored = platform::plist::readFile(home.path() + "/.config/Kestrix/defaults.plist");
  ASSERT_TRUE(stored && stored->isDictionary());
  const auto* volume = stored->dictionary().find("kKestroVolume");
  ASSERT_TRUE(volume);
  EXPECT_NEAR(volume->real(), 0.55, 1e-6);
  const auto* topLeft = stored->dictionary().find("kKestroWindowTopLeft");
  ASSERT_TRUE(topLeft);
  // The frame's top-left corner: the content's top at 150 from the screen's top, plus the title area.
  EXPECT_EQ(topLeft->string(), "{100, " + num(1024 - 150 + NSWindow::kTitleBarHeight) + "}");

  window = start(pid);
  ASSERT_NE(window, 0u);
  sleepFor(1.0);
  g = windowGeometry(window);
  EXPECT_EQ(g.x, 100);
  EXPECT_EQ(g.y, 150);
  xdotool({"windowfocus", std::to_string(window)});
  sleepFor(0.2);
  xdotool({"key", "ctrl+q"});
  EXPECT_EQ(waitExit(pid), 0);
}
