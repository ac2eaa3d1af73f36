#pragma once
// An off-screen OpenGL context for programs without a window: tests, batch renderers, servers.
// Desktop OpenGL (compatibility profile) drawing into an RGBA buffer with a depth buffer,
// through EGL on Mesa; it needs no display, and GL calls go through libGL exactly as they do for a
// window's context, so the program links -lQuarn (and -lGL for its own GL calls) in any order.
//
//   auto context = QuarnHeadlessContext::contextWithSize(640, 480);   // current on return
//   QuarnCore core;                        // or a QuarnView::offscreenViewWithSize, which also
//   core.camera()->initGL();               // does this set-up itself
//   core.camera()->reshapeWithSize({640, 480});
//   ...; core.camera()->renderScene();
//   context->readPixels().writePNGToFile("/tmp/frame.png");
#include <memory>
#include <string>

#include "quarn/QuarnImage.h"
#include "quarn/QuarnTypes.h"

class QuarnHeadlessContext {
 public:
  // A context of that size (sides below 1 become 1), current on the calling thread on return;
  // null with one log line when the system gives none.
  static std::unique_ptr<QuarnHeadlessContext> contextWithSize(int width, int height);
  ~QuarnHeadlessContext();
  QuarnHeadlessContext(const QuarnHeadlessContext&) = delete;
  QuarnHeadlessContext& operator=(const QuarnHeadlessContext&) = delete;

  // Binds the context to the calling thread; false with a log line when that fails.
  bool makeCurrent();
  bool isCurrent() const;
  // Waits until every GL command sent so far has been drawn.
  void flush();
  QuarnSize size() const;
  // Bits of colour (red + green + blue + alpha) and depth granted.
  int colorBits() const;
  int depthBits() const;
  // The colour buffer as an image (top row first), after flush; empty when the context cannot
  // be made current. By default opaque, as a window shows it (the camera clears with alpha 0.5);
  // keepAlpha keeps the buffer's alpha channel.
  QuarnImage readPixels(bool keepAlpha = false);
  // GL_RENDERER and GL_VERSION of the current context ("llvmpipe (…)", "4.5 (Compatibility …").
  static std::string rendererString();
  static std::string versionString();

 private:
  struct Context;
  explicit QuarnHeadlessContext(std::unique_ptr<Context> context);
  std::unique_ptr<Context> context_;
};
