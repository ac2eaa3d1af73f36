#pragma once
// NSResponder: the chain that events travel along. Each handler does what the object wants with
// the event; by default it hands the event to the next responder (a view's superview, then its
// window), so an event nobody takes falls off the end of the chain.
#include "platform/appkit/Event.h"

namespace platform::appkit {

class NSResponder {
 public:
  virtual ~NSResponder() = default;
  NSResponder* nextResponder() const { return nextResponder_; }
  void setNextResponder(NSResponder* r) { nextResponder_ = r; }

  virtual bool acceptsFirstResponder() { return false; }
  virtual bool becomeFirstResponder() { return true; }
  virtual bool resignFirstResponder() { return true; }

  virtual void mouseDown(const NSEvent& e) { forward(&NSResponder::mouseDown, e); }
  virtual void mouseDragged(const NSEvent& e) { forward(&NSResponder::mouseDragged, e); }
  virtual void mouseUp(const NSEvent& e) { forward(&NSResponder::mouseUp, e); }
  virtual void rightMouseDown(const NSEvent& e) { forward(&NSResponder::rightMouseDown, e); }
  virtual void rightMouseDragged(const NSEvent& e) { forward(&NSResponder::rightMouseDragged, e); }
  virtual void rightMouseUp(const NSEvent& e) { forward(&NSResponder::rightMouseUp, e); }
  virtual void otherMouseDown(const NSEvent& e) { forward(&NSResponder::otherMouseDown, e); }
  virtual void otherMouseDragged(const NSEvent& e) { forward(&NSResponder::otherMouseDragged, e); }
  virtual void otherMouseUp(const NSEvent& e) { forward(&NSResponder::otherMouseUp, e); }
  virtual void mouseMoved(const NSEvent& e) { forward(&NSResponder::mouseMoved, e); }
  virtual void mouseEntered(const NSEvent& e) { forward(&NSResponder::mouseEntered, e); }
  virtual void mouseExited(const NSEvent& e) { forward(&NSResponder::mouseExited, e); }
  virtual void scrollWheel(const NSEvent& e) { forward(&NSResponder::scrollWheel, e); }
  virtual void keyDown(const NSEvent& e) { forward(&NSResponder::keyDown, e); }
  virtual void keyUp(const NSEvent& e) { forward(&NSResponder::keyUp, e); }
  virtual void flagsChanged(const NSEvent& e) { forward(&NSResponder::flagsChanged, e); }

 protected:
  // A chain that loops back on itself ends after a bounded number of steps.
  void forward(void (NSResponder::*handler)(const NSEvent&), const NSEvent& e) {
    static thread_local int depth = 0;
    if (!nextResponder_ || nextResponder_ == this || depth >= 64) return;
    ++depth;
    (nextResponder_->*handler)(e);
    --depth;
  }

 private:
  NSResponder* nextResponder_ = nullptr;
};

}  // namespace platform::appkit
