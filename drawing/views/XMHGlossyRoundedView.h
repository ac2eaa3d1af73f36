#pragma once
// XMHGlossyRoundedView: the heads-up panel body: the translucent black plastic ramp inside a
// rounded outline (corners of radius 9 at the top, 6 at the bottom), faintly stroked in white;
// outside the outline it is clear.
#include <optional>

#include "drawing/views/XGradientView.h"
#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Color.h"

namespace drawing {

class XMHGlossyRoundedView : public XGradientView {
 public:
  using XGradientView::XGradientView;

  // plumoBlackPlasticGradientWithAlpha: 0.88 position: 21/58, made once.
  std::shared_ptr<XGradient> gradient() override;
  NSRect currentRect() const { return _currentRect; }
  // A different rectangle remakes the outline (the rectangle inset by 1).
  void setCurrentRect(NSRect rect);
  const platform::BezierPath* framingPath() const { return _framingBGPath.get(); }
  void drawRect(NSRect dirtyRect) override;

  bool acceptsFirstMouse(const platform::appkit::NSEvent* event) override {
    (void)event;
    return true;
  }
  bool mouseDownCanMoveWindow() const override { return true; }
  bool isOpaque() const override { return true; }

 private:
  std::shared_ptr<platform::BezierPath> _framingBGPath;
  std::optional<platform::Color> _fill;
  std::optional<platform::Color> _stroke;
  NSRect _currentRect;
  std::shared_ptr<XGradient> __gradient;
};

}  // namespace drawing
