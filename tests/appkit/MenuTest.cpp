// The main menu's key equivalents: taken before the key window sees the key, exactly matching
// modifiers, disabled items and modal sessions left alone.
#include <gtest/gtest.h>

#include "platform/appkit/Application.h"
#include "platform/appkit/Menu.h"
#include "platform/appkit/Window.h"

using namespace platform::appkit;

namespace {

class KeyWindow : public NSWindow {
 public:
  using NSWindow::NSWindow;
  void keyDown(const NSEvent& e) override { keys += e.charactersIgnoringModifiers; }
  std::string keys;
};

NSEvent key(const std::string& c, NSWindow* w, uint32_t flags = 0) {
  NSEvent e = NSEvent::keyEvent(NSEventType::KeyDown, c, w, flags);
  return e;
}

}  // namespace

TEST(AppKitMenu, KeyEquivalentsRunTheirCommandBeforeTheWindowSeesTheKey) {
  auto& app = NSApplication::sharedApplication();
  app.reset();
  KeyWindow w(NSMakeRect(0, 0, 100, 100), NSTitledWindowMask, NSBackingStoreBuffered, false);
  std::vector<std::string> ran;
  auto menu = std::make_shared<NSMenu>("App");
  menu->addItem(NSMenuItem("Open...", [&] { ran.push_back("open"); }, "o", NSControlKeyMask));
  menu->addItem(NSMenuItem("Play/Pause", [&] { ran.push_back("toggle"); }, " ", 0));
  NSMenuItem& quit = menu->addItem(NSMenuItem("Quit", [&] { ran.push_back("quit"); }, "q", NSControlKeyMask));
  app.setMainMenu(menu);

  app.sendEvent(key("o", &w, NSControlKeyMask));
  app.sendEvent(key("O", &w, NSControlKeyMask | NSAlphaShiftKeyMask));  // caps lock doesn't matter
  app.sendEvent(key(" ", &w));
  EXPECT_EQ(ran, (std::vector<std::string>{"open", "open", "toggle"}));
  EXPECT_EQ(w.keys, "");
  // Other modifiers, or none where one is wanted: the key goes to the window.
  app.sendEvent(key("o", &w));
  app.sendEvent(key("o", &w, NSControlKeyMask | NSShiftKeyMask));
  app.sendEvent(key(" ", &w, NSControlKeyMask));
  EXPECT_EQ(w.keys, "oo ");
  EXPECT_EQ(ran.size(), 3u);
  // Key-ups are no commands; a disabled item passes the key on.
  NSEvent up = key("q", &w, NSControlKeyMask);
  up.type = NSEventType::KeyUp;
  app.sendEvent(up);
  quit.setEnabled(false);
  app.sendEvent(key("q", &w, NSControlKeyMask));
  EXPECT_EQ(ran.size(), 3u);
  EXPECT_EQ(w.keys, "oo q");
  EXPECT_NE(menu->itemWithTitle("Quit"), nullptr);
  app.reset();
  EXPECT_FALSE(app.mainMenu());
}

TEST(AppKitMenu, AModalSessionKeepsTheMenusCommandsAway) {
  auto& app = NSApplication::sharedApplication();
  app.reset();
  KeyWindow w(NSMakeRect(0, 0, 100, 100), NSTitledWindowMask, NSBackingStoreBuffered, false);
  int opened = 0;
  auto menu = std::make_shared<NSMenu>();
  menu->addItem(NSMenuItem("Open...", [&] { ++opened; }, "o", NSControlKeyMask));
  app.setMainMenu(menu);
  NSApplication::ModalSession* session = app.beginModalSessionForWindow(w);
  app.sendEvent(key("o", &w, NSControlKeyMask));
  EXPECT_EQ(opened, 0);
  EXPECT_EQ(w.keys, "o");  // the modal window itself still gets its keys
  app.endModalSession(session);
  app.sendEvent(key("o", &w, NSControlKeyMask));
  EXPECT_EQ(opened, 1);
  app.reset();
}
