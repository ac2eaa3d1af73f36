#pragma once
// The SDL video subsystem, started on first need: the desktop's driver when there is one, else
// SDL's offscreen driver, so programs run without a display too.
namespace platform::appkit {

// True when SDL video is running (starting it now if needed).
bool startDisplay();
bool displayStarted();

}  // namespace platform::appkit
