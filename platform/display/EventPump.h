#pragma once
// The one event pump: an input source of the main run loop that reads the display's events in
// whatever mode the loop runs, so timers and events interleave on the main thread.
//
// Window events (resize, move, expose, focus, close) go to the handlers of their window at once.
// Input events (mouse, keys, scroll) and application events (quit, dropped files) are queued
// and handed out in arrival order to the handlers of their window (application events to the
// handlers of window 0), except while someone takes events with nextEvent (a tracking loop):
// then they wait in the queue for it, and what it leaves is handed out when it is done.
// Mouse-moved and dragged events coalesce in the queue, as the platform's do.
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/display/Event.h"
#include "platform/foundation/RunLoop.h"

union SDL_Event;

namespace platform::display {

class EventPump {
 public:
  using Handler = std::function<void(const Event&)>;
  using RawObserver = std::function<void(const SDL_Event&)>;
  using HandlerId = uint64_t;

  static EventPump& shared();

  // Adds the pump to the main run loop (common modes). Windows start it when they are made;
  // nothing of the display is touched before.
  void start();
  bool isStarted() const { return sourceId_ != 0; }

  // Handlers of one native window's events; windowId 0: application events.
  HandlerId addHandler(uint32_t windowId, Handler handler);
  void removeHandler(HandlerId id);
  // Sees the display's own events (SDL's) of one window, or of all when windowId is 0, as they are
  // read and before they become events: for libraries such as Dear ImGui's SDL2 back end.
  HandlerId addRawObserver(uint32_t windowId, RawObserver observer);

  // nextEventMatchingMask:untilDate:inMode:dequeue: — the first queued input event whose type is
  // in `mask`, running the main run loop in `mode` until one comes or `deadline` passes. Other
  // events stay queued. Null at the deadline or when the loop is stopped.
  std::optional<Event> nextEvent(EventMask mask, RunLoop::Clock::time_point deadline, const std::string& mode,
                                 bool dequeue = true);
  // Puts an event in the queue as though the display had sent it (at the front when atStart);
  // window events go to their handlers at once, as the display's do.
  void postEvent(const Event& event, bool atStart = false);
  // Drops queued events of the mask (discardEventsMatchingMask:beforeEvent:).
  void discardEvents(EventMask mask);
  size_t queuedEventCount() const { return queue_.size(); }
  // True while a nextEvent call is waiting.
  bool isTracking() const { return tracking_ > 0; }

  // Reads every event the display has; true when there were any. The run loop calls it.
  bool pump();
  // Hands queued events to their handlers (unless tracking).
  void dispatchQueued();

  // The cursor disappears until the mouse next moves (setHiddenUntilMouseMoves:); false shows it.
  void setCursorHiddenUntilMouseMoves(bool hidden);
  bool isCursorHidden() const { return cursorHidden_; }

 private:
  EventPump() = default;
  struct Entry {
    HandlerId id;
    uint32_t windowId;
    Handler handler;
    RawObserver raw;
  };
  void deliver(const Event& event);
  void enqueue(const Event& event);
  int descriptor();

  std::deque<Event> queue_;
  std::vector<Entry> handlers_;
  HandlerId nextId_ = 1;
  RunLoop::SourceId sourceId_ = 0;
  int tracking_ = 0;
  int fd_ = -2;  // the display connection's descriptor; -2 not looked up yet, -1 none
  bool dispatchScheduled_ = false;
  bool cursorHidden_ = false;
  int hiddenAtX_ = 0, hiddenAtY_ = 0;  // the pointer on the screen when the cursor was hidden
  bool hiddenAtKnown_ = false;
  uint32_t buttons_ = 0;  // mouse buttons held, bit per button number
};

}  // namespace platform::display
