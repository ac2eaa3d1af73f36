#include "platform/gl/WindowGLContext.h"

#include "platform/display/NativeWindow.h"
#include "platform/display/SDLLibrary.h"
#include "platform/foundation/Log.h"

namespace platform::gl {

using platform::display::sdl;

bool GLFunctions::load(const GLContext& context) {
  bool ok = true;
#define MT_GL_LOAD(name)                                                   \
  name = reinterpret_cast<decltype(name)>(context.procAddress(#name)); \
  ok = ok && name;
  MT_GL_FUNCTIONS(MT_GL_LOAD)
#undef MT_GL_LOAD
#define MT_GL_OPTIONAL_LOAD(name, type) name = reinterpret_cast<type>(context.procAddress(#name));
  MT_GL_OPTIONAL_FUNCTIONS(MT_GL_OPTIONAL_LOAD)
#undef MT_GL_OPTIONAL_LOAD
  return ok;
}

WindowGLContext::WindowGLContext(platform::display::NativeWindow& window) : window_(&window) {
  overlays_ = std::make_unique<OverlayCompositor>(gl_);
  if (!window.isGLCapable()) {
    platform::log("WindowGLContext: the window was not made for GL");
    return;
  }
  platform::display::applyGLAttributes(window.glSurface());
  context_ = sdl().GL_CreateContext(window.sdlWindow());
  if (!context_) {
    platform::log("WindowGLContext: can't make a GL context: %s", sdl().GetError());
    return;
  }
  if (!makeCurrent() || !gl_.load(*this)) {
    platform::log("WindowGLContext: the GL context is not usable: %s", sdl().GetError());
    sdl().GL_DeleteContext(context_);
    context_ = nullptr;
    return;
  }
  int value = 0;
  auto attribute = [&](SDL_GLattr a) { return sdl().GL_GetAttribute(a, &value) == 0 ? value : 0; };
  granted_.redBits = attribute(SDL_GL_RED_SIZE);
  granted_.greenBits = attribute(SDL_GL_GREEN_SIZE);
  granted_.blueBits = attribute(SDL_GL_BLUE_SIZE);
  granted_.alphaBits = attribute(SDL_GL_ALPHA_SIZE);
  granted_.depthBits = attribute(SDL_GL_DEPTH_SIZE);
  granted_.stencilBits = attribute(SDL_GL_STENCIL_SIZE);
  granted_.doubleBuffered = attribute(SDL_GL_DOUBLEBUFFER) != 0;
  granted_.accelerated = attribute(SDL_GL_ACCELERATED_VISUAL) > 0;
}

WindowGLContext::~WindowGLContext() {
  if (!context_) return;
  if (makeCurrent()) overlays_->releaseTextures();
  if (sdl().GL_GetCurrentContext() == context_) sdl().GL_MakeCurrent(window_->sdlWindow(), nullptr);
  sdl().GL_DeleteContext(context_);
}

bool WindowGLContext::makeCurrent() {
  if (!context_) return false;
  if (sdl().GL_GetCurrentContext() == context_ && sdl().GL_GetCurrentWindow() == window_->sdlWindow()) return true;
  return sdl().GL_MakeCurrent(window_->sdlWindow(), context_) == 0;
}

bool WindowGLContext::moveToWindow(platform::display::NativeWindow& window) {
  if (!context_ || !window.isGLCapable()) return false;
  if (sdl().GL_MakeCurrent(window.sdlWindow(), context_) != 0) {
    platform::log("WindowGLContext: can't draw into window %u: %s", window.id(), sdl().GetError());
    sdl().GL_MakeCurrent(window_->sdlWindow(), context_);
    return false;
  }
  window_ = &window;
  return true;
}

void WindowGLContext::releaseCurrent() {
  if (context_ && sdl().GL_GetCurrentContext() == context_) sdl().GL_MakeCurrent(window_->sdlWindow(), nullptr);
}

void WindowGLContext::flushBuffer() {
  if (!makeCurrent()) return;
  if (!overlays_->empty()) overlays_->draw(width(), height());
  if (granted_.doubleBuffered)
    sdl().GL_SwapWindow(window_->sdlWindow());
  else
    gl_.glFinish();
}

int WindowGLContext::width() const {
  int w = 0, h = 0;
  window_->drawableSize(w, h);
  return w;
}

int WindowGLContext::height() const {
  int w = 0, h = 0;
  window_->drawableSize(w, h);
  return h;
}

void* WindowGLContext::procAddress(const char* name) const { return sdl().GL_GetProcAddress(name); }

bool WindowGLContext::setSwapInterval(int interval) {
  return makeCurrent() && sdl().GL_SetSwapInterval(interval) == 0;
}

std::unique_ptr<GLContext> makeWindowGLContext(platform::display::NativeWindow& window) {
  auto context = std::make_unique<WindowGLContext>(window);
  if (!context->valid()) return nullptr;
  return context;
}

}  // namespace platform::gl
