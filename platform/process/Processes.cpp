#include "Processes.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>


extern char** environ;

namespace platform {
namespace {

constexpr size_t kCommLength = 15;
constexpr int kSettleMilliseconds = 150;

// /proc files report a size of 0, so read until the end.
std::optional<std::string> readProcFile(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::string out;
  char buf[1024];
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      ::close(fd);
      return std::nullopt;
    }
    if (n == 0 || out.size() > 8192) break;
    out.append(buf, static_cast<size_t>(n));
  }
  ::close(fd);
  return out;
}

// "pid (comm) S ..." -> S; the name may hold spaces and parentheses, so read after the last ')'.
char processState(const std::string& procDir) {
  auto stat = readProcFile(procDir + "/stat");
  if (!stat) return '?';
  size_t close = stat->rfind(')');
  if (close == std::string::npos || close + 2 >= stat->size()) return '?';
  return (*stat)[close + 2];
}

}  // namespace

std::vector<pid_t> processesNamed(const std::string& name) {
  std::vector<pid_t> found;
  std::string wanted = name.substr(0, kCommLength);
  if (wanted.empty()) return found;
  DIR* proc = opendir("/proc");
  if (!proc) return found;
  while (dirent* entry = readdir(proc)) {
    char* end = nullptr;
    long pid = std::strtol(entry->d_name, &end, 10);
    if (pid <= 0 || *end != '\0') continue;
    std::string dir = std::string("/proc/") + entry->d_name;
    auto comm = readProcFile(dir + "/comm");
    if (!comm) continue;
    while (!comm->empty() && comm->back() == '\n') comm->pop_back();
    if (*comm != wanted) continue;
    char state = processState(dir);
    if (state == '?' || state == 'Z' || state == 'X') continue;
    found.push_back(static_cast<pid_t>(pid));
  }
  closedir(proc);
  return found;
}

bool isProcessRunning(const std::string& name) { return !processesNamed(name).empty(); }

bool launchApplicationHidden(const std::string& programPath, const std::string& processName, double timeoutSeconds) {
  if (programPath.empty()) return false;
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attr;
  posix_spawn_file_actions_init(&actions);
  posix_spawnattr_init(&attr);
  for (int fd = 0; fd <= 2; ++fd) posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", fd ? O_WRONLY : O_RDONLY, 0);
  posix_spawn_file_actions_addclosefrom_np(&actions, 3);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  sigset_t none, all;
  sigemptyset(&none);
  sigfillset(&all);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setsigdefault(&attr, &all);

  std::string program = programPath;
  char* argv[] = {program.data(), nullptr};
  pid_t pid = -1;
  int rc = posix_spawn(&pid, program.c_str(), &actions, &attr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  if (rc != 0) return false;

  auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
  bool childRunning = true;
  // False once the child has ended with an error.
  auto childOK = [&] {
    if (!childRunning) return true;
    int status = 0;
    pid_t r = waitpid(pid, &status, WNOHANG);
    if (r == pid) {
      childRunning = false;
      return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    if (r < 0 && errno != EINTR) childRunning = false;
    return true;
  };
  for (;;) {
    if (!childOK()) return false;
    if (isProcessRunning(processName)) {
      // A program that fails at once shows up briefly too: give it a moment to settle.
      std::this_thread::sleep_for(std::chrono::milliseconds(kSettleMilliseconds));
      return childOK() && isProcessRunning(processName);
    }
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

}  // namespace platform
