#pragma once
// The platform side of QuarnView: its drawing context (a window's or an off-screen one), the
// frame timer and the full-screen state. Internal to the framework.
#include <cstdint>
#include <memory>

#include "platform/foundation/RunLoop.h"
#include "platform/gl/SurfacelessGLContext.h"
#include "quarn/QuarnView.h"

struct QuarnView::Platform {
  std::unique_ptr<platform::gl::SurfacelessGLContext> offscreen;
  platform::RunLoop::TimerId _timer = 0;

  bool valid() const { return offscreen != nullptr; }
  bool makeCurrent() { return offscreen && offscreen->makeCurrent(); }
  void swap() {
    if (offscreen) offscreen->flush();
  }
  QuarnSize size() const {
    if (offscreen) return {static_cast<float>(offscreen->width()), static_cast<float>(offscreen->height())};
    return {};
  }
};
