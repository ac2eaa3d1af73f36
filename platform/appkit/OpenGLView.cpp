#include "platform/appkit/OpenGLView.h"

#include "platform/appkit/Window.h"
#include "platform/gl/WindowGLContext.h"

namespace platform::appkit {

NSOpenGLPixelFormat::NSOpenGLPixelFormat() {
  request_.alphaBits = 0;
  request_.depthBits = 24;
}

NSOpenGLPixelFormat::NSOpenGLPixelFormat(const std::vector<uint32_t>& a) {
  request_.alphaBits = 0;
  request_.depthBits = 0;
  request_.doubleBuffered = false;
  bool alphaGiven = false;
  for (size_t i = 0; i < a.size() && a[i] != 0; ++i) {
    const uint32_t attribute = a[i];
    auto value = [&](uint32_t& out) {
      if (i + 1 >= a.size()) return false;
      out = a[++i];
      return true;
    };
    uint32_t v = 0;
    switch (attribute) {
      case NSOpenGLPFADoubleBuffer: request_.doubleBuffered = true; break;
      case NSOpenGLPFAAccelerated: request_.accelerated = true; break;
      case NSOpenGLPFAStereo: case NSOpenGLPFAMinimumPolicy: case NSOpenGLPFAMaximumPolicy:
      case NSOpenGLPFAMultisample: case NSOpenGLPFANoRecovery: case NSOpenGLPFAClosestPolicy:
      case NSOpenGLPFAWindow:
        break;
      case NSOpenGLPFAColorSize:
        if (!value(v)) valid_ = false;
        // 32 bits of colour: 8 a channel with alpha; fewer: no alpha unless asked for.
        if (v >= 24) {
          request_.redBits = request_.greenBits = request_.blueBits = 8;
          if (!alphaGiven) request_.alphaBits = v >= 32 ? 8 : 0;
        } else if (v > 0) {
          request_.redBits = 5, request_.greenBits = 6, request_.blueBits = 5;
        }
        break;
      case NSOpenGLPFAAlphaSize:
        if (!value(v)) valid_ = false;
        request_.alphaBits = int(v);
        alphaGiven = true;
        break;
      case NSOpenGLPFADepthSize:
        if (!value(v)) valid_ = false;
        request_.depthBits = int(v);
        break;
      case NSOpenGLPFAStencilSize:
        if (!value(v)) valid_ = false;
        request_.stencilBits = int(v);
        break;
      case NSOpenGLPFAAuxBuffers: case NSOpenGLPFAAccumSize: case NSOpenGLPFASampleBuffers:
      case NSOpenGLPFASamples: case NSOpenGLPFAOpenGLProfile:
        if (!value(v)) valid_ = false;
        break;
      default:
        valid_ = false;
        break;
    }
  }
}

NSOpenGLView::NSOpenGLView(NSRect frame, NSOpenGLPixelFormat format) : NSView(frame), format_(std::move(format)) {}

NSOpenGLView::~NSOpenGLView() { clearGLContext(); }

platform::gl::GLContext* NSOpenGLView::openGLContext() {
  if (context_) return context_.get();
  NSWindow* w = window();
  if (!w || !w->nativeWindow() || !w->nativeWindow()->isGLCapable()) return nullptr;
  context_ = platform::gl::makeWindowGLContext(*w->nativeWindow());
  prepared_ = false;
  reshapedSize_ = {-1, -1};
  return context_.get();
}

platform::gl::WindowGLContext* NSOpenGLView::windowContext() {
  return dynamic_cast<platform::gl::WindowGLContext*>(openGLContext());
}

void NSOpenGLView::clearGLContext() {
  context_.reset();
  prepared_ = false;
}

void NSOpenGLView::reshape() {
  auto* context = windowContext();
  if (!context) return;
  context->functions().glViewport(0, 0, context->width(), context->height());
}

void NSOpenGLView::drawRect(NSRect dirtyRect) {
  (void)dirtyRect;
  auto* context = windowContext();
  if (!context) return;
  const NSColor c = window() ? window()->backgroundColor() : NSColor::blackColor();
  const auto& gl = context->functions();
  gl.glClearColor(float(c.red), float(c.green), float(c.blue), 1.0f);
  gl.glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  context->flushBuffer();
}

void NSOpenGLView::drawGL() {
  platform::gl::GLContext* context = openGLContext();
  if (!context || !context->makeCurrent()) return;
  if (!prepared_) {
    prepared_ = true;
    prepareOpenGL();
  }
  if (!(reshapedSize_ == frame().size)) {
    reshapedSize_ = frame().size;
    reshape();
  }
  drawRect(bounds());
}

}  // namespace platform::appkit
