#include "View.h"

#include <algorithm>

#include "platform/appkit/Window.h"

namespace platform::appkit {

NSView::~NSView() {
  for (auto& v : subviews_) v->superview_ = nullptr;
}

void NSView::setFrame(NSRect frame) {
  NSSize old = frame_.size;
  frame_ = frame;
  if (old == frame.size) return;
  for (auto& v : subviews_) v->resizeWithOldSuperviewSize(old, frame.size);
}

void NSView::addSubview(std::shared_ptr<NSView> view) {
  if (!view) return;
  view->superview_ = this;
  view->window_ = window();
  subviews_.push_back(std::move(view));
}

NSWindow* NSView::window() const {
  for (const NSView* v = this; v; v = v->superview_)
    if (v->window_) return v->window_;
  return nullptr;
}

// Flexible parts of each axis share the change equally, as the platform does.
void NSView::resizeWithOldSuperviewSize(NSSize oldSize, NSSize newSize) {
  NSRect f = frame_;
  auto axis = [](double change, bool minFlex, bool sizeFlex, bool maxFlex, double& origin, double& size) {
    int parts = int(minFlex) + int(sizeFlex) + int(maxFlex);
    if (parts == 0) return;
    double share = change / parts;
    if (minFlex) origin += share;
    if (sizeFlex) size = std::max(0.0, size + share);
  };
  unsigned m = autoresizingMask_;
  axis(newSize.width - oldSize.width, m & NSViewMinXMargin, m & NSViewWidthSizable, m & NSViewMaxXMargin, f.origin.x,
       f.size.width);
  axis(newSize.height - oldSize.height, m & NSViewMinYMargin, m & NSViewHeightSizable, m & NSViewMaxYMargin,
       f.origin.y, f.size.height);
  setFrame(f);
}

NSControl::~NSControl() { unbindAll(); }

bool NSControl::sendAction() {
  if (!action_) return false;
  action_(*this);
  return true;
}

void NSControl::bind(const std::string& binding, KeyValueObservable* object, const std::string& key,
                     const platform::PlistDictionary& options) {
  (void)options;
  if (!object || (binding != NSValueBinding && binding != NSEnabledBinding)) return;
  Binding b{binding, object, key, 0};
  b.observer = object->addObserver(key, [this, binding, object, key] { refreshBinding({binding, object, key, 0}); });
  bindings_.push_back(b);
  refreshBinding(b);
}

void NSControl::unbindAll() {
  for (const Binding& b : bindings_) b.object->removeObserver(b.observer);
  bindings_.clear();
}

void NSControl::refreshBinding(const Binding& b) {
  std::optional<double> v = b.object->valueForKey(b.key);
  if (!v) return;
  if (b.binding == NSValueBinding)
    setDoubleValue(*v);
  else
    setEnabled(*v != 0);
}

void NSControl::userSetValue(double value) {
  setDoubleValue(value);
  for (const Binding& b : bindings_)
    if (b.binding == NSValueBinding) b.object->setValueForKey(b.key, doubleValue());
  sendAction();
}

void NSSlider::setDoubleValue(double value) { NSControl::setDoubleValue(std::clamp(value, min_, max_)); }

}  // namespace platform::appkit
