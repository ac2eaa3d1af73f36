// The Kestrix controller driven in process, without a display: launch and loading, load states,
// position and volume, window rules, open-file requests and user defaults.
#include <gtest/gtest.h>

#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/UserDefaults.h"
#include "previewer/Kestrix.h"
#include "tests/support/TestSupport.h"

using namespace platform::appkit;
using namespace platform::media;
using testsupport::fixture;
using testsupport::runMainLoopUntil;
using testsupport::LogCapture;

namespace {

class Controller : public ::testing::Test {
 protected:
  // Movies shown in the movie view play on a player; no sound card is needed.
  static void SetUpTestSuite() { setenv("MT_AUDIO_OUTPUT", "null", 1); }
  void SetUp() override {
    platform::UserDefaults::setApplicationDomain("Kestrix");
    NSApplication::sharedApplication().reset();
    Kestrix::setVerboseMode(false);
  }
  void TearDown() override {
    NSApplication::sharedApplication().reset();
    NSOpenPanel::setChooser(nullptr);
    Kestrix::setVerboseMode(false);
  }
  static platform::UserDefaults& defaults() { return platform::UserDefaults::standardUserDefaults(); }
  static std::optional<platform::PlistValue> storedDefaults() {
    return platform::plist::readFile(defaults().filePath());
  }
  static bool terminated() { return NSApplication::sharedApplication().isTerminated(); }

  testsupport::ScopedHome home;
};

const std::vector<std::string> kLoadLines = {
    "QTMovieLoadStateDidChange: kMovieLoadStateLoading", "QTMovieLoadStateDidChange: kMovieLoadStateLoaded",
    "QTMovieLoadStateDidChange: kMovieLoadStatePlayable", "QTMovieLoadStateDidChange: kMovieLoadStatePlaythroughOK",
    "QTMovieLoadStateDidChange: kMovieLoadStateComplete"};

// The controller's own lines: without a display the movie window (a GL window) can't be made, which
// the display layer logs; that is not the controller's to say.
std::vector<std::string> controllerMessages(const LogCapture& log) {
  std::vector<std::string> out;
  for (const std::string& m : log.messages())
    if (m.rfind("NativeWindow: ", 0) != 0) out.push_back(m);
  return out;
}

}  // namespace

TEST_F(Controller, InteractiveLaunchLoadsPlaysAndWritesDefaultsAtQuit) {
  Kestrix::setVerboseMode(true);
  LogCapture log;
  Kestrix k(fixture("movie.mp4"), std::nullopt);
  EXPECT_TRUE(Kestrix::interactiveMode());
  EXPECT_FLOAT_EQ(k.previewTimeFraction(), 0.33f);
  NSApplication::sharedApplication().finishLaunching();
  ASSERT_TRUE(k.qtMovie());
  EXPECT_FALSE(k.canSetTime());
  EXPECT_FALSE(k.transportSlider()->isEnabled());
  ASSERT_TRUE(runMainLoopUntil([&] { return k.canSetTime() && k.qtMovie()->loadState() == QTMovieLoadStateComplete; }));
  EXPECT_EQ(controllerMessages(log), kLoadLines);
  EXPECT_TRUE(k.transportSlider()->isEnabled());
  EXPECT_GT(k.qtMovie()->rate(), 0);
  EXPECT_TRUE(k.timerIsRunning());
  EXPECT_TRUE(k.window()->isVisible());
  EXPECT_DOUBLE_EQ(k.controlPanel()->alphaValue(), 1);
  EXPECT_FALSE(k.qtMovieView()->isHidden());
  EXPECT_FLOAT_EQ(k.qtMovie()->volume(), 0.5f);  // no stored volume
  EXPECT_EQ(k.window()->title(), "movie.mp4");
  EXPECT_EQ(k.window()->representedFilename(), fixture("movie.mp4"));
  // 160 x 120 content under the title area.
  EXPECT_EQ(k.window()->contentRectForFrameRect(k.window()->frame()).size, (NSSize{160, 120}));
  // The timer moves the position on.
  ASSERT_TRUE(runMainLoopUntil([&] { return k.currentFloatTime() > 0; }, 5));
  EXPECT_FLOAT_EQ(static_cast<float>(k.transportSlider()->doubleValue()), k.currentFloatTime());

  k.qtMovie()->setVolume(0.75f);
  NSApplication::sharedApplication().terminate();
  auto stored = storedDefaults();
  ASSERT_TRUE(stored && stored->isDictionary());
  EXPECT_DOUBLE_EQ(stored->dictionary().find("kKestroVolume")->real(), 0.75);
  NSPoint topLeft = Kestrix::topLeftPointOfFrame(k.window()->frame());
  EXPECT_EQ(stored->dictionary().find("kKestroWindowTopLeft")->string(), NSStringFromPoint(topLeft));
}

TEST_F(Controller, StoredDefaultsPlaceTheWindowAndSetTheVolume) {
  defaults().setObject("kKestroVolume", 0.2);
  defaults().setObject("kKestroWindowTopLeft", "{40, 700}");
  ASSERT_TRUE(defaults().synchronize());
  Kestrix k(fixture("movie.mp4"), std::nullopt);
  NSApplication::sharedApplication().finishLaunching();
  ASSERT_TRUE(k.qtMovie());
  EXPECT_FLOAT_EQ(k.qtMovie()->volume(), 0.2f);
  EXPECT_FLOAT_EQ(static_cast<float>(k.volumeSlider()->doubleValue()), 0.2f);
  EXPECT_EQ(Kestrix::topLeftPointOfFrame(k.window()->frame()), (NSPoint{40, 700}));
}

TEST_F(Controller, ResultsModeIsMutedShowsNothingWritesThePosterAndNoDefaults) {
  defaults().setObject("kKestroVolume", 0.8);
  ASSERT_TRUE(defaults().synchronize());
  const std::string before = testsupport::readFile(defaults().filePath());
  testsupport::TempDir out;
  Kestrix k(fixture("flat-1920x1080.mp4"), out.file("poster.jpg"));
  EXPECT_FALSE(Kestrix::interactiveMode());
  NSApplication::sharedApplication().finishLaunching();
  ASSERT_TRUE(k.qtMovie());
  EXPECT_FLOAT_EQ(k.qtMovie()->volume(), 0.0f);
  ASSERT_TRUE(runMainLoopUntil([] { return terminated(); }));
  EXPECT_TRUE(platform::fileExists(out.file("poster.jpg")));
  EXPECT_FALSE(k.terminatedWithError());
  for (NSWindow* w : NSWindow::allWindows()) {
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(w->sdlWindow(), nullptr);
  }
  EXPECT_FALSE(k.timerIsRunning());
  EXPECT_EQ(k.qtMovie()->rate(), 0);
  EXPECT_EQ(testsupport::readFile(defaults().filePath()), before);

  // 16:9: a proposed height of 378 gives floor(360 x 16/9) = 640; other windows are left alone.
  EXPECT_FLOAT_EQ(k.movieAspectRatio(), 16.0f / 9.0f);
  EXPECT_EQ(k.windowWillResizeToSize(*k.window(), {999, 378}), (NSSize{640, 378}));
  EXPECT_EQ(k.windowWillResizeToSize(*k.controlPanel(), {999, 378}), (NSSize{999, 378}));
  EXPECT_EQ(k.windowWillUseStandardFrame(*k.window(), NSMakeRect(1, 2, 3, 4)), NSMakeRect(1, 2, 3, 4));
}

TEST_F(Controller, WindowsAndSlidersAreMadeAsDescribed) {
  Kestrix k(fixture("movie.mp4"), "/nonexistent/out.jpg");
  ASSERT_TRUE(k.setupUserInterface());
  NSWindow* w = k.window();
  NSWindow* panel = k.controlPanel();
  EXPECT_EQ(k.window(), w);  // made once
  EXPECT_EQ(w->styleMask(), unsigned(NSTitledWindowMask | NSClosableWindowMask | NSResizableWindowMask |
                                     NSNonactivatingPanelMask | NSTexturedBackgroundWindowMask));
  EXPECT_EQ(w->level(), CGWindowLevelForKey(kCGScreenSaverWindowLevelKey));
  EXPECT_EQ(panel->level(), w->level() + 1);
  EXPECT_EQ(panel->styleMask(), unsigned(NSTexturedBackgroundWindowMask));
  EXPECT_FALSE(panel->isOpaque());
  EXPECT_FALSE(panel->hasShadow());
  EXPECT_DOUBLE_EQ(panel->alphaValue(), 0);
  EXPECT_EQ(panel->parentWindow(), w);
  EXPECT_EQ(w->nextResponder(), panel);
  EXPECT_EQ(k.headerWindow()->frame().size.height, 1 + NSWindow::kTitleBarHeight);
  EXPECT_FALSE(k.headerWindow()->isVisible());

  ASSERT_TRUE(k.volumeSlider() && k.transportSlider());
  EXPECT_EQ(k.volumeSlider()->tag(), 1);
  EXPECT_EQ(k.volumeSlider()->frame(), NSMakeRect(6, 38, 100, 12));
  EXPECT_EQ(k.volumeSlider()->autoresizingMask(), unsigned(NSViewMaxXMargin | NSViewMaxYMargin));
  EXPECT_EQ(k.transportSlider()->tag(), 0);
  EXPECT_EQ(k.transportSlider()->frame(), NSMakeRect(6, 6, 292, 12));
  EXPECT_EQ(k.transportSlider()->controlSize(), NSMiniControlSize);

  // Control sizes from the frame height.
  EXPECT_EQ(k.sliderWithFrame(NSMakeRect(0, 0, 50, 15))->controlSize(), NSMiniControlSize);
  EXPECT_EQ(k.sliderWithFrame(NSMakeRect(0, 0, 50, 16))->controlSize(), NSSmallControlSize);
  EXPECT_EQ(k.sliderWithFrame(NSMakeRect(0, 0, 50, 21))->controlSize(), NSSmallControlSize);
  auto regular = k.sliderWithFrame(NSMakeRect(0, 0, 50, 22));
  EXPECT_EQ(regular->controlSize(), NSRegularControlSize);
  EXPECT_EQ(regular->minValue(), 0);
  EXPECT_EQ(regular->maxValue(), 1);
  EXPECT_EQ(regular->doubleValue(), 0);

  // The control panel follows the movie window: (100, 200, 640, 378) puts it at (120, 210, 600, 60).
  w->setFrame(NSMakeRect(100, 200, 640, 378), true);
  EXPECT_EQ(panel->frame(), NSMakeRect(120, 210, 600, 60));
  // The position slider stretches with the panel.
  EXPECT_EQ(k.transportSlider()->frame().size.width, 600 - 12);
  EXPECT_EQ(k.volumeSlider()->frame().size.width, 100);
}

TEST_F(Controller, PositionIsReadAndSetAsAFractionClampedToTheMovie) {
  Kestrix k(fixture("frames.mp4"), std::nullopt);
  EXPECT_EQ(k.getCurrentFloatTimeFromMovie(), 0);
  k.setCurrentFloatTimeFromGui(0.5f);  // no movie: nothing happens
  k.setupUserInterface();
  k.loadMovieAndDisplay();
  QTMoviePtr movie = k.qtMovie();
  ASSERT_TRUE(movie);
  k.pause();
  const QTTime d = movie->duration();
  k.setCurrentFloatTimeFromGui(1.3f);
  EXPECT_EQ(movie->currentTime().timeValue, d.timeValue);
  EXPECT_EQ(k.getCurrentFloatTimeFromMovie(), 1.0f);
  k.setCurrentFloatTimeFromGui(-0.2f);
  EXPECT_EQ(movie->currentTime().timeValue, 0);
  EXPECT_EQ(k.getCurrentFloatTimeFromMovie(), 0.0f);
  k.setCurrentFloatTimeFromGui(0.33f);
  EXPECT_EQ(movie->currentTime().timeValue, static_cast<int64_t>(0.33f * static_cast<double>(d.timeValue)));
  EXPECT_NEAR(k.getCurrentFloatTimeFromMovie(), 0.33f, 1e-4);
  k.updateTimeDisplays();
  EXPECT_NEAR(k.transportSlider()->doubleValue(), 0.33, 1e-4);
}

TEST_F(Controller, AnEmptyMovieReportsPositionZero) {
  Kestrix k(fixture("zero-duration.mp4"), std::nullopt);
  k.setupUserInterface();
  k.loadMovieAndDisplay();
  ASSERT_TRUE(k.qtMovie());
  EXPECT_EQ(k.qtMovie()->duration().timeValue, 0);
  EXPECT_EQ(k.getCurrentFloatTimeFromMovie(), 0.0f);
}

TEST_F(Controller, DraggingThePositionSliderPausesMovesAndResumes) {
  Kestrix::setVerboseMode(true);
  Kestrix k(fixture("frames.mp4"), std::nullopt);
  k.setupUserInterface();
  k.loadMovieAndDisplay();
  QTMoviePtr movie = k.qtMovie();
  ASSERT_TRUE(movie);
  k.qtMovieView()->play();
  LogCapture log;
  auto& app = NSApplication::sharedApplication();
  NSSlider* slider = k.transportSlider();
  app.setCurrentEvent(NSEvent::mouseEvent(NSEventType::LeftMouseDown, {}, k.controlPanel()));
  slider->setDoubleValue(0.5);
  slider->sendAction();
  EXPECT_EQ(movie->rate(), 0);
  EXPECT_EQ(movie->currentTime().timeValue, movie->duration().timeValue / 2);
  app.setCurrentEvent(NSEvent::mouseEvent(NSEventType::LeftMouseDragged, {}, k.controlPanel()));
  slider->setDoubleValue(0.25);
  slider->sendAction();
  EXPECT_EQ(movie->currentTime().timeValue, movie->duration().timeValue / 4);
  EXPECT_EQ(movie->rate(), 0);
  app.setCurrentEvent(NSEvent::mouseEvent(NSEventType::LeftMouseUp, {}, k.controlPanel()));
  slider->setDoubleValue(0.25);
  slider->sendAction();
  EXPECT_GT(movie->rate(), 0);
  EXPECT_EQ(log.messages(), (std::vector<std::string>{"pause:", "unpause:"}));

  // The volume slider travels through its binding only.
  k.volumeSlider()->setDoubleValue(0.7);
  k.volumeSlider()->sendAction();
  EXPECT_FLOAT_EQ(movie->volume(), 0.7f);
  k.setMovieVolume(0.3f);
  EXPECT_FLOAT_EQ(static_cast<float>(k.volumeSlider()->doubleValue()), 0.3f);
}

TEST_F(Controller, AudioOnlyMovieGetsTheDefaultWindowSize) {
  Kestrix k(fixture("audio.m4a"), std::nullopt);
  k.setupUserInterface();
  k.loadMovieAndDisplay();
  ASSERT_TRUE(k.qtMovie());
  EXPECT_EQ(k.window()->contentRectForFrameRect(k.window()->frame()).size, (NSSize{320, 240}));
  EXPECT_FLOAT_EQ(k.movieAspectRatio(), 4.0f / 3.0f);
  EXPECT_FALSE(k.qtMovieHasVideo(k.qtMovie()));
}

TEST_F(Controller, OpenFileRequestsAcceptMovieTypesAndRefuseAcaidSilently) {
  Kestrix k(std::nullopt, std::nullopt);
  LogCapture log;
  EXPECT_FALSE(k.applicationOpenFile("/x/artwork.ACAID"));
  EXPECT_FALSE(k.applicationOpenFile("/x/artwork.acaid"));
  EXPECT_FALSE(k.applicationOpenFile("/x/artwork.AcAid"));
  EXPECT_TRUE(log.messages().empty());
  EXPECT_FALSE(k.applicationOpenFile("/x/notes.xyz"));
  EXPECT_EQ(log.messages(), std::vector<std::string>{"Kestrix can't open  this file: /x/notes.xyz"});
  EXPECT_FALSE(k.sourceFilePath());
  EXPECT_TRUE(k.applicationOpenFile("/x/Clip.MP4"));
  EXPECT_EQ(k.sourceFilePath(), "/x/Clip.MP4");
  EXPECT_TRUE(k.applicationOpenFile("/x/song.mkv"));
  EXPECT_EQ(k.sourceFilePath(), "/x/song.mkv");
}

TEST_F(Controller, OpenRequestBeforeLaunchIsTheFileThatLoads) {
  Kestrix k(std::nullopt, std::nullopt);
  auto& app = NSApplication::sharedApplication();
  app.openFile(fixture("frames.mp4"));
  EXPECT_FALSE(k.qtMovie());
  app.finishLaunching();
  ASSERT_TRUE(k.qtMovie());
  EXPECT_EQ(k.qtMovie()->quickTimeMovie()->path(), fixture("frames.mp4"));
}

TEST_F(Controller, MissingMediaFallsBackToTheSampleMovie) {
  Kestrix k(std::string("/nonexistent/movie.mp4"), std::nullopt);
  NSApplication::sharedApplication().finishLaunching();
  EXPECT_EQ(k.sourceFilePath(), Kestrix::fallbackMoviePath());
  ASSERT_TRUE(k.qtMovie());
  EXPECT_TRUE(k.qtMovie()->hasVideo());
}

TEST_F(Controller, AnErrorQuitWritesNoDefaults) {
  LogCapture log;
  Kestrix k(fixture("not-a-movie.txt"), std::nullopt);
  NSApplication::sharedApplication().finishLaunching();
  EXPECT_TRUE(terminated());
  EXPECT_TRUE(k.terminatedWithError());
  EXPECT_FALSE(k.qtMovie());
  const std::string path = fixture("not-a-movie.txt");
  EXPECT_EQ(controllerMessages(log), (std::vector<std::string>{"Error: QTMovie can't init with file: '" + path + "'",
                                                      "Error: Failed to create QTMovie from file '" + path + "'"}));
  EXPECT_FALSE(storedDefaults());
}

TEST_F(Controller, QuitWithAMessageLogsItAndSkipsDefaults) {
  Kestrix k(fixture("movie.mp4"), std::nullopt);
  NSApplication::sharedApplication().finishLaunching();
  LogCapture log;
  k.terminateWithAlertMessage(std::string("something broke"));
  EXPECT_EQ(log.messages(), std::vector<std::string>{"Error: something broke"});
  EXPECT_TRUE(terminated());
  EXPECT_FALSE(storedDefaults());
}

TEST_F(Controller, LoadErrorStateQuitsButStillWritesDefaultsInInteractiveMode) {
  Kestrix::setVerboseMode(true);
  LogCapture log;
  Kestrix k(fixture("undecodable-video.mp4"), std::nullopt);
  NSApplication::sharedApplication().finishLaunching();
  ASSERT_TRUE(runMainLoopUntil([] { return terminated(); }));
  EXPECT_FALSE(k.terminatedWithError());
  EXPECT_EQ(log.messages().back(), "QTMovieLoadStateDidChange: Error loading movie, quitting");
  auto stored = storedDefaults();
  ASSERT_TRUE(stored);
  EXPECT_TRUE(stored->dictionary().contains("kKestroVolume"));
}

TEST_F(Controller, OpenPanelCancelReloadsAndOKSwitchesFiles) {
  Kestrix k(fixture("movie.mp4"), std::nullopt);
  NSApplication::sharedApplication().finishLaunching();
  QTMoviePtr first = k.qtMovie();
  ASSERT_TRUE(first);
  std::string shownIn;
  NSOpenPanel::setChooser([&](const NSOpenPanel& panel) -> std::optional<std::string> {
    shownIn = panel.directory();
    EXPECT_EQ(panel.title(), "Select a movie to open...");
    EXPECT_FALSE(panel.canChooseDirectories());
    EXPECT_FALSE(panel.allowsMultipleSelection());
    return std::nullopt;
  });
  k.runOpenPanel();
  ASSERT_TRUE(runMainLoopUntil([&] { return k.qtMovie() != first; }, 5));
  EXPECT_EQ(shownIn, platform::homeDirectory());
  EXPECT_EQ(k.sourceFilePath(), fixture("movie.mp4"));
  EXPECT_FALSE(defaults().stringForKey("NSNavLastCurrentDirectory"));

  NSOpenPanel::setChooser([&](const NSOpenPanel& panel) -> std::optional<std::string> {
    shownIn = panel.directory();
    return fixture("frames.mp4");
  });
  QTMoviePtr second = k.qtMovie();
  k.runOpenPanel();
  ASSERT_TRUE(runMainLoopUntil([&] { return k.qtMovie() != second; }, 5));
  EXPECT_EQ(k.sourceFilePath(), fixture("frames.mp4"));
  EXPECT_EQ(defaults().stringForKey("NSNavLastCurrentDirectory"),
            platform::deletingLastPathComponent(fixture("frames.mp4")));
  EXPECT_EQ(k.window()->title(), "frames.mp4");
  // The next panel starts in the folder of the last choice.
  k.runOpenPanel();
  ASSERT_TRUE(runMainLoopUntil([&] { return shownIn != platform::homeDirectory(); }, 5));
  EXPECT_EQ(shownIn, platform::deletingLastPathComponent(fixture("frames.mp4")));
}

TEST_F(Controller, MovieEndIsLoggedForTheOwnMovieOnly) {
  Kestrix::setVerboseMode(true);
  Kestrix k(fixture("movie.mp4"), std::nullopt);
  k.setupUserInterface();
  k.loadMovieAndDisplay();
  LogCapture log;
  int other = 0;
  platform::NotificationCenter::defaultCenter().postNotification(QTMovieDidEndNotification, &other);
  EXPECT_TRUE(log.messages().empty());
  platform::NotificationCenter::defaultCenter().postNotification(QTMovieDidEndNotification, k.qtMovie().get());
  EXPECT_EQ(log.messages(), std::vector<std::string>{"QTMovie ended"});
}

TEST_F(Controller, LastWindowClosedQuits) {
  Kestrix k(fixture("movie.mp4"), std::nullopt);
  NSApplication::sharedApplication().finishLaunching();
  EXPECT_FALSE(terminated());
  k.controlPanel()->close();
  k.window()->close();
  EXPECT_TRUE(terminated());
  EXPECT_TRUE(storedDefaults());
}

TEST_F(Controller, TheRefreshTimerIsSuspendedAndRestartedByItsFireDate) {
  Kestrix k(fixture("movie.mp4"), std::nullopt);
  auto& loop = platform::RunLoop::mainRunLoop();
  k.startTimers();
  const auto timer = k.refreshTimer();
  ASSERT_TRUE(loop.isTimerValid(timer));
  EXPECT_TRUE(k.timerIsRunning());

  // Suspended: the same timer, never due; it doesn't fire in either of its modes.
  k.suspendTimers();
  EXPECT_EQ(k.refreshTimer(), timer);
  EXPECT_TRUE(loop.isTimerValid(timer));
  EXPECT_EQ(loop.timerFireDate(timer), platform::RunLoop::distantFuture());
  EXPECT_FALSE(k.timerIsRunning());
  k.setupUserInterface();
  k.loadMovieAndDisplay();  // starts the timer again: it fires one interval from now
  ASSERT_EQ(k.refreshTimer(), timer);
  const auto now = platform::RunLoop::Clock::now();
  const auto next = loop.timerFireDate(timer);
  ASSERT_TRUE(next);
  EXPECT_LE(*next, now + std::chrono::milliseconds(67));
  EXPECT_GT(*next, now + std::chrono::milliseconds(40));

  // Running, it refreshes the position in the event-tracking mode too (a slider drag).
  k.qtMovie()->setCurrentTime({k.qtMovie()->duration().timeValue / 2, k.qtMovie()->duration().timeScale, 0});
  loop.runMode(platform::RunLoop::kEventTrackingRunLoopMode, 0.2, false);
  const float shown = k.currentFloatTime();
  EXPECT_GE(shown, 0.5f);  // (the movie may be playing)
  EXPECT_LT(shown, 0.7f);
  k.suspendTimers();
  k.qtMovie()->setCurrentTime({0, k.qtMovie()->duration().timeScale, 0});
  loop.runMode(platform::RunLoop::kEventTrackingRunLoopMode, 0.2, false);
  loop.runMode(platform::RunLoop::kDefaultRunLoopMode, 0.2, false);
  EXPECT_EQ(k.currentFloatTime(), shown);  // suspended: no refresh
  k.killTimers();
  EXPECT_FALSE(loop.isTimerValid(timer));
}

TEST_F(Controller, AFileDroppedAfterTheLaunchOpensAtOnce) {
  Kestrix k(fixture("movie.mp4"), std::nullopt);
  NSApplication::sharedApplication().finishLaunching();
  QTMoviePtr first = k.qtMovie();
  ASSERT_TRUE(first);
  NSApplication::sharedApplication().openFile(fixture("flat-2s.mp4"));
  EXPECT_NE(k.qtMovie(), first);
  EXPECT_EQ(k.sourceFilePath(), fixture("flat-2s.mp4"));
  EXPECT_EQ(k.window()->title(), "flat-2s.mp4");
  // Refused files change nothing.
  QTMoviePtr second = k.qtMovie();
  NSApplication::sharedApplication().openFile("/x/notes.xyz");
  EXPECT_EQ(k.qtMovie(), second);
  // The menu's commands are there in interactive mode.
  auto menu = NSApplication::sharedApplication().mainMenu();
  ASSERT_TRUE(menu);
  EXPECT_TRUE(menu->itemWithTitle("Open..."));
  EXPECT_TRUE(menu->itemWithTitle("Quit Kestrix"));
  k.qtMovie()->play();
  k.togglePlayback();
  EXPECT_EQ(k.qtMovie()->rate(), 0);
  k.togglePlayback();
  EXPECT_GT(k.qtMovie()->rate(), 0);
}
