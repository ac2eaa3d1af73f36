#include "platform/gl/GLContext.h"

#include <GL/gl.h>

#include <cstdio>

namespace platform::gl {

std::string PixelFormat::description() const {
  char text[200];
  std::snprintf(text, sizeof text, "colour %d bits (%d/%d/%d/%d), depth %d bits, stencil %d bits, %s, %s", colorBits(),
                redBits, greenBits, blueBits, alphaBits, depthBits, stencilBits,
                doubleBuffered ? "double-buffered" : "single-buffered", accelerated ? "accelerated" : "not accelerated");
  return text;
}

namespace {
std::string glString(const GLContext& context, GLenum name) {
  using GetString = const GLubyte* (*)(GLenum);
  auto getString = reinterpret_cast<GetString>(context.procAddress("glGetString"));
  const GLubyte* s = getString ? getString(name) : nullptr;
  return s ? reinterpret_cast<const char*>(s) : "";
}
}  // namespace

std::string GLContext::glVersion() const { return glString(*this, GL_VERSION); }
std::string GLContext::glRenderer() const { return glString(*this, GL_RENDERER); }

}  // namespace platform::gl
