#pragma once
// The inspector drawn with Dear ImGui (internal): buttons, the scene outline, a tab per registry
// with a table of object properties, popups from the mode lists, colour editors with opacity,
// the texture preview, fog controls and the guide. Drawing only reads the scene; every edit and
// action is queued and run afterwards by performQueued, with the inspected view's context
// current (they create GL objects or set GL state).
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "quarn/QuarnCoreController.h"
#include "quarn/QuarnTypes.h"

class QuarnInspectorUI {
 public:
  explicit QuarnInspectorUI(QuarnCoreController& controller) : controller_(controller) {}

  // One frame, between ImGui::NewFrame and ImGui::Render, filling a display of that size.
  void draw(QuarnSize displaySize);
  void performQueued();
  bool hasQueued() const { return !queue_.empty(); }
  void discardQueued() { queue_.clear(); }

  // Where a named control (a button's label, a tab's identifier) was drawn in the last frame,
  // in pixels from the window's top-left corner.
  std::optional<QuarnRect> controlFrame(const std::string& name) const;

 private:
  void drawButtons();
  void drawFog();
  void drawOutline();
  void drawOutlineNode(const QuarnNode* item);
  void drawTabs();
  void drawTable(const std::string& tab);
  void drawCell(const std::string& tab, const std::string& column, int row);
  void drawTexturePreview();
  bool button(const char* label);
  void remember(const std::string& name);
  void queue(std::function<void()> work) { queue_.push_back(std::move(work)); }
  void queueEdit(const std::string& tab, const std::string& column, int row, QuarnValue value);

  QuarnCoreController& controller_;
  std::vector<std::function<void()>> queue_;
  std::map<std::string, QuarnRect> frames_;
  QuarnControlState lightingSwitch_;
};
