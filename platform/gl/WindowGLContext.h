#pragma once
// An OpenGL context drawing into a GL-capable native window of the display (SDL2): double-
// buffered where granted, compatibility profile, with overlays drawn over each frame before
// the swap (OverlayCompositor).
#include <memory>

#include "platform/gl/GLContext.h"
#include "platform/gl/GLFunctions.h"
#include "platform/gl/OverlayCompositor.h"

namespace platform::display {
class NativeWindow;
}

namespace platform::gl {

class WindowGLContext : public GLContext {
 public:
  // Makes the context and makes it current; valid() tells whether that worked (logged if not).
  explicit WindowGLContext(platform::display::NativeWindow& window);
  ~WindowGLContext() override;
  WindowGLContext(const WindowGLContext&) = delete;
  WindowGLContext& operator=(const WindowGLContext&) = delete;

  bool valid() const override { return context_ != nullptr; }
  bool makeCurrent() override;
  // Unbinds the context from the calling thread, so that another thread can make it current.
  void releaseCurrent();
  // Draws the overlays, then swaps the buffers (or flushes a single-buffered window).
  void flushBuffer() override;
  int width() const override;
  int height() const override;
  PixelFormat pixelFormat() const override { return granted_; }
  void* procAddress(const char* name) const override;

  // Wait for the display's vertical blank on swaps (1) or not (0); false where not supported.
  bool setSwapInterval(int interval);
  // The SDL context handle (void*), for libraries that take one (Dear ImGui's back ends).
  void* sdlContext() const { return context_; }
  platform::display::NativeWindow& window() const { return *window_; }
  // From now on draws into `window` (GL-capable, made with the same surface request), as a view
  // moving to a full-screen window does; the context keeps all its state. False, with a log line
  // and the old window kept, when the display refuses.
  bool moveToWindow(platform::display::NativeWindow& window);
  OverlayCompositor& overlays() { return *overlays_; }
  const GLFunctions& functions() const { return gl_; }

 private:
  platform::display::NativeWindow* window_;  // never null
  void* context_ = nullptr;  // SDL_GLContext
  PixelFormat granted_;
  GLFunctions gl_;
  std::unique_ptr<OverlayCompositor> overlays_;
};

}  // namespace platform::gl
