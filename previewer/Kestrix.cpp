// Kestrix: command line, modes, launch, open-file requests, window delegate rules, defaults, quit.
#include "previewer/Kestrix.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/UserDefaults.h"

using namespace platform::appkit;
using platform::media::QTMovie;

namespace {
bool gInteractiveMode = true;
bool gVerboseMode = false;

constexpr const char* kFallbackMovieName = "intro.mov";
}  // namespace

bool Kestrix::interactiveMode() { return gInteractiveMode; }
bool Kestrix::verboseMode() { return gVerboseMode; }
void Kestrix::setVerboseMode(bool verbose) { gVerboseMode = verbose; }

std::string Kestrix::fallbackMoviePath() {
  if (auto installed = platform::findDataFile(kFallbackMovieName)) return *installed;
  // Not there: the load fails and says where it looked first.
  return platform::appendingPathComponent(platform::executableDirectory(), kFallbackMovieName);
}

namespace {
// init: arguments after the program name.
std::optional<std::string> argument(size_t index) {
  const auto& args = processArguments();
  if (args.size() > index) return args[index];
  return std::nullopt;
}
}  // namespace

Kestrix::Kestrix() : Kestrix(argument(1), argument(2)) {
  if (processArguments().size() > 3) {
    gVerboseMode = true;
    std::fputs("Kestrix", stdout);
    std::fflush(stdout);
  }
}

Kestrix::Kestrix(std::optional<std::string> mediaPath, std::optional<std::string> destinationPath)
    : _sourceFilePath(std::move(mediaPath)), _destinationFilePath(std::move(destinationPath)) {
  NSApplication::sharedApplication().setDelegate(this);
  gInteractiveMode = !_destinationFilePath.has_value();
  _launchDate = std::chrono::system_clock::now();
  _previewTimeFraction = 0.33f;
  auto& center = platform::NotificationCenter::defaultCenter();
  loadStateObserver_ = center.addObserver(platform::media::QTMovieLoadStateDidChangeNotification, nullptr,
                                          [this](const platform::Notification& n) { movieLoadStateDidChange(n); });
  didEndObserver_ = center.addObserver(platform::media::QTMovieDidEndNotification, nullptr,
                                       [this](const platform::Notification& n) { movieDidEnd(n); });
}

Kestrix::~Kestrix() {
  killTimers();
  auto& center = platform::NotificationCenter::defaultCenter();
  center.removeObserver(loadStateObserver_);
  center.removeObserver(didEndObserver_);
  if (_volumeSlider) _volumeSlider->unbindAll();
  if (_transportSlider) _transportSlider->unbindAll();
  if (NSApplication::sharedApplication().delegate() == this) NSApplication::sharedApplication().setDelegate(nullptr);
  if (movieView) movieView->setMovie(nullptr);
  // Children first: the panels hold no references to the movie window.
  _controlPanel.reset();
  _headerWindow.reset();
  _window.reset();
}

void Kestrix::applicationDidFinishLaunching() {
  _launched = true;
  if (gInteractiveMode) {
    // The player library loads while the windows are made.
    platform::media::preloadPlaybackModule();
    setupMainMenu();
  }
  setupUserInterface();
  if (_sourceFilePath && platform::fileExists(*_sourceFilePath)) {
    loadMovieAndDisplay();
    return;
  }
  _sourceFilePath = fallbackMoviePath();
  loadMovieAndDisplay();
}

bool Kestrix::applicationOpenFile(const std::string& path) {
  std::string extension = platform::pathExtension(path);
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (extension == "acaid") return false;
  const std::vector<std::string> types = QTMovie::movieFileTypes();
  if (!extension.empty() && std::find(types.begin(), types.end(), extension) != types.end()) {
    _sourceFilePath = path;
    // Before the launch finishes, the launch loads it; a file offered later (dropped on the
    // window) is opened at once, as the user asked.
    if (_launched && gInteractiveMode) loadMovieAndDisplay();
    return true;
  }
  platform::log("Kestrix can't open  this file: %s", path.c_str());
  return false;
}

void Kestrix::applicationWillTerminate() {
  if (gInteractiveMode && !_terminatedWithError) synchronizeDefaults();
}

void Kestrix::terminateWithAlertMessage(const std::optional<std::string>& message) {
  if (message) {
    platform::log("Error: %s", message->c_str());
    _terminatedWithError = true;
  }
  NSApplication::sharedApplication().terminate();
}

void Kestrix::synchronizeDefaults() {
  auto& defaults = platform::UserDefaults::standardUserDefaults();
  if (movie) defaults.setObject("kKestroVolume", static_cast<double>(movie->volume()));
  if (_window) defaults.setObject("kKestroWindowTopLeft", NSStringFromPoint(topLeftPointOfFrame(_window->frame())));
  defaults.synchronize();
}

NSPoint Kestrix::topLeftPointOfFrame(NSRect frame) { return {frame.origin.x, frame.origin.y + frame.size.height}; }

NSSize Kestrix::windowWillResizeToSize(NSWindow& w, NSSize proposed) {
  if (&w != _window.get()) return proposed;
  return {std::floor((proposed.height - 18) * _movieAspectRatio), proposed.height};
}

void Kestrix::windowDidResize(NSWindow& w) {
  if (&w == _window.get()) positionChildWindow();
}

NSRect Kestrix::windowWillUseStandardFrame(NSWindow& w, NSRect defaultFrame) {
  (void)w;
  return defaultFrame;
}

void Kestrix::windowWillMove(NSWindow& w) { (void)w; }
void Kestrix::windowDidMove(NSWindow& w) { (void)w; }

void Kestrix::movieDidEnd(const platform::Notification& notification) {
  if (!movie || notification.object != movie.get()) return;
  if (gVerboseMode) platform::log("QTMovie ended");
}

void Kestrix::runOpenPanel() {
  auto& defaults = platform::UserDefaults::standardUserDefaults();
  std::string directory = defaults.stringForKey("NSNavLastCurrentDirectory").value_or(platform::homeDirectory());
  NSOpenPanel& panel = NSOpenPanel::openPanel();
  panel.setTitle("Select a movie to open...");
  panel.setCanChooseDirectories(false);
  panel.setAllowsMultipleSelection(false);
  panel.beginForDirectory(directory, QTMovie::movieFileTypes(),
                          [this](NSOpenPanel& p, int returnCode) { openPanelDidEnd(p, returnCode); });
}

void Kestrix::openPanelDidEnd(NSOpenPanel& panel, int returnCode) {
  if (returnCode == NSOKButton) {
    const std::string chosen = panel.filename();
    auto& defaults = platform::UserDefaults::standardUserDefaults();
    defaults.setObject("NSNavLastCurrentDirectory", platform::deletingLastPathComponent(chosen));
    _sourceFilePath = chosen;
  }
  panel.close();
  loadMovieAndDisplay();
}

void Kestrix::setPreviewTimeFraction(float fraction) { _previewTimeFraction = fraction; }

void Kestrix::setCurrentFloatTime(float value) {
  if (value == _currentFloatTime) return;
  _currentFloatTime = value;
  didChangeValueForKey("currentFloatTime");
}

void Kestrix::setCanSetTime(bool value) {
  if (value == _canSetTime) return;
  _canSetTime = value;
  didChangeValueForKey("canSetTime");
}

float Kestrix::movieVolume() const { return movie ? movie->volume() : 0.0f; }

void Kestrix::setMovieVolume(float value) {
  if (!movie || value == movie->volume()) return;
  movie->setVolume(value);
  didChangeValueForKey("movieVolume");
}

KVValue Kestrix::valueForKey(const std::string& key) const {
  if (key == "currentFloatTime") return _currentFloatTime;
  if (key == "canSetTime") return _canSetTime;
  if (key == "movieVolume") return movieVolume();
  return KeyValueObservable::valueForKey(key);
}

void Kestrix::setValueForKey(const std::string& key, const KVValue& value) {
  if (key == "currentFloatTime")
    setCurrentFloatTime(value.floatValue());
  else if (key == "canSetTime")
    setCanSetTime(value.boolValue());
  else if (key == "movieVolume")
    setMovieVolume(value.floatValue());
  else
    KeyValueObservable::setValueForKey(key, value);
}
