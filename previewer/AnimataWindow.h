#pragma once
// AnimataWindow: a window with a transition (type and duration defaulted on first read) that it
// plays on itself, and fade actions.
#include <cstdint>

#include "platform/appkit/Window.h"

class AnimataWindow : public platform::appkit::NSWindow {
 public:
  using NSWindow::NSWindow;

  // Reading 0 sets and returns the default: 0.25 s, type 7.
  float transitionDuration();
  void setTransitionDuration(float duration) { transitionDuration_ = duration; }
  int32_t transitionType();
  void setTransitionType(int32_t type) { transitionType_ = type; }
  // Stored and returned; the transition doesn't use it.
  int32_t transitionOptions() const { return transitionOptions_; }
  void setTransitionOptions(int32_t options) { transitionOptions_ = options; }
  long tag() const { return 3; }

  // turn: with the window itself as sender.
  void performTransition();
  // Plays the transition on the window and returns when it is over. The option is the sender's
  // tag with bit 128 set. Fades (types 1 and 5) dip the window's alpha; the other types fold it
  // about its vertical middle and open it again. Frame and alpha end as they were.
  void turn(long senderTag);
  // fadeOutWithDuration: / fadeInWithDuration: 0.25.
  void fadeClosed();
  void fadeOpen();
  void awakeFromNib() {}

  // The last transition's description: type, option, window number, duration.
  struct Transition {
    int32_t type = 0;
    int32_t option = 0;
    int windowNumber = 0;
    float duration = 0;
  };
  const Transition& lastTransition() const { return lastTransition_; }

 private:
  float transitionDuration_ = 0;
  int32_t transitionType_ = 0;
  int32_t transitionOptions_ = 0;
  Transition lastTransition_;
};
