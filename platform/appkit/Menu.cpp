#include "platform/appkit/Menu.h"

#include <cctype>

namespace platform::appkit {

namespace {
constexpr uint32_t kCommandModifiers = NSShiftKeyMask | NSControlKeyMask | NSAlternateKeyMask | NSCommandKeyMask;

std::string lowered(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}
}  // namespace

bool NSMenuItem::performAction() const {
  if (!enabled_ || !action_) return false;
  action_();
  return true;
}

bool NSMenuItem::matches(const NSEvent& event) const {
  if (event.type != NSEventType::KeyDown || key_.empty()) return false;
  if ((event.modifierFlags & kCommandModifiers) != mask_) return false;
  return lowered(event.charactersIgnoringModifiers) == lowered(key_);
}

NSMenuItem& NSMenu::addItem(NSMenuItem item) {
  items_.push_back(std::move(item));
  return items_.back();
}

NSMenuItem* NSMenu::itemWithTitle(const std::string& title) {
  for (NSMenuItem& item : items_)
    if (item.title() == title) return &item;
  return nullptr;
}

bool NSMenu::performKeyEquivalent(const NSEvent& event) const {
  for (const NSMenuItem& item : items_)
    if (item.isEnabled() && item.matches(event)) return item.performAction();
  return false;
}

}  // namespace platform::appkit
