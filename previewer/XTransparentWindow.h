#pragma once
// XTransparentWindow: the borderless heads-up window: clear background, floating level, moved by
// dragging its background, resized by the 20 × 20 grip in its bottom-right corner (and kept on the
// screen's visible area when a resize ends), with optional close and utility-menu buttons.
#include "platform/appkit/Button.h"
#include "platform/appkit/ImageView.h"
#include "platform/appkit/PopUpButton.h"
#include "previewer/AnimataWindow.h"

class XTransparentWindow : public AnimataWindow {
 public:
  using NSRect = platform::appkit::NSRect;
  using NSPoint = platform::appkit::NSPoint;
  using NSEvent = platform::appkit::NSEvent;

  // The caller's style mask is ignored: no title bar (style mask 2048), buffered backing.
  XTransparentWindow(NSRect contentRect, unsigned styleMask, platform::appkit::NSBackingStoreType backing, bool defer);

  void awakeFromNib() { setup(); }
  // Once: clear and not opaque, movable by its background, floating level, stays when the
  // application is inactive, resizeable when it has a grip image, no utility button.
  void setup();

  bool canBecomeKeyWindow() const override { return true; }
  bool canBecomeMainWindow() const override { return false; }
  bool isExcludedFromWindowsMenu() const override { return false; }
  bool acceptsFirstResponder() override { return true; }
  bool acceptsFirstMouse() const { return true; }

  bool isResizeable() const { return isResizeable_; }
  void setIsResizeable(bool resizeable);
  bool showsUtilityMenuButton() const { return showsUtilityMenuButton_; }
  void setShowsUtilityMenuButton(bool shows);
  // The title is drawn by the content view.
  void setTitle(const std::string& title) override;

  // Outlets, as the interface definition connects them (may stay null).
  platform::appkit::NSImageView* dragResizeImageView() const { return dragResizeImageView_; }
  void setDragResizeImageView(platform::appkit::NSImageView* view) { dragResizeImageView_ = view; }
  platform::appkit::NSButton* closeButton() const { return closeButton_; }
  void setCloseButton(platform::appkit::NSButton* button) { closeButton_ = button; }
  platform::appkit::NSPopUpButton* utilityPopUpButton() const { return utilityPopUpButton_; }
  void setUtilityPopUpButton(platform::appkit::NSPopUpButton* button) { utilityPopUpButton_ = button; }

  // Key presses stop here.
  void keyDown(const NSEvent& event) override;
  // Corner resizing.
  void sendEvent(const NSEvent& event) override;
  void mouseDown(const NSEvent& event) override;
  void mouseDragged(const NSEvent& event) override;
  void mouseUp(const NSEvent& event) override;

  NSRect initialFrame() const { return initialFrame_; }
  NSPoint initialLocation() const { return initialLocation_; }
  NSPoint initialLocationOnScreen() const { return initialLocationOnScreen_; }
  bool shouldDrag() const { return shouldDrag_; }
  bool isSetup() const { return isSetup_; }

 private:
  bool inGrip(NSPoint locationInWindow, const NSRect& frame) const;

  NSRect initialFrame_;
  NSPoint initialLocation_;
  NSPoint initialLocationOnScreen_;
  bool shouldDrag_ = false;
  bool isResizeable_ = false;
  bool showsUtilityMenuButton_ = false;
  bool isSetup_ = false;
  platform::appkit::NSImageView* dragResizeImageView_ = nullptr;
  platform::appkit::NSButton* closeButton_ = nullptr;
  platform::appkit::NSPopUpButton* utilityPopUpButton_ = nullptr;
};
