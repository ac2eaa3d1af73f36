#include "Application.h"

#include <algorithm>

#include "platform/appkit/Window.h"
#include "platform/display/EventPump.h"
#include "platform/display/SDLLibrary.h"
#include "platform/foundation/RunLoop.h"

namespace platform::appkit {

struct NSApplication::ModalSession {
  NSWindow* window;
  bool running = true;
  int code = NSModalResponseContinue;
};

namespace {
std::vector<std::string> gArguments;
}  // namespace

const std::vector<std::string>& processArguments() { return gArguments; }
void setProcessArguments(std::vector<std::string> arguments) { gArguments = std::move(arguments); }

NSApplication& NSApplication::sharedApplication() {
  static NSApplication app;
  return app;
}

void NSApplication::finishLaunching() {
  if (launched_) return;
  launched_ = true;
  std::vector<std::string> opens;
  opens.swap(pendingOpens_);
  for (const std::string& path : opens)
    if (delegate_) delegate_->applicationOpenFile(path);
  if (delegate_ && !terminated_) delegate_->applicationDidFinishLaunching();
}

void NSApplication::run() {
  finishLaunching();
  auto& loop = platform::RunLoop::mainRunLoop();
  while (!terminated_) loop.runMode(platform::RunLoop::kDefaultRunLoopMode, 60.0, false);
}

void NSApplication::openFile(const std::string& path) {
  if (!launched_) {
    pendingOpens_.push_back(path);
    return;
  }
  if (delegate_) delegate_->applicationOpenFile(path);
}

void NSApplication::terminate() {
  if (terminated_) return;
  terminated_ = true;
  if (delegate_) delegate_->applicationWillTerminate();
  for (auto& session : modalSessions_) session->running = false;
  platform::RunLoop::mainRunLoop().stop();
}

NSWindow* NSApplication::keyWindow() const {
  for (NSWindow* w : NSWindow::allWindows())
    if (w->isKeyWindow()) return w;
  return nullptr;
}

void NSApplication::windowDidClose(NSWindow& window) {
  (void)window;
  for (const NSWindow* w : NSWindow::allWindows())
    if (w->isVisible()) return;
  if (delegate_ && delegate_->applicationShouldTerminateAfterLastWindowClosed()) terminate();
}

void NSApplication::reset() {
  delegate_ = nullptr;
  pendingOpens_.clear();
  launched_ = terminated_ = false;
  currentEvent_.reset();
  modalSessions_.clear();
  mainMenu_.reset();
  if (appHandler_) platform::display::EventPump::shared().removeHandler(appHandler_);
  appHandler_ = 0;
}

void NSApplication::displayDidStart() {
  if (appHandler_) return;
  appHandler_ = platform::display::EventPump::shared().addHandler(
      0, [this](const platform::display::Event& e) { handleApplicationEvent(e); });
}

void NSApplication::handleApplicationEvent(const platform::display::Event& e) {
  using platform::display::EventType;
  if (e.type == EventType::QuitRequested) terminate();
  if (e.type == EventType::FileDropped && !e.path.empty()) openFile(e.path);
}

// ---- Events

NSWindow* NSApplication::windowForEventId(uint32_t id) const {
  for (NSWindow* w : NSWindow::allWindows())
    if (w->ownEventId() == id || w->eventWindowId() == id) return w;
  return nullptr;
}

NSEvent NSApplication::eventFromDisplay(NSWindow* window, const platform::display::Event& e, bool track) {
  NSEvent ev;
  ev.type = static_cast<NSEventType>(int(e.type));
  ev.modifierFlags = e.modifierFlags;
  ev.clickCount = e.clickCount;
  ev.buttonNumber = e.buttonNumber;
  ev.timestamp = e.timestamp;
  ev.deltaX = e.deltaX;
  ev.deltaY = e.deltaY;
  ev.deviceDeltaX = e.deviceDeltaX;
  ev.deviceDeltaY = e.deviceDeltaY;
  ev.keyCode = e.keyCode;
  ev.characters = e.characters;
  ev.charactersIgnoringModifiers = e.charactersIgnoringModifiers;
  ev.isARepeat = e.isARepeat;
  ev.subtype = e.subtype;
  if (!window) {
    ev.locationInWindow = {e.x, e.y};
    return ev;
  }
  const double height = window->contentRectForFrameRect(window->frame()).size.height;
  const NSPoint location{e.x, height - e.y};
  NSWindow* target = window;
  if (ev.isMouseEvent()) {
    // Mouse events on a composited child go to it; from its mouse-down to its mouse-up, all do.
    NSWindow* capture = NSWindow::exists(window->mouseCapture_) ? window->mouseCapture_ : nullptr;
    const bool pressed = ev.type == NSEventType::LeftMouseDragged || ev.type == NSEventType::RightMouseDragged ||
                         ev.type == NSEventType::OtherMouseDragged || ev.isMouseUp();
    if (capture && pressed)
      target = capture;
    else if (NSWindow* child = window->compositedChildAt(location))
      target = child;
    if (track) {
      if (ev.isMouseDown()) window->mouseCapture_ = target != window ? target : nullptr;
      if (ev.isMouseUp()) window->mouseCapture_ = nullptr;
    }
  }
  ev.window = target;
  ev.locationInWindow =
      target == window ? location : target->convertScreenToBase(window->convertBaseToScreen(location));
  return ev;
}

void NSApplication::dispatchDisplayEvent(NSWindow& window, const platform::display::Event& e) {
  sendEvent(eventFromDisplay(&window, e, true));
}

bool NSApplication::modalAllows(const NSEvent& event) const {
  NSWindow* modal = modalWindow();
  if (!modal || !(event.isMouseEvent() || event.isKeyEvent())) return true;
  for (NSWindow* w = event.window; w; w = w->parentWindow())
    if (w == modal) return true;
  // Menus opened from the modal window lie above it.
  return event.window && event.window->level() >= NSPopUpMenuWindowLevel;
}

void NSApplication::sendEvent(const NSEvent& event) {
  if (!event.window || !NSWindow::exists(event.window) || !modalAllows(event)) return;
  std::optional<NSEvent> outer = currentEvent_;
  currentEvent_ = event;
  // A menu's key equivalent takes the key before the window does (outside modal sessions).
  const bool byMenu = event.type == NSEventType::KeyDown && mainMenu_ && modalSessions_.empty() &&
                      mainMenu_->performKeyEquivalent(event);
  if (!byMenu && NSWindow::exists(event.window)) event.window->sendEvent(event);
  currentEvent_ = outer;
}

std::optional<NSEvent> NSApplication::nextEventMatchingMask(NSEventMask mask, RunLoop::Clock::time_point until,
                                                            const std::string& mode, bool dequeue) {
  auto e = platform::display::EventPump::shared().nextEvent(mask, until, mode, dequeue);
  if (!e) return std::nullopt;
  NSEvent event = eventFromDisplay(windowForEventId(e->windowId), *e, dequeue);
  if (dequeue) currentEvent_ = event;
  return event;
}

void NSApplication::postEvent(const NSEvent& event, bool atStart) {
  platform::display::Event e;
  e.type = static_cast<platform::display::EventType>(int(event.type));
  e.modifierFlags = event.modifierFlags;
  e.clickCount = event.clickCount;
  e.buttonNumber = event.buttonNumber;
  e.timestamp = event.timestamp;
  e.deltaX = event.deltaX;
  e.deltaY = event.deltaY;
  e.deviceDeltaX = event.deviceDeltaX;
  e.deviceDeltaY = event.deviceDeltaY;
  e.keyCode = event.keyCode;
  e.characters = event.characters;
  e.charactersIgnoringModifiers = event.charactersIgnoringModifiers;
  e.isARepeat = event.isARepeat;
  e.subtype = event.subtype;
  e.x = event.locationInWindow.x;
  e.y = event.locationInWindow.y;
  if (event.window && NSWindow::exists(event.window)) {
    e.windowId = event.window->ownEventId();
    e.y = event.window->contentRectForFrameRect(event.window->frame()).size.height - event.locationInWindow.y;
  }
  platform::display::EventPump::shared().postEvent(e, atStart);
}

void NSApplication::discardEventsMatchingMask(NSEventMask mask) {
  platform::display::EventPump::shared().discardEvents(mask);
}

// ---- Modal panels

NSWindow* NSApplication::modalWindow() const {
  for (auto it = modalSessions_.rbegin(); it != modalSessions_.rend(); ++it)
    if ((*it)->running && NSWindow::exists((*it)->window)) return (*it)->window;
  return nullptr;
}

NSApplication::ModalSession* NSApplication::beginModalSessionForWindow(NSWindow& window) {
  modalSessions_.push_back(std::make_unique<ModalSession>(ModalSession{&window}));
  window.makeKeyAndOrderFront();
  return modalSessions_.back().get();
}

int NSApplication::runModalSession(ModalSession* session) {
  if (!session) return NSModalResponseAbort;
  if (session->running && !terminated_)
    platform::RunLoop::mainRunLoop().runModeBeforeDate(platform::RunLoop::kModalPanelRunLoopMode,
                                                       platform::RunLoop::Clock::now());
  return session->running ? NSModalResponseContinue : session->code;
}

void NSApplication::endModalSession(ModalSession* session) {
  std::erase_if(modalSessions_, [session](const auto& s) { return s.get() == session; });
}

int NSApplication::runModalForWindow(NSWindow& window) {
  ModalSession* session = beginModalSessionForWindow(window);
  auto& loop = platform::RunLoop::mainRunLoop();
  while (session->running && !terminated_ && NSWindow::exists(session->window))
    loop.runModeBeforeDate(platform::RunLoop::kModalPanelRunLoopMode,
                           platform::RunLoop::Clock::now() + std::chrono::seconds(1));
  const int code = session->running ? NSModalResponseAbort : session->code;
  endModalSession(session);
  return code;
}

void NSApplication::stopModalWithCode(int code) {
  for (auto it = modalSessions_.rbegin(); it != modalSessions_.rend(); ++it) {
    if ((*it)->running) {
      (*it)->running = false;
      (*it)->code = code;
      platform::RunLoop::mainRunLoop().perform([] {});  // wakes the modal loop
      return;
    }
  }
}

void NSApplication::stopModal() { stopModalWithCode(NSModalResponseStop); }
void NSApplication::abortModal() { stopModalWithCode(NSModalResponseAbort); }

int NSApplicationMain(int argc, const char* const* argv,
                      const std::function<std::unique_ptr<NSApplicationDelegate>()>& createDelegate) {
  std::vector<std::string> args;
  for (int i = 0; i < argc && argv; ++i) args.emplace_back(argv[i] ? argv[i] : "");
  setProcessArguments(std::move(args));
  NSApplication& app = NSApplication::sharedApplication();
  std::unique_ptr<NSApplicationDelegate> delegate = createDelegate ? createDelegate() : nullptr;
  app.setDelegate(delegate.get());
  app.run();
  app.setDelegate(nullptr);
  delegate.reset();
  platform::display::stopDisplay();
  return 0;
}

}  // namespace platform::appkit
