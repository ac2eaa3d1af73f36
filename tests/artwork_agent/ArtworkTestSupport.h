#pragma once
// Helpers of the artwork agent tests: scripts on disk, a stand-in music application under a
// unique process name, and the tool's user defaults.
#include <string>
#include <sys/types.h>
#include <vector>

#include "platform/script/ScriptDescriptor.h"
#include "tests/support/TestSupport.h"

namespace cftest {

// Writes `source` to `path` (a source or precompiled script file).
void writeScript(const std::string& path, const std::string& source);
// Precompiles `source` with luac into `path`.
bool writeCompiledScript(const std::string& path, const std::string& source);
// `count` copies of a precompiled chunk, each with one to three bytes past its header changed,
// the same ones for the same seed.
std::vector<std::string> mutatedChunks(const std::string& chunk, int count, unsigned seed);
// A precompiled lookup script whose open handler crashes the interpreter for certain: one
// instruction is changed to read a table with an integer constant taken as a string, whose
// "pointer" no process maps. False when luac gave other code than expected.
bool writeCrashingScript(const std::string& path);
// An Open Documents event whose direct object lists the strings.
platform::ScriptDescriptor openEventWith(const std::vector<std::string>& strings);

// A copy of the stand-in music application named uniquely (at most 15 bytes, as /proc shows it).
// Kills every process of that name when it goes away.
class StandInMusicApp {
 public:
  // `name` (at most 15 bytes) must be unique among running processes; empty picks one.
  explicit StandInMusicApp(const testsupport::TempDir& dir, std::string name = "");
  ~StandInMusicApp();
  const std::string& name() const { return name_; }
  const std::string& path() const { return path_; }
  // Starts it as our own child and waits until /proc shows it.
  bool start();
  std::vector<pid_t> running() const;

 private:
  std::string name_;
  std::string path_;
};

// Points the tool's user defaults at a music application (process name and launch path).
void setMusicApplication(const std::string& processName, const std::string& path);
void setDefault(const std::string& key, long long value);

}  // namespace cftest
