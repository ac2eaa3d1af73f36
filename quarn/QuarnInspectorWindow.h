#pragma once
// The inspector's window (internal): a window of the display with its own GL context (sharing
// textures with the inspected view's), drawn with Dear ImGui from a timer of the main run loop
// while it is visible.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "quarn/QuarnInspectorWindowController.h"

struct QuarnInspectorWindowController::Window {
  explicit Window(QuarnCoreController& controller);
  ~Window();
  bool isVisible() const;
  void makeKeyAndOrderFront();
  void orderOut();
  // One frame of the inspector, then the edits and actions it queued.
  void drawFrame();
  unsigned long systemWindowID() const;
  std::uint64_t framesDrawn() const;
  std::optional<QuarnRect> controlFrame(const std::string& name) const;

  struct State;
  std::unique_ptr<State> state;
};
