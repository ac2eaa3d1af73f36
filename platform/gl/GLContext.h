#pragma once
// One interface for OpenGL contexts, with two makers: a context drawing into a GL-capable window
// of the display (double-buffered, compatibility profile) and a headless one drawing into memory.
//
// Linking: the windowed maker is in platform_gl_window, which reaches GL through the context's
// own entry points and links no GL library, so the program's own GL calls go wherever the program
// links them (libGL for windows). The headless maker is in platform_gl, on OSMesa: a program that
// links it gets OSMesa's GL for its own calls (link it ahead of libGL).
#include <memory>
#include <string>

namespace platform::display {
class NativeWindow;
struct GLSurfaceRequest;
}  // namespace platform::display

namespace platform::gl {

// What a context was given.
struct PixelFormat {
  int redBits = 0, greenBits = 0, blueBits = 0, alphaBits = 0;
  int depthBits = 0;
  int stencilBits = 0;
  bool doubleBuffered = false;
  bool accelerated = false;
  int colorBits() const { return redBits + greenBits + blueBits + alphaBits; }
  // "colour 32 bits (8/8/8/8), depth 24 bits, stencil 0 bits, double-buffered, accelerated"
  std::string description() const;
};

class GLContext {
 public:
  virtual ~GLContext() = default;
  // Whether the context exists (its failure was logged when not).
  virtual bool valid() const = 0;
  // Binds the context to the calling thread; false when that fails.
  virtual bool makeCurrent() = 0;
  // Shows what was drawn (flushBuffer): a windowed context draws its overlays and swaps the
  // buffers; a headless one waits for rendering to finish.
  virtual void flushBuffer() = 0;
  // Drawable size in pixels.
  virtual int width() const = 0;
  virtual int height() const = 0;
  virtual PixelFormat pixelFormat() const = 0;
  // A GL entry point of this context's library; null when there is none.
  virtual void* procAddress(const char* name) const = 0;
  // GL_VERSION and GL_RENDERER of the current context.
  std::string glVersion() const;
  std::string glRenderer() const;
};

// A context drawing into `window`, which must be GL-capable (WindowStyle::gl); null, with a log
// line, when the display can't give one. The window must outlive the context.
std::unique_ptr<GLContext> makeWindowGLContext(platform::display::NativeWindow& window);
// An off-screen RGBA context of the given size (OSMesa); check valid().
std::unique_ptr<GLContext> makeHeadlessGLContext(int width, int height);

}  // namespace platform::gl
