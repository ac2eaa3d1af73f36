#include "quarn/QuarnInspectorWindow.h"

#include "platform/foundation/Log.h"

struct QuarnInspectorWindowController::Window::State {
  QuarnCoreController& controller;
};

QuarnInspectorWindowController::Window::Window(QuarnCoreController& controller)
    : state(new State{controller}) {}

QuarnInspectorWindowController::Window::~Window() = default;

bool QuarnInspectorWindowController::Window::isVisible() const { return false; }

void QuarnInspectorWindowController::Window::makeKeyAndOrderFront() {
  platform::log("QuarnInspectorWindowController: no display for the inspector window");
}

void QuarnInspectorWindowController::Window::orderOut() {}
