#pragma once
// NSImageView: shows an image in its bounds, scaled and aligned as asked.
#include <memory>

#include "platform/appkit/Control.h"

namespace platform::appkit {

enum NSImageScaling {
  NSImageScaleProportionallyDown = 0,
  NSImageScaleAxesIndependently = 1,
  NSImageScaleNone = 2,
  NSImageScaleProportionallyUpOrDown = 3,
};

enum NSImageAlignment {
  NSImageAlignCenter = 0,
  NSImageAlignTop = 1,
  NSImageAlignTopLeft = 2,
  NSImageAlignTopRight = 3,
  NSImageAlignLeft = 4,
  NSImageAlignBottom = 5,
  NSImageAlignBottomLeft = 6,
  NSImageAlignBottomRight = 7,
  NSImageAlignRight = 8,
};

class NSImageView : public NSControl {
 public:
  explicit NSImageView(NSRect frame = {}) : NSControl(frame) {}

  const std::shared_ptr<const platform::Image>& image() const { return cell()->image(); }
  void setImage(std::shared_ptr<const platform::Image> image);
  NSImageScaling imageScaling() const { return scaling_; }
  void setImageScaling(NSImageScaling scaling);
  NSImageAlignment imageAlignment() const { return alignment_; }
  void setImageAlignment(NSImageAlignment alignment);

  // Where the image is drawn in the bounds (empty without an image).
  NSRect imageRect() const;
  void drawRect(NSRect dirtyRect) override;
  void mouseDown(const NSEvent& event) override { NSView::mouseDown(event); }  // not a control to click
  bool mouseDownCanMoveWindow() const override { return true; }

 private:
  NSImageScaling scaling_ = NSImageScaleProportionallyDown;
  NSImageAlignment alignment_ = NSImageAlignCenter;
};

}  // namespace platform::appkit
