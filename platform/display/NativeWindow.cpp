#include "platform/display/NativeWindow.h"

#include <algorithm>

#include "platform/display/SDLLibrary.h"
#include "platform/foundation/Log.h"

namespace platform::display {

void applyGLAttributes(const GLSurfaceRequest& r) {
  const SDLFunctions& s = sdl();
  s.GL_ResetAttributes();
  s.GL_SetAttribute(SDL_GL_RED_SIZE, r.redBits);
  s.GL_SetAttribute(SDL_GL_GREEN_SIZE, r.greenBits);
  s.GL_SetAttribute(SDL_GL_BLUE_SIZE, r.blueBits);
  s.GL_SetAttribute(SDL_GL_ALPHA_SIZE, r.alphaBits);
  s.GL_SetAttribute(SDL_GL_DEPTH_SIZE, r.depthBits);
  s.GL_SetAttribute(SDL_GL_STENCIL_SIZE, r.stencilBits);
  s.GL_SetAttribute(SDL_GL_DOUBLEBUFFER, r.doubleBuffered ? 1 : 0);
  if (r.accelerated) s.GL_SetAttribute(SDL_GL_ACCELERATED_VISUAL, 1);
  if (r.shareWithCurrentContext) s.GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 1);
  if (r.compatibilityProfile) s.GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
  if (r.majorVersion > 0) {
    s.GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, r.majorVersion);
    s.GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, r.minorVersion);
  }
}

namespace {

// The request first, then less and less of it.
std::vector<GLSurfaceRequest> glAttempts(GLSurfaceRequest r) {
  std::vector<GLSurfaceRequest> attempts{r};
  if (r.accelerated) {
    r.accelerated = false;
    attempts.push_back(r);
  }
  for (int depth : {24, 16}) {
    if (depth < r.depthBits) {
      r.depthBits = depth;
      attempts.push_back(r);
    }
  }
  if (r.alphaBits > 0) {
    r.alphaBits = 0;
    attempts.push_back(r);
  }
  if (r.stencilBits > 0) {
    r.stencilBits = 0;
    attempts.push_back(r);
  }
  return attempts;
}

}  // namespace

std::unique_ptr<NativeWindow> NativeWindow::create(const std::string& title, PixelRect frame,
                                                   const WindowStyle& style) {
  if (!startDisplay()) return nullptr;
  Uint32 flags = SDL_WINDOW_HIDDEN;
  if (style.borderless) flags |= SDL_WINDOW_BORDERLESS;
  if (style.resizable) flags |= SDL_WINDOW_RESIZABLE;
  if (style.alwaysOnTop) flags |= SDL_WINDOW_ALWAYS_ON_TOP;
  if (style.utility) flags |= SDL_WINDOW_UTILITY;
  const int w = std::max(1, frame.width), h = std::max(1, frame.height);

  std::unique_ptr<NativeWindow> window(new NativeWindow());
  window->style_ = style;
  if (style.gl) {
    for (const GLSurfaceRequest& attempt : glAttempts(*style.gl)) {
      applyGLAttributes(attempt);
      window->window_ = sdl().CreateWindow(title.c_str(), frame.x, frame.y, w, h, flags | SDL_WINDOW_OPENGL);
      if (window->window_) {
        window->glSurface_ = attempt;
        break;
      }
    }
  } else {
    window->window_ = sdl().CreateWindow(title.c_str(), frame.x, frame.y, w, h, flags);
  }
  if (!window->window_) {
    platform::log("NativeWindow: can't make a window: %s", sdl().GetError());
    return nullptr;
  }
  window->id_ = sdl().GetWindowID(window->window_);
  EventPump::shared().start();
  return window;
}

NativeWindow::~NativeWindow() {
  for (EventPump::HandlerId id : handlers_) EventPump::shared().removeHandler(id);
  if (window_) sdl().DestroyWindow(window_);
}

unsigned long NativeWindow::systemWindowId() const { return display::systemWindowId(window_); }

void NativeWindow::setTitle(const std::string& title) { sdl().SetWindowTitle(window_, title.c_str()); }

void NativeWindow::setFrame(PixelRect frame) {
  sdl().SetWindowSize(window_, std::max(1, frame.width), std::max(1, frame.height));
  sdl().SetWindowPosition(window_, frame.x, frame.y);
}

PixelRect NativeWindow::frame() const {
  PixelRect r;
  sdl().GetWindowPosition(window_, &r.x, &r.y);
  sdl().GetWindowSize(window_, &r.width, &r.height);
  return r;
}

void NativeWindow::drawableSize(int& width, int& height) const {
  if (isGLCapable()) {
    sdl().GL_GetDrawableSize(window_, &width, &height);
  } else {
    sdl().GetWindowSize(window_, &width, &height);
  }
}

void NativeWindow::setMinimumSize(int width, int height) {
  sdl().SetWindowMinimumSize(window_, std::max(1, width), std::max(1, height));
}

void NativeWindow::setResizable(bool resizable) { sdl().SetWindowResizable(window_, resizable ? SDL_TRUE : SDL_FALSE); }

void NativeWindow::setOpacity(float opacity) { sdl().SetWindowOpacity(window_, std::clamp(opacity, 0.0f, 1.0f)); }

void NativeWindow::setAlwaysOnTop(bool onTop) {
  style_.alwaysOnTop = onTop;
  sdl().SetWindowAlwaysOnTop(window_, onTop ? SDL_TRUE : SDL_FALSE);
}

void NativeWindow::setTransientFor(NativeWindow* parent) {
  if (parent) sdl().SetWindowModalFor(window_, parent->window_);
}

void NativeWindow::show() {
  shown_ = true;
  sdl().ShowWindow(window_);
}

void NativeWindow::hide() {
  shown_ = false;
  sdl().HideWindow(window_);
}

void NativeWindow::raise() { sdl().RaiseWindow(window_); }

void NativeWindow::setFullScreen(bool fullScreen) {
  if (fullScreen == fullScreen_) return;
  // Done by hand rather than through the window manager's full-screen state, which needs a
  // window manager: without a frame, over the display's bounds, above ordinary windows; and back.
  if (fullScreen) {
    frameBeforeFullScreen_ = frame();
    sdl().SetWindowBordered(window_, SDL_FALSE);
    setFrame(screenBounds());
    sdl().SetWindowAlwaysOnTop(window_, SDL_TRUE);
  } else {
    sdl().SetWindowAlwaysOnTop(window_, style_.alwaysOnTop ? SDL_TRUE : SDL_FALSE);
    sdl().SetWindowBordered(window_, style_.borderless ? SDL_FALSE : SDL_TRUE);
    if (frameBeforeFullScreen_) setFrame(*frameBeforeFullScreen_);
  }
  fullScreen_ = fullScreen;
}

bool NativeWindow::isFullScreen() const { return fullScreen_; }

void NativeWindow::present(const uint8_t* pixels, int width, int height, int stride,
                           const std::vector<PixelRect>& rects) {
  if (isGLCapable() || !pixels) return;
  SDL_Surface* target = sdl().GetWindowSurface(window_);
  if (!target) return;
  SDL_Surface* source = sdl().CreateRGBSurfaceWithFormatFrom(const_cast<uint8_t*>(pixels), width, height, 32, stride,
                                                             SDL_PIXELFORMAT_ARGB8888);
  if (!source) return;
  sdl().SetSurfaceBlendMode(source, SDL_BLENDMODE_NONE);
  std::vector<SDL_Rect> areas;
  if (rects.empty()) {
    areas.push_back({0, 0, std::min(width, target->w), std::min(height, target->h)});
  } else {
    for (const PixelRect& r : rects) {
      const int x0 = std::max(0, r.x), y0 = std::max(0, r.y);
      const int x1 = std::min({r.x + r.width, width, target->w}), y1 = std::min({r.y + r.height, height, target->h});
      if (x1 > x0 && y1 > y0) areas.push_back({x0, y0, x1 - x0, y1 - y0});
    }
  }
  for (SDL_Rect& area : areas) {
    SDL_Rect to = area;
    sdl().UpperBlit(source, &area, target, &to);
  }
  sdl().FreeSurface(source);
  if (!areas.empty()) sdl().UpdateWindowSurfaceRects(window_, areas.data(), int(areas.size()));
}

bool NativeWindow::gammaRamp(uint16_t red[256], uint16_t green[256], uint16_t blue[256]) const {
  return sdl().GetWindowGammaRamp(window_, red, green, blue) == 0;
}

bool NativeWindow::setGammaRamp(const uint16_t red[256], const uint16_t green[256], const uint16_t blue[256]) {
  return sdl().SetWindowGammaRamp(window_, red, green, blue) == 0;
}

EventPump::HandlerId NativeWindow::addEventHandler(EventPump::Handler handler) {
  EventPump::HandlerId id = EventPump::shared().addHandler(id_, std::move(handler));
  handlers_.push_back(id);
  return id;
}

EventPump::HandlerId NativeWindow::addRawEventObserver(EventPump::RawObserver observer) {
  EventPump::HandlerId id = EventPump::shared().addRawObserver(id_, std::move(observer));
  handlers_.push_back(id);
  return id;
}

PixelRect screenBounds() {
  SDL_Rect r;
  if (displayStarted() && sdl().GetDisplayBounds(0, &r) == 0 && r.w > 0 && r.h > 0) return {r.x, r.y, r.w, r.h};
  return {0, 0, 1280, 1024};
}

PixelRect screenUsableBounds() {
  SDL_Rect r;
  if (displayStarted() && sdl().GetDisplayUsableBounds(0, &r) == 0 && r.w > 0 && r.h > 0) return {r.x, r.y, r.w, r.h};
  return screenBounds();
}

void globalMousePosition(int& x, int& y) {
  x = y = 0;
  if (displayStarted()) sdl().GetGlobalMouseState(&x, &y);
}

}  // namespace platform::display
