#include "platform/gl/HeadlessGLContext.h"

#include <GL/osmesa.h>

#include <cstring>

#include "platform/foundation/Log.h"

namespace platform::gl {

struct HeadlessGLContext::MesaContext {
  OSMesaContext handle;
};

HeadlessGLContext::HeadlessGLContext(int width, int height)
    : width_(width > 0 ? width : 1), height_(height > 0 ? height : 1) {
  buffer_.assign(static_cast<size_t>(width_) * height_ * 4, 0);
  const int attributes[] = {OSMESA_FORMAT,       OSMESA_RGBA,
                            OSMESA_DEPTH_BITS,   24,
                            OSMESA_STENCIL_BITS, 8,
                            OSMESA_ACCUM_BITS,   0,
                            OSMESA_PROFILE,      OSMESA_COMPAT_PROFILE,
                            0};
  OSMesaContext handle = OSMesaCreateContextAttribs(attributes, nullptr);
  if (!handle) {
    platform::log("HeadlessGLContext: OSMesaCreateContextAttribs failed");
    return;
  }
  context_ = new MesaContext{handle};
  if (!makeCurrent()) {
    OSMesaDestroyContext(handle);
    delete context_;
    context_ = nullptr;
  }
}

HeadlessGLContext::~HeadlessGLContext() {
  if (!context_) return;
  if (OSMesaGetCurrentContext() == context_->handle) OSMesaMakeCurrent(nullptr, nullptr, 0, 0, 0);
  OSMesaDestroyContext(context_->handle);
  delete context_;
}

bool HeadlessGLContext::makeCurrent() {
  if (!context_) return false;
  if (!OSMesaMakeCurrent(context_->handle, buffer_.data(), GL_UNSIGNED_BYTE, width_, height_)) {
    platform::log("HeadlessGLContext: OSMesaMakeCurrent failed");
    return false;
  }
  // OpenGL's own row order: the first row in memory is the bottom one.
  OSMesaPixelStore(OSMESA_Y_UP, 1);
  return true;
}

void HeadlessGLContext::finish() {
  if (context_) glFinish();
}

std::uint32_t HeadlessGLContext::pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  const std::uint8_t* p = &buffer_[(static_cast<size_t>(y) * width_ + x) * 4];
  return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}

std::vector<std::uint8_t> HeadlessGLContext::topDownPixels() const {
  std::vector<std::uint8_t> out(buffer_.size());
  const size_t row = static_cast<size_t>(width_) * 4;
  for (int y = 0; y < height_; ++y)
    std::memcpy(&out[static_cast<size_t>(height_ - 1 - y) * row], &buffer_[static_cast<size_t>(y) * row], row);
  return out;
}

static std::string glString(GLenum name) {
  const GLubyte* s = glGetString(name);
  return s ? reinterpret_cast<const char*>(s) : "";
}

PixelFormat HeadlessGLContext::pixelFormat() const {
  PixelFormat f;
  f.redBits = f.greenBits = f.blueBits = f.alphaBits = 8;
  f.depthBits = 24;
  f.stencilBits = 8;
  return f;
}

void* HeadlessGLContext::procAddress(const char* name) const {
  return reinterpret_cast<void*>(OSMesaGetProcAddress(name));
}

std::unique_ptr<GLContext> makeHeadlessGLContext(int width, int height) {
  return std::make_unique<HeadlessGLContext>(width, height);
}

std::string HeadlessGLContext::versionString() { return glString(GL_VERSION); }
std::string HeadlessGLContext::rendererString() { return glString(GL_RENDERER); }

}  // namespace platform::gl

#ifdef __SANITIZE_ADDRESS__
// Mesa's off-screen driver keeps its framebuffer records for the life of the process; every
// program with a headless context (tools included) would otherwise end with a leak report. Weak,
// so that a program's own suppressions take its place.
extern "C" __attribute__((weak)) const char* __lsan_default_suppressions() { return "leak:libOSMesa.so\n"; }
#endif
