#pragma once
// NSEvent: the record of one mouse, key or scroll event as the application hands it to windows
// and views, with the platform's type numbers, masks and modifier flags.
#include <cstdint>
#include <string>

#include "platform/appkit/Geometry.h"
#include "platform/display/Event.h"

namespace platform::appkit {

class NSWindow;

enum class NSEventType : int {
  Other = 0,
  LeftMouseDown = 1,
  LeftMouseUp = 2,
  RightMouseDown = 3,
  RightMouseUp = 4,
  MouseMoved = 5,
  LeftMouseDragged = 6,
  RightMouseDragged = 7,
  MouseEntered = 8,
  MouseExited = 9,
  KeyDown = 10,
  KeyUp = 11,
  FlagsChanged = 12,
  ApplicationDefined = 15,
  ScrollWheel = 22,
  OtherMouseDown = 25,
  OtherMouseUp = 26,
  OtherMouseDragged = 27,
};

using NSEventMask = uint64_t;
constexpr NSEventMask NSEventMaskFromType(NSEventType type) { return NSEventMask(1) << int(type); }
constexpr NSEventMask NSLeftMouseDownMask = NSEventMaskFromType(NSEventType::LeftMouseDown);
constexpr NSEventMask NSLeftMouseUpMask = NSEventMaskFromType(NSEventType::LeftMouseUp);
constexpr NSEventMask NSRightMouseDownMask = NSEventMaskFromType(NSEventType::RightMouseDown);
constexpr NSEventMask NSRightMouseUpMask = NSEventMaskFromType(NSEventType::RightMouseUp);
constexpr NSEventMask NSMouseMovedMask = NSEventMaskFromType(NSEventType::MouseMoved);
constexpr NSEventMask NSLeftMouseDraggedMask = NSEventMaskFromType(NSEventType::LeftMouseDragged);
constexpr NSEventMask NSRightMouseDraggedMask = NSEventMaskFromType(NSEventType::RightMouseDragged);
constexpr NSEventMask NSKeyDownMask = NSEventMaskFromType(NSEventType::KeyDown);
constexpr NSEventMask NSKeyUpMask = NSEventMaskFromType(NSEventType::KeyUp);
constexpr NSEventMask NSFlagsChangedMask = NSEventMaskFromType(NSEventType::FlagsChanged);
constexpr NSEventMask NSScrollWheelMask = NSEventMaskFromType(NSEventType::ScrollWheel);
constexpr NSEventMask NSAnyEventMask = ~NSEventMask(0);

// Modifier flags.
enum : uint32_t {
  NSAlphaShiftKeyMask = platform::display::kAlphaShiftKeyMask,
  NSShiftKeyMask = platform::display::kShiftKeyMask,
  NSControlKeyMask = platform::display::kControlKeyMask,
  NSAlternateKeyMask = platform::display::kAlternateKeyMask,  // 0x80000, Option
  NSCommandKeyMask = platform::display::kCommandKeyMask,
  NSNumericPadKeyMask = platform::display::kNumericPadKeyMask,
  NSDeviceIndependentModifierFlagsMask = 0xffff0000u,
};

struct NSEvent {
  NSEventType type = NSEventType::Other;
  // In the window's base coordinates: from the bottom-left of its frame, y up.
  NSPoint locationInWindow;
  NSWindow* window = nullptr;
  uint32_t modifierFlags = 0;
  int clickCount = 0;
  int buttonNumber = 0;
  double timestamp = 0;
  // Scroll wheel: lines (deltaY > 0 away from the user, deltaX > 0 to the left) and, from
  // smoothly scrolling devices, pixels.
  double deltaX = 0, deltaY = 0, deltaZ = 0;
  double deviceDeltaX = 0, deviceDeltaY = 0;
  // Keys.
  int keyCode = 0;
  std::string characters;
  std::string charactersIgnoringModifiers;
  bool isARepeat = false;
  int64_t subtype = 0;  // application-defined events

  // mouseEventWithType:location:modifierFlags:…:clickCount: and keyEventWithType:….
  static NSEvent mouseEvent(NSEventType type, NSPoint location, NSWindow* window, uint32_t modifierFlags = 0,
                            int clickCount = 1) {
    NSEvent e;
    e.type = type;
    e.locationInWindow = location;
    e.window = window;
    e.modifierFlags = modifierFlags;
    e.clickCount = clickCount;
    return e;
  }
  static NSEvent keyEvent(NSEventType type, const std::string& characters, NSWindow* window,
                          uint32_t modifierFlags = 0) {
    NSEvent e;
    e.type = type;
    e.window = window;
    e.characters = e.charactersIgnoringModifiers = characters;
    e.modifierFlags = modifierFlags;
    return e;
  }

  bool isMouseDown() const {
    return type == NSEventType::LeftMouseDown || type == NSEventType::RightMouseDown ||
           type == NSEventType::OtherMouseDown;
  }
  bool isMouseUp() const {
    return type == NSEventType::LeftMouseUp || type == NSEventType::RightMouseUp || type == NSEventType::OtherMouseUp;
  }
  bool isMouseEvent() const {
    return (int(type) >= 1 && int(type) <= 9) || int(type) >= 25 || type == NSEventType::ScrollWheel;
  }
  bool isKeyEvent() const {
    return type == NSEventType::KeyDown || type == NSEventType::KeyUp || type == NSEventType::FlagsChanged;
  }
};

}  // namespace platform::appkit
