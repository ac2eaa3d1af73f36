#pragma once
// The inspector's window (internal): a platform window with its own GL context, drawn with Dear
// ImGui from the main run loop while visible.
#include "quarn/QuarnInspectorWindowController.h"

struct QuarnInspectorWindowController::Window {
  explicit Window(QuarnCoreController& controller);
  ~Window();
  bool isVisible() const;
  void makeKeyAndOrderFront();
  void orderOut();

  struct State;
  std::unique_ptr<State> state;
};
