#pragma once
// XResponsiveView: a view that takes the first click and key focus at once, even in a panel.
#include "platform/appkit/View.h"

class XResponsiveView : public platform::appkit::NSView {
 public:
  using NSView::NSView;
  bool acceptsFirstResponder() override { return true; }
  bool acceptsFirstMouse(const platform::appkit::NSEvent* event) override {
    (void)event;
    return true;
  }
  bool needsPanelToBecomeKey() const override { return true; }
};
