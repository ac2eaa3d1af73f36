// QuarnView in a window of its own: pixel format, events and full screen.
#include "platform/foundation/Log.h"
#include "quarn/QuarnViewPlatform.h"

bool QuarnView::initWithFrame(QuarnRect) {
  platform::log("Initing OpenGL view");
  platform::log("OpenGL view not created... terminating");
  return false;
}

std::uint32_t QuarnView::windowID() const { return 0; }
void QuarnView::setTitle(const std::string&) {}
bool QuarnView::cursorHidden() const { return false; }
void QuarnView::keyDown(const QuarnEvent& event) { (void)event.characters.c_str()[0]; }
void QuarnView::mouseDown(const QuarnEvent&) {}
void QuarnView::toggleFullScreenMode(const void*) {}
void QuarnView::fadeOut() { _faded = true; }
void QuarnView::fadeIn() { _faded = false; }
void QuarnView::setScreenModeCGL() {}
