#include "RunLoop.h"

#include <algorithm>
#include <future>
#include <memory>
#include <thread>

namespace platform {
namespace {

// Static initialisation runs on the main thread.
const std::thread::id kMainThread = std::this_thread::get_id();

}  // namespace

RunLoop& RunLoop::currentRunLoop() {
  if (isMainThread()) return mainRunLoop();
  thread_local std::unique_ptr<RunLoop> loop(new RunLoop());
  return *loop;
}

RunLoop& RunLoop::mainRunLoop() {
  static RunLoop* loop = new RunLoop();  // never destroyed: detached threads may still post to it
  return *loop;
}

bool RunLoop::isMainThread() { return std::this_thread::get_id() == kMainThread; }

void RunLoop::performOnMainThread(std::function<void()> fn, bool waitUntilDone) {
  if (isMainThread()) {
    fn();
    return;
  }
  if (!waitUntilDone) {
    mainRunLoop().perform(std::move(fn));
    return;
  }
  auto done = std::make_shared<std::promise<void>>();
  std::future<void> finished = done->get_future();
  mainRunLoop().perform([fn = std::move(fn), done] {
    fn();
    done->set_value();
  });
  finished.wait();
}

void RunLoop::perform(std::function<void()> fn) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.push_back(std::move(fn));
  }
  wake_.notify_all();
}

RunLoop::TimerId RunLoop::addTimer(double interval, bool repeats, std::function<void()> fn,
                                   std::vector<std::string> modes) {
  std::lock_guard<std::mutex> lock(mutex_);
  TimerId id = nextId_++;
  auto delay = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(std::max(0.0, interval)));
  timers_.push_back(Timer{id, Clock::now() + delay, interval, repeats, std::move(fn), std::move(modes), nullptr, {}});
  wake_.notify_all();
  return id;
}

void RunLoop::invalidateTimer(TimerId id) {
  std::lock_guard<std::mutex> lock(mutex_);
  timers_.erase(std::remove_if(timers_.begin(), timers_.end(), [id](const Timer& t) { return t.id == id; }),
                timers_.end());
}

bool RunLoop::isTimerValid(TimerId id) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return std::any_of(timers_.begin(), timers_.end(), [id](const Timer& t) { return t.id == id; });
}

RunLoop::TimerId RunLoop::performAfterDelay(double delay, const void* target, const std::string& selector,
                                            std::function<void()> fn) {
  // Delayed performs run in the default mode, as the platform schedules them.
  TimerId id = addTimer(delay, false, std::move(fn), {kDefaultRunLoopMode});
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto& t : timers_) {
    if (t.id == id) {
      t.target = target;
      t.selector = selector;
    }
  }
  return id;
}

void RunLoop::cancelPreviousPerformRequests(const void* target, const std::string& selector) {
  std::lock_guard<std::mutex> lock(mutex_);
  timers_.erase(std::remove_if(timers_.begin(), timers_.end(),
                               [&](const Timer& t) { return t.target == target && t.selector == selector; }),
                timers_.end());
}

size_t RunLoop::timerCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return timers_.size();
}

bool RunLoop::firesIn(const Timer& t, const std::string& mode) const {
  for (const auto& m : t.modes)
    if (m == mode || m == kCommonModes) return true;
  return false;
}

// One pass: queued work, then every timer due in `mode`, else wait for the next event. False
// when stop() was called.
bool RunLoop::runOnePass(const std::string& mode, Clock::time_point deadline) {
  std::deque<std::function<void()>> work;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopRequested_) {
      stopRequested_ = false;
      return false;
    }
    work.swap(queue_);
  }
  for (auto& fn : work) fn();

  // Fire due timers one at a time: a callback may add or invalidate timers.
  for (;;) {
    std::function<void()> fn;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      auto now = Clock::now();
      auto due = std::find_if(timers_.begin(), timers_.end(),
                              [&](const Timer& t) { return t.fireAt <= now && firesIn(t, mode); });
      if (due == timers_.end()) break;
      fn = due->fn;
      if (due->repeats && due->interval > 0) {
        due->fireAt += std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(due->interval));
        if (due->fireAt < now) due->fireAt = now;
      } else {
        timers_.erase(due);
      }
    }
    fn();
  }

  std::unique_lock<std::mutex> lock(mutex_);
  if (stopRequested_ || !queue_.empty()) return true;
  Clock::time_point wakeAt = deadline;
  for (const auto& t : timers_)
    if (firesIn(t, mode)) wakeAt = std::min(wakeAt, t.fireAt);
  wake_.wait_until(lock, wakeAt);
  return true;
}

void RunLoop::runMode(const std::string& mode, double seconds, bool returnWhenIdle) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    ++running_;
  }
  struct Leave {
    RunLoop* loop;
    ~Leave() {
      std::lock_guard<std::mutex> lock(loop->mutex_);
      if (--loop->running_ == 0) loop->stopRequested_ = false;
    }
  } leave{this};
  auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
  while (Clock::now() < deadline) {
    if (returnWhenIdle) {
      std::lock_guard<std::mutex> lock(mutex_);
      bool idle = queue_.empty() && !stopRequested_ &&
                  std::none_of(timers_.begin(), timers_.end(), [&](const Timer& t) { return firesIn(t, mode); });
      if (idle) return;
    }
    if (!runOnePass(mode, deadline)) return;
  }
}

void RunLoop::run() { runMode(kDefaultRunLoopMode, 1e9, true); }

void RunLoop::stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (running_ == 0) return;  // as on the platform, stopping a loop that is not running does nothing
    stopRequested_ = true;
  }
  wake_.notify_all();
}

}  // namespace platform
