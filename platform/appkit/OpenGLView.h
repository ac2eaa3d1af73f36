#pragma once
// NSOpenGLView and NSOpenGLPixelFormat: a view drawn with OpenGL. As the content view of a window
// it makes that window a GL window: the native window is made GL-capable with the view's pixel
// format and the view gets a windowed GL context of platform/gl once the window is shown. The
// window draws it by making the context current and calling drawRect, which draws with GL and
// ends with flushBuffer (the swap, which also composites the window's translucent children).
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/appkit/View.h"
#include "platform/display/NativeWindow.h"

namespace platform::gl {
class GLContext;
class WindowGLContext;
}  // namespace platform::gl

namespace platform::appkit {

// Pixel format attributes, as the platform numbers them.
enum : uint32_t {
  NSOpenGLPFADoubleBuffer = 5,
  NSOpenGLPFAStereo = 6,
  NSOpenGLPFAAuxBuffers = 7,
  NSOpenGLPFAColorSize = 8,
  NSOpenGLPFAAlphaSize = 11,
  NSOpenGLPFADepthSize = 12,
  NSOpenGLPFAStencilSize = 13,
  NSOpenGLPFAAccumSize = 14,
  NSOpenGLPFAMinimumPolicy = 51,
  NSOpenGLPFAMaximumPolicy = 52,
  NSOpenGLPFASampleBuffers = 55,
  NSOpenGLPFASamples = 56,
  NSOpenGLPFAMultisample = 59,
  NSOpenGLPFANoRecovery = 72,
  NSOpenGLPFAAccelerated = 73,
  NSOpenGLPFAClosestPolicy = 74,
  NSOpenGLPFAWindow = 80,
  NSOpenGLPFAOpenGLProfile = 99,
};

class NSOpenGLPixelFormat {
 public:
  // Double-buffered, 24-bit colour, 24-bit depth.
  NSOpenGLPixelFormat();
  // A list of attributes (those taking a value are followed by it), ending at 0 or at its end.
  // An attribute it doesn't know, or one without its value, makes the format invalid.
  explicit NSOpenGLPixelFormat(const std::vector<uint32_t>& attributes);
  bool valid() const { return valid_; }
  // What a native window is asked for.
  const platform::display::GLSurfaceRequest& request() const { return request_; }

 private:
  platform::display::GLSurfaceRequest request_;
  bool valid_ = true;
};

class NSOpenGLView : public NSView {
 public:
  explicit NSOpenGLView(NSRect frame = {}, NSOpenGLPixelFormat format = NSOpenGLPixelFormat());
  ~NSOpenGLView() override;

  const NSOpenGLPixelFormat& pixelFormat() const { return format_; }
  // The view's context: made when first asked for once the window has its (GL) native window;
  // null before, and when the display can't give one.
  platform::gl::GLContext* openGLContext();
  platform::gl::WindowGLContext* windowContext();
  virtual void clearGLContext();
  // Once, with the context current, before the first drawing.
  virtual void prepareOpenGL() {}
  // After the size changed (and before the first drawing), context current: sets the viewport.
  virtual void reshape();
  // Draws the frame with GL; the default clears to the window's background and flushes.
  void drawRect(NSRect dirtyRect) override;
  bool isOpaque() const override { return true; }

  // The window draws the view through this: current context, reshape when needed, drawRect.
  virtual void drawGL();

 private:
  NSOpenGLPixelFormat format_;
  std::unique_ptr<platform::gl::GLContext> context_;
  bool prepared_ = false;
  NSSize reshapedSize_{-1, -1};
};

}  // namespace platform::appkit
