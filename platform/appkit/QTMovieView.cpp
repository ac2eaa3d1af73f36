#include "QTMovieView.h"

#include "platform/foundation/RunLoop.h"
#include "platform/gl/WindowGLContext.h"

namespace platform::appkit {

namespace {
void* glProcAddress(void* context, const char* name) {
  return static_cast<platform::gl::GLContext*>(context)->procAddress(name);
}
}  // namespace

QTMovieView::QTMovieView(NSRect frame) : NSOpenGLView(frame) {}

QTMovieView::~QTMovieView() {
  releaseRenderer();
  if (movie_) movie_->setShownInView(false);
}

void QTMovieView::releaseRenderer() {
  if (!renderer_) return;
  // The renderer goes with its context current.
  if (platform::gl::GLContext* context = openGLContext()) context->makeCurrent();
  renderer_.reset();
}

void QTMovieView::clearGLContext() {
  releaseRenderer();
  rendererTried_ = false;
  NSOpenGLView::clearGLContext();
}

void QTMovieView::setMovie(platform::media::QTMoviePtr movie) {
  if (movie_ == movie) return;
  releaseRenderer();
  rendererTried_ = false;
  if (movie_) {
    movie_->stop();
    movie_->setShownInView(false);
  }
  movie_ = std::move(movie);
  if (movie_) movie_->setShownInView(true);
  setNeedsDisplay(true);
}

void QTMovieView::setFillColor(NSColor colour) {
  fillColor_ = colour;
  if (renderer_) renderer_->setBackgroundColor(colour.red, colour.green, colour.blue);
  setNeedsDisplay(true);
}

void QTMovieView::setPreservesAspectRatio(bool preserves) {
  preservesAspectRatio_ = preserves;
  if (renderer_) renderer_->setKeepsAspectRatio(preserves);
  setNeedsDisplay(true);
}

void QTMovieView::play() {
  if (movie_) movie_->play();
}

void QTMovieView::pause() {
  if (movie_) movie_->stop();
}

void QTMovieView::drawRect(NSRect dirtyRect) {
  (void)dirtyRect;
  platform::gl::WindowGLContext* context = windowContext();
  if (!context) return;
  const bool showing = movie_ && !isHiddenOrHasHiddenAncestor();
  if (showing && !renderer_ && !rendererTried_) {
    rendererTried_ = true;
    renderer_ = movie_->makeVideoRenderer(&glProcAddress, context);
    if (renderer_) {
      renderer_->setKeepsAspectRatio(preservesAspectRatio_);
      renderer_->setBackgroundColor(fillColor_.red, fillColor_.green, fillColor_.blue);
      // New pictures come from the player's threads: one redraw waits on the main run loop at a time.
      renderer_->setUpdateHandler([view = this, pending = redrawPending_] {
        if (pending->exchange(true)) return;
        platform::RunLoop::mainRunLoop().perform([view, pending] {
          pending->store(false);
          if (NSView::exists(view)) view->setNeedsDisplay(true);
        });
      });
    }
  }
  bool drawn = false;
  if (showing && renderer_) {
    renderer_->frameReady();
    drawn = renderer_->render(0, context->width(), context->height(), true);
  }
  if (!drawn) {
    const auto& gl = context->functions();
    gl.glClearColor(float(fillColor_.red), float(fillColor_.green), float(fillColor_.blue), 1.0f);
    gl.glClear(GL_COLOR_BUFFER_BIT);
  }
  context->flushBuffer();
  if (drawn) {
    renderer_->reportSwap();
    ++picturesDrawn_;
  }
}

}  // namespace platform::appkit
