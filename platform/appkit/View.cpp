#include "View.h"

#include <algorithm>
#include <unordered_set>

#include "platform/appkit/Window.h"
#include "platform/foundation/NotificationCenter.h"

namespace platform::appkit {

namespace {
std::unordered_set<const NSView*>& liveViews() {
  static std::unordered_set<const NSView*> views;
  return views;
}
}  // namespace

NSView::NSView(NSRect frame) : frame_(frame) { liveViews().insert(this); }

NSView::~NSView() {
  liveViews().erase(this);
  for (auto& v : subviews_) {
    v->superview_ = nullptr;
    if (v->nextResponder() == this) v->setNextResponder(nullptr);
  }
}

bool NSView::exists(const NSView* view) { return view && liveViews().count(view) != 0; }

// ---- Geometry

void NSView::setFrame(NSRect frame) {
  const NSRect old = frame_;
  if (old == frame) return;
  if (superview_) superview_->setNeedsDisplayInRect(old);
  frame_ = frame;
  if (!(old.size == frame.size) && autoresizesSubviews_) resizeSubviewsWithOldSize(old.size);
  setNeedsDisplay(true);
  if (postsFrameChanged_)
    platform::NotificationCenter::defaultCenter().postNotification(NSViewFrameDidChangeNotification, this);
}

void NSView::setBoundsOrigin(NSPoint origin) {
  if (origin == boundsOrigin_) return;
  boundsOrigin_ = origin;
  setNeedsDisplay(true);
}

void NSView::translateOriginToPoint(NSPoint point) {
  setBoundsOrigin({boundsOrigin_.x - point.x, boundsOrigin_.y - point.y});
}

void NSView::resizeSubviewsWithOldSize(NSSize oldSize) {
  for (auto& v : std::vector<std::shared_ptr<NSView>>(subviews_)) v->resizeWithOldSuperviewSize(oldSize);
}

void NSView::resizeWithOldSuperviewSize(NSSize oldSize) {
  if (!superview_) return;
  const NSSize newSize = superview_->frame_.size;
  NSRect f = frame_;
  auto axis = [](double change, bool minFlex, bool sizeFlex, bool maxFlex, double& origin, double& size) {
    const int parts = int(minFlex) + int(sizeFlex) + int(maxFlex);
    if (parts == 0) return;
    const double share = change / parts;
    if (minFlex) origin += share;
    if (sizeFlex) size = std::max(0.0, size + share);
  };
  const unsigned m = autoresizingMask_;
  axis(newSize.width - oldSize.width, m & NSViewMinXMargin, m & NSViewWidthSizable, m & NSViewMaxXMargin, f.origin.x,
       f.size.width);
  // The margins are by coordinate: in a flipped superview the min-Y margin is the top one.
  axis(newSize.height - oldSize.height, m & NSViewMinYMargin, m & NSViewHeightSizable, m & NSViewMaxYMargin,
       f.origin.y, f.size.height);
  setFrame(f);
}

// ---- Hierarchy

void NSView::addSubview(std::shared_ptr<NSView> view) { addSubview(std::move(view), NSWindowAbove, nullptr); }

void NSView::addSubview(std::shared_ptr<NSView> view, NSWindowOrderingMode place, const NSView* relativeTo) {
  if (!view || view.get() == this || isDescendantOf(view.get())) return;
  if (view->superview_) view->removeFromSuperview();
  auto at = subviews_.end();
  if (relativeTo) {
    auto found = std::find_if(subviews_.begin(), subviews_.end(), [&](const auto& v) { return v.get() == relativeTo; });
    if (found != subviews_.end()) at = place == NSWindowBelow ? found : found + 1;
  } else if (place == NSWindowBelow) {
    at = subviews_.begin();
  }
  view->superview_ = this;
  if (!view->nextResponder()) view->setNextResponder(this);
  NSView* added = view.get();
  subviews_.insert(at, std::move(view));
  added->notifyMovedToWindow();
  added->setNeedsDisplay(true);
}

void NSView::removeFromSuperview() {
  NSView* parent = superview_;
  if (!parent) return;
  NSWindow* oldWindow = window();
  if (oldWindow) oldWindow->viewWillLeave(this);
  parent->setNeedsDisplayInRect(frame_);
  auto it = std::find_if(parent->subviews_.begin(), parent->subviews_.end(),
                         [this](const auto& v) { return v.get() == this; });
  if (it == parent->subviews_.end()) return;
  std::shared_ptr<NSView> keep = *it;  // alive until we are done here
  parent->subviews_.erase(it);
  superview_ = nullptr;
  if (nextResponder() == parent) setNextResponder(nullptr);
  if (oldWindow) notifyMovedToWindow();
}

NSWindow* NSView::window() const {
  for (const NSView* v = this; v; v = v->superview_)
    if (v->window_) return v->window_;
  return nullptr;
}

void NSView::setWindow(NSWindow* window) {
  if (window_ == window) return;
  window_ = window;
  notifyMovedToWindow();
}

void NSView::notifyMovedToWindow() {
  viewDidMoveToWindow();
  for (auto& v : std::vector<std::shared_ptr<NSView>>(subviews_)) v->notifyMovedToWindow();
}

bool NSView::isDescendantOf(const NSView* view) const {
  for (const NSView* v = this; v; v = v->superview_)
    if (v == view) return true;
  return false;
}

NSView* NSView::viewWithTag(long tag) {
  if (this->tag() == tag) return this;
  for (auto& v : subviews_)
    if (NSView* found = v->viewWithTag(tag)) return found;
  return nullptr;
}

void NSView::setHidden(bool hidden) {
  if (hidden_ == hidden) return;
  hidden_ = hidden;
  if (superview_) superview_->setNeedsDisplayInRect(frame_);
  if (hidden)
    if (NSWindow* w = window()) w->viewWillLeave(this);
}

bool NSView::isHiddenOrHasHiddenAncestor() const {
  for (const NSView* v = this; v; v = v->superview_)
    if (v->hidden_) return true;
  return false;
}

void NSView::setNextKeyView(NSView* view) {
  if (NSView* old = nextKeyView(); old && old->previousKeyView_ == this) old->previousKeyView_ = nullptr;
  nextKeyView_ = view;
  if (view) view->previousKeyView_ = this;
}

// ---- Coordinates

platform::AffineTransform NSView::transformToSuperview() const {
  const bool superFlipped = superview_ ? superview_->isFlipped() : false;
  if (isFlipped() == superFlipped)
    return platform::AffineTransform::translation(frame_.origin.x - boundsOrigin_.x, frame_.origin.y - boundsOrigin_.y);
  return {1, 0, 0, -1, frame_.origin.x - boundsOrigin_.x, frame_.origin.y + frame_.size.height + boundsOrigin_.y};
}

platform::AffineTransform NSView::transformToWindow() const {
  platform::AffineTransform t = transformToSuperview();
  for (const NSView* v = superview_; v; v = v->superview_) t.append(v->transformToSuperview());
  return t;
}

NSPoint NSView::convertPointToView(NSPoint point, const NSView* view) const {
  NSPoint inWindow = transformToWindow().transformPoint(point);
  if (!view) return inWindow;
  platform::AffineTransform back = view->transformToWindow();
  back.invert();
  return back.transformPoint(inWindow);
}

NSPoint NSView::convertPointFromView(NSPoint point, const NSView* view) const {
  const NSPoint inWindow = view ? view->transformToWindow().transformPoint(point) : point;
  platform::AffineTransform back = transformToWindow();
  back.invert();
  return back.transformPoint(inWindow);
}

namespace {
NSRect rectThrough(const std::function<NSPoint(NSPoint)>& convert, const NSRect& r) {
  const NSPoint a = convert(r.origin);
  const NSPoint b = convert({NSMaxX(r), NSMaxY(r)});
  return NSMakeRect(std::min(a.x, b.x), std::min(a.y, b.y), std::abs(b.x - a.x), std::abs(b.y - a.y));
}
}  // namespace

NSRect NSView::convertRectToView(const NSRect& rect, const NSView* view) const {
  return rectThrough([&](NSPoint p) { return convertPointToView(p, view); }, rect);
}

NSRect NSView::convertRectFromView(const NSRect& rect, const NSView* view) const {
  return rectThrough([&](NSPoint p) { return convertPointFromView(p, view); }, rect);
}

NSRect NSView::visibleRect() const {
  NSRect visible = convertRectToView(bounds(), nullptr);
  for (const NSView* v = superview_; v; v = v->superview_)
    visible = NSIntersectionRect(visible, v->convertRectToView(v->bounds(), nullptr));
  return NSIsEmptyRect(visible) ? NSZeroRect : convertRectFromView(visible, nullptr);
}

// ---- Drawing

void NSView::setNeedsDisplay(bool needs) {
  if (!needs) {
    needsDisplay_ = false;
    return;
  }
  setNeedsDisplayInRect(bounds());
}

void NSView::setNeedsDisplayInRect(NSRect rect) {
  needsDisplay_ = true;
  if (NSWindow* w = window()) w->invalidateRect(convertRectToView(rect, nullptr));
}

void NSView::display() {
  setNeedsDisplay(true);
  displayIfNeeded();
}

void NSView::displayIfNeeded() {
  if (NSWindow* w = window()) w->displayIfNeeded();
}

void NSView::drawHierarchy(platform::GraphicsContext& context, const NSRect& dirtyInWindow) {
  if (hidden_) return;
  // What of the view is to be drawn: within its bounds and what its superview may draw.
  const NSRect visible = NSIntersectionRect(convertRectToView(bounds(), nullptr), dirtyInWindow);
  if (NSIsEmptyRect(visible)) return;
  context.saveGraphicsState();
  context.clipToRect(visible);
  context.concat(transformToWindow());
  const bool wasFlipped = context.isFlipped();
  context.setFlipped(isFlipped());
  drawRect(convertRectFromView(visible, nullptr));
  context.setFlipped(wasFlipped);
  context.restoreGraphicsState();
  needsDisplay_ = false;
  for (auto& v : std::vector<std::shared_ptr<NSView>>(subviews_)) v->drawHierarchy(context, visible);
}

// ---- Events

NSView* NSView::hitTest(NSPoint point) {
  if (hidden_) return nullptr;
  platform::AffineTransform back = transformToSuperview();
  back.invert();
  const NSPoint local = back.transformPoint(point);
  if (!NSMouseInRect(local, bounds(), isFlipped())) return nullptr;
  for (auto it = subviews_.rbegin(); it != subviews_.rend(); ++it)
    if (NSView* hit = (*it)->hitTest(local)) return hit;
  return this;
}

}  // namespace platform::appkit
