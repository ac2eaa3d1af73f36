#include "platform/appkit/PopUpButton.h"

#include <algorithm>
#include <cmath>

#include "platform/appkit/Application.h"
#include "platform/appkit/Window.h"
#include "platform/graphics/BezierPathGeometry.h"

namespace platform::appkit {

namespace {
constexpr double kFontSize = 12;

// The open menu's content: the items top-down, the one under the mouse highlighted.
class MenuView : public NSView {
 public:
  MenuView(NSRect frame, const std::vector<std::string>& items, int selected)
      : NSView(frame), items_(items), highlighted_(selected) {}
  bool isFlipped() const override { return true; }
  bool isOpaque() const override { return true; }
  void setHighlighted(int index) {
    if (index == highlighted_) return;
    highlighted_ = index;
    setNeedsDisplay(true);
  }
  void drawRect(NSRect dirty) override {
    (void)dirty;
    auto* context = platform::GraphicsContext::current();
    if (!context) return;
    context->setFillColor(platform::Color::calibratedWhite(0.97));
    context->fillRect(bounds());
    for (int i = 0; i < int(items_.size()); ++i) {
      const NSRect row = NSMakeRect(0, i * NSPopUpButton::kItemHeight, bounds().size.width, NSPopUpButton::kItemHeight);
      if (i == highlighted_) {
        context->setFillColor(platform::Color::calibratedRGB(0.22, 0.45, 0.85));
        context->fillRect(row);
      }
      const auto m = context->measureText(items_[i], kFontSize);
      context->setFillColor(i == highlighted_ ? platform::Color::whiteColor() : platform::Color::calibratedWhite(0.05));
      context->drawText(items_[i], {8, NSMidY(row) + (m.ascent - m.descent) / 2}, kFontSize);
    }
    context->setFillColor(platform::Color::calibratedWhite(0.55));
    NSFrameRect(bounds());
  }

 private:
  std::vector<std::string> items_;
  int highlighted_;
};
}  // namespace

NSPopUpButton::NSPopUpButton(NSRect frame, bool pullsDown) : NSButton(frame), pullsDown_(pullsDown) {}

void NSPopUpButton::addItemWithTitle(const std::string& title) {
  // A title already there moves to the end, as the platform keeps titles unique.
  if (int at = indexOfItemWithTitle(title); at >= 0) removeItemAtIndex(at);
  items_.push_back(title);
  if (selected_ < 0) selected_ = 0;
  setNeedsDisplay(true);
}

void NSPopUpButton::addItemsWithTitles(const std::vector<std::string>& titles) {
  for (const auto& t : titles) addItemWithTitle(t);
}

void NSPopUpButton::removeItemAtIndex(int index) {
  if (index < 0 || index >= numberOfItems()) return;
  items_.erase(items_.begin() + index);
  if (selected_ > index || selected_ >= numberOfItems()) --selected_;
  if (selected_ < 0 && !items_.empty()) selected_ = 0;
  setNeedsDisplay(true);
}

void NSPopUpButton::removeAllItems() {
  items_.clear();
  selected_ = -1;
  setNeedsDisplay(true);
}

int NSPopUpButton::indexOfItemWithTitle(const std::string& title) const {
  auto it = std::find(items_.begin(), items_.end(), title);
  return it == items_.end() ? -1 : int(it - items_.begin());
}

std::string NSPopUpButton::titleOfSelectedItem() const {
  return selected_ >= 0 && selected_ < numberOfItems() ? items_[selected_] : "";
}

void NSPopUpButton::selectItemAtIndex(int index) {
  if (index < -1 || index >= numberOfItems()) index = -1;
  if (index == selected_) return;
  selected_ = index;
  setNeedsDisplay(true);
}

void NSPopUpButton::selectItemWithTitle(const std::string& title) { selectItemAtIndex(indexOfItemWithTitle(title)); }

void NSPopUpButton::drawRect(NSRect dirtyRect) {
  (void)dirtyRect;
  auto* context = platform::GraphicsContext::current();
  if (!context) return;
  const NSRect b = bounds();
  const double alpha = isEnabled() ? 1 : 0.45;
  platform::BezierPath bezel = platform::bezierPathWithRoundedRect(NSInsetRect(b, 0.5, 0.5), 4);
  context->setFillColor(platform::Color::calibratedWhite(menuOpen_ ? 0.75 : 0.93, alpha));
  context->fillPath(bezel);
  context->setStrokeColor(platform::Color::calibratedWhite(0.4, alpha));
  context->strokePath(bezel);
  const std::string label = pullsDown_ ? title() : titleOfSelectedItem();
  const auto m = context->measureText(label, kFontSize);
  const bool flipped = isFlipped();
  const double baseline = NSMidY(b) + (flipped ? 1 : -1) * (m.ascent - m.descent) / 2;
  context->setFillColor(platform::Color::calibratedWhite(0.05, alpha));
  context->drawText(label, {NSMinX(b) + 8, baseline}, kFontSize);
  // The arrows: a small triangle at the right end.
  platform::BezierPath arrow;
  const double x = NSMaxX(b) - 14, y = NSMidY(b);
  const double up = flipped ? -1 : 1;
  arrow.moveToPoint({x, y + up * 2});
  arrow.lineToPoint({x + 8, y + up * 2});
  arrow.lineToPoint({x + 4, y - up * 3});
  arrow.closePath();
  context->setFillColor(platform::Color::calibratedWhite(0.2, alpha));
  context->fillPath(arrow);
}

void NSPopUpButton::mouseDown(const NSEvent& event) {
  NSWindow* owner = window();
  if (!isEnabled() || items_.empty() || !owner) return;
  auto& app = NSApplication::sharedApplication();

  // The menu opens over the button, the selected item (of a pop-up) over the button's face.
  const NSRect onScreen = owner->convertRectToScreen(convertRectToView(bounds(), nullptr));
  const double width = std::max(onScreen.size.width, 120.0), height = kItemHeight * numberOfItems();
  const int aligned = pullsDown_ || selected_ < 0 ? -1 : selected_;
  const double top = aligned < 0 ? NSMinY(onScreen) : NSMaxY(onScreen) + aligned * kItemHeight;
  menuFrame_ = NSIntegralRect(NSMakeRect(onScreen.origin.x, top - height, width, height));
  NSWindow menu(menuFrame_, NSBorderlessWindowMask, NSBackingStoreBuffered, false);
  menu.setLevel(NSPopUpMenuWindowLevel);
  auto view = std::make_shared<MenuView>(NSMakeRect(0, 0, width, height), items_, aligned);
  menu.setContentView(view);
  menuOpen_ = true;
  setNeedsDisplay(true);
  menu.orderFront();

  auto itemAt = [&](const NSEvent& e) {
    const NSPoint screen = e.window ? e.window->convertBaseToScreen(e.locationInWindow) : e.locationInWindow;
    if (!NSPointInRect(screen, menuFrame_)) return -1;
    return std::clamp(int((NSMaxY(menuFrame_) - screen.y) / kItemHeight), 0, numberOfItems() - 1);
  };
  const double downTime = event.timestamp;
  bool released = false;  // the first release came at once on the button: the menu stays for a click
  int choice = -1;
  for (;;) {
    const NSEventMask mask = NSLeftMouseUpMask | NSLeftMouseDraggedMask | NSLeftMouseDownMask | NSMouseMovedMask |
                             NSKeyDownMask;
    auto next = app.nextEventMatchingMask(mask, RunLoop::distantFuture(), RunLoop::kEventTrackingRunLoopMode, true);
    if (!next) break;
    if (next->type == NSEventType::KeyDown) {
      if (next->characters == "\x1b") break;  // Escape
      continue;
    }
    const int item = itemAt(*next);
    view->setHighlighted(item);
    menu.displayIfNeeded();
    if (next->type == NSEventType::LeftMouseUp) {
      if (item >= 0) {
        choice = item;
        break;
      }
      const NSPoint screen = next->window ? next->window->convertBaseToScreen(next->locationInWindow) : NSPoint{};
      if (!released && next->timestamp - downTime < 0.4 && NSPointInRect(screen, onScreen)) {
        released = true;
        continue;
      }
      break;
    }
    if (next->type == NSEventType::LeftMouseDown && item < 0) break;
  }
  menu.orderOut();
  menuOpen_ = false;
  menuFrame_ = NSZeroRect;
  if (!NSView::exists(this)) return;
  setNeedsDisplay(true);
  if (choice >= 0) {
    chosen_ = choice;
    if (!pullsDown_) selectItemAtIndex(choice);
    sendAction();
  }
}

}  // namespace platform::appkit
