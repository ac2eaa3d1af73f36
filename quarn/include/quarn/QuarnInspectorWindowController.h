#pragma once
// The live inspector's window: one per process, made on first use and kept for the life of the
// process; it shows whichever core was handed to it last. A core's (or view's) toggleInspector
// shows it with that core or hides it. It is a window of its own, drawn with Dear ImGui on the
// main run loop: a tab per registry with a table of object properties, the scene outline, the
// buttons of QuarnCoreController, colour editors with opacity, a texture preview and the guide.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "quarn/QuarnCoreController.h"

class QuarnCore;

class QuarnInspectorWindowController {
 public:
  static QuarnInspectorWindowController& sharedWindowController();
  // The shared controller after handing it the core.
  static QuarnInspectorWindowController& inspectorForQuarnCore(QuarnCore* core);

  // Passes the core on to the QuarnCoreController.
  void setQuarncoreObj(QuarnCore* core);
  QuarnCoreController& QuarnCoreControllerObj() { return controller_; }

  bool isWindowVisible() const;
  // Makes the window key and orders it front (creating it on first use); without a display the
  // window stays hidden and one line is logged.
  void showWindow();
  void orderOut();
  void windowDidLoad() {}
  void windowWillClose() {}

  // A core is going away (its view is being torn down): the inspector lets go of it and hides.
  static void coreWillBeDestroyed(const QuarnCore* core);

  // The inspector window's id in the window system (the X11 window id, for tools such as
  // xdotool; 0 before it is made), the frames it has drawn, and where a named control (a
  // button's label such as "New Model", "tab:models", "row:models:0", "outline:Scene") was drawn in
  // the last frame, in pixels from the window's top-left corner.
  unsigned long systemWindowID() const;
  std::uint64_t framesDrawn() const;
  std::optional<QuarnRect> controlFrame(const std::string& name) const;

  // The window side (defined where the window is built).
  struct Window;

 private:
  QuarnInspectorWindowController();
  ~QuarnInspectorWindowController();

  QuarnCoreController controller_;
  std::unique_ptr<Window> window_;
};
