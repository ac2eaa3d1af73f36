#pragma once
// Off-screen OpenGL context through EGL on Mesa's surfaceless platform: a desktop OpenGL
// compatibility context drawing into a pbuffer of fixed size. A third maker of GLContext beside
// the window's and OSMesa's: unlike OSMesa it dispatches GL calls through libGL (glvnd) like a
// window's context does, so one program may hold both kinds and no link order matters
// (target platform_gl_surfaceless, which links libEGL and libGL).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gl/GLContext.h"

namespace platform::gl {

class SurfacelessGLContext : public GLContext {
 public:
  // A context of the given size (at least 1 × 1); valid() tells whether EGL gave one. Failures
  // are logged once with the EGL call that failed.
  SurfacelessGLContext(int width, int height);
  ~SurfacelessGLContext() override;
  SurfacelessGLContext(const SurfacelessGLContext&) = delete;
  SurfacelessGLContext& operator=(const SurfacelessGLContext&) = delete;

  bool valid() const override { return context_ != nullptr; }
  // Binds the context and its pbuffer to the calling thread; false when that fails.
  bool makeCurrent() override;
  // Whether this context is current on the calling thread.
  bool isCurrent() const;
  // Waits for rendering to finish (glFinish); the pbuffer has no back buffer to swap.
  void flush();
  void flushBuffer() override { flush(); }

  int width() const override { return width_; }
  int height() const override { return height_; }
  PixelFormat pixelFormat() const override { return format_; }
  void* procAddress(const char* name) const override;
  // Bits granted by the chosen configuration.
  int colorBits() const { return format_.colorBits(); }
  int depthBits() const { return format_.depthBits; }

  // The colour buffer as width × height RGBA pixels, rows top-down (as image files store them).
  // Makes the context current first; empty when it cannot.
  std::vector<std::uint8_t> readPixelsTopDown();

 private:
  int width_;
  int height_;
  PixelFormat format_;
  void* display_ = nullptr;  // EGLDisplay
  void* surface_ = nullptr;  // EGLSurface
  void* context_ = nullptr;  // EGLContext, owned
};

// The maker, as makeWindowGLContext and makeHeadlessGLContext; check valid().
std::unique_ptr<GLContext> makeSurfacelessGLContext(int width, int height);

}  // namespace platform::gl
