#pragma once
// NSButton and NSButtonCell: a push button (momentary), a toggle that keeps its state, or a check
// box, with a title or an image. The button highlights while the mouse is held inside it and sends
// its action when the mouse comes up inside.
#include "platform/appkit/Control.h"

namespace platform::appkit {

enum NSButtonType { NSMomentaryPushInButton = 7, NSPushOnPushOffButton = 1, NSToggleButton = 2, NSSwitchButton = 3 };

class NSButtonCell : public NSCell {
 public:
  NSButtonType buttonType() const { return type_; }
  void setButtonType(NSButtonType type) { type_ = type; }
  bool isBordered() const { return bordered_; }
  void setBordered(bool bordered) { bordered_ = bordered; }

  void drawWithFrame(NSRect cellFrame, NSView* controlView) override;
  bool startTrackingAt(NSPoint point, NSControl* controlView) override;
  bool continueTracking(NSPoint lastPoint, NSPoint currentPoint, NSControl* controlView) override;
  void stopTracking(NSPoint lastPoint, NSPoint stopPoint, NSControl* controlView, bool mouseIsUp) override;
  bool sendsActionOnMouseUp(bool inside) const override { return inside; }

 private:
  NSButtonType type_ = NSMomentaryPushInButton;
  bool bordered_ = true;
};

class NSButton : public NSControl {
 public:
  explicit NSButton(NSRect frame = {}) : NSControl(frame) {}
  std::unique_ptr<NSCell> makeCell() const override { return std::make_unique<NSButtonCell>(); }
  NSButtonCell* buttonCell() { return dynamic_cast<NSButtonCell*>(cell()); }

  const std::string& title() const { return cell()->title(); }
  void setTitle(const std::string& title);
  const std::shared_ptr<const platform::Image>& image() const { return cell()->image(); }
  void setImage(std::shared_ptr<const platform::Image> image);
  int state() const { return cell()->state(); }
  void setState(int state);
  void setButtonType(NSButtonType type);
  void setBordered(bool bordered);
  // As a click would: highlight, toggle a toggle's state, send the action.
  void performClick();

  KVValue objectValue() const override { return KVValue(state()); }
  void setObjectValue(const KVValue& value) override { setState(static_cast<int>(value.integerValue())); }
};

}  // namespace platform::appkit
