#include "drawing/views/XMHGlossyRoundedView.h"

#include "drawing/BezierPathXMHExtensions.h"
#include "platform/graphics/GeometryFunctions.h"
#include "platform/graphics/GraphicsContext.h"

namespace drawing {

std::shared_ptr<XGradient> XMHGlossyRoundedView::gradient() {
  if (!__gradient) __gradient = XGradient::plumoBlackPlasticGradientWithAlpha(0.88f, 21.0f / 58.0f);
  return __gradient;
}

void XMHGlossyRoundedView::setCurrentRect(NSRect rect) {
  if (_framingBGPath && rect == _currentRect) return;
  _currentRect = rect;
  _framingBGPath = XMHExtensions::roundedPathForRect(platform::insetRect(rect, 1, 1), 9, 6);
  if (_framingBGPath) _framingBGPath->setLineWidth(1.5);
  if (!_fill) {
    _fill = platform::Color::calibratedWhite(0.1, 0.18);
    _stroke = platform::Color::calibratedWhite(1.0, 0.18);
  }
}

void XMHGlossyRoundedView::drawRect(NSRect r) {
  platform::GraphicsContext* context = platform::GraphicsContext::current();
  if (!context) return;
  context->setFillColor(platform::Color::clearColor());
  context->fillRect(r, platform::CompositingOperation::Copy);
  setCurrentRect(bounds());
  if (!_framingBGPath) return;
  context->saveGraphicsState();
  context->clipToPath(*_framingBGPath);
  XGradientView::drawRect(r);
  // Stroked inside the clip, as the outline's inner half.
  context->setStrokeColor(*_stroke);
  context->strokePath(*_framingBGPath);
  context->restoreGraphicsState();
}

}  // namespace drawing
