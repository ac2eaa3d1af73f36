#include "RunLoop.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <future>
#include <memory>
#include <thread>

namespace platform {
namespace {

// Static initialisation runs on the main thread.
const std::thread::id kMainThread = std::this_thread::get_id();

RunLoop::Clock::duration seconds(double s) {
  return std::chrono::duration_cast<RunLoop::Clock::duration>(std::chrono::duration<double>(s));
}

}  // namespace

RunLoop::RunLoop() : wakeFd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

RunLoop::~RunLoop() {
  if (wakeFd_ >= 0) close(wakeFd_);
}

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

void RunLoop::wake() {
  if (wakeFd_ < 0) return;
  const uint64_t one = 1;
  ssize_t written = write(wakeFd_, &one, sizeof one);
  (void)written;  // a full counter already wakes the loop
}

void RunLoop::perform(std::function<void()> fn) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.push_back(std::move(fn));
  }
  wake();
}

RunLoop::TimerId RunLoop::addTimer(double interval, bool repeats, std::function<void()> fn,
                                   std::vector<std::string> modes) {
  TimerId id;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    id = nextId_++;
    timers_.push_back(
        Timer{id, Clock::now() + seconds(std::max(0.0, interval)), interval, repeats, std::move(fn), std::move(modes),
              nullptr, {}});
  }
  wake();
  return id;
}

void RunLoop::invalidateTimer(TimerId id) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::erase_if(timers_, [id](const Timer& t) { return t.id == id; });
}

bool RunLoop::isTimerValid(TimerId id) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return std::any_of(timers_.begin(), timers_.end(), [id](const Timer& t) { return t.id == id; });
}

void RunLoop::addTimerToMode(TimerId id, const std::string& mode) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (Timer& t : timers_)
    if (t.id == id && std::find(t.modes.begin(), t.modes.end(), mode) == t.modes.end()) t.modes.push_back(mode);
}

void RunLoop::setTimerFireDate(TimerId id, Clock::time_point when) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (Timer& t : timers_)
      if (t.id == id) t.fireAt = when;
  }
  wake();
}

std::optional<RunLoop::Clock::time_point> RunLoop::timerFireDate(TimerId id) const {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const Timer& t : timers_)
    if (t.id == id) return t.fireAt;
  return std::nullopt;
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
  std::erase_if(timers_, [&](const Timer& t) { return t.target == target && t.selector == selector; });
}

RunLoop::SourceId RunLoop::addInputSource(InputSource source) {
  SourceId id;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    id = nextId_++;
    sources_.push_back({id, std::make_shared<InputSource>(std::move(source))});
  }
  wake();
  return id;
}

void RunLoop::removeInputSource(SourceId id) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::erase_if(sources_, [id](const Source& s) { return s.id == id; });
}

size_t RunLoop::timerCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return timers_.size();
}

std::string RunLoop::currentMode() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return modeStack_.empty() ? std::string() : modeStack_.back();
}

bool RunLoop::inMode(const std::vector<std::string>& modes, const std::string& mode) {
  for (const auto& m : modes)
    if (m == mode || m == kCommonModes) return true;
  return false;
}

bool RunLoop::serve(const std::string& mode, bool& stopped) {
  bool handled = false;
  std::deque<std::function<void()>> work;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopRequested_) {
      stopRequested_ = false;
      stopped = true;
      return false;
    }
    work.swap(queue_);
  }
  for (auto& fn : work) fn();
  handled = !work.empty();

  // Fire due timers one at a time: a callback may add or invalidate timers. Each fires at most
  // once a pass, so a timer whose work takes longer than its interval (a frame timer on a slow
  // renderer) can't keep the loop from its other timers, its sources and its deadline.
  uint64_t pass;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    pass = ++pass_;
  }
  for (;;) {
    std::function<void()> fn;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (stopRequested_) break;
      auto now = Clock::now();
      auto due = std::find_if(timers_.begin(), timers_.end(), [&](const Timer& t) {
        return t.fireAt <= now && t.firedInPass != pass && inMode(t.modes, mode);
      });
      if (due == timers_.end()) break;
      due->firedInPass = pass;
      fn = due->fn;
      if (due->repeats && due->interval > 0) {
        due->fireAt += seconds(due->interval);
        if (due->fireAt < now) due->fireAt = now;
      } else {
        timers_.erase(due);
      }
    }
    fn();
    handled = true;
  }

  // Sources last, so that nothing they could take is left behind when the loop goes to sleep.
  std::vector<std::shared_ptr<InputSource>> active;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const Source& s : sources_)
      if (inMode(s.source->modes, mode)) active.push_back(s.source);
  }
  for (const auto& source : active)
    if (source->perform && source->perform()) handled = true;
  return handled;
}

void RunLoop::wait(const std::string& mode, Clock::time_point deadline) {
  std::vector<pollfd> fds;
  Clock::time_point wakeAt = deadline;
  std::vector<std::shared_ptr<InputSource>> active;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopRequested_ || !queue_.empty()) return;
    for (const auto& t : timers_)
      if (inMode(t.modes, mode)) wakeAt = std::min(wakeAt, t.fireAt);
    for (const Source& s : sources_)
      if (inMode(s.source->modes, mode)) active.push_back(s.source);
  }
  const Clock::time_point now = Clock::now();
  if (wakeFd_ >= 0) fds.push_back({wakeFd_, POLLIN, 0});
  for (const auto& source : active) {
    const int fd = source->descriptor ? source->descriptor() : -1;
    if (fd >= 0) fds.push_back({fd, POLLIN, 0});
    const double interval = fd >= 0 ? source->descriptorPollInterval : source->pollInterval;
    wakeAt = std::min(wakeAt, now + seconds(std::max(0.001, interval)));
  }
  if (wakeAt <= now) return;
  // Whole milliseconds, rounded up so that a timer is never served a moment early.
  const auto left = std::chrono::duration_cast<std::chrono::microseconds>(wakeAt - now).count();
  const int timeout = static_cast<int>(std::min<int64_t>((left + 999) / 1000, 24 * 3600 * 1000));
  if (fds.empty()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(timeout));
    return;
  }
  if (poll(fds.data(), fds.size(), timeout) > 0 && (fds[0].revents & POLLIN) && fds[0].fd == wakeFd_) {
    uint64_t count;
    ssize_t got = read(wakeFd_, &count, sizeof count);
    (void)got;
  }
}

bool RunLoop::idle(const std::string& mode) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return queue_.empty() && !stopRequested_ &&
         std::none_of(timers_.begin(), timers_.end(), [&](const Timer& t) { return inMode(t.modes, mode); }) &&
         std::none_of(sources_.begin(), sources_.end(), [&](const Source& s) { return inMode(s.source->modes, mode); });
}

namespace {
// Keeps the stack of running modes for the length of a run call.
struct ModeScope {
  std::mutex& mutex;
  std::vector<std::string>& stack;
  bool& stopRequested;
  ModeScope(std::mutex& m, std::vector<std::string>& s, bool& stop, const std::string& mode)
      : mutex(m), stack(s), stopRequested(stop) {
    std::lock_guard<std::mutex> lock(mutex);
    stack.push_back(mode);
  }
  ~ModeScope() {
    std::lock_guard<std::mutex> lock(mutex);
    stack.pop_back();
    if (stack.empty()) stopRequested = false;
  }
};
}  // namespace

void RunLoop::runMode(const std::string& mode, double secondsToRun, bool returnWhenIdle) {
  ModeScope scope(mutex_, modeStack_, stopRequested_, mode);
  const auto deadline = Clock::now() + seconds(std::min(secondsToRun, 1e9));
  while (Clock::now() < deadline) {
    if (returnWhenIdle && idle(mode)) return;
    bool stopped = false;
    serve(mode, stopped);
    if (stopped) return;
    wait(mode, deadline);
  }
}

bool RunLoop::runModeBeforeDate(const std::string& mode, Clock::time_point deadline) {
  ModeScope scope(mutex_, modeStack_, stopRequested_, mode);
  bool stopped = false;
  if (serve(mode, stopped) || stopped) return !stopped;
  while (!stopped && Clock::now() < deadline) {
    wait(mode, deadline);
    if (serve(mode, stopped)) break;
  }
  return !stopped;
}

void RunLoop::run() { runMode(kDefaultRunLoopMode, 1e9, true); }

void RunLoop::stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (modeStack_.empty()) return;  // as on the platform, stopping a loop that is not running does nothing
    stopRequested_ = true;
  }
  wake();
}

}  // namespace platform
