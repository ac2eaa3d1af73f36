// QuarnView in a window of its own: pixel format and window, events (drags, click counts, keys,
// resizes, closing), the full-screen switch and the display fade around it.
#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "platform/display/EventPump.h"
#include "platform/display/SDLLibrary.h"
#include "platform/foundation/Log.h"
#include "quarn/QuarnCamera.h"
#include "quarn/QuarnViewPlatform.h"

using platform::display::Event;
using platform::display::EventPump;
using platform::display::EventType;
using platform::display::GLSurfaceRequest;
using platform::display::NativeWindow;
using platform::display::PixelRect;
using platform::display::WindowStyle;

namespace {

// The pixel format attributes as a request for the display: double buffer (5), accelerated (73),
// colour size (8) and depth size (12) with their values.
std::optional<GLSurfaceRequest> surfaceRequest(const std::vector<int>& attributes) {
  GLSurfaceRequest request;
  request.doubleBuffered = false;
  request.accelerated = false;
  for (size_t i = 0; i < attributes.size() && attributes[i] != 0; ++i) {
    switch (attributes[i]) {
      case 5: request.doubleBuffered = true; break;
      case 73: request.accelerated = true; break;
      case 8:
      case 12:
        if (i + 1 >= attributes.size()) return std::nullopt;
        if (attributes[i] == 8) {
          const int bits = attributes[++i];
          if (bits != 32 && bits != 24 && bits != 16) return std::nullopt;
          request.redBits = request.greenBits = request.blueBits = bits == 16 ? 5 : 8;
          request.alphaBits = bits == 32 ? 8 : 0;
        } else {
          request.depthBits = attributes[++i];
          if (request.depthBits < 0 || request.depthBits > 32) return std::nullopt;
        }
        break;
      default: return std::nullopt;
    }
  }
  return request;
}

QuarnEvent quarnEvent(const Event& event, QuarnEvent::Type type, float viewHeight) {
  QuarnEvent out;
  out.type = type;
  // The display counts from the top-left; the view from the bottom-left.
  out.locationInWindow = {static_cast<float>(event.x), viewHeight - static_cast<float>(event.y)};
  out.clickCount = event.clickCount;
  out.characters = event.characters;
  out.modifierFlags = event.modifierFlags;
  return out;
}

}  // namespace

bool QuarnView::initWithFrame(QuarnRect frame) {
  platform::log("Initing OpenGL view");
  if (platform_->valid()) {
    platform::log("QuarnView: already initialised");
    return false;
  }
  // Frame-change notifications: the handler below hears the window's resizes.
  const std::optional<GLSurfaceRequest> request = surfaceRequest(pixelFormatAttributes());
  if (!request) {
    platform::log("Invalid OpenGL format... terminating");
    return false;
  }
  // A window nobody can see (the display layer's stand-in driver, chosen because there is no
  // desktop) is no view; programs without a display use an off-screen view. A stand-in driver
  // asked for by SDL_VIDEODRIVER is taken as meant.
  if (!platform::display::startDisplay()) {
    platform::log("Invalid OpenGL format... terminating");
    return false;
  }
  const std::string driver = platform::display::videoDriver();
  const char* asked = std::getenv("SDL_VIDEODRIVER");
  if ((driver == "dummy" || driver == "offscreen") && !(asked && *asked)) {
    platform::log("QuarnView: no desktop to show a window on (display driver '%s'); an off-screen view draws without one",
                  driver.c_str());
    platform::log("OpenGL view not created... terminating");
    return false;
  }
  // The frame counts from the bottom-left of the main display, the display from its top-left.
  const PixelRect screen = platform::display::screenBounds();
  const int width = std::max(1, static_cast<int>(std::lround(frame.size.width)));
  const int height = std::max(1, static_cast<int>(std::lround(frame.size.height)));
  const int x = static_cast<int>(std::lround(frame.origin.x));
  const int y = screen.height - static_cast<int>(std::lround(frame.origin.y)) - height;
  WindowStyle style;
  style.resizable = true;
  style.gl = *request;
  std::unique_ptr<NativeWindow> window = NativeWindow::create("Quarn", {x, y, width, height}, style);
  if (!window) {
    // No window with that pixel format (or no display at all).
    platform::log("Invalid OpenGL format... terminating");
    return false;
  }
  auto context = std::make_unique<platform::gl::WindowGLContext>(*window);
  if (!context->valid()) {
    platform::log("OpenGL view not created... terminating");
    return false;
  }
  platform_->window = std::move(window);
  platform_->windowContext = std::move(context);
  platform_->windowContext->setSwapInterval(0);  // the frame timer paces the frames
  makeCurrentContext();
  platform::log("OpenGL view created...");
  const platform::gl::PixelFormat granted = platform_->windowContext->pixelFormat();
  platform::log("QuarnView: asked for colour 32 bits, depth 32 bits, double-buffered, accelerated; granted %s (%s, %s)",
                granted.description().c_str(), platform_->windowContext->glRenderer().c_str(),
                platform_->windowContext->glVersion().c_str());

  platform_->window->addEventHandler([this](const Event& event) { platform_->handleEvent(*this, event); });
  platform_->window->show();
  platform_->window->raise();
  ++Platform::openWindows;
  return true;
}

void QuarnView::Platform::handleEvent(QuarnView& view, const Event& event) {
  const float height = view.frameSize().height;
  switch (event.type) {
    case EventType::WindowResized: view.aWindowDidResize(event.windowId); break;
    case EventType::LeftMouseDown: view.mouseDown(quarnEvent(event, QuarnEvent::LeftMouseDown, height)); break;
    case EventType::KeyDown: view.keyDown(quarnEvent(event, QuarnEvent::KeyDown, height)); break;
    case EventType::WindowCloseRequested:
      // Closing the full-screen window takes the view back; closing its own window closes the view's.
      if (_fullScreenWindow && event.windowId == _fullScreenWindow->id()) view.toggleFullScreenMode(nullptr);
      else if (window && event.windowId == window->id()) view.closeWindow();
      break;
    default: break;
  }
}

void QuarnView::closeWindow() {
  if (!platform_->window || platform_->windowClosed) return;
  if (_fullScreenMode) toggleFullScreenMode(nullptr);
  platform_->window->hide();
  platform_->windowClosed = true;
  if (--Platform::openWindows <= 0) stopMainLoop();
}

bool QuarnView::windowIsOpen() const { return platform_->window && !platform_->windowClosed; }

int QuarnView::openViewWindows() { return Platform::openWindows; }

std::uint32_t QuarnView::windowID() const {
  const NativeWindow* window = platform_->currentWindow();
  return window ? window->id() : 0;
}

unsigned long QuarnView::systemWindowID() const {
  const NativeWindow* window = platform_->currentWindow();
  return window ? window->systemWindowId() : 0;
}

void QuarnView::setTitle(const std::string& title) {
  if (platform_->window) platform_->window->setTitle(title);
}

bool QuarnView::cursorHidden() const { return EventPump::shared().isCursorHidden(); }

void QuarnView::keyDown(const QuarnEvent& event) {
  // The first character is read and not acted on: key events stop at the view.
  const char first = event.characters.empty() ? '\0' : event.characters[0];
  (void)first;
}

void QuarnView::mouseDown(const QuarnEvent& event) {
  const QuarnPoint start = event.locationInWindow;
  const float height = frameSize().height;
  // Left-mouse-up | left-mouse-dragged (mask 68); frames go on in the tracking mode meanwhile.
  const platform::display::EventMask mask = platform::display::eventMaskFromType(EventType::LeftMouseUp) |
                                            platform::display::eventMaskFromType(EventType::LeftMouseDragged);
  std::optional<Event> up;
  for (;;) {
    std::optional<Event> next = EventPump::shared().nextEvent(mask, platform::RunLoop::distantFuture(),
                                                              QuarnEventTrackingRunLoopMode);
    if (!next) break;  // the loop was stopped
    if (next->type == EventType::LeftMouseDragged) {
      const QuarnEvent drag = quarnEvent(*next, QuarnEvent::LeftMouseDragged, height);
      _mouseDelta = {(drag.locationInWindow.x - start.x) * 0.001f, (drag.locationInWindow.y - start.y) * 0.001f};
    } else {
      up = next;
      break;
    }
  }
  EventPump::shared().setCursorHiddenUntilMouseMoves(true);
  if (up && up->clickCount == 2) toggleFullScreenMode(this);
}

void QuarnView::toggleFullScreenMode(const void*) {
  if (!platform_->windowContext) return;
  fadeOut();
  if (_fullScreenMode) {
    // Back to the starting window.
    platform_->windowContext->moveToWindow(*platform_->window);
    platform_->_fullScreenWindow.reset();
    platform_->window->show();
    platform_->window->raise();
    EventPump::shared().setCursorHiddenUntilMouseMoves(false);
    _fullScreenMode = false;
  } else {
    // A borderless window over the whole main display, above ordinary windows (the screen-saver
    // level less one, where the window manager keeps levels).
    WindowStyle style;
    style.borderless = true;
    style.alwaysOnTop = true;
    style.gl = platform_->window->glSurface();
    std::unique_ptr<NativeWindow> full = NativeWindow::create("myWindow", platform::display::screenBounds(), style);
    if (full && platform_->windowContext->moveToWindow(*full)) {
      full->addEventHandler([this](const Event& event) { platform_->handleEvent(*this, event); });
      full->show();
      full->raise();
      platform_->_fullScreenWindow = std::move(full);
      EventPump::shared().setCursorHiddenUntilMouseMoves(true);
      _fullScreenMode = true;
    } else {
      platform::log("QuarnView: no full-screen window");
    }
  }
  // The view's size changed with its window.
  reshape();
  if (_core3d && _core3d->camera()) {
    makeCurrentContext();
    _core3d->camera()->render();
  }
  render();
  fadeIn();
}

void QuarnView::fadeOut() {
  NativeWindow* window = platform_->currentWindow();
  platform_->haveRamps = fadeStyle_ == FadeStyle::DisplayGamma && window &&
                         window->gammaRamp(platform_->ramps[0], platform_->ramps[1], platform_->ramps[2]);
  if (platform_->haveRamps) {
    // The transfer formula's ends, as the ramps show them (gamma is left as it is).
    redMin = platform_->ramps[0][0] / 65535.0f;
    redMax = platform_->ramps[0][255] / 65535.0f;
    greenMin = platform_->ramps[1][0] / 65535.0f;
    greenMax = platform_->ramps[1][255] / 65535.0f;
    blueMin = platform_->ramps[2][0] / 65535.0f;
    blueMax = platform_->ramps[2][255] / 65535.0f;
    std::uint16_t scaled[3][256];
    for (int step = 0; step < kFadeSteps; ++step) {
      const float f = 1.0f - step / static_cast<float>(kFadeSteps);
      for (int c = 0; c < 3; ++c)
        for (int i = 0; i < 256; ++i) scaled[c][i] = static_cast<std::uint16_t>(platform_->ramps[c][i] * f);
      window->setGammaRamp(scaled[0], scaled[1], scaled[2]);
    }
  } else if (window && platform_->windowContext && makeCurrentContext()) {
    // No gamma ramps on this display: a black quad fades over the last frame.
    for (int step = 1; step <= kFadeQuadSteps; ++step) drawFadeQuad(step / static_cast<float>(kFadeQuadSteps));
  }
  _faded = true;
}

void QuarnView::fadeIn() {
  NativeWindow* window = platform_->currentWindow();
  if (platform_->haveRamps && window) {
    std::uint16_t scaled[3][256];
    for (int step = 0; step < kFadeSteps; ++step) {
      const float f = step / static_cast<float>(kFadeSteps);
      for (int c = 0; c < 3; ++c)
        for (int i = 0; i < 256; ++i) scaled[c][i] = static_cast<std::uint16_t>(platform_->ramps[c][i] * f);
      window->setGammaRamp(scaled[0], scaled[1], scaled[2]);
    }
    // The display's own settings back exactly.
    window->setGammaRamp(platform_->ramps[0], platform_->ramps[1], platform_->ramps[2]);
  }
  // Without ramps the frame drawn after the switch has already replaced the black quad.
  _faded = false;
}

void QuarnView::drawFadeQuad(float opacity) {
  // Over what the front buffer shows: copy it to the back buffer, darken, swap.
  glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_TRANSFORM_BIT | GL_PIXEL_MODE_BIT);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_FOG);
  glDisable(GL_CULL_FACE);
  if (doubleBuffered()) {
    const QuarnSize size = frameSize();
    glReadBuffer(GL_FRONT);
    glDrawBuffer(GL_BACK);
    glRasterPos2f(-1, -1);
    glCopyPixels(0, 0, static_cast<GLsizei>(size.width), static_cast<GLsizei>(size.height), GL_COLOR);
  }
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glColor4f(0, 0, 0, opacity);
  glBegin(GL_QUADS);
  glVertex2f(-1, -1);
  glVertex2f(1, -1);
  glVertex2f(1, 1);
  glVertex2f(-1, 1);
  glEnd();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
  glPopAttrib();
  platform_->swap();
}

void QuarnView::setScreenModeCGL() {
  // The plain switch of the view's own window to full screen and back.
  NativeWindow* window = platform_->window.get();
  if (!window) return;
  if (platform_->plainFullScreen) {
    window->setFullScreen(false);
    platform_->plainFullScreen = false;
    _fullScreenMode = false;
  } else if (!_fullScreenMode) {
    window->setFullScreen(true);
    platform_->plainFullScreen = true;
    _fullScreenMode = true;
  }
  reshape();
}
