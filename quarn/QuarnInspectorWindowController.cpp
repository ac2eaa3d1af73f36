#include "quarn/QuarnInspectorWindowController.h"

#include "quarn/QuarnCore.h"
#include "quarn/QuarnInspectorWindow.h"

namespace {
QuarnInspectorWindowController* gShared = nullptr;  // made on first use, kept for the process
}  // namespace

QuarnInspectorWindowController& QuarnInspectorWindowController::sharedWindowController() {
  if (!gShared) gShared = new QuarnInspectorWindowController();
  return *gShared;
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
  if (!gShared || !core || gShared->controller_.quarncoreObj() != core) return;
  gShared->orderOut();
  gShared->setQuarncoreObj(nullptr);
}

unsigned long QuarnInspectorWindowController::systemWindowID() const { return window_ ? window_->systemWindowID() : 0; }

std::uint64_t QuarnInspectorWindowController::framesDrawn() const { return window_ ? window_->framesDrawn() : 0; }

std::optional<QuarnRect> QuarnInspectorWindowController::controlFrame(const std::string& name) const {
  return window_ ? window_->controlFrame(name) : std::nullopt;
}
