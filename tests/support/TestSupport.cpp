#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"

extern char** environ;

namespace testsupport {

std::string fixture(const std::string& name) { return std::string(MT_FIXTURES_DIR) + "/" + name; }

bool runMainLoopUntil(const std::function<bool()>& done, double seconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!done() && std::chrono::steady_clock::now() < end)
    platform::RunLoop::mainRunLoop().runMode(platform::RunLoop::kDefaultRunLoopMode, 0.05, false);
  return done();
}

std::string corpusDir() {
  std::error_code ec;
  if (std::filesystem::is_directory(MT_CORPUS_DIR, ec)) return MT_CORPUS_DIR;
  return "";
}

std::string binPath(const std::string& name) { return std::string(MT_BIN_DIR) + "/" + name; }

TempDir::TempDir() {
  char tmpl[] = "/tmp/mt-test-XXXXXX";
  char* p = mkdtemp(tmpl);
  if (!p) throw std::runtime_error("mkdtemp failed");
  path_ = p;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

ScopedHome::ScopedHome() {
  for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"}) {
    const char* v = std::getenv(name);
    saved_.emplace_back(name, v ? v : std::string("\x01"));
  }
  setenv("HOME", dir_.path().c_str(), 1);
  unsetenv("XDG_CONFIG_HOME");
  unsetenv("XDG_DATA_HOME");
  unsetenv("XDG_CACHE_HOME");
}

ScopedHome::~ScopedHome() {
  for (const auto& [name, value] : saved_) {
    if (value == "\x01")
      unsetenv(name.c_str());
    else
      setenv(name.c_str(), value.c_str(), 1);
  }
}

RunResult run(const std::string& program, const std::vector<std::string>& args, const std::vector<std::string>& env,
              double timeoutSeconds) {
  RunResult result;
  int outPipe[2], errPipe[2];
  if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0) return result;

  std::vector<std::string> argStore{program};
  argStore.insert(argStore.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : argStore) argv.push_back(a.data());
  argv.push_back(nullptr);

  std::vector<std::string> envStore;
  for (char** e = environ; *e; ++e) {
    std::string entry(*e);
    std::string name = entry.substr(0, entry.find('='));
    bool overridden = false;
    for (const auto& o : env)
      if (o.substr(0, o.find('=')) == name) overridden = true;
    if (!overridden) envStore.push_back(entry);
  }
  envStore.insert(envStore.end(), env.begin(), env.end());
  std::vector<char*> envp;
  for (auto& e : envStore) envp.push_back(e.data());
  envp.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
  posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  pid_t pid = -1;
  int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  close(outPipe[1]);
  close(errPipe[1]);
  if (rc != 0) {
    close(outPipe[0]);
    close(errPipe[0]);
    result.err = "spawn failed: " + std::string(std::strerror(rc));
    return result;
  }

  const auto started = std::chrono::steady_clock::now();
  auto deadline = started + std::chrono::duration<double>(timeoutSeconds);
  struct pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
  int open = 2;
  bool killed = false;
  while (open > 0) {
    int waitMs = static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count());
    if (waitMs <= 0) {
      kill(pid, SIGKILL);
      killed = true;
      break;
    }
    if (poll(fds, 2, waitMs) < 0 && errno != EINTR) break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      char buf[4096];
      ssize_t n = read(fds[i].fd, buf, sizeof buf);
      if (n > 0) {
        (i == 0 ? result.out : result.err).append(buf, static_cast<size_t>(n));
      } else {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      }
    }
  }
  for (auto& f : fds)
    if (f.fd >= 0) close(f.fd);
  int status = 0;
  struct rusage usage {};
  while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
  }
  result.maxRssKB = usage.ru_maxrss;
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  if (WIFEXITED(status))
    result.status = WEXITSTATUS(status);
  else if (WIFSIGNALED(status))
    result.status = 128 + WTERMSIG(status);
  if (killed) result.err += "\n[killed after timeout]";
  return result;
}

namespace {
void captureSink(const std::string& line, void* context) {
  static_cast<std::vector<std::string>*>(context)->push_back(line);
}
}  // namespace

LogCapture::LogCapture() { platform::setLogSink(captureSink, &lines_); }
LogCapture::~LogCapture() { platform::setLogSink(nullptr, nullptr); }

std::vector<std::string> LogCapture::messages() const {
  std::vector<std::string> out;
  for (const auto& l : lines_) out.push_back(stripLogPrefix(l));
  return out;
}

bool LogCapture::contains(const std::string& text) const {
  for (const auto& l : lines_)
    if (l.find(text) != std::string::npos) return true;
  return false;
}

std::string stripLogPrefix(const std::string& line) {
  size_t close = line.find("] ");
  std::string msg = close == std::string::npos ? line : line.substr(close + 2);
  if (!msg.empty() && msg.back() == '\n') msg.pop_back();
  return msg;
}

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream f(path, std::ios::binary);
  f << bytes;
}

std::string readFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

std::string mp3WithTag(const std::string& tag) {
  std::string mp3 = readFile(fixture("audio.mp3"));
  if (mp3.size() < 10 || mp3.compare(0, 3, "ID3") != 0) return tag + mp3;
  size_t size = ((size_t(mp3[6]) & 0x7f) << 21) | ((size_t(mp3[7]) & 0x7f) << 14) | ((size_t(mp3[8]) & 0x7f) << 7) |
                (size_t(mp3[9]) & 0x7f);
  return tag + mp3.substr(std::min(mp3.size(), 10 + size));
}

}  // namespace testsupport
