#include "platform/gl/SurfacelessGLContext.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>

#include <cstring>

#include "platform/foundation/Log.h"

namespace platform::gl {
namespace {

EGLDisplay surfacelessDisplay() {
  auto getPlatformDisplay =
      reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
  if (!getPlatformDisplay) return EGL_NO_DISPLAY;
  return getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
}

}  // namespace

SurfacelessGLContext::SurfacelessGLContext(int width, int height)
    : width_(width > 0 ? width : 1), height_(height > 0 ? height : 1) {
  EGLDisplay display = surfacelessDisplay();
  EGLint major = 0, minor = 0;
  if (display == EGL_NO_DISPLAY || !eglInitialize(display, &major, &minor)) {
    platform::log("SurfacelessGLContext: no EGL surfaceless display (error 0x%x)", eglGetError());
    return;
  }
  display_ = display;
  if (!eglBindAPI(EGL_OPENGL_API)) {
    platform::log("SurfacelessGLContext: eglBindAPI(EGL_OPENGL_API) failed (error 0x%x)", eglGetError());
    return;
  }
  const EGLint configAttributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                                     EGL_RED_SIZE,     8,                EGL_GREEN_SIZE,      8,
                                     EGL_BLUE_SIZE,    8,                EGL_ALPHA_SIZE,      8,
                                     EGL_DEPTH_SIZE,   24,               EGL_NONE};
  EGLConfig config = nullptr;
  EGLint count = 0;
  if (!eglChooseConfig(display, configAttributes, &config, 1, &count) || count < 1) {
    platform::log("SurfacelessGLContext: no RGBA8 configuration with depth (error 0x%x)", eglGetError());
    return;
  }
  auto attribute = [&](EGLint name) {
    EGLint value = 0;
    return eglGetConfigAttrib(display, config, name, &value) ? static_cast<int>(value) : 0;
  };
  format_.redBits = attribute(EGL_RED_SIZE);
  format_.greenBits = attribute(EGL_GREEN_SIZE);
  format_.blueBits = attribute(EGL_BLUE_SIZE);
  format_.alphaBits = attribute(EGL_ALPHA_SIZE);
  format_.depthBits = attribute(EGL_DEPTH_SIZE);
  format_.stencilBits = attribute(EGL_STENCIL_SIZE);
  format_.doubleBuffered = false;
  format_.accelerated = attribute(EGL_CONFIG_CAVEAT) != EGL_SLOW_CONFIG;

  const EGLint surfaceAttributes[] = {EGL_WIDTH, width_, EGL_HEIGHT, height_, EGL_NONE};
  EGLSurface surface = eglCreatePbufferSurface(display, config, surfaceAttributes);
  if (surface == EGL_NO_SURFACE) {
    platform::log("SurfacelessGLContext: eglCreatePbufferSurface %d x %d failed (error 0x%x)", width_, height_,
                  eglGetError());
    return;
  }
  surface_ = surface;
  const EGLint contextAttributes[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                      EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
  EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttributes);
  if (context == EGL_NO_CONTEXT) {
    platform::log("SurfacelessGLContext: eglCreateContext failed (error 0x%x)", eglGetError());
    return;
  }
  context_ = context;
  if (!makeCurrent()) {
    eglDestroyContext(display, context);
    context_ = nullptr;
  }
}

SurfacelessGLContext::~SurfacelessGLContext() {
  if (context_) {
    if (eglGetCurrentContext() == context_) eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(display_, context_);
  }
  if (surface_) eglDestroySurface(display_, surface_);
  // The display stays initialised: EGL shares it with every other user in the process.
}

bool SurfacelessGLContext::makeCurrent() {
  if (!context_) return false;
  if (eglGetCurrentContext() == context_) return true;
  if (!eglBindAPI(EGL_OPENGL_API) || !eglMakeCurrent(display_, surface_, surface_, context_)) {
    platform::log("SurfacelessGLContext: eglMakeCurrent failed (error 0x%x)", eglGetError());
    return false;
  }
  return true;
}

bool SurfacelessGLContext::isCurrent() const { return context_ && eglGetCurrentContext() == context_; }

void SurfacelessGLContext::flush() {
  if (isCurrent()) glFinish();
}

void* SurfacelessGLContext::procAddress(const char* name) const {
  return reinterpret_cast<void*>(eglGetProcAddress(name));
}

std::unique_ptr<GLContext> makeSurfacelessGLContext(int width, int height) {
  return std::make_unique<SurfacelessGLContext>(width, height);
}

std::vector<std::uint8_t> SurfacelessGLContext::readPixelsTopDown() {
  if (!makeCurrent()) return {};
  const size_t row = static_cast<size_t>(width_) * 4;
  std::vector<std::uint8_t> bottomUp(row * height_);
  GLint alignment = 4;
  glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
  glPixelStorei(GL_PACK_ALIGNMENT, alignment);
  std::vector<std::uint8_t> topDown(bottomUp.size());
  for (int y = 0; y < height_; ++y)
    std::memcpy(&topDown[static_cast<size_t>(height_ - 1 - y) * row], &bottomUp[static_cast<size_t>(y) * row], row);
  return topDown;
}

}  // namespace platform::gl
