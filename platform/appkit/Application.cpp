#include "Application.h"

#include "platform/appkit/Display.h"

#include "platform/appkit/Window.h"
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
  auto& loop = platform::RunLoop::mainRunLoop();
  if (eventTimer_) loop.invalidateTimer(eventTimer_);
  eventTimer_ = 0;
  loop.stop();
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
  if (eventTimer_) platform::RunLoop::mainRunLoop().invalidateTimer(eventTimer_);
  eventTimer_ = 0;
}

void NSApplication::displayDidStart() {
  if (eventTimer_ || terminated_) return;
  eventTimer_ = platform::RunLoop::mainRunLoop().addTimer(1.0 / 60, true, [this] { pumpDisplayEvents(); },
                                                          {platform::RunLoop::kCommonModes});
}

void NSApplication::pumpDisplayEvents() {
  SDL_Event e;
  while (!terminated_ && sdl().PollEvent(&e)) {
    NSWindow* window = nullptr;
    if (e.type == SDL_WINDOWEVENT || e.type == SDL_MOUSEBUTTONDOWN || e.type == SDL_MOUSEBUTTONUP) {
      SDL_Window* target = sdl().GetWindowFromID(e.type == SDL_WINDOWEVENT ? e.window.windowID : e.button.windowID);
      for (NSWindow* w : NSWindow::allWindows())
        if (w->sdlWindow() && w->sdlWindow() == target) window = w;
    }
    switch (e.type) {
      case SDL_QUIT:
        terminate();
        break;
      case SDL_DROPFILE:
        if (e.drop.file) {
          openFile(e.drop.file);
          sdl().free(e.drop.file);
        }
        break;
      case SDL_WINDOWEVENT:
        if (!window) break;
        if (e.window.event == SDL_WINDOWEVENT_CLOSE) {
          window->close();
        } else if (e.window.event == SDL_WINDOWEVENT_RESIZED) {
          NSRect content = window->contentRectForFrameRect(window->frame());
          content.size = {double(e.window.data1), double(e.window.data2)};
          window->userResize(window->frameRectForContentRect(content).size);
        }
        break;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP:
        if (e.button.button == SDL_BUTTON_LEFT) {
          NSEvent event;
          event.type = e.type == SDL_MOUSEBUTTONDOWN ? NSEventType::LeftMouseDown : NSEventType::LeftMouseUp;
          event.window = window;
          event.locationInWindow = {double(e.button.x), double(e.button.y)};
          currentEvent_ = event;
        }
        break;
      default:
        break;
    }
  }
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
  if (displayStarted()) sdl().Quit();
  return 0;
}

}  // namespace platform::appkit
