#include "ScriptWorker.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <optional>
#include <thread>
#include <vector>

#include "ScriptErrors.h"

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kChildSocket = 3;
constexpr auto kExitGrace = std::chrono::seconds(1);
constexpr size_t kReadChunk = size_t(1) << 20;

std::string seconds(double s) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", s);
  return std::string(text) + (s == 1 ? " second" : " seconds");
}

std::string signalName(int sig) {
  const char* abbrev = sigabbrev_np(sig);
  const char* description = strsignal(sig);
  std::string name = abbrev ? std::string("SIG") + abbrev : "signal " + std::to_string(sig);
  if (description) name += std::string(" (") + description + ")";
  return name;
}

ScriptOutcome stopped(int32_t number, const std::string& why) { return ScriptOutcome::error(number, "script stopped: " + why, why); }

bool readFully(int fd, void* out, size_t length) {
  char* p = static_cast<char*>(out);
  while (length > 0) {
    ssize_t n = ::read(fd, p, length);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    length -= size_t(n);
  }
  return true;
}

// The answer as far as it has arrived: nullopt until it is complete. A complete result takes
// the bytes over from `a` rather than copying them (they may be hundreds of MB).
std::optional<ScriptOutcome> parseAnswer(std::string& a) {
  if (a.empty()) return std::nullopt;
  size_t pos = 1;
  auto take = [&](void* out, size_t n) {
    if (a.size() - pos < n) return false;
    std::memcpy(out, a.data() + pos, n);
    pos += n;
    return true;
  };
  auto takeString = [&](std::string& out) {
    uint32_t n = 0;
    if (!take(&n, sizeof n) || a.size() - pos < n) return false;
    out.assign(a, pos, n);
    pos += n;
    return true;
  };
  ScriptOutcome o;
  switch (static_cast<ScriptOutcome::Kind>(a[0])) {
    case ScriptOutcome::Kind::Nothing:
      o.kind = ScriptOutcome::Kind::Nothing;
      return o;
    case ScriptOutcome::Kind::Result: {
      uint8_t raw = 0;
      uint64_t n = 0;
      if (!take(&raw, 1) || !take(&n, sizeof n) || a.size() - pos < n) return std::nullopt;
      o.kind = ScriptOutcome::Kind::Result;
      o.rawData = raw != 0;
      a.resize(pos + static_cast<size_t>(n));
      a.erase(0, pos);
      o.bytes = std::move(a);
      return o;
    }
    case ScriptOutcome::Kind::Error:
      o.kind = ScriptOutcome::Kind::Error;
      if (!take(&o.errorNumber, sizeof o.errorNumber) || !takeString(o.errorMessage) || !takeString(o.errorBriefMessage))
        return std::nullopt;
      return o;
  }
  return stopped(kScriptProcessFailed, "its process gave an unreadable answer");
}

// Bytes the answer takes in all, once a result's header has arrived; 0 while unknown.
size_t expectedAnswerSize(const std::string& a) {
  if (a.size() < 10 || static_cast<ScriptOutcome::Kind>(a[0]) != ScriptOutcome::Kind::Result) return 0;
  uint64_t n = 0;
  std::memcpy(&n, a.data() + 2, sizeof n);
  return n > SIZE_MAX - 10 ? SIZE_MAX : size_t(10 + n);
}

// Processor time for the next request: the soft limit moves to what the child has used so far
// plus the request's share; reaching it sends SIGXCPU, which ends the child.
void limitProcessorTime(double seconds) {
  if (seconds <= 0) return;
  struct rusage usage {};
  struct rlimit cpu {};
  if (getrusage(RUSAGE_SELF, &usage) != 0 || getrlimit(RLIMIT_CPU, &cpu) != 0) return;
  double used = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  rlim_t soft = static_cast<rlim_t>(std::ceil(used + seconds));
  cpu.rlim_cur = cpu.rlim_max == RLIM_INFINITY ? soft : std::min(soft, cpu.rlim_max);
  setrlimit(RLIMIT_CPU, &cpu);
}

[[noreturn]] void childMain(int socket, const ScriptProcessLimits& limits, const ScriptWorker::Serve& serve) {
  // Never outlive the parent, never read its input, keep none of its descriptors but the
  // standard streams, never leave a core file.
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  int devNull = ::open("/dev/null", O_RDONLY);
  if (devNull >= 0 && devNull != 0) dup2(devNull, 0);
  int moved = fcntl(socket, F_DUPFD, 16);
  if (moved < 0 || dup2(moved, kChildSocket) < 0) _exit(127);
  close_range(kChildSocket + 1, ~0U, 0);
  struct rlimit none = {0, 0};
  setrlimit(RLIMIT_CORE, &none);
  // A crash ends the child by its signal, whatever handlers the parent had installed (a
  // sanitizer's, for one), so that the parent can name it.
  for (int sig : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGTRAP, SIGSYS, SIGXCPU, SIGXFSZ, SIGPIPE})
    signal(sig, SIG_DFL);
  if (limits.addressSpaceBytes > 0) {
    struct rlimit as = {limits.addressSpaceBytes, limits.addressSpaceBytes};
    setrlimit(RLIMIT_AS, &as);
  }
  for (;;) {
    double processorSeconds = 0;
    uint64_t length = 0;
    if (!readFully(kChildSocket, &processorSeconds, sizeof processorSeconds) ||
        !readFully(kChildSocket, &length, sizeof length))
      _exit(0);  // the parent is done with us
    ScriptOutcomeChannel channel(kChildSocket);
    try {
      std::string request(static_cast<size_t>(length), '\0');
      if (!readFully(kChildSocket, request.data(), request.size())) _exit(0);
      limitProcessorTime(processorSeconds);
      serve(request, channel);
    } catch (const std::bad_alloc&) {
      if (!channel.sent())
        channel.sendError(kScriptOutOfMemory, "script stopped: its process ran out of address space",
                          "its process ran out of address space");
    } catch (...) {
    }
    if (!channel.sent())
      channel.sendError(kScriptProcessFailed, "script stopped: its process failed before answering",
                        "its process failed before answering");
    std::fflush(nullptr);  // what the script printed
  }
}

}  // namespace

ScriptOutcome ScriptOutcome::error(int32_t number, const std::string& message, const std::string& brief) {
  ScriptOutcome o;
  o.kind = Kind::Error;
  o.errorNumber = number;
  o.errorMessage = message;
  o.errorBriefMessage = brief;
  return o;
}

bool ScriptOutcomeChannel::write(const void* data, size_t length) {
  const char* p = static_cast<const char*>(data);
  while (length > 0) {
    ssize_t n = ::write(fd_, p, length);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    length -= static_cast<size_t>(n);
  }
  return true;
}

void ScriptOutcomeChannel::sendNothing() {
  sent_ = true;
  char kind = char(ScriptOutcome::Kind::Nothing);
  write(&kind, 1);
}

void ScriptOutcomeChannel::sendResult(bool rawData, const char* bytes, size_t length) {
  sent_ = true;
  char header[10] = {char(ScriptOutcome::Kind::Result), char(rawData ? 1 : 0)};
  uint64_t n = length;
  std::memcpy(header + 2, &n, sizeof n);
  if (write(header, sizeof header)) write(bytes, length);
}

void ScriptOutcomeChannel::sendError(int32_t number, const std::string& message, const std::string& brief) {
  sent_ = true;
  std::string a(1, char(ScriptOutcome::Kind::Error));
  a.append(reinterpret_cast<const char*>(&number), sizeof number);
  for (const std::string* s : {&message, &brief}) {
    uint32_t n = static_cast<uint32_t>(std::min<size_t>(s->size(), UINT32_MAX));
    a.append(reinterpret_cast<const char*>(&n), sizeof n);
    a.append(*s, 0, n);
  }
  write(a.data(), a.size());
}

ScriptWorker::~ScriptWorker() { end(); }

bool ScriptWorker::start(const ScriptProcessLimits& limits, const Serve& serve, std::string& error) {
  int fds[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) {
    error = std::strerror(errno);
    return false;
  }
  std::fflush(nullptr);
  pid_t pid = fork();
  if (pid < 0) {
    error = std::strerror(errno);
    ::close(fds[0]);
    ::close(fds[1]);
    return false;
  }
  if (pid == 0) childMain(fds[1], limits, serve);
  ::close(fds[1]);
  pid_ = pid;
  socket_ = fds[0];
  return true;
}

void ScriptWorker::end() {
  if (socket_ >= 0) ::close(socket_);  // the child sees the end of its requests and exits
  socket_ = -1;
  if (pid_ <= 0) return;
  const auto by = Clock::now() + kExitGrace;
  for (;;) {
    pid_t r = waitpid(pid_, nullptr, WNOHANG);
    if (r == pid_ || (r < 0 && errno != EINTR)) break;
    if (r == 0 && Clock::now() >= by) {
      kill(pid_, SIGKILL);
      while (waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
      }
      break;
    }
    if (r == 0) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  pid_ = -1;
}

ScriptOutcome ScriptWorker::request(const std::string& request, const ScriptProcessLimits& limits, const Serve& serve) {
  // A child that ended since the last request is replaced.
  if (pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == pid_) {
    pid_ = -1;
    end();
  }
  std::string startError;
  if (pid_ <= 0 && !start(limits, serve, startError))
    return ScriptOutcome::error(kScriptProcessFailed, "couldn't start the script's process: " + startError,
                                "couldn't start the script's process");

  const auto deadline =
      Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(limits.seconds));
  std::string frame(sizeof(double) + sizeof(uint64_t), '\0');
  const uint64_t length = request.size();
  std::memcpy(frame.data(), &limits.processorSeconds, sizeof(double));
  std::memcpy(frame.data() + sizeof(double), &length, sizeof length);
  frame += request;
  bool sent = true;
  for (size_t done = 0; done < frame.size();) {
    ssize_t n = send(socket_, frame.data() + done, frame.size() - done, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      sent = false;
      break;
    }
    done += size_t(n);
  }

  const size_t maxAnswer = limits.maxAnswerBytes > SIZE_MAX - 4096 ? SIZE_MAX : limits.maxAnswerBytes + 4096;
  std::string answer;
  std::vector<char> buffer(kReadChunk);
  std::optional<ScriptOutcome> outcome;
  bool timedOut = false, tooLarge = false;
  while (sent) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) {
      timedOut = true;
      break;
    }
    struct pollfd p = {socket_, POLLIN, 0};
    int r = poll(&p, 1, static_cast<int>(std::min<long long>(left, 60'000)));
    if (r < 0 && errno != EINTR) break;
    if (r <= 0) continue;
    ssize_t n = ::read(socket_, buffer.data(), buffer.size());
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n <= 0) break;  // the child has died
    if (answer.size() + size_t(n) > maxAnswer) {
      tooLarge = true;
      break;
    }
    answer.append(buffer.data(), size_t(n));
    if (size_t expected = expectedAnswerSize(answer); expected > answer.capacity() && expected <= maxAnswer)
      answer.reserve(expected);
    if ((outcome = parseAnswer(answer))) return std::move(*outcome);  // the child waits for the next
  }

  // No answer: the child is ended (when it isn't already) and its end explained.
  if (timedOut || tooLarge || !sent) kill(pid_, SIGKILL);
  ::close(socket_);
  socket_ = -1;
  int status = 0;
  pid_t r;
  while ((r = waitpid(pid_, &status, 0)) < 0 && errno == EINTR) {
  }
  pid_ = -1;
  if (tooLarge) return stopped(kScriptProcessFailed, "its answer is larger than " + std::to_string(limits.maxAnswerBytes) + " bytes");
  if (timedOut) return stopped(kScriptLimitExceeded, "it ran for more than " + seconds(limits.seconds));
  if (r < 0) return stopped(kScriptProcessFailed, "its process was lost");
  if (WIFSIGNALED(status)) {
    const int sig = WTERMSIG(status);
    if (sig == SIGXCPU) return stopped(kScriptLimitExceeded, "it used more than " + seconds(limits.processorSeconds) + " of processor time");
    return stopped(kScriptProcessFailed, "its process was ended by signal " + signalName(sig));
  }
  return stopped(kScriptProcessFailed,
                 "its process ended with status " + std::to_string(WEXITSTATUS(status)) + " without an answer");
}

size_t currentAddressSpaceBytes() {
  FILE* f = std::fopen("/proc/self/statm", "re");
  if (!f) return 0;
  unsigned long pages = 0;
  int n = std::fscanf(f, "%lu", &pages);
  std::fclose(f);
  return n == 1 ? size_t(pages) * size_t(sysconf(_SC_PAGESIZE)) : 0;
}

}  // namespace platform
