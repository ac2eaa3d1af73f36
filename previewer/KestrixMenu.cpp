// Kestrix: the application's commands, as the interface definition would give them.
#include "platform/appkit/Application.h"
#include "previewer/Kestrix.h"

using namespace platform::appkit;

void Kestrix::setupMainMenu() {
  auto menu = std::make_shared<NSMenu>("Kestrix");
  menu->addItem(NSMenuItem("Open...", [this] { runOpenPanel(); }, "o", NSControlKeyMask));
  menu->addItem(NSMenuItem("Play/Pause", [this] { togglePlayback(); }, " ", 0));
  menu->addItem(NSMenuItem("Quit Kestrix", [] { NSApplication::sharedApplication().terminate(); }, "q", NSControlKeyMask));
  NSApplication::sharedApplication().setMainMenu(menu);
}

void Kestrix::togglePlayback() {
  if (!movie) return;
  if (movie->rate() > 0)
    pause();
  else
    unpause();
}
