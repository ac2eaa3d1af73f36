#pragma once
// NSView: a rectangle of a window with its own coordinates (frame in the superview's, bounds of
// its own, flipped or not), drawn with the graphics layer's context in drawRect: when marked
// dirty, resized by its autoresizing mask, hit-tested for mouse events, and a responder.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/appkit/Geometry.h"
#include "platform/appkit/Responder.h"
#include "platform/graphics/AffineTransform.h"
#include "platform/graphics/GraphicsContext.h"

namespace platform::appkit {

class NSWindow;

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

// Where addSubview puts a view among its siblings (also used to order child windows).
enum NSWindowOrderingMode { NSWindowBelow = -1, NSWindowOut = 0, NSWindowAbove = 1 };

// Posted (object: the view) after a view's frame changes.
inline const std::string NSViewFrameDidChangeNotification = "NSViewFrameDidChangeNotification";

class NSView : public NSResponder {
 public:
  explicit NSView(NSRect frame = {});
  ~NSView() override;
  NSView(const NSView&) = delete;
  NSView& operator=(const NSView&) = delete;

  // Whether a view object is alive (windows keep plain pointers to views they route events to).
  static bool exists(const NSView* view);

  // ---- Geometry
  NSRect frame() const { return frame_; }
  virtual void setFrame(NSRect frame);
  void setFrameOrigin(NSPoint origin) { setFrame({origin, frame_.size}); }
  void setFrameSize(NSSize size) { setFrame({frame_.origin, size}); }
  NSRect bounds() const { return {boundsOrigin_, frame_.size}; }
  void setBoundsOrigin(NSPoint origin);
  // Moves the bounds' origin so that `point` of the current coordinates becomes the new origin.
  void translateOriginToPoint(NSPoint point);
  // A flipped view's y runs top-down from the top of its bounds.
  virtual bool isFlipped() const { return false; }
  unsigned autoresizingMask() const { return autoresizingMask_; }
  void setAutoresizingMask(unsigned mask) { autoresizingMask_ = mask; }
  bool autoresizesSubviews() const { return autoresizesSubviews_; }
  void setAutoresizesSubviews(bool resizes) { autoresizesSubviews_ = resizes; }
  // Follows the superview's size change by the autoresizing mask: the flexible parts of each axis
  // share the change equally.
  virtual void resizeWithOldSuperviewSize(NSSize oldSize);
  virtual void resizeSubviewsWithOldSize(NSSize oldSize);
  bool postsFrameChangedNotifications() const { return postsFrameChanged_; }
  void setPostsFrameChangedNotifications(bool posts) { postsFrameChanged_ = posts; }

  // ---- Hierarchy. A view keeps its subviews alive; later subviews lie above earlier ones.
  void addSubview(std::shared_ptr<NSView> view);
  void addSubview(std::shared_ptr<NSView> view, NSWindowOrderingMode place, const NSView* relativeTo);
  void removeFromSuperview();
  const std::vector<std::shared_ptr<NSView>>& subviews() const { return subviews_; }
  NSView* superview() const { return superview_; }
  NSWindow* window() const;
  // Only the window calls this, for its content view.
  void setWindow(NSWindow* window);
  bool isDescendantOf(const NSView* view) const;
  virtual long tag() const { return -1; }
  NSView* viewWithTag(long tag);
  // Told after the view (or an ancestor) joined or left a window.
  virtual void viewDidMoveToWindow() {}

  bool isHidden() const { return hidden_; }
  void setHidden(bool hidden);
  bool isHiddenOrHasHiddenAncestor() const;

  NSView* nextKeyView() const { return exists(nextKeyView_) ? nextKeyView_ : nullptr; }
  void setNextKeyView(NSView* view);
  NSView* previousKeyView() const { return exists(previousKeyView_) ? previousKeyView_ : nullptr; }

  // Sent once after the view is made, as to views loaded from an interface file.
  virtual void awakeFromNib() {}

  // ---- Coordinates. A null view stands for the window's base coordinates.
  NSPoint convertPointFromView(NSPoint point, const NSView* view) const;
  NSPoint convertPointToView(NSPoint point, const NSView* view) const;
  NSRect convertRectFromView(const NSRect& rect, const NSView* view) const;
  NSRect convertRectToView(const NSRect& rect, const NSView* view) const;
  // From this view's coordinates to its superview's, and to the window's base coordinates.
  platform::AffineTransform transformToSuperview() const;
  platform::AffineTransform transformToWindow() const;
  // The part of the bounds not clipped by the ancestors.
  NSRect visibleRect() const;

  // ---- Drawing
  // Draws the view's content within `dirtyRect` (its own coordinates) into the current graphics
  // context, which the window has set up: origin and flipping of this view, clipped to it.
  virtual void drawRect(NSRect dirtyRect) { (void)dirtyRect; }
  // Opaque views paint every pixel of their bounds (nothing beneath them shows).
  virtual bool isOpaque() const { return false; }
  bool needsDisplay() const { return needsDisplay_; }
  void setNeedsDisplay(bool needs);
  void setNeedsDisplayInRect(NSRect rect);
  // Draws now what is dirty in the view's window (display draws the whole view).
  void display();
  void displayIfNeeded();

  // ---- Events
  // The deepest visible view under `point` (in the superview's coordinates), or null.
  virtual NSView* hitTest(NSPoint point);
  virtual bool acceptsFirstMouse(const NSEvent* event) {
    (void)event;
    return false;
  }
  // Whether a mouse-down here may drag a window movable by its background.
  virtual bool mouseDownCanMoveWindow() const { return !isOpaque(); }
  virtual bool needsPanelToBecomeKey() const { return false; }

  // The window draws its views through this: the view and then its subviews, clipped to
  // `dirtyInWindow` (base coordinates).
  void drawHierarchy(platform::GraphicsContext& context, const NSRect& dirtyInWindow);

 private:
  void notifyMovedToWindow();

  NSRect frame_;
  NSPoint boundsOrigin_;
  unsigned autoresizingMask_ = NSViewNotSizable;
  bool autoresizesSubviews_ = true;
  bool postsFrameChanged_ = true;
  bool hidden_ = false;
  bool needsDisplay_ = true;
  std::vector<std::shared_ptr<NSView>> subviews_;
  NSView* superview_ = nullptr;
  NSWindow* window_ = nullptr;
  NSView* nextKeyView_ = nullptr;
  NSView* previousKeyView_ = nullptr;
};

}  // namespace platform::appkit
