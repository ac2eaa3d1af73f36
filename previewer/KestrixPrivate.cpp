// Kestrix(Private): windows, movie view and sliders, asynchronous loading and load states, the
// refresh timer, position and volume, and the control panel's placement.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "drawing/views/XDotKnobSlider.h"
#include "drawing/views/XMHGlossyRoundedView.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/UserDefaults.h"
#include "previewer/Kestrix.h"

using namespace platform::appkit;
using namespace platform::media;

namespace {
const std::string kLoadStateTag = "QTMovieLoadStateDidChange";
// The refresh interval: the 32-bit float 1/15 (0.0666667), widened.
const double kRefreshSeconds = static_cast<double>(0.0666667f);
const auto kRefreshInterval =
    std::chrono::duration_cast<platform::RunLoop::Clock::duration>(std::chrono::duration<double>(kRefreshSeconds));

platform::PlistDictionary bindingOptions() {
  platform::PlistDictionary options;
  options.set(NSConditionallySetsEnabledBindingOption, false);
  options.set(NSRaisesForNotApplicableKeysBindingOption, false);
  return options;
}

void placeWindow(NSWindow& window) {
  auto topLeft = platform::UserDefaults::standardUserDefaults().stringForKey("kKestroWindowTopLeft");
  if (topLeft)
    window.setFrameTopLeftPoint(NSPointFromString(*topLeft));
  else
    window.center();
}
}  // namespace

NSWindow* Kestrix::headerWindow() {
  if (!_headerWindow) {
    auto panel = std::make_unique<NSPanel>(
        NSMakeRect(0, 0, 320, 1),
        NSTitledWindowMask | NSClosableWindowMask | NSResizableWindowMask | NSNonactivatingPanelMask,
        NSBackingStoreBuffered, false, NSScreen::mainScreen());
    panel->setLevel(CGWindowLevelForKey(kCGScreenSaverWindowLevelKey) + 1);
    panel->setHasShadow(false);
    panel->setHidesOnDeactivate(false);
    panel->setDelegate(this);
    _headerWindow = std::move(panel);
  }
  return _headerWindow.get();
}

NSWindow* Kestrix::window() {
  if (!_window) {
    auto panel = std::make_unique<NSPanel>(NSMakeRect(0, 0, 320, 240),
                                           NSTitledWindowMask | NSClosableWindowMask | NSResizableWindowMask |
                                               NSNonactivatingPanelMask | NSTexturedBackgroundWindowMask,
                                           NSBackingStoreBuffered, false, NSScreen::mainScreen());
    panel->setLevel(CGWindowLevelForKey(kCGScreenSaverWindowLevelKey));
    panel->setHasShadow(true);
    panel->setHidesOnDeactivate(false);
    panel->setDelegate(this);
    _window = std::move(panel);
  }
  return _window.get();
}

NSWindow* Kestrix::controlPanel() {
  if (!_controlPanel) {
    auto panel = std::make_unique<NSPanel>(NSMakeRect(0, 0, 304, 60), NSTexturedBackgroundWindowMask,
                                           NSBackingStoreBuffered, false, NSScreen::mainScreen());
    panel->setLevel(CGWindowLevelForKey(kCGScreenSaverWindowLevelKey) + 1);
    panel->setBackgroundColor(NSColor::clearColor());
    panel->setOpaque(false);
    panel->setHasShadow(false);
    panel->setHidesOnDeactivate(false);
    panel->setDelegate(this);
    auto content = std::make_shared<drawing::XMHGlossyRoundedView>(NSMakeRect(0, 0, 304, 60));
    content->setAutoresizingMask(NSViewWidthSizable | NSViewHeightSizable);
    panel->setContentView(content);
    panel->setInitialFirstResponder(content.get());
    panel->setAlphaValue(0);
    _controlPanel = std::move(panel);
  }
  return _controlPanel.get();
}

bool Kestrix::setupUserInterface() {
  if (_window) return true;
  NSWindow* movieWindow = window();
  NSWindow* panel = controlPanel();
  if (!movieWindow || !panel) {
    platform::log("Error creating NSWindow");
    return false;
  }
  movieWindow->addChildWindow(panel, NSWindowAbove);
  movieWindow->setNextResponder(panel);

  bool result = true;
  NSRect content = movieWindow->contentView()->frame();
  movieView = std::make_shared<QTMovieView>(content);
  if (!movieView) {
    platform::log("Error creating QTMovieView");
    result = false;
  } else {
    movieView->setFillColor(NSColor::colorWithCalibratedWhite(0, 1));
    movieView->setControllerVisible(false);
    movieView->setPreservesAspectRatio(true);
    movieView->setAutoresizingMask(NSViewWidthSizable | NSViewHeightSizable);
    movieView->setHidden(true);
    movieWindow->setContentView(movieView);

    NSView* panelContent = panel->contentView();
    _volumeSlider = sliderWithFrame(NSMakeRect(6, 38, 100, 12));
    if (!_volumeSlider) {
      platform::log("Error creating volumeSlider");
    } else {
      _volumeSlider->setAutoresizingMask(NSViewMaxXMargin | NSViewMaxYMargin);
      _volumeSlider->setTag(1);
      panelContent->addSubview(_volumeSlider);
      panelContent->setNextKeyView(_volumeSlider.get());
      _volumeSlider->bind(NSValueBinding, this, "movieVolume", bindingOptions());
    }
    _transportSlider = sliderWithFrame(NSMakeRect(6, 6, panelContent->frame().size.width - 12, 12));
    if (!_transportSlider) {
      platform::log("Error creating transportSlider");
    } else {
      _transportSlider->setTag(0);
      panelContent->addSubview(_transportSlider);
      _transportSlider->bind(NSValueBinding, this, "currentFloatTime", bindingOptions());
      _transportSlider->bind(NSEnabledBinding, this, "canSetTime", bindingOptions());
    }
  }
  placeWindow(*movieWindow);
  if (interactiveMode()) movieWindow->makeKeyAndOrderFront();
  return result;
}

std::shared_ptr<NSSlider> Kestrix::sliderWithFrame(NSRect frame) {
  auto slider = std::make_shared<drawing::XDotKnobSlider>(frame);
  slider->awakeFromNib();
  const double h = frame.size.height;
  slider->setControlSize(h <= 15 ? NSMiniControlSize : h <= 21 ? NSSmallControlSize : NSRegularControlSize);
  slider->setMinValue(0);
  slider->setMaxValue(1);
  slider->setDoubleValue(0);
  slider->setAction([this](NSControl& sender) { guiSliderAction(sender); });
  slider->setAutoresizingMask(NSViewWidthSizable | NSViewMaxYMargin);
  return slider;
}

Kestrix::QTMoviePtr Kestrix::newQTMovieFromPropertiesWithPath(const std::string& path, bool asynchonously) {
  if (!QTMovie::canInitWithFile(path)) {
    platform::log("Error: QTMovie can't init with file: '%s'", path.c_str());
    return nullptr;
  }
  QTNewMoviePropertyElement properties[4];
  properties[0] = {kQTPropertyClass_DataLocation, kQTDataLocationPropertyID_CFStringNativePath, 4, path, noErr};
  properties[1] = {kQTPropertyClass_NewMovieProperty, kQTNewMoviePropertyID_Active, 1, true, noErr};
  properties[2] = {kQTPropertyClass_Audio, kQTAudioPropertyID_ChannelLayout, 1, true, noErr};
  properties[3] = {kQTPropertyClass_MovieInstantiation, kQTMovieInstantiationPropertyID_AsyncOK, 1, asynchonously,
                   noErr};
  MoviePtr lowLevel;
  if (NewMovieFromProperties(4, properties, 0, nullptr, &lowLevel) != noErr || !lowLevel) {
    platform::log("Error: newQTMovieWithPath: NewMovieFromProperties: failed...");
    return nullptr;
  }
  std::string error;
  QTMoviePtr result = QTMovie::movieWithQuickTimeMovie(lowLevel, true, &error);
  if (!error.empty()) platform::log("Error: newQTMovieWithPath: QTMovie: initWithQuickTimeMovie: failed...");
  return result;
}

void Kestrix::loadMovieAndDisplay() {
  if (!_sourceFilePath) _sourceFilePath = fallbackMoviePath();
  const std::string path = *_sourceFilePath;
  setCanSetTime(false);

  if (movieView) movieView->setMovie(nullptr);
  movie = newQTMovieFromPropertiesWithPath(path, true);
  if (!movie) {
    char message[4096];
    std::snprintf(message, sizeof message, "Failed to create QTMovie from file '%s'", path.c_str());
    terminateWithAlertMessage(std::string(message));
    return;
  }
  if (movieView) movieView->setMovie(movie);

  auto& defaults = platform::UserDefaults::standardUserDefaults();
  float volume = defaults.objectForKey("kKestroVolume") ? defaults.floatForKey("kKestroVolume") : 0.5f;
  if (!interactiveMode()) volume = 0;
  movie->setVolume(volume);
  didChangeValueForKey("movieVolume");

  QTSize natural = movie->naturalSize();
  if (natural.width < 1) natural = {320, 240};
  _movieAspectRatio = static_cast<float>(natural.width / natural.height);

  NSWindow* movieWindow = window();
  movieWindow->setFrame(movieWindow->frameRectForContentRect(NSMakeRect(0, 0, natural.width, natural.height)), false);
  placeWindow(*movieWindow);
  movieWindow->setTitle(platform::lastPathComponent(path));
  movieWindow->setRepresentedFilename(path);

  if (interactiveMode()) {
    movieWindow->makeKeyAndOrderFront();
    controlPanel()->orderFront();
    positionChildWindow();
    startTimers();
  }
  if (movieView) movieView->setHidden(false);
  controlPanel()->setAlphaValue(1);

  platform::NotificationCenter::defaultCenter().postNotification(QTMovieLoadStateDidChangeNotification, movie.get());
}

bool Kestrix::qtMovieHasVideo(const QTMoviePtr& m) {
  if (!m) return false;
  if (m->hasVideo()) return true;
  if (verboseMode()) platform::log("QTMovieHasVideoAttribute is null, doublechecking for tracksOfMediaType");
  const std::pair<const std::string*, const char*> types[] = {
      {&QTMediaTypeVideo, "QTMediaTypeVideo"}, {&QTMediaTypeMPEG, "QTMediaTypeMPEG"},
      {&QTMediaTypeFlash, "QTMediaTypeFlash"}, {&QTMediaTypeMovie, "QTMediaTypeMovie"},
      {&QTMediaType3D, "QTMediaType3D"},       {&QTMediaTypeQTVR, "QTMediaTypeQTVR"},
      {&QTMediaTypeStream, "QTMediaTypeStream"}, {&QTMediaTypeMuxed, "QTMediaTypeMuxed"}};
  for (const auto& [type, name] : types) {
    if (!m->tracksOfMediaType(*type).empty()) {
      if (verboseMode()) platform::log("Found tracksOfMediaType: %s", name);
      return true;
    }
  }
  return false;
}

void Kestrix::movieLoadStateDidChange(const platform::Notification& notification) {
  if (!movie || notification.object != movie.get()) return;
  const char* tag = kLoadStateTag.c_str();
  const bool verbose = verboseMode();
  switch (movie->loadState()) {
    case QTMovieLoadStateLoading:
      if (verbose) platform::log("%s: kMovieLoadStateLoading", tag);
      break;
    case QTMovieLoadStateLoaded:
      if (verbose) platform::log("%s: kMovieLoadStateLoaded", tag);
      break;
    case QTMovieLoadStatePlayable:
      if (verbose) platform::log("%s: kMovieLoadStatePlayable", tag);
      if (interactiveMode() && movieView) movieView->play();
      break;
    case QTMovieLoadStatePlaythroughOK:
      if (verbose) platform::log("%s: kMovieLoadStatePlaythroughOK", tag);
      if (interactiveMode() && movieView) movieView->play();
      setCanSetTime(true);
      break;
    case QTMovieLoadStateComplete:
      if (verbose) platform::log("%s: kMovieLoadStateComplete", tag);
      if (interactiveMode()) {
        if (movieView) movieView->play();
      } else {
        getMetaDataAndPreview();
      }
      setCanSetTime(true);
      break;
    case QTMovieLoadStateError:
      if (verbose) platform::log("%s: Error loading movie, quitting", tag);
      NSApplication::sharedApplication().terminate();
      break;
    default:
      platform::log("%s: Undefined", tag);
      break;
  }
}

void Kestrix::startTimers() {
  auto& loop = platform::RunLoop::mainRunLoop();
  if (oneSecondTimer && loop.isTimerValid(oneSecondTimer)) {
    loop.setTimerFireDate(oneSecondTimer, platform::RunLoop::Clock::now() + kRefreshInterval);
    return;
  }
  oneSecondTimer = loop.addTimer(kRefreshSeconds, true, [this] { updateTimeDisplays(); });
  loop.addTimerToMode(oneSecondTimer, platform::RunLoop::kEventTrackingRunLoopMode);
}

void Kestrix::killTimers() {
  auto& loop = platform::RunLoop::mainRunLoop();
  if (oneSecondTimer && loop.isTimerValid(oneSecondTimer)) loop.invalidateTimer(oneSecondTimer);
  oneSecondTimer = 0;
}

void Kestrix::suspendTimers() {
  platform::RunLoop::mainRunLoop().setTimerFireDate(oneSecondTimer, platform::RunLoop::distantFuture());
}

bool Kestrix::timerIsRunning() const {
  auto fireDate = platform::RunLoop::mainRunLoop().timerFireDate(oneSecondTimer);
  return fireDate && *fireDate != platform::RunLoop::distantFuture();
}

void Kestrix::updateTimeDisplays() { setCurrentFloatTime(getCurrentFloatTimeFromMovie()); }

float Kestrix::getCurrentFloatTimeFromMovie() {
  if (!movie) return 0;
  const QTTime current = movie->currentTime();
  const QTTime duration = movie->duration();
  // An empty movie has no position to report, not its end.
  if (duration.timeValue <= 0) return 0;
  if (current.timeValue == duration.timeValue) return 1.0f;
  return static_cast<float>(static_cast<double>(current.timeValue) / static_cast<double>(duration.timeValue));
}

void Kestrix::setCurrentFloatTimeFromGui(float fraction) {
  if (!movie) return;
  if (std::isnan(fraction)) fraction = 0;
  fraction = std::clamp(fraction, 0.0f, 1.0f);
  const QTTime duration = movie->duration();
  QTTime time = duration;
  time.timeValue = static_cast<int64_t>(static_cast<double>(fraction) * static_cast<double>(duration.timeValue));
  movie->setCurrentTime(time);
}

void Kestrix::guiSliderAction(NSControl& sender) {
  const float value = sender.floatValue();
  if (sender.tag() != 0) return;
  if (dynamic_cast<NSSlider*>(&sender)) {
    const auto& event = NSApplication::sharedApplication().currentEvent();
    if (event && event->type == NSEventType::LeftMouseDown) pause();
    if (event && event->type == NSEventType::LeftMouseUp) unpause();
  }
  setCurrentFloatTimeFromGui(value);
}

void Kestrix::pause() {
  if (verboseMode()) platform::log("pause:");
  if (movieView) movieView->pause();
}

void Kestrix::unpause() {
  if (verboseMode()) platform::log("unpause:");
  if (movieView) movieView->play();
}

void Kestrix::positionChildWindow() {
  if (!_window || !_controlPanel) return;
  const NSRect f = _window->frame();
  const double height = _controlPanel->frame().size.height;
  _controlPanel->setFrame(NSMakeRect(f.origin.x + 20, f.origin.y + 10, f.size.width - 40, height), true, false);
}
