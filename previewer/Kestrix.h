#pragma once
// The previewer's application controller: command line and modes, launch, open-file requests,
// window delegate rules, user defaults and quit (Kestrix.cpp); windows, movie loading and
// playback controls (KestrixPrivate.cpp); the poster written in results mode (KestrixResults.cpp).
#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "platform/appkit/Application.h"
#include "platform/appkit/KeyValue.h"
#include "platform/appkit/OpenPanel.h"
#include "platform/appkit/QTMovieView.h"
#include "platform/appkit/Slider.h"
#include "platform/appkit/View.h"
#include "platform/appkit/Window.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Image.h"
#include "platform/media/QTMovie.h"
#include "previewer/XACImageWriter.h"

class Kestrix : public platform::appkit::NSApplicationDelegate,
                public platform::appkit::NSWindowDelegate,
                public platform::appkit::KeyValueObservable {
 public:
  using NSWindow = platform::appkit::NSWindow;
  using NSRect = platform::appkit::NSRect;
  using NSSize = platform::appkit::NSSize;
  using NSPoint = platform::appkit::NSPoint;
  using NSSlider = platform::appkit::NSSlider;
  using NSControl = platform::appkit::NSControl;
  using QTMovieView = platform::appkit::QTMovieView;
  using QTMoviePtr = platform::media::QTMoviePtr;

  // Reads the process arguments: media path, destination path, and a third one for verbose mode
  // (which prints "Kestrix" on standard output).
  Kestrix();
  // Designated initialiser; a null destination path means interactive mode.
  Kestrix(std::optional<std::string> mediaPath, std::optional<std::string> destinationPath);
  ~Kestrix() override;
  Kestrix(const Kestrix&) = delete;
  Kestrix& operator=(const Kestrix&) = delete;

  // Process-wide modes.
  static bool interactiveMode();
  static bool verboseMode();
  static void setVerboseMode(bool verbose);

  // The movie shown when there is no media path or no file at it: the sample movie installed
  // with the program (share/mediatools, or beside it in the build tree).
  static std::string fallbackMoviePath();

  // Application delegate.
  void applicationDidFinishLaunching() override;
  bool applicationOpenFile(const std::string& path) override;
  bool applicationShouldTerminateAfterLastWindowClosed() override { return true; }
  void applicationWillTerminate() override;

  // Logs "Error: <message>" and marks the quit as an error one when there is a message; quits.
  void terminateWithAlertMessage(const std::optional<std::string>& message);
  bool terminatedWithError() const { return _terminatedWithError; }
  void synchronizeDefaults();
  static NSPoint topLeftPointOfFrame(NSRect frame);

  // Window delegate.
  NSSize windowWillResizeToSize(NSWindow& window, NSSize proposed) override;
  void windowDidResize(NSWindow& window) override;
  NSRect windowWillUseStandardFrame(NSWindow& window, NSRect defaultFrame) override;
  void windowWillMove(NSWindow& window) override;
  void windowDidMove(NSWindow& window) override;

  void movieDidEnd(const platform::Notification& notification);
  // The application's commands (KestrixMenu.cpp): Open... (Ctrl+O, runOpenPanel), Quit (Ctrl+Q)
  // and Play/Pause (space, togglePlayback), installed as the main menu at launch.
  void setupMainMenu();
  void togglePlayback();
  void runOpenPanel();
  void openPanelDidEnd(platform::appkit::NSOpenPanel& panel, int returnCode);

  QTMoviePtr qtMovie() const { return movie; }
  QTMovieView* qtMovieView() const { return movieView.get(); }
  const std::optional<std::string>& sourceFilePath() const { return _sourceFilePath; }
  const std::optional<std::string>& destinationFilePath() const { return _destinationFilePath; }
  float previewTimeFraction() const { return _previewTimeFraction; }
  void setPreviewTimeFraction(float fraction);
  float movieAspectRatio() const { return _movieAspectRatio; }
  std::chrono::system_clock::time_point launchDate() const { return _launchDate; }

  // Windows, made on first request and kept.
  NSWindow* headerWindow();
  NSWindow* window();
  NSWindow* controlPanel();
  NSSlider* transportSlider() const { return _transportSlider.get(); }
  NSSlider* volumeSlider() const { return _volumeSlider.get(); }

  // Observable properties ("currentFloatTime", "canSetTime", "movieVolume"); setters store and
  // announce only changes.
  float currentFloatTime() const { return _currentFloatTime; }
  void setCurrentFloatTime(float value);
  bool canSetTime() const { return _canSetTime; }
  void setCanSetTime(bool value);
  float movieVolume() const;
  void setMovieVolume(float value);
  platform::appkit::KVValue valueForKey(const std::string& key) const override;
  void setValueForKey(const std::string& key, const platform::appkit::KVValue& value) override;

  // Kestrix(Private): interface, loading, load states, timers, position and volume.
  bool setupUserInterface();
  std::shared_ptr<NSSlider> sliderWithFrame(NSRect frame);
  void loadMovieAndDisplay();
  QTMoviePtr newQTMovieFromPropertiesWithPath(const std::string& path, bool asynchonously);
  bool qtMovieHasVideo(const QTMoviePtr& movie);
  void movieLoadStateDidChange(const platform::Notification& notification);
  void startTimers();
  void killTimers();
  void suspendTimers();
  void updateTimeDisplays();
  // The refresh timer exists and is not suspended.
  bool timerIsRunning() const;
  platform::RunLoop::TimerId refreshTimer() const { return oneSecondTimer; }
  float getCurrentFloatTimeFromMovie();
  void setCurrentFloatTimeFromGui(float fraction);
  void guiSliderAction(NSControl& sender);
  void pause();
  void unpause();
  void positionChildWindow();

  // Kestrix(Private), results mode: writes the poster and quits.
  void getMetaDataAndPreview();
  bool dataWriteToFileAtomically(const XACImageWriter::ImageData& data, const std::string& path, bool atomically);

 private:
  std::unique_ptr<NSWindow> _headerWindow;
  std::unique_ptr<NSWindow> _window;
  std::unique_ptr<NSWindow> _controlPanel;
  std::shared_ptr<QTMovieView> movieView;
  std::shared_ptr<NSSlider> _transportSlider;
  std::shared_ptr<NSSlider> _volumeSlider;
  std::optional<std::string> _sourceFilePath;
  std::optional<std::string> _destinationFilePath;
  platform::RunLoop::TimerId oneSecondTimer = 0;  // owned by the run loop
  std::chrono::system_clock::time_point _launchDate;
  QTMoviePtr movie;
  float _currentFloatTime = 0;
  float _movieAspectRatio = 0;
  float _previewTimeFraction = 0.33f;
  bool _terminatedWithError = false;
  bool _canSetTime = false;
  bool _launched = false;  // applicationDidFinishLaunching has run
  platform::NotificationCenter::ObserverId loadStateObserver_ = 0;
  platform::NotificationCenter::ObserverId didEndObserver_ = 0;
};
