#include "quarn/QuarnHeadlessContext.h"

#include <GL/gl.h>

#include "platform/foundation/Log.h"
#include "platform/gl/SurfacelessGLContext.h"

struct QuarnHeadlessContext::Context {
  platform::gl::SurfacelessGLContext gl;
  Context(int width, int height) : gl(width, height) {}
};

QuarnHeadlessContext::QuarnHeadlessContext(std::unique_ptr<Context> context) : context_(std::move(context)) {}

QuarnHeadlessContext::~QuarnHeadlessContext() = default;

std::unique_ptr<QuarnHeadlessContext> QuarnHeadlessContext::contextWithSize(int width, int height) {
  auto context = std::make_unique<Context>(width, height);
  if (!context->gl.valid()) {
    platform::log("QuarnHeadlessContext: no off-screen OpenGL context of %d x %d", width, height);
    return nullptr;
  }
  return std::unique_ptr<QuarnHeadlessContext>(new QuarnHeadlessContext(std::move(context)));
}

bool QuarnHeadlessContext::makeCurrent() { return context_->gl.makeCurrent(); }
bool QuarnHeadlessContext::isCurrent() const { return context_->gl.isCurrent(); }
void QuarnHeadlessContext::flush() {
  if (context_->gl.makeCurrent()) context_->gl.flush();
}

QuarnSize QuarnHeadlessContext::size() const {
  return {static_cast<float>(context_->gl.width()), static_cast<float>(context_->gl.height())};
}

int QuarnHeadlessContext::colorBits() const { return context_->gl.colorBits(); }
int QuarnHeadlessContext::depthBits() const { return context_->gl.depthBits(); }

QuarnImage QuarnHeadlessContext::readPixels(bool keepAlpha) {
  std::vector<std::uint8_t> pixels = context_->gl.readPixelsTopDown();
  if (pixels.empty()) return {};
  if (!keepAlpha)
    for (size_t i = 3; i < pixels.size(); i += 4) pixels[i] = 255;
  QuarnImage image(context_->gl.width(), context_->gl.height(), keepAlpha);
  image.pixels() = std::move(pixels);
  return image;
}

static std::string glString(GLenum name) {
  const GLubyte* s = glGetString(name);
  return s ? reinterpret_cast<const char*>(s) : "";
}

std::string QuarnHeadlessContext::rendererString() { return glString(GL_RENDERER); }
std::string QuarnHeadlessContext::versionString() { return glString(GL_VERSION); }
