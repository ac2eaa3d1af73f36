#pragma once
// The platform's input and window events as the display delivers them. Mouse, key and scroll
// event types carry the platform's numbers, so masks of them (1 << type) mean what they mean
// there (left-mouse-up | left-mouse-dragged = 68).
#include <cstdint>
#include <string>

namespace platform::display {

enum class EventType : int {
  None = 0,
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
  // Window events: delivered to the window's handlers as they arrive, never queued.
  WindowResized = 40,   // width, height: the new size of the window's client area
  WindowMoved = 41,     // x, y: the new top-left corner on the screen
  WindowExposed = 42,   // the window's pixels must be drawn again
  WindowCloseRequested = 43,
  WindowFocusGained = 44,
  WindowFocusLost = 45,
  // Application events: queued, delivered to the handlers of no window.
  QuitRequested = 60,
  FileDropped = 61,  // path; windowId: the window it was dropped on
};

using EventMask = uint64_t;
constexpr EventMask eventMaskFromType(EventType type) {
  return int(type) >= 0 && int(type) < 64 ? EventMask(1) << int(type) : 0;
}
constexpr EventMask kAnyEventMask = ~EventMask(0);

// Modifier flag bits, as the platform numbers them.
enum : uint32_t {
  kAlphaShiftKeyMask = 1u << 16,
  kShiftKeyMask = 1u << 17,
  kControlKeyMask = 1u << 18,
  kAlternateKeyMask = 1u << 19,
  kCommandKeyMask = 1u << 20,
  kNumericPadKeyMask = 1u << 21,
};

// Characters of keys that have none of their own, as the platform gives them.
enum : char32_t {
  kUpArrowFunctionKey = 0xF700,
  kDownArrowFunctionKey = 0xF701,
  kLeftArrowFunctionKey = 0xF702,
  kRightArrowFunctionKey = 0xF703,
  kF1FunctionKey = 0xF704,
  kDeleteFunctionKey = 0xF728,
  kHomeFunctionKey = 0xF729,
  kEndFunctionKey = 0xF72B,
  kPageUpFunctionKey = 0xF72C,
  kPageDownFunctionKey = 0xF72D,
};

struct Event {
  EventType type = EventType::None;
  uint32_t windowId = 0;   // the native window (NativeWindow::id()); 0 for none
  double timestamp = 0;    // seconds since the display started
  // Mouse position in the window's client area, in pixels from its top-left corner.
  double x = 0, y = 0;
  int buttonNumber = 0;    // 0 left, 1 right, 2 middle, then further buttons
  int clickCount = 0;      // 1, 2 (double click), ... for mouse down and up
  uint32_t modifierFlags = 0;
  // Scroll wheel, with the platform's signs: deltaY > 0 when the wheel turns away from the
  // user, deltaX > 0 when scrolled to the left. Line deltas are whole notches; device deltas
  // are in pixels, from devices that scroll smoothly (0 when the device has only notches).
  double deltaX = 0, deltaY = 0;
  double deviceDeltaX = 0, deviceDeltaY = 0;
  // Keys: the display's key code, the text the key gives with and without modifiers (UTF-8).
  int keyCode = 0;
  std::string characters;
  std::string charactersIgnoringModifiers;
  bool isARepeat = false;
  // WindowResized: size; WindowMoved: x and y above hold the new position.
  int width = 0, height = 0;
  // FileDropped.
  std::string path;
  // ApplicationDefined: free for the poster.
  int64_t subtype = 0;
};

}  // namespace platform::display
