#include "tests/support/StandInProcess.h"

#include <atomic>
#include <csignal>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "platform/process/Processes.h"

extern char** environ;

namespace testsupport {

StandInProcess::StandInProcess(const TempDir& dir, std::string name) : name_(std::move(name)) {
  static std::atomic<int> counter{0};
  if (name_.empty()) name_ = "sti" + std::to_string(getpid()) + "x" + std::to_string(counter++);
  path_ = dir.file(name_);
  std::filesystem::copy_file(MT_STAY_UP, path_);
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all);
}

StandInProcess::~StandInProcess() {
  for (pid_t pid : running()) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);  // reaps it when it is our own child; no wait otherwise
  }
}

bool StandInProcess::start() {
  std::string program = path_;
  char* argv[] = {program.data(), nullptr};
  pid_t pid = -1;
  if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0) return false;
  for (int i = 0; i < 250; ++i) {
    if (!running().empty()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

std::vector<pid_t> StandInProcess::running() const { return platform::processesNamed(name_); }

}  // namespace testsupport
