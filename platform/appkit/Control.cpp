#include "platform/appkit/Control.h"

#include <algorithm>

#include "platform/appkit/Application.h"
#include "platform/appkit/Window.h"
#include "platform/foundation/RunLoop.h"

namespace platform::appkit {

// ---- Cell tracking

namespace {
// The event's location in the base coordinates of `window` (by way of the screen when the event
// belongs to another window).
NSPoint locationIn(const NSEvent& e, const NSWindow* window) {
  if (!e.window || e.window == window || !window) return e.locationInWindow;
  return window->convertScreenToBase(e.window->convertBaseToScreen(e.locationInWindow));
}
}  // namespace

bool NSCell::trackMouse(const NSEvent& event, NSRect cellFrame, NSControl* controlView, bool untilMouseUp) {
  if (!controlView) return false;
  NSWindow* window = controlView->window();
  auto point = [&](const NSEvent& e) { return controlView->convertPointFromView(locationIn(e, window), nullptr); };
  const bool flipped = controlView->isFlipped();
  NSPoint last = point(event);
  if (!startTrackingAt(last, controlView)) return false;
  // An action may close the window and take the control with it: tracking ends there.
  if (isContinuous()) controlView->sendAction();
  if (!NSView::exists(controlView)) return false;
  auto& app = NSApplication::sharedApplication();
  for (;;) {
    auto next = app.nextEventMatchingMask(NSLeftMouseUpMask | NSLeftMouseDraggedMask, RunLoop::distantFuture(),
                                          RunLoop::kEventTrackingRunLoopMode, true);
    if (!next) {  // the loop was stopped (the application is quitting)
      stopTracking(last, last, controlView, false);
      return false;
    }
    const NSPoint current = point(*next);
    const bool inside = NSMouseInRect(current, cellFrame, flipped);
    if (next->type == NSEventType::LeftMouseUp) {
      stopTracking(last, current, controlView, true);
      if (sendsActionOnMouseUp(inside) && NSView::exists(controlView)) controlView->sendAction();
      return inside;
    }
    if (!untilMouseUp && !inside) {
      stopTracking(last, current, controlView, false);
      return false;
    }
    if (!continueTracking(last, current, controlView)) {
      stopTracking(last, current, controlView, false);
      return false;
    }
    if (isContinuous()) controlView->sendAction();
    if (!NSView::exists(controlView)) return false;
    last = current;
  }
}

// ---- Control

NSControl::~NSControl() { unbindAll(); }

NSCell* NSControl::cell() {
  if (!cell_) {
    cell_ = makeCell();
    cell_->setControlView(this);
  }
  return cell_.get();
}

void NSControl::setCell(std::unique_ptr<NSCell> cell) {
  if (!cell) return;
  cell_ = std::move(cell);
  cell_->setControlView(this);
  setNeedsDisplay(true);
}

void NSControl::setDoubleValue(double value) {
  const double before = cell()->doubleValue();
  cell()->setDoubleValue(value);
  if (cell()->doubleValue() != before) setNeedsDisplay(true);
}

void NSControl::setEnabled(bool enabled) {
  if (cell()->isEnabled() == enabled) return;
  cell()->setEnabled(enabled);
  setNeedsDisplay(true);
}

void NSControl::setControlSize(NSControlSize size) {
  cell()->setControlSize(size);
  setNeedsDisplay(true);
}

bool NSControl::sendAction(const Action& action, void* target) {
  (void)target;  // the action carries its target
  pushValueBinding();
  if (!action) return false;
  action(*this);
  return true;
}

void NSControl::drawRect(NSRect dirtyRect) {
  (void)dirtyRect;
  cell()->drawWithFrame(bounds(), this);
}

void NSControl::mouseDown(const NSEvent& event) {
  if (!isEnabled()) return;
  cell()->trackMouse(event, bounds(), this, true);
}

KVValue NSControl::valueForKey(const std::string& key) const {
  if (key == "doubleValue" || key == "value" || key == "objectValue") return objectValue();
  if (key == "floatValue") return KVValue(floatValue());
  if (key == "intValue") return KVValue(intValue());
  if (key == "enabled") return KVValue(isEnabled());
  if (key == "tag") return KVValue(static_cast<long>(tag()));
  return KeyValueObservable::valueForKey(key);
}

void NSControl::setValueForKey(const std::string& key, const KVValue& value) {
  if (key == "doubleValue" || key == "floatValue" || key == "intValue" || key == "value" || key == "objectValue") {
    setObjectValue(value);
  } else if (key == "enabled") {
    setEnabled(value.boolValue());
  } else if (key == "tag") {
    setTag(static_cast<long>(value.integerValue()));
  } else {
    KeyValueObservable::setValueForKey(key, value);
    return;
  }
  didChangeValueForKey(key);
}

// ---- Bindings

bool NSControl::option(const Binding& b, const std::string& name, bool byDefault) const {
  const platform::PlistValue* v = b.options.find(name);
  if (!v) return byDefault;
  if (v->isBoolean()) return v->boolean();
  if (v->isInteger()) return v->integer() != 0;
  if (v->isReal()) return v->real() != 0;
  if (v->isString()) return KVValue(v->string()).boolValue();
  return byDefault;
}

namespace {
KVValue placeholder(const platform::PlistDictionary& options, const std::string& name) {
  const platform::PlistValue* v = options.find(name);
  if (!v) return {};
  if (v->isBoolean()) return KVValue(v->boolean());
  if (v->isInteger()) return KVValue(static_cast<long long>(v->integer()));
  if (v->isReal()) return KVValue(v->real());
  if (v->isString()) return KVValue(v->string());
  return {};
}
}  // namespace

KVValue NSControl::transformed(const Binding& b, const KVValue& value, bool reverse) const {
  const platform::PlistValue* name = b.options.find(NSValueTransformerNameBindingOption);
  if (!name || !name->isString()) return value;
  const std::string& transformer = name->string();
  if (transformer == NSNegateBooleanTransformerName) return KVValue(!value.boolValue());
  if (!reverse && transformer == NSIsNilTransformerName) return KVValue(value.isNil());
  if (!reverse && transformer == NSIsNotNilTransformerName) return KVValue(!value.isNil());
  return value;
}

void NSControl::bind(const std::string& binding, KeyValueObservable* object, const std::string& key,
                     const platform::PlistDictionary& options) {
  if (!object || (binding != NSValueBinding && binding != NSEnabledBinding && binding != NSHiddenBinding)) return;
  unbind(binding);
  Binding b{binding, object, key, options, 0};
  // A key the object doesn't have raises now, unless the options say otherwise.
  if (option(b, NSRaisesForNotApplicableKeysBindingOption, true)) (void)object->valueForKey(key);
  b.observer = object->addObserver(key, [this, binding] { refreshBinding(binding); });
  bindings_.push_back(std::move(b));
  refreshBinding(binding);
}

void NSControl::unbind(const std::string& binding) {
  auto it = std::find_if(bindings_.begin(), bindings_.end(), [&](const Binding& b) { return b.name == binding; });
  if (it == bindings_.end()) return;
  it->object->removeObserver(it->observer);
  bindings_.erase(it);
  if (binding == NSEnabledBinding) enabledByBinding_ = true;
  if (binding == NSValueBinding) valueApplicable_ = true;
}

void NSControl::unbindAll() {
  for (const Binding& b : bindings_) b.object->removeObserver(b.observer);
  bindings_.clear();
  enabledByBinding_ = valueApplicable_ = true;
}

bool NSControl::isBound(const std::string& binding) const {
  return std::any_of(bindings_.begin(), bindings_.end(), [&](const Binding& b) { return b.name == binding; });
}

void NSControl::refreshBinding(const std::string& name) {
  auto it = std::find_if(bindings_.begin(), bindings_.end(), [&](const Binding& b) { return b.name == name; });
  if (it == bindings_.end()) return;
  const Binding& b = *it;
  KVValue value;
  bool applicable = true;
  try {
    value = b.object->valueForKey(b.key);
  } catch (const NSUndefinedKeyException&) {
    if (option(b, NSRaisesForNotApplicableKeysBindingOption, true)) throw;
    applicable = false;
  }
  if (applicable) value = transformed(b, value, false);
  if (name == NSValueBinding) {
    if (!applicable)
      value = placeholder(b.options, NSNotApplicablePlaceholderBindingOption);
    else if (value.isNil())
      value = placeholder(b.options, NSNullPlaceholderBindingOption);
    setObjectValue(value);
    valueApplicable_ = applicable || !option(b, NSConditionallySetsEnabledBindingOption, true);
  } else if (name == NSEnabledBinding) {
    enabledByBinding_ = applicable && value.boolValue();
  } else if (name == NSHiddenBinding) {
    setHidden(applicable && value.boolValue());
  }
  if (name != NSHiddenBinding) updateEnabledFromBindings();
}

// The enabled state is the bindings' to set when there is an enabled binding, or a value binding
// that conditionally sets it.
void NSControl::updateEnabledFromBindings() {
  bool governed = isBound(NSEnabledBinding);
  for (const Binding& b : bindings_)
    if (b.name == NSValueBinding && option(b, NSConditionallySetsEnabledBindingOption, true)) governed = true;
  if (governed) setEnabled(enabledByBinding_ && valueApplicable_);
}

void NSControl::pushValueBinding() {
  auto it = std::find_if(bindings_.begin(), bindings_.end(), [](const Binding& b) { return b.name == NSValueBinding; });
  if (it == bindings_.end() || !valueApplicable_) return;
  const Binding b = *it;
  try {
    b.object->setValueForKey(b.key, transformed(b, objectValue(), true));
  } catch (const NSUndefinedKeyException&) {
    if (option(b, NSRaisesForNotApplicableKeysBindingOption, true)) throw;
  }
}

}  // namespace platform::appkit
