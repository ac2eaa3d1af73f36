#pragma once
// The application object and its main loop: launch, open-file requests, the delegate calls,
// the current event and quit. Everything runs on the main thread's run loop.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/appkit/Geometry.h"

namespace platform::display {
struct Event;
}

namespace platform::appkit {

class NSWindow;

class NSApplicationDelegate {
 public:
  virtual ~NSApplicationDelegate() = default;
  virtual void applicationDidFinishLaunching() {}
  // A file offered by the system (before the launch finishes when the program was started so).
  virtual bool applicationOpenFile(const std::string& path) {
    (void)path;
    return false;
  }
  virtual bool applicationShouldTerminateAfterLastWindowClosed() { return false; }
  virtual void applicationWillTerminate() {}
};

enum class NSEventType { LeftMouseDown, LeftMouseUp, LeftMouseDragged, MouseMoved, KeyDown, KeyUp, Other };

struct NSEvent {
  NSEventType type = NSEventType::Other;
  NSPoint locationInWindow;
  NSWindow* window = nullptr;
};

class NSApplication {
 public:
  static NSApplication& sharedApplication();

  NSApplicationDelegate* delegate() const { return delegate_; }
  void setDelegate(NSApplicationDelegate* delegate) { delegate_ = delegate; }

  // Delivers queued open-file requests and applicationDidFinishLaunching, then runs the main run
  // loop until terminate. Returns when the application has terminated.
  void run();
  // The launch alone (run() calls it first); for callers that drive the loop themselves.
  void finishLaunching();
  bool isRunning() const { return launched_ && !terminated_; }

  // An open-file request from the system: queued until the launch finishes, delivered at once after.
  void openFile(const std::string& path);

  // Tells the delegate (applicationWillTerminate) and ends the main loop. Once only.
  void terminate();
  bool isTerminated() const { return terminated_; }

  // The event being handled (mouse down/up while a control tracks); nullopt outside events.
  const std::optional<NSEvent>& currentEvent() const { return currentEvent_; }
  void setCurrentEvent(std::optional<NSEvent> event) { currentEvent_ = std::move(event); }

  // Called by windows when they close: with no visible window left, the delegate may quit.
  void windowDidClose(NSWindow& window);

  // Back to the state before launch (tests that run several applications in one process).
  void reset();

 private:

  NSApplicationDelegate* delegate_ = nullptr;
  std::vector<std::string> pendingOpens_;
  bool launched_ = false;
  bool terminated_ = false;
  std::optional<NSEvent> currentEvent_;
  uint64_t appHandler_ = 0;

  friend class NSWindow;
  // Listens to the display's application events once the first window is shown.
  void displayDidStart();
  // An input event of one of our windows.
  void handleDisplayEvent(NSWindow& window, const platform::display::Event& event);
  void handleApplicationEvent(const platform::display::Event& event);
};

// The program's arguments, the program name first (set by NSApplicationMain).
const std::vector<std::string>& processArguments();
void setProcessArguments(std::vector<std::string> arguments);

// Records the arguments, creates the delegate (as the interface definition would) and runs the
// application. The delegate lives until the loop has ended. Returns the exit status, 0.
int NSApplicationMain(int argc, const char* const* argv,
                      const std::function<std::unique_ptr<NSApplicationDelegate>()>& createDelegate);

}  // namespace platform::appkit
