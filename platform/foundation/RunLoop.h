#pragma once
// NSRunLoop stand-in: one loop per thread with timers in modes, delayed performs that can be
// cancelled by target and selector, work handed in from other threads, and input sources (such
// as the display's event pump) that are served in whatever mode the loop runs.
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace platform {

class RunLoop {
 public:
  using Clock = std::chrono::steady_clock;
  using TimerId = uint64_t;
  using SourceId = uint64_t;

  static inline const std::string kDefaultRunLoopMode = "kCFRunLoopDefaultMode";
  // While a control tracks the mouse (a slider drag, a menu) the loop runs in this mode.
  static inline const std::string kEventTrackingRunLoopMode = "NSEventTrackingRunLoopMode";
  // While a modal panel runs.
  static inline const std::string kModalPanelRunLoopMode = "NSModalPanelRunLoopMode";
  // A timer or source added in the common modes is served in every mode.
  static inline const std::string kCommonModes = "kCFRunLoopCommonModes";

  // A fire date that never comes (a suspended timer).
  static Clock::time_point distantFuture() { return Clock::time_point::max(); }

  // The loop of the calling thread / of the main thread.
  static RunLoop& currentRunLoop();
  static RunLoop& mainRunLoop();
  static bool isMainThread();

  ~RunLoop();
  RunLoop(const RunLoop&) = delete;
  RunLoop& operator=(const RunLoop&) = delete;

  // Runs `fn` on the main thread; from the main thread itself it runs at once. With
  // waitUntilDone the caller blocks until it has run (the main loop must be running).
  static void performOnMainThread(std::function<void()> fn, bool waitUntilDone);

  // Thread-safe: queues `fn` to run on this loop's next pass, in any mode.
  void perform(std::function<void()> fn);

  // Timers fire on this loop's thread; repeating ones keep their interval. Only from the loop's thread.
  TimerId addTimer(double interval, bool repeats, std::function<void()> fn,
                   std::vector<std::string> modes = {kDefaultRunLoopMode});
  void invalidateTimer(TimerId id);
  bool isTimerValid(TimerId id) const;
  // addTimer:forMode: — the timer fires in `mode` as well.
  void addTimerToMode(TimerId id, const std::string& mode);
  // setFireDate: — the next firing moves to `when` (distantFuture() suspends the timer); a
  // repeating timer goes on at its interval from there. Nothing happens for an invalid timer.
  void setTimerFireDate(TimerId id, Clock::time_point when);
  // The next firing of a valid timer.
  std::optional<Clock::time_point> timerFireDate(TimerId id) const;

  // performSelector:withObject:afterDelay: and cancelPreviousPerformRequestsWithTarget:selector:.
  TimerId performAfterDelay(double delay, const void* target, const std::string& selector, std::function<void()> fn);
  void cancelPreviousPerformRequests(const void* target, const std::string& selector);

  // An input source: served on every pass of the loop in its modes, after the due timers.
  struct InputSource {
    // Takes whatever input is pending; true when there was any.
    std::function<bool()> perform;
    // A file descriptor that becomes readable when input arrives; -1 (or no function) when the
    // source has none. While the loop waits it looks at the source at least every pollInterval
    // seconds, or every descriptorPollInterval when it sleeps on the descriptor (for input that
    // the source's library read ahead of it).
    std::function<int()> descriptor;
    double pollInterval = 0.01;
    double descriptorPollInterval = 0.1;
    std::vector<std::string> modes = {kCommonModes};
  };
  SourceId addInputSource(InputSource source);
  void removeInputSource(SourceId id);

  // Runs the loop in `mode` until `seconds` have passed or stop() is called; returns at once when
  // nothing could ever happen (no timers or sources in the mode and no queued work) and
  // returnWhenIdle is set.
  void runMode(const std::string& mode, double seconds, bool returnWhenIdle = false);
  // runMode:beforeDate: — one pass in `mode`: queued work, due timers and input sources; when
  // none of them had anything, waits until one has (or `deadline`) and serves it. False when the
  // loop was stopped.
  bool runModeBeforeDate(const std::string& mode, Clock::time_point deadline);
  // Default mode until stop(), or until nothing is left to do.
  void run();
  // Ends the current runMode/run (thread-safe); does nothing when the loop is not running.
  void stop();
  // The mode of the innermost runMode/runModeBeforeDate on the stack; empty when not running.
  std::string currentMode() const;

  // Number of timers still scheduled (all modes).
  size_t timerCount() const;

 private:
  struct Timer {
    TimerId id;
    Clock::time_point fireAt;
    double interval;
    bool repeats;
    std::function<void()> fn;
    std::vector<std::string> modes;
    const void* target = nullptr;
    std::string selector;
    uint64_t firedInPass = 0;  // the pass of the loop that fired it last
  };
  struct Source {
    SourceId id;
    std::shared_ptr<InputSource> source;
  };

  RunLoop();
  static bool inMode(const std::vector<std::string>& modes, const std::string& mode);
  // Queued work, due timers and sources once; true when any of them did something. False in
  // `stopped` when stop() was called.
  bool serve(const std::string& mode, bool& stopped);
  // Sleeps until queued work, a timer of `mode`, source input or `deadline`.
  void wait(const std::string& mode, Clock::time_point deadline);
  void wake();
  bool idle(const std::string& mode) const;

  mutable std::mutex mutex_;
  int wakeFd_ = -1;  // eventfd written by wake()
  std::deque<std::function<void()>> queue_;
  std::vector<Timer> timers_;
  std::vector<Source> sources_;
  TimerId nextId_ = 1;
  bool stopRequested_ = false;
  std::vector<std::string> modeStack_;  // nesting of runMode calls
  uint64_t pass_ = 0;                    // passes of serve, nested ones included
};

}  // namespace platform
