// NSWindow drawing: dirty rectangles gathered from the views and drawn on the run loop's next
// pass; software windows render their views with the graphics layer and show the pixels, GL
// windows let their view draw, composited children hand their pixels to the window they lie in.
#include <algorithm>
#include <cmath>

#include "platform/appkit/OpenGLView.h"
#include "platform/appkit/Window.h"
#include "platform/display/NativeWindow.h"
#include "platform/foundation/RunLoop.h"
#include "platform/gl/WindowGLContext.h"
#include "platform/graphics/GraphicsContext.h"

namespace platform::appkit {

namespace {
NSRect contentBounds(const NSWindow& w) { return {{0, 0}, w.contentRectForFrameRect(w.frame()).size}; }
}  // namespace

NSOpenGLView* NSWindow::openGLContentView() const { return dynamic_cast<NSOpenGLView*>(contentView_.get()); }

void NSWindow::invalidateRect(const NSRect& rectInWindow) {
  const NSRect clipped = NSIntersectionRect(rectInWindow, contentBounds(*this));
  if (NSIsEmptyRect(clipped)) return;
  dirty_ = NSUnionRect(dirty_, clipped);
  scheduleDisplay();
}

void NSWindow::scheduleDisplay() {
  if (displayScheduled_ || !visible_) return;
  displayScheduled_ = true;
  NSWindow* self = this;
  platform::RunLoop::mainRunLoop().perform([self] {
    if (!exists(self)) return;
    self->displayScheduled_ = false;
    self->displayIfNeeded();
  });
}

void NSWindow::display() {
  dirty_ = contentBounds(*this);
  displayIfNeeded();
}

void NSWindow::displayIfNeeded() {
  if (NSIsEmptyRect(dirty_)) return;
  const NSRect dirty = NSIntersectionRect(NSIntegralRect(dirty_), contentBounds(*this));
  dirty_ = NSZeroRect;
  if (NSIsEmptyRect(dirty)) return;
  if (NSOpenGLView* gl = openGLContentView()) {
    // A GL window's view draws the whole frame with GL (and composites the children).
    if (visible_ && native_) gl->drawGL();
    return;
  }
  const NSSize size = contentBounds(*this).size;
  const int w = std::max(1, int(std::ceil(size.width))), h = std::max(1, int(std::ceil(size.height)));
  NSRect area = dirty;
  if (!surface_ || surface_->width() != w || surface_->height() != h) {
    surface_ = std::make_unique<platform::ImageSurface>(w, h);
    area = contentBounds(*this);  // a new surface has nothing yet
  }
  {
    platform::GraphicsContext context(*surface_, false);
    platform::GraphicsContext::CurrentScope scope(context);
    renderInto(context, area);
  }
  present(area);
}

void NSWindow::renderInto(platform::GraphicsContext& context, const NSRect& dirty) {
  context.saveGraphicsState();
  context.clipToRect(dirty);
  context.setFillColor(platform::Color::clearColor());
  context.fillRect(dirty, platform::CompositingOperation::Copy);
  context.setFillColor(background_.colorWithAlphaComponent(opaque_ ? 1.0 : background_.alpha).color());
  context.fillRect(dirty, platform::CompositingOperation::SourceOver);
  if (contentView_) contentView_->drawHierarchy(context, dirty);
  // Translucent children of a software window lie in its own pixels.
  for (NSWindow* child : children_) {
    if (!child->isComposited() || !child->visible_ || !child->surface_ || child->alpha_ <= 0) continue;
    const NSRect rect = convertRectFromScreen(child->contentRectForFrameRect(child->frame_));
    if (!NSIntersectsRect(rect, dirty)) continue;
    context.drawSurface(*child->surface_, rect, child->alpha_);
  }
  context.restoreGraphicsState();
}

void NSWindow::present(const NSRect& dirty) {
  if (isComposited()) {
    updateOverlay();
    return;
  }
  if (!native_ || !visible_ || !surface_) return;
  const double height = contentBounds(*this).size.height;
  const platform::display::PixelRect pixels{int(std::floor(NSMinX(dirty))), int(std::floor(height - NSMaxY(dirty))),
                                            int(std::ceil(dirty.size.width)), int(std::ceil(dirty.size.height))};
  native_->present(surface_->pixels(), surface_->width(), surface_->height(), surface_->stride(), {pixels});
}

void NSWindow::updateOverlay() {
  if (!parent_ || !isComposited()) return;
  if (!visible_ || !surface_) {
    removeOverlay();
    return;
  }
  NSWindow* host = parent_;
  const NSRect content = contentRectForFrameRect(frame_);
  if (NSOpenGLView* gl = host->openGLContentView()) {
    if (auto* context = gl->windowContext()) {
      const NSRect hostContent = host->contentRectForFrameRect(host->frame_);
      const int x = int(std::lround(content.origin.x - hostContent.origin.x));
      const int y = int(std::lround(NSMaxY(hostContent) - NSMaxY(content)));
      context->overlays().setOverlay(uint64_t(number_), surface_->pixels(), surface_->width(), surface_->height(),
                                     surface_->stride(), x, y, float(alpha_));
    }
    gl->setNeedsDisplay(true);
    return;
  }
  host->invalidateRect(host->convertRectFromScreen(content));
}

// A fade changes only the opacity: the overlay's pixels stay as they are.
void NSWindow::updateOverlayAlpha() {
  if (NSOpenGLView* gl = parent_ ? parent_->openGLContentView() : nullptr) {
    if (auto* context = gl->windowContext(); context && context->overlays().hasOverlay(uint64_t(number_))) {
      context->overlays().setOverlayAlpha(uint64_t(number_), float(alpha_));
      gl->setNeedsDisplay(true);
      return;
    }
  }
  updateOverlay();
}

void NSWindow::removeOverlay() {
  if (!parent_ || !exists(parent_)) return;
  if (NSOpenGLView* gl = parent_->openGLContentView()) {
    if (auto* context = gl->windowContext(); context && context->overlays().hasOverlay(uint64_t(number_))) {
      context->overlays().removeOverlay(uint64_t(number_));
      gl->setNeedsDisplay(true);
    }
    return;
  }
  parent_->invalidateRect(parent_->convertRectFromScreen(contentRectForFrameRect(frame_)));
}

platform::Image NSWindow::contentImage() const { return surface_ ? surface_->image() : platform::Image(); }

}  // namespace platform::appkit
