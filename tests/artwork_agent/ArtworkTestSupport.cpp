#include "ArtworkTestSupport.h"

#include <atomic>
#include <csignal>
#include <filesystem>
#include <random>
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

std::vector<std::string> mutatedChunks(const std::string& chunk, int count, unsigned seed) {
  // The header (signature, version, format, check bytes, sizes, test integer and number, 32
  // bytes in Lua 5.4) is checked by the loader; the code after it is not.
  constexpr size_t kHeader = 32;
  std::vector<std::string> out;
  std::mt19937 rng(seed);
  for (int i = 0; i < count && chunk.size() > kHeader; ++i) {
    std::string m = chunk;
    int edits = 1 + int(rng() % 3);
    for (int e = 0; e < edits; ++e) m[kHeader + rng() % (m.size() - kHeader)] = static_cast<char>(rng());
    out.push_back(std::move(m));
  }
  return out;
}

bool writeCrashingScript(const std::string& path) {
  // "return t[K]" compiles to LOADK then GETTABLE 1 1 2 (bytes 8c 00 01 02); GETFIELD 1 1 0
  // (8e 00 01 00) takes constant 0, the integer 0x4141414141414141, for a string.
  if (!writeCompiledScript(path, "local t = {}\nfunction open(a) return t[0x4141414141414141] end\n")) return false;
  std::string chunk = testsupport::readFile(path);
  const std::string getTable("\x8c\x00\x01\x02", 4), getField("\x8e\x00\x01\x00", 4);
  size_t at = chunk.find(getTable);
  if (at == std::string::npos || chunk.find(getTable, at + 1) != std::string::npos) return false;
  chunk.replace(at, 4, getField);
  testsupport::writeFile(path, chunk);
  return true;
}

platform::ScriptDescriptor openEventWith(const std::vector<std::string>& strings) {
  using platform::ScriptDescriptor;
  ScriptDescriptor list = ScriptDescriptor::listDescriptor();
  for (size_t i = 0; i < strings.size(); ++i) list.insertDescriptor(ScriptDescriptor::descriptorWithString(strings[i]), i + 1);
  ScriptDescriptor event = ScriptDescriptor::appleEvent(platform::kCoreEventClass, platform::kAEOpenDocuments,
                                                        ScriptDescriptor::nullDescriptor(), 0, 0);
  event.setDescriptor(std::move(list), platform::kKeyDirectObject);
  return event;
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
