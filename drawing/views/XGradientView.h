#pragma once
// XGradientView: a view whose background is a vertical gradient, cached as a strip one point wide
// and as high as the view, stretched across whatever is drawn; dark grey when told not to fill.
// The ramp follows the user's skin preference "kGuiSkinName".
#include <memory>

#include "drawing/XGradient.h"
#include "platform/appkit/View.h"
#include "platform/graphics/Image.h"

namespace drawing {

class XGradientView : public platform::appkit::NSView {
 public:
  using NSRect = platform::appkit::NSRect;
  // initWithFrame: fills by default.
  explicit XGradientView(NSRect frame = {});

  void drawRect(NSRect dirtyRect) override;
  // The ramp of the background: the heads-up button ramp with the skin "Obsidian", else the
  // table-header ramp.
  virtual std::shared_ptr<XGradient> gradient();

  bool drawsFill() const { return drawsFill_; }
  void setDrawsFill(bool draws);
  bool isFlipped() const override { return flipped_; }
  bool flipped() const { return flipped_; }
  void setFlipped(bool flipped);
  // The cached strip, made on demand: 1 × the frame's height, position 0 of the ramp at the top.
  std::shared_ptr<const platform::Image> backgroundImage();
  void setBackgroundImage(std::shared_ptr<const platform::Image> image);
  NSRect backgroundImageRect() const { return _backgroundImageRect; }
  bool mouseDownCanMoveWindow() const override { return false; }

 private:
  bool drawsFill_ = true;
  bool flipped_ = false;
  std::shared_ptr<const platform::Image> _backgroundImage;
  NSRect _backgroundImageRect;
  float _backgroundY = 0;             // kept for the interface definition; not used here
  platform::appkit::NSView* _titleField = nullptr;  // outlet; not used here
};

}  // namespace drawing
