#include "Application.h"

#include "platform/appkit/Window.h"
#include "platform/display/EventPump.h"
#include "platform/display/SDLLibrary.h"
#include "platform/foundation/RunLoop.h"

namespace platform::appkit {

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
  platform::RunLoop::mainRunLoop().stop();
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

void NSApplication::handleDisplayEvent(NSWindow& window, const platform::display::Event& e) {
  using platform::display::EventType;
  if (e.type != EventType::LeftMouseDown && e.type != EventType::LeftMouseUp) return;
  NSEvent event;
  event.type = e.type == EventType::LeftMouseDown ? NSEventType::LeftMouseDown : NSEventType::LeftMouseUp;
  event.window = &window;
  event.locationInWindow = {e.x, e.y};
  currentEvent_ = event;
}

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
