#include "QTMovieView.h"

#include <cstdlib>

#include "platform/foundation/Log.h"
#include "platform/gl/WindowGLContext.h"

namespace platform::appkit {

// Pictures need colour only: no depth or stencil buffer for the renderer to carry along.
QTMovieView::QTMovieView(NSRect frame)
    : NSOpenGLView(frame, NSOpenGLPixelFormat({NSOpenGLPFADoubleBuffer, NSOpenGLPFAColorSize, 24, 0})) {}

QTMovieView::~QTMovieView() {
  stopRenderThread();
  if (movie_) movie_->setShownInView(false);
}

uint64_t QTMovieView::picturesDrawn() const {
  return drawingsBefore_ + fillDrawings_ + (renderThread_ ? renderThread_->drawings() : 0);
}

uint64_t QTMovieView::newPictures() const {
  return newPicturesBefore_ + (renderThread_ ? renderThread_->newPictures() : 0);
}

namespace {
void* glProcAddress(void* context, const char* name) {
  return static_cast<platform::gl::WindowGLContext*>(context)->procAddress(name);
}
}  // namespace

void QTMovieView::stopRenderThread() {
  if (!renderThread_) return;
  // For benchmarks: the player's drop counters (read while its output still runs) and the drawings.
  if (std::getenv("MT_PLAYBACK_STATS")) {
    platform::log("QTMovie: player dropped %lld frames", static_cast<long long>(movie_ ? movie_->droppedFrames() : 0));
    platform::log("QTMovieView: drew %llu times, %llu of them new pictures",
                  static_cast<unsigned long long>(renderThread_->drawings()),
                  static_cast<unsigned long long>(renderThread_->newPictures()));
  }
  drawingsBefore_ += renderThread_->drawings();
  newPicturesBefore_ += renderThread_->newPictures();
  // The context comes back to this thread, where the renderer goes.
  renderThread_.reset();
  renderer_.reset();
}

void QTMovieView::clearGLContext() {
  stopRenderThread();
  renderThreadTried_ = false;
  NSOpenGLView::clearGLContext();
}

void QTMovieView::setMovie(platform::media::QTMoviePtr movie) {
  if (movie_ == movie) return;
  stopRenderThread();
  renderThreadTried_ = false;
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

void QTMovieView::drawGL() {
  if (renderThread_ && (!showing() || !renderThread_->usable())) stopRenderThread();
  if (renderThread_) {
    // The render thread owns the context: it draws again (the picture with the children over it).
    renderThread_->requestRedraw(movie_->rate() > 0);
    return;
  }
  NSOpenGLView::drawGL();
}

void QTMovieView::drawRect(NSRect dirtyRect) {
  (void)dirtyRect;
  platform::gl::WindowGLContext* context = windowContext();
  if (!context) return;
  if (showing() && !renderThreadTried_) {
    renderThreadTried_ = true;
    // Made here, with the context current, right after the player: the player opens its output
    // (this renderer) with the file, not afterwards.
    renderer_ = movie_->makeVideoRenderer(&glProcAddress, context);
    if (renderer_) {
      renderer_->setKeepsAspectRatio(preservesAspectRatio_);
      renderer_->setBackgroundColor(fillColor_.red, fillColor_.green, fillColor_.blue);
      renderThread_ =
          std::make_unique<MovieRenderThread>(*context, *renderer_, fillColor_.red, fillColor_.green, fillColor_.blue);
      return;  // it draws the first picture
    }
  }
  const auto& gl = context->functions();
  gl.glClearColor(float(fillColor_.red), float(fillColor_.green), float(fillColor_.blue), 1.0f);
  gl.glClear(GL_COLOR_BUFFER_BIT);
  context->flushBuffer();
  ++fillDrawings_;
}

}  // namespace platform::appkit
