#include "platform/display/EventPump.h"

#include <algorithm>

#include "platform/display/SDLLibrary.h"

namespace platform::display {

namespace {

uint32_t windowIdOf(const SDL_Event& e) {
  switch (e.type) {
    case SDL_WINDOWEVENT: return e.window.windowID;
    case SDL_KEYDOWN:
    case SDL_KEYUP: return e.key.windowID;
    case SDL_TEXTEDITING: return e.edit.windowID;
    case SDL_TEXTINPUT: return e.text.windowID;
    case SDL_MOUSEMOTION: return e.motion.windowID;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: return e.button.windowID;
    case SDL_MOUSEWHEEL: return e.wheel.windowID;
    case SDL_DROPFILE:
    case SDL_DROPTEXT:
    case SDL_DROPBEGIN:
    case SDL_DROPCOMPLETE: return e.drop.windowID;
    default: return 0;
  }
}

uint32_t modifierFlags(Uint16 mod) {
  uint32_t flags = 0;
  if (mod & KMOD_SHIFT) flags |= kShiftKeyMask;
  if (mod & KMOD_CTRL) flags |= kControlKeyMask;
  if (mod & KMOD_ALT) flags |= kAlternateKeyMask;
  if (mod & KMOD_GUI) flags |= kCommandKeyMask;
  if (mod & KMOD_CAPS) flags |= kAlphaShiftKeyMask;
  return flags;
}

std::string utf8(char32_t c) {
  std::string s;
  if (c < 0x80) {
    s += char(c);
  } else if (c < 0x800) {
    s += char(0xC0 | (c >> 6));
    s += char(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    s += char(0xE0 | (c >> 12));
    s += char(0x80 | ((c >> 6) & 0x3F));
    s += char(0x80 | (c & 0x3F));
  } else {
    s += char(0xF0 | (c >> 18));
    s += char(0x80 | ((c >> 12) & 0x3F));
    s += char(0x80 | ((c >> 6) & 0x3F));
    s += char(0x80 | (c & 0x3F));
  }
  return s;
}

// The character a key gives without modifiers; 0 for modifier keys and keys without one.
char32_t keyCharacter(SDL_Keycode sym) {
  switch (sym) {
    case SDLK_RETURN: return U'\r';
    case SDLK_KP_ENTER: return U'\x03';
    case SDLK_TAB: return U'\t';
    case SDLK_BACKSPACE: return U'\x7f';
    case SDLK_ESCAPE: return U'\x1b';
    case SDLK_DELETE: return kDeleteFunctionKey;
    case SDLK_UP: return kUpArrowFunctionKey;
    case SDLK_DOWN: return kDownArrowFunctionKey;
    case SDLK_LEFT: return kLeftArrowFunctionKey;
    case SDLK_RIGHT: return kRightArrowFunctionKey;
    case SDLK_HOME: return kHomeFunctionKey;
    case SDLK_END: return kEndFunctionKey;
    case SDLK_PAGEUP: return kPageUpFunctionKey;
    case SDLK_PAGEDOWN: return kPageDownFunctionKey;
    default: break;
  }
  if (sym >= SDLK_F1 && sym <= SDLK_F12) return kF1FunctionKey + (sym - SDLK_F1);
  if (sym >= 32 && sym < 127) return char32_t(sym);
  return 0;
}

bool isModifierKey(SDL_Keycode sym) {
  switch (sym) {
    case SDLK_LSHIFT: case SDLK_RSHIFT: case SDLK_LCTRL: case SDLK_RCTRL: case SDLK_LALT: case SDLK_RALT:
    case SDLK_LGUI: case SDLK_RGUI: case SDLK_CAPSLOCK: case SDLK_MODE: return true;
    default: return false;
  }
}

int buttonNumber(Uint8 sdlButton) {
  switch (sdlButton) {
    case SDL_BUTTON_LEFT: return 0;
    case SDL_BUTTON_RIGHT: return 1;
    case SDL_BUTTON_MIDDLE: return 2;
    default: return sdlButton - 1;
  }
}

bool isMotion(EventType t) {
  return t == EventType::MouseMoved || t == EventType::LeftMouseDragged || t == EventType::RightMouseDragged ||
         t == EventType::OtherMouseDragged;
}

// A point of a window's client area on the screen; false for an unknown window.
bool screenPosition(uint32_t windowId, int x, int y, int& screenX, int& screenY) {
  SDL_Window* window = sdl().GetWindowFromID(windowId);
  if (!window) return false;
  int left = 0, top = 0;
  sdl().GetWindowPosition(window, &left, &top);
  screenX = left + x;
  screenY = top + y;
  return true;
}

bool isApplicationEvent(EventType t) { return t == EventType::QuitRequested || t == EventType::FileDropped; }
bool isWindowEvent(EventType t) { return int(t) >= 40 && int(t) < 60; }

// Turns one SDL event into ours; None for events we don't deliver.
Event translate(const SDL_Event& e, uint32_t& buttons) {
  Event ev;
  ev.windowId = windowIdOf(e);
  ev.timestamp = e.common.timestamp / 1000.0;
  switch (e.type) {
    case SDL_QUIT:
      ev.type = EventType::QuitRequested;
      break;
    case SDL_DROPFILE:
      if (e.drop.file) {
        ev.type = EventType::FileDropped;
        ev.path = e.drop.file;
      }
      break;
    case SDL_WINDOWEVENT:
      switch (e.window.event) {
        case SDL_WINDOWEVENT_SIZE_CHANGED:
          ev.type = EventType::WindowResized;
          ev.width = e.window.data1;
          ev.height = e.window.data2;
          break;
        case SDL_WINDOWEVENT_MOVED:
          ev.type = EventType::WindowMoved;
          ev.x = e.window.data1;
          ev.y = e.window.data2;
          break;
        case SDL_WINDOWEVENT_EXPOSED: ev.type = EventType::WindowExposed; break;
        case SDL_WINDOWEVENT_CLOSE: ev.type = EventType::WindowCloseRequested; break;
        case SDL_WINDOWEVENT_FOCUS_GAINED: ev.type = EventType::WindowFocusGained; break;
        case SDL_WINDOWEVENT_FOCUS_LOST: ev.type = EventType::WindowFocusLost; break;
        case SDL_WINDOWEVENT_ENTER: ev.type = EventType::MouseEntered; break;
        case SDL_WINDOWEVENT_LEAVE: ev.type = EventType::MouseExited; break;
        default: break;
      }
      if (ev.type == EventType::MouseEntered || ev.type == EventType::MouseExited) {
        int x = 0, y = 0;
        sdl().GetGlobalMouseState(&x, &y);
        if (SDL_Window* w = sdl().GetWindowFromID(ev.windowId)) {
          int wx = 0, wy = 0;
          sdl().GetWindowPosition(w, &wx, &wy);
          ev.x = x - wx;
          ev.y = y - wy;
        }
      }
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      const bool down = e.type == SDL_MOUSEBUTTONDOWN;
      ev.buttonNumber = buttonNumber(e.button.button);
      const uint32_t bit = 1u << std::min(ev.buttonNumber, 31);
      buttons = down ? buttons | bit : buttons & ~bit;
      ev.type = ev.buttonNumber == 0   ? (down ? EventType::LeftMouseDown : EventType::LeftMouseUp)
                : ev.buttonNumber == 1 ? (down ? EventType::RightMouseDown : EventType::RightMouseUp)
                                       : (down ? EventType::OtherMouseDown : EventType::OtherMouseUp);
      ev.x = e.button.x;
      ev.y = e.button.y;
      ev.clickCount = e.button.clicks;
      ev.modifierFlags = modifierFlags(sdl().GetModState());
      break;
    }
    case SDL_MOUSEMOTION:
      ev.type = (e.motion.state & SDL_BUTTON_LMASK)   ? EventType::LeftMouseDragged
                : (e.motion.state & SDL_BUTTON_RMASK) ? EventType::RightMouseDragged
                : e.motion.state                      ? EventType::OtherMouseDragged
                                                      : EventType::MouseMoved;
      ev.x = e.motion.x;
      ev.y = e.motion.y;
      ev.modifierFlags = modifierFlags(sdl().GetModState());
      break;
    case SDL_MOUSEWHEEL: {
      ev.type = EventType::ScrollWheel;
      const double flip = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -1 : 1;
      // Whole notches come as integers; what a smooth device adds beyond them is its device delta.
      ev.deltaY = flip * e.wheel.y;
      ev.deltaX = -flip * e.wheel.x;
      const double fractionY = flip * (double(e.wheel.preciseY) - e.wheel.y);
      const double fractionX = -flip * (double(e.wheel.preciseX) - e.wheel.x);
      constexpr double kPixelsPerLine = 10;
      ev.deviceDeltaY = e.wheel.y == 0 ? fractionY * kPixelsPerLine : 0;
      ev.deviceDeltaX = e.wheel.x == 0 ? fractionX * kPixelsPerLine : 0;
      ev.x = e.wheel.mouseX;
      ev.y = e.wheel.mouseY;
      ev.modifierFlags = modifierFlags(sdl().GetModState());
      break;
    }
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      const SDL_Keycode sym = e.key.keysym.sym;
      ev.keyCode = sym;
      ev.modifierFlags = modifierFlags(e.key.keysym.mod);
      if (isModifierKey(sym)) {
        ev.type = EventType::FlagsChanged;
        break;
      }
      ev.type = e.type == SDL_KEYDOWN ? EventType::KeyDown : EventType::KeyUp;
      ev.isARepeat = e.key.repeat != 0;
      char32_t c = keyCharacter(sym);
      if (c) {
        ev.charactersIgnoringModifiers = utf8(c);
        const bool upper = bool(e.key.keysym.mod & KMOD_SHIFT) != bool(e.key.keysym.mod & KMOD_CAPS);
        if (upper && c >= U'a' && c <= U'z') c = c - U'a' + U'A';
        ev.characters = utf8(c);
      }
      break;
    }
    default:
      break;
  }
  return ev;
}

}  // namespace

EventPump& EventPump::shared() {
  static EventPump* pump = new EventPump();  // lives as long as the main run loop
  return *pump;
}

void EventPump::start() {
  if (sourceId_ || !displayStarted()) return;
  RunLoop::InputSource source;
  source.perform = [this] {
    const bool any = pump();
    if (!tracking_) dispatchQueued();
    return any;
  };
  source.descriptor = [this] { return descriptor(); };
  source.pollInterval = 0.01;
  source.modes = {RunLoop::kCommonModes};
  sourceId_ = RunLoop::mainRunLoop().addInputSource(std::move(source));
}

// The connection to the X server (or Wayland compositor), so the loop can sleep until it speaks.
int EventPump::descriptor() {
  if (fd_ != -2) return fd_;
  SDL_Window* any = nullptr;
  for (uint32_t id = 1; id < 1024 && !any; ++id) any = sdl().GetWindowFromID(id);
  if (!any) return -1;
  fd_ = connectionDescriptor(any);
  return fd_;
}

EventPump::HandlerId EventPump::addHandler(uint32_t windowId, Handler handler) {
  handlers_.push_back({nextId_, windowId, std::move(handler), nullptr});
  return nextId_++;
}

EventPump::HandlerId EventPump::addRawObserver(uint32_t windowId, RawObserver observer) {
  handlers_.push_back({nextId_, windowId, nullptr, std::move(observer)});
  return nextId_++;
}

void EventPump::removeHandler(HandlerId id) {
  std::erase_if(handlers_, [id](const Entry& e) { return e.id == id; });
}

bool EventPump::pump() {
  if (!displayStarted()) return false;
  bool any = false;
  SDL_Event e;
  while (sdl().PollEvent(&e)) {
    any = true;
    const uint32_t windowId = windowIdOf(e);
    std::vector<RawObserver> raw;
    for (const Entry& h : handlers_)
      if (h.raw && (h.windowId == 0 || h.windowId == windowId)) raw.push_back(h.raw);
    for (const auto& observer : raw) observer(e);

    const Event ev = translate(e, buttons_);
    if (e.type == SDL_DROPFILE && e.drop.file) sdl().free(e.drop.file);
    if (ev.type == EventType::None) continue;
    // Only a real move shows the cursor again: a window appearing under the pointer makes the
    // display report a motion while the pointer stays where it was.
    if (isMotion(ev.type) && cursorHidden_) {
      int x = 0, y = 0;
      if (!hiddenAtKnown_ || e.type != SDL_MOUSEMOTION || !screenPosition(e.motion.windowID, e.motion.x, e.motion.y, x, y) ||
          x != hiddenAtX_ || y != hiddenAtY_)
        setCursorHiddenUntilMouseMoves(false);
    }
    if (isWindowEvent(ev.type))
      deliver(ev);
    else
      enqueue(ev);
  }
  return any;
}

void EventPump::enqueue(const Event& event) {
  // A motion replaces the motion of the same kind and window at the end of the queue.
  if (isMotion(event.type) && !queue_.empty() && queue_.back().type == event.type &&
      queue_.back().windowId == event.windowId) {
    queue_.back() = event;
    return;
  }
  queue_.push_back(event);
}

void EventPump::postEvent(const Event& event, bool atStart) {
  if (isWindowEvent(event.type)) {
    deliver(event);
    return;
  }
  if (atStart)
    queue_.push_front(event);
  else
    queue_.push_back(event);
  if (!tracking_ && !dispatchScheduled_) {
    dispatchScheduled_ = true;
    RunLoop::mainRunLoop().perform([this] {
      dispatchScheduled_ = false;
      dispatchQueued();
    });
  }
}

void EventPump::discardEvents(EventMask mask) {
  std::erase_if(queue_, [mask](const Event& e) { return (mask & eventMaskFromType(e.type)) != 0; });
}

void EventPump::deliver(const Event& event) {
  const uint32_t target = isApplicationEvent(event.type) ? 0 : event.windowId;
  std::vector<Handler> handlers;
  for (const Entry& h : handlers_)
    if (h.handler && h.windowId == target) handlers.push_back(h.handler);
  for (const auto& handler : handlers) handler(event);
}

void EventPump::dispatchQueued() {
  while (!tracking_ && !queue_.empty()) {
    const Event event = queue_.front();
    queue_.pop_front();
    deliver(event);
  }
}

std::optional<Event> EventPump::nextEvent(EventMask mask, RunLoop::Clock::time_point deadline,
                                          const std::string& mode, bool dequeue) {
  ++tracking_;
  std::optional<Event> found;
  auto take = [&] {
    for (auto it = queue_.begin(); it != queue_.end(); ++it) {
      if (mask & eventMaskFromType(it->type)) {
        found = *it;
        if (dequeue) queue_.erase(it);
        return true;
      }
    }
    return false;
  };
  pump();
  while (!take()) {
    if (RunLoop::Clock::now() >= deadline) break;
    if (!RunLoop::mainRunLoop().runModeBeforeDate(mode, deadline)) break;
  }
  --tracking_;
  // What the tracking loop left behind goes out on the loop's next pass.
  if (!tracking_ && !queue_.empty() && !dispatchScheduled_) {
    dispatchScheduled_ = true;
    RunLoop::mainRunLoop().perform([this] {
      dispatchScheduled_ = false;
      dispatchQueued();
    });
  }
  return found;
}

void EventPump::setCursorHiddenUntilMouseMoves(bool hidden) {
  if (hidden == cursorHidden_ || !displayStarted()) return;
  if (hidden) {
    // Where the pointer is on the screen, as the display last reported it.
    SDL_Window* focus = sdl().GetMouseFocus();
    int x = 0, y = 0;
    sdl().GetMouseState(&x, &y);
    hiddenAtKnown_ = focus && screenPosition(sdl().GetWindowID(focus), x, y, hiddenAtX_, hiddenAtY_);
  }
  cursorHidden_ = hidden;
  sdl().ShowCursor(hidden ? SDL_DISABLE : SDL_ENABLE);
}

}  // namespace platform::display
