#pragma once
// NSRunLoop stand-in: one loop per thread with timers in modes, delayed performs that can be
// cancelled by target and selector, and work handed in from other threads.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace platform {

class RunLoop {
 public:
  using Clock = std::chrono::steady_clock;
  using TimerId = uint64_t;

  static inline const std::string kDefaultRunLoopMode = "kCFRunLoopDefaultMode";
  // A timer added in the common modes fires in every mode.
  static inline const std::string kCommonModes = "kCFRunLoopCommonModes";

  // The loop of the calling thread / of the main thread.
  static RunLoop& currentRunLoop();
  static RunLoop& mainRunLoop();
  static bool isMainThread();

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

  // performSelector:withObject:afterDelay: and cancelPreviousPerformRequestsWithTarget:selector:.
  TimerId performAfterDelay(double delay, const void* target, const std::string& selector, std::function<void()> fn);
  void cancelPreviousPerformRequests(const void* target, const std::string& selector);

  // Runs the loop in `mode` until `seconds` have passed or stop() is called; returns at once when
  // nothing could ever happen (no timers in the mode and no queued work) and returnWhenIdle is set.
  void runMode(const std::string& mode, double seconds, bool returnWhenIdle = false);
  // Default mode until stop(), or until nothing is left to do.
  void run();
  // Ends the current runMode/run (thread-safe); does nothing when the loop is not running.
  void stop();

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
  };

  RunLoop() = default;
  bool firesIn(const Timer& t, const std::string& mode) const;
  bool runOnePass(const std::string& mode, Clock::time_point deadline);

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> queue_;
  std::vector<Timer> timers_;
  TimerId nextId_ = 1;
  bool stopRequested_ = false;
  int running_ = 0;  // nesting depth of runMode
};

}  // namespace platform
