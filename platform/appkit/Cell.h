#pragma once
// NSCell: what a control shows and how it reacts, apart from the view that holds it: a value,
// enabled and continuous flags, a control size, a title or image, target and action, drawing
// into the control's frame and tracking the mouse in the event-tracking run-loop mode.
#include <functional>
#include <memory>
#include <string>

#include "platform/appkit/Event.h"
#include "platform/appkit/Geometry.h"
#include "platform/graphics/Image.h"

namespace platform::appkit {

class NSControl;
class NSView;

enum NSControlSize { NSRegularControlSize = 0, NSSmallControlSize = 1, NSMiniControlSize = 2 };
enum NSCellStateValue { NSOffState = 0, NSOnState = 1, NSMixedState = -1 };

// The action a control sends: called with the control as sender. The target is the object the
// action is meant for (carried with the action; the closure does the work).
using NSAction = std::function<void(NSControl& sender)>;

class NSCell {
 public:
  NSCell() = default;
  virtual ~NSCell() = default;
  NSCell(const NSCell&) = delete;
  NSCell& operator=(const NSCell&) = delete;

  // Value. Subclasses may constrain it (a slider clamps to its range).
  double doubleValue() const { return value_; }
  float floatValue() const { return static_cast<float>(value_); }
  int intValue() const { return static_cast<int>(value_); }
  virtual void setDoubleValue(double value) { value_ = value; }
  void setFloatValue(float value) { setDoubleValue(value); }
  void setIntValue(int value) { setDoubleValue(value); }
  int state() const { return state_; }
  void setState(int state) { state_ = state; }

  bool isEnabled() const { return enabled_; }
  void setEnabled(bool enabled) { enabled_ = enabled; }
  bool isContinuous() const { return continuous_; }
  void setContinuous(bool continuous) { continuous_ = continuous; }
  bool isHighlighted() const { return highlighted_; }
  void setHighlighted(bool highlighted) { highlighted_ = highlighted; }
  NSControlSize controlSize() const { return controlSize_; }
  void setControlSize(NSControlSize size) { controlSize_ = size; }
  long tag() const { return tag_; }
  void setTag(long tag) { tag_ = tag; }
  const std::string& title() const { return title_; }
  void setTitle(const std::string& title) { title_ = title; }
  const std::shared_ptr<const platform::Image>& image() const { return image_; }
  void setImage(std::shared_ptr<const platform::Image> image) { image_ = std::move(image); }

  const NSAction& action() const { return action_; }
  void setAction(NSAction action) { action_ = std::move(action); }
  void* target() const { return target_; }
  void setTarget(void* target) { target_ = target; }

  // The control that shows the cell (set when the control installs it).
  NSControl* controlView() const { return controlView_; }
  void setControlView(NSControl* view) { controlView_ = view; }

  // Draws the cell's frame and its inside, in the control's coordinates.
  virtual void drawWithFrame(NSRect cellFrame, NSView* controlView) { drawInteriorWithFrame(cellFrame, controlView); }
  virtual void drawInteriorWithFrame(NSRect cellFrame, NSView* controlView) {
    (void)cellFrame;
    (void)controlView;
  }

  // Mouse tracking: trackMouse runs from the mouse-down until the mouse comes up (or, without
  // untilMouseUp, leaves the frame), taking dragged and up events in the event-tracking run-loop
  // mode. A continuous cell sends its action at the mouse-down and at each drag; the action goes
  // out once more when the mouse comes up. Returns true when the mouse came up inside the frame.
  virtual bool trackMouse(const NSEvent& event, NSRect cellFrame, NSControl* controlView, bool untilMouseUp);
  virtual bool startTrackingAt(NSPoint point, NSControl* controlView) {
    (void)point;
    (void)controlView;
    return true;
  }
  // False ends the tracking.
  virtual bool continueTracking(NSPoint lastPoint, NSPoint currentPoint, NSControl* controlView) {
    (void)lastPoint;
    (void)currentPoint;
    (void)controlView;
    return true;
  }
  virtual void stopTracking(NSPoint lastPoint, NSPoint stopPoint, NSControl* controlView, bool mouseIsUp) {
    (void)lastPoint;
    (void)stopPoint;
    (void)controlView;
    (void)mouseIsUp;
  }
  // Whether the action goes out when the mouse comes up (after the tracking), inside the cell's
  // frame or not.
  virtual bool sendsActionOnMouseUp(bool inside) const {
    (void)inside;
    return true;
  }

 private:
  double value_ = 0;
  int state_ = NSOffState;
  bool enabled_ = true;
  bool continuous_ = false;
  bool highlighted_ = false;
  NSControlSize controlSize_ = NSRegularControlSize;
  long tag_ = 0;
  std::string title_;
  std::shared_ptr<const platform::Image> image_;
  NSAction action_;
  void* target_ = nullptr;
  NSControl* controlView_ = nullptr;
};

}  // namespace platform::appkit
