#pragma once
// NSMenu and NSMenuItem, as far as a window-only application uses them: the main menu's commands
// and their key equivalents, which the application tries before a key-down goes to its window.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/appkit/Event.h"

namespace platform::appkit {

class NSMenuItem {
 public:
  // keyEquivalent: the character typed (lower case for letters, " " for the space bar);
  // modifierMask: the modifier keys held with it, exactly (NSControlKeyMask, NSShiftKeyMask, ...).
  NSMenuItem(std::string title, std::function<void()> action, std::string keyEquivalent, uint32_t modifierMask)
      : title_(std::move(title)), action_(std::move(action)), key_(std::move(keyEquivalent)), mask_(modifierMask) {}

  const std::string& title() const { return title_; }
  const std::string& keyEquivalent() const { return key_; }
  uint32_t keyEquivalentModifierMask() const { return mask_; }
  bool isEnabled() const { return enabled_; }
  void setEnabled(bool enabled) { enabled_ = enabled; }
  // Sends the item's action; false when it is disabled or has none.
  bool performAction() const;
  // Whether a key-down event types this item's key equivalent.
  bool matches(const NSEvent& event) const;

 private:
  std::string title_;
  std::function<void()> action_;
  std::string key_;
  uint32_t mask_;
  bool enabled_ = true;
};

class NSMenu {
 public:
  explicit NSMenu(std::string title = {}) : title_(std::move(title)) {}
  const std::string& title() const { return title_; }
  NSMenuItem& addItem(NSMenuItem item);
  const std::vector<NSMenuItem>& items() const { return items_; }
  NSMenuItem* itemWithTitle(const std::string& title);
  // Sends the action of the enabled item whose key equivalent the event types; true when one did.
  bool performKeyEquivalent(const NSEvent& event) const;

 private:
  std::string title_;
  std::vector<NSMenuItem> items_;
};

}  // namespace platform::appkit
