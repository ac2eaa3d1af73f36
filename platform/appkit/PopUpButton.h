#pragma once
// NSPopUpButton: a button showing the selected one of a list of items; pressing it opens the list
// as a menu window over the button, tracked in the event-tracking run-loop mode. Releasing the
// mouse on an item selects it and sends the action; releasing it at once on the button leaves the
// menu open for a click; a release or click anywhere else closes it. A pull-down button keeps its
// title and only reports the item chosen.
#include <string>
#include <vector>

#include "platform/appkit/Button.h"

namespace platform::appkit {

class NSPopUpButton : public NSButton {
 public:
  explicit NSPopUpButton(NSRect frame = {}, bool pullsDown = false);

  bool pullsDown() const { return pullsDown_; }
  void setPullsDown(bool pulls) { pullsDown_ = pulls; }
  void addItemWithTitle(const std::string& title);
  void addItemsWithTitles(const std::vector<std::string>& titles);
  void removeItemAtIndex(int index);
  void removeAllItems();
  int numberOfItems() const { return int(items_.size()); }
  const std::vector<std::string>& itemTitles() const { return items_; }
  int indexOfItemWithTitle(const std::string& title) const;
  // -1 when nothing is selected.
  int indexOfSelectedItem() const { return selected_; }
  std::string titleOfSelectedItem() const;
  void selectItemAtIndex(int index);
  void selectItemWithTitle(const std::string& title);

  // The item last chosen from the menu (a pull-down's choice; the selection of a pop-up).
  int indexOfChosenItem() const { return chosen_; }
  // The menu's frame on the screen while it is open (empty when closed).
  NSRect menuFrame() const { return menuFrame_; }
  bool isMenuOpen() const { return menuOpen_; }
  static constexpr double kItemHeight = 20;

  KVValue objectValue() const override { return KVValue(selected_); }
  void setObjectValue(const KVValue& value) override { selectItemAtIndex(static_cast<int>(value.integerValue())); }

  void drawRect(NSRect dirtyRect) override;
  void mouseDown(const NSEvent& event) override;

 private:
  std::vector<std::string> items_;
  int selected_ = -1;
  int chosen_ = -1;
  bool pullsDown_ = false;
  bool menuOpen_ = false;
  NSRect menuFrame_;
};

}  // namespace platform::appkit
