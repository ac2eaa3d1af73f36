#pragma once
// The application object and its main loop: launch, open-file requests, the delegate calls, the
// events of the display handed to windows (the current event set while one is handled), tracking
// loops that take events in a run-loop mode, modal panels in the modal-panel mode, and quit.
// Everything runs on the main thread's run loop.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/appkit/Event.h"
#include "platform/appkit/Geometry.h"
#include "platform/appkit/Menu.h"
#include "platform/foundation/RunLoop.h"

namespace platform::display {
struct Event;
}

namespace platform::appkit {

class NSWindow;

// Results of modal sessions.
constexpr int NSModalResponseStop = -1000;
constexpr int NSModalResponseAbort = -1001;
constexpr int NSModalResponseContinue = -1002;

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

class NSApplication {
 public:
  struct ModalSession;

  static NSApplication& sharedApplication();

  NSApplicationDelegate* delegate() const { return delegate_; }
  void setDelegate(NSApplicationDelegate* delegate) { delegate_ = delegate; }

  // Delivers queued open-file requests and applicationDidFinishLaunching, then runs the main run
  // loop in its default mode until terminate. Returns when the application has terminated.
  void run();
  // The launch alone (run() calls it first); for callers that drive the loop themselves.
  void finishLaunching();
  bool isRunning() const { return launched_ && !terminated_; }

  // An open-file request from the system: queued until the launch finishes, delivered at once after.
  void openFile(const std::string& path);

  // Tells the delegate (applicationWillTerminate) and ends the main loop. Once only.
  void terminate();
  bool isTerminated() const { return terminated_; }

  // ---- Events
  // The event being handled; nullopt outside events.
  const std::optional<NSEvent>& currentEvent() const { return currentEvent_; }
  void setCurrentEvent(std::optional<NSEvent> event) { currentEvent_ = std::move(event); }
  // Hands an event to its window (the current event meanwhile). During a modal session, mouse and
  // key events of other windows are dropped.
  void sendEvent(const NSEvent& event);
  // nextEventMatchingMask:untilDate:inMode:dequeue: — the next event of the mask, running the
  // main run loop in `mode` until it comes or `until` passes (null then). A dequeued event becomes
  // the current event.
  std::optional<NSEvent> nextEventMatchingMask(NSEventMask mask, RunLoop::Clock::time_point until,
                                               const std::string& mode, bool dequeue = true);
  // Queues an event for its window as though the display had sent it (at the front when atStart).
  void postEvent(const NSEvent& event, bool atStart = false);
  void discardEventsMatchingMask(NSEventMask mask);

  // ---- The main menu: its key equivalents are tried before a key-down reaches a window.
  const std::shared_ptr<NSMenu>& mainMenu() const { return mainMenu_; }
  void setMainMenu(std::shared_ptr<NSMenu> menu) { mainMenu_ = std::move(menu); }

  // ---- Windows
  NSWindow* keyWindow() const;
  NSWindow* mainWindow() const { return keyWindow(); }
  // Called by windows when they close: with no visible window left, the delegate may quit.
  void windowDidClose(NSWindow& window);

  // ---- Modal panels: the loop runs in the modal-panel mode and only the modal window (with its
  // children and menus) takes mouse and key events.
  int runModalForWindow(NSWindow& window);
  void stopModal();
  void stopModalWithCode(int code);
  void abortModal();
  ModalSession* beginModalSessionForWindow(NSWindow& window);
  // One pass of the loop in the modal-panel mode; NSModalResponseContinue while the session runs.
  int runModalSession(ModalSession* session);
  void endModalSession(ModalSession* session);
  NSWindow* modalWindow() const;

  // Back to the state before launch (tests that run several applications in one process).
  void reset();

  // Called by windows: an input event of the display for `window`.
  void dispatchDisplayEvent(NSWindow& window, const platform::display::Event& event);

 private:
  friend class NSWindow;
  // Listens to the display's application events once the first window is shown.
  void displayDidStart();
  void handleApplicationEvent(const platform::display::Event& event);
  // The event as the window (or the composited child it falls on) sees it. With track, the
  // mouse capture of composited children follows the event.
  NSEvent eventFromDisplay(NSWindow* window, const platform::display::Event& event, bool track);
  NSWindow* windowForEventId(uint32_t id) const;
  bool modalAllows(const NSEvent& event) const;

  NSApplicationDelegate* delegate_ = nullptr;
  std::vector<std::string> pendingOpens_;
  bool launched_ = false;
  bool terminated_ = false;
  std::optional<NSEvent> currentEvent_;
  uint64_t appHandler_ = 0;
  std::vector<std::unique_ptr<ModalSession>> modalSessions_;
  std::shared_ptr<NSMenu> mainMenu_;
};

// The program's arguments, the program name first (set by NSApplicationMain).
const std::vector<std::string>& processArguments();
void setProcessArguments(std::vector<std::string> arguments);

// Records the arguments, creates the delegate (as the interface definition would) and runs the
// application. The delegate lives until the loop has ended. Returns the exit status, 0.
int NSApplicationMain(int argc, const char* const* argv,
                      const std::function<std::unique_ptr<NSApplicationDelegate>()>& createDelegate);

}  // namespace platform::appkit
