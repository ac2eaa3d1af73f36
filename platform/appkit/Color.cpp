#include "platform/appkit/Color.h"

#include <algorithm>

namespace platform::appkit {

void NSColor::set() const {
  setFill();
  setStroke();
}

void NSColor::setFill() const {
  if (auto* context = platform::GraphicsContext::current()) context->setFillColor(color());
}

void NSColor::setStroke() const {
  if (auto* context = platform::GraphicsContext::current()) context->setStrokeColor(color());
}

void NSRectFill(const NSRect& rect) { NSRectFillUsingOperation(rect, platform::CompositingOperation::Copy); }

void NSRectFillUsingOperation(const NSRect& rect, platform::CompositingOperation operation) {
  if (auto* context = platform::GraphicsContext::current()) context->fillRect(rect, operation);
}

void NSFrameRect(const NSRect& rect) {
  if (NSIsEmptyRect(rect)) return;
  const double w = std::min(1.0, rect.size.width), h = std::min(1.0, rect.size.height);
  NSRectFillUsingOperation(NSMakeRect(NSMinX(rect), NSMinY(rect), rect.size.width, h), platform::CompositingOperation::SourceOver);
  NSRectFillUsingOperation(NSMakeRect(NSMinX(rect), NSMaxY(rect) - h, rect.size.width, h), platform::CompositingOperation::SourceOver);
  NSRectFillUsingOperation(NSMakeRect(NSMinX(rect), NSMinY(rect) + h, w, rect.size.height - 2 * h), platform::CompositingOperation::SourceOver);
  NSRectFillUsingOperation(NSMakeRect(NSMaxX(rect) - w, NSMinY(rect) + h, w, rect.size.height - 2 * h), platform::CompositingOperation::SourceOver);
}

}  // namespace platform::appkit
