#include "quarn/QuarnInspectorWindowController.h"

#include "quarn/QuarnCore.h"
#include "quarn/QuarnInspectorWindow.h"

QuarnInspectorWindowController& QuarnInspectorWindowController::sharedWindowController() {
  // Kept for the life of the process, as the window it owns.
  static QuarnInspectorWindowController* shared = new QuarnInspectorWindowController();
  return *shared;
}

QuarnInspectorWindowController& QuarnInspectorWindowController::inspectorForQuarnCore(QuarnCore* core) {
  QuarnInspectorWindowController& inspector = sharedWindowController();
  inspector.setQuarncoreObj(core);
  return inspector;
}

QuarnInspectorWindowController::QuarnInspectorWindowController() {
  // What loading the interface file did: the controller wakes and reads its guide.
  controller_.awakeFromNib();
  windowDidLoad();
}

QuarnInspectorWindowController::~QuarnInspectorWindowController() = default;

void QuarnInspectorWindowController::setQuarncoreObj(QuarnCore* core) { controller_.setQuarncoreObj(core); }

bool QuarnInspectorWindowController::isWindowVisible() const { return window_ && window_->isVisible(); }

void QuarnInspectorWindowController::showWindow() {
  if (!window_) window_ = std::make_unique<Window>(controller_);
  window_->makeKeyAndOrderFront();
}

void QuarnInspectorWindowController::orderOut() {
  if (window_) window_->orderOut();
}

void QuarnInspectorWindowController::coreWillBeDestroyed(const QuarnCore* core) {
  QuarnInspectorWindowController& inspector = sharedWindowController();
  if (!core || inspector.controller_.quarncoreObj() != core) return;
  inspector.orderOut();
  inspector.setQuarncoreObj(nullptr);
}
