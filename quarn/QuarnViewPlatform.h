#pragma once
// The platform side of QuarnView (internal): its drawing context (a window's or an off-screen
// one), the windows it lives in, the frame timer and the full-screen state.
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/display/NativeWindow.h"
#include "platform/foundation/RunLoop.h"
#include "platform/gl/GLContext.h"
#include "platform/gl/SurfacelessGLContext.h"
#include "platform/gl/WindowGLContext.h"
#include "quarn/QuarnView.h"

struct QuarnView::Platform {
  // Off-screen views: the headless context.
  std::unique_ptr<platform::gl::SurfacelessGLContext> offscreen;
  // Windowed views: the window the view was made in (_startingWindow while full screen), the
  // borderless full-screen window while there is one, and the context drawing into either.
  std::unique_ptr<platform::display::NativeWindow> window;
  std::unique_ptr<platform::display::NativeWindow> _fullScreenWindow;
  std::unique_ptr<platform::gl::WindowGLContext> windowContext;
  platform::RunLoop::TimerId _timer = 0;
  // Views whose windows are open; QuarnView::runMainLoop ends when the last one closes.
  static inline int openWindows = 0;
  bool plainFullScreen = false;  // setScreenModeCGL's switch of the window itself
  bool windowClosed = false;
  // Gamma ramps captured by fadeOut.
  bool haveRamps = false;
  std::uint16_t ramps[3][256] = {};

  // The events of the view's windows, handed to the view.
  void handleEvent(QuarnView& view, const platform::display::Event& event);

  platform::gl::GLContext* context() const {
    if (windowContext) return windowContext.get();
    return offscreen.get();
  }
  bool valid() const { return context() != nullptr; }
  bool makeCurrent() { return context() && context()->makeCurrent(); }
  void swap() {
    if (context()) context()->flushBuffer();
  }
  // The window the view is drawing into now.
  platform::display::NativeWindow* currentWindow() const {
    return _fullScreenWindow ? _fullScreenWindow.get() : window.get();
  }
  QuarnSize size() const {
    if (windowContext) {
      return {static_cast<float>(windowContext->width()), static_cast<float>(windowContext->height())};
    }
    if (offscreen) return {static_cast<float>(offscreen->width()), static_cast<float>(offscreen->height())};
    return {};
  }
};
