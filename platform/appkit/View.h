#pragma once
// Views and controls: a frame in the superview's coordinates, autoresizing, a tag, a target
// action and bindings to key-value observable objects.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/appkit/Geometry.h"
#include "platform/appkit/KeyValue.h"
#include "platform/foundation/PropertyList.h"

namespace platform::appkit {

class NSWindow;

class NSResponder {
 public:
  virtual ~NSResponder() = default;
  NSResponder* nextResponder() const { return nextResponder_; }
  void setNextResponder(NSResponder* r) { nextResponder_ = r; }

 private:
  NSResponder* nextResponder_ = nullptr;
};

// Autoresizing mask bits.
enum : unsigned {
  NSViewNotSizable = 0,
  NSViewMinXMargin = 1,
  NSViewWidthSizable = 2,
  NSViewMaxXMargin = 4,
  NSViewMinYMargin = 8,
  NSViewHeightSizable = 16,
  NSViewMaxYMargin = 32,
};

class NSView : public NSResponder {
 public:
  explicit NSView(NSRect frame = {}) : frame_(frame) {}
  ~NSView() override;

  const NSRect& frame() const { return frame_; }
  void setFrame(NSRect frame);
  NSRect bounds() const { return {{0, 0}, frame_.size}; }
  unsigned autoresizingMask() const { return autoresizingMask_; }
  void setAutoresizingMask(unsigned mask) { autoresizingMask_ = mask; }
  bool isHidden() const { return hidden_; }
  void setHidden(bool hidden) { hidden_ = hidden; }

  // The view keeps its subviews alive.
  void addSubview(std::shared_ptr<NSView> view);
  const std::vector<std::shared_ptr<NSView>>& subviews() const { return subviews_; }
  NSView* superview() const { return superview_; }
  NSWindow* window() const;
  void setWindow(NSWindow* window) { window_ = window; }

  NSView* nextKeyView() const { return nextKeyView_; }
  void setNextKeyView(NSView* view) { nextKeyView_ = view; }

  // Sent once after the view is made, as to views loaded from an interface file.
  virtual void awakeFromNib() {}

 private:
  // Follows the superview's size change by the autoresizing mask.
  void resizeWithOldSuperviewSize(NSSize oldSize, NSSize newSize);

  NSRect frame_;
  unsigned autoresizingMask_ = NSViewNotSizable;
  bool hidden_ = false;
  std::vector<std::shared_ptr<NSView>> subviews_;
  NSView* superview_ = nullptr;
  NSWindow* window_ = nullptr;
  NSView* nextKeyView_ = nullptr;
};

enum NSControlSize { NSRegularControlSize = 0, NSSmallControlSize = 1, NSMiniControlSize = 2 };

// Binding options.
inline const std::string NSConditionallySetsEnabledBindingOption = "NSConditionallySetsEnabled";
inline const std::string NSRaisesForNotApplicableKeysBindingOption = "NSRaisesForNotApplicableKeys";
inline const std::string NSValueBinding = "value";
inline const std::string NSEnabledBinding = "enabled";

class NSControl : public NSView {
 public:
  using Action = std::function<void(NSControl& sender)>;
  explicit NSControl(NSRect frame = {}) : NSView(frame) {}
  ~NSControl() override;

  long tag() const { return tag_; }
  void setTag(long tag) { tag_ = tag; }
  double doubleValue() const { return value_; }
  float floatValue() const { return static_cast<float>(value_); }
  virtual void setDoubleValue(double value) { value_ = value; }
  bool isEnabled() const { return enabled_; }
  void setEnabled(bool enabled) { enabled_ = enabled; }
  NSControlSize controlSize() const { return controlSize_; }
  void setControlSize(NSControlSize size) { controlSize_ = size; }

  // Target and action in one: the action is called with the control as sender.
  void setAction(Action action) { action_ = std::move(action); }
  bool sendAction();

  // Follows `object`'s `key`: "value" sets the control's value, "enabled" its enabled state.
  // Values the user sets travel back through "value". Unknown keys are ignored (the
  // not-applicable-keys option is always off here).
  void bind(const std::string& binding, KeyValueObservable* object, const std::string& key,
            const platform::PlistDictionary& options = {});
  void unbindAll();

  // The user moved the control to `value`: update the bound property, then send the action.
  void userSetValue(double value);

 private:
  struct Binding {
    std::string binding;
    KeyValueObservable* object;
    std::string key;
    KeyValueObservable::ObserverId observer;
  };
  void refreshBinding(const Binding& b);

  long tag_ = 0;
  double value_ = 0;
  bool enabled_ = true;
  NSControlSize controlSize_ = NSRegularControlSize;
  Action action_;
  std::vector<Binding> bindings_;
};

class NSSlider : public NSControl {
 public:
  explicit NSSlider(NSRect frame = {}) : NSControl(frame) {}
  double minValue() const { return min_; }
  double maxValue() const { return max_; }
  void setMinValue(double v) { min_ = v; }
  void setMaxValue(double v) { max_ = v; }
  // Clamped to the range.
  void setDoubleValue(double value) override;

 private:
  double min_ = 0, max_ = 1;
};

}  // namespace platform::appkit
