#include "ArtworkTestSupport.h"

#include <atomic>
#include <csignal>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "artwork_agent/MusicApplication.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/process/Processes.h"

extern char** environ;

namespace cftest {

void writeScript(const std::string& path, const std::string& source) { testsupport::writeFile(path, source); }

bool writeCompiledScript(const std::string& path, const std::string& source) {
  std::string sourcePath = path + ".src.lua";
  testsupport::writeFile(sourcePath, source);
  auto r = testsupport::run(CF_LUAC, {"-o", path, sourcePath});
  std::filesystem::remove(sourcePath);
  return r.status == 0;
}

StandInMusicApp::StandInMusicApp(const testsupport::TempDir& dir, std::string name) : name_(std::move(name)) {
  static std::atomic<int> counter{0};
  if (name_.empty()) name_ = "cfm" + std::to_string(getpid()) + "x" + std::to_string(counter++);
  path_ = dir.file(name_);
  std::filesystem::copy_file(CF_MUSIC_STANDIN, path_);
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all);
}

StandInMusicApp::~StandInMusicApp() {
  for (pid_t pid : running()) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);  // reaps it when it is our own child; no wait otherwise
  }
}

bool StandInMusicApp::start() {
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

std::vector<pid_t> StandInMusicApp::running() const { return platform::processesNamed(name_); }

void setMusicApplication(const std::string& processName, const std::string& path) {
  platform::UserDefaults defaults(kCoverfetchDefaultsDomain);
  defaults.setObject(kMusicApplicationProcessNameKey, processName);
  defaults.setObject(kMusicApplicationPathKey, path);
  defaults.synchronize();
}

void setDefault(const std::string& key, long long value) {
  platform::UserDefaults defaults(kCoverfetchDefaultsDomain);
  defaults.setObject(key, platform::PlistValue(static_cast<int64_t>(value)));
  defaults.synchronize();
}

}  // namespace cftest
