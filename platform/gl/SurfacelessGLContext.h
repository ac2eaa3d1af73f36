#pragma once
// Off-screen OpenGL context through EGL on Mesa's surfaceless platform: a desktop OpenGL
// compatibility context drawing into a pbuffer of fixed size. Unlike OSMesa it dispatches GL
// calls through libGL like a window's context does, so one program may hold both kinds and no
// link order matters.
#include <cstdint>
#include <string>
#include <vector>

namespace platform::gl {

class SurfacelessGLContext {
 public:
  // A context of the given size (at least 1 × 1); valid() tells whether EGL gave one. Failures
  // are logged once with the EGL call that failed.
  SurfacelessGLContext(int width, int height);
  ~SurfacelessGLContext();
  SurfacelessGLContext(const SurfacelessGLContext&) = delete;
  SurfacelessGLContext& operator=(const SurfacelessGLContext&) = delete;

  bool valid() const { return context_ != nullptr; }
  // Binds the context and its pbuffer to the calling thread; false when that fails.
  bool makeCurrent();
  // Whether this context is current on the calling thread.
  bool isCurrent() const;
  // Waits for rendering to finish (glFinish); the pbuffer has no back buffer to swap.
  void flush();

  int width() const { return width_; }
  int height() const { return height_; }
  // Bits granted by the chosen configuration.
  int colorBits() const { return colorBits_; }
  int depthBits() const { return depthBits_; }

  // The colour buffer as width × height RGBA pixels, rows top-down (as image files store them).
  // Makes the context current first; empty when it cannot.
  std::vector<std::uint8_t> readPixelsTopDown();

 private:
  int width_;
  int height_;
  int colorBits_ = 0;
  int depthBits_ = 0;
  void* display_ = nullptr;  // EGLDisplay
  void* surface_ = nullptr;  // EGLSurface
  void* context_ = nullptr;  // EGLContext, owned
};

}  // namespace platform::gl
