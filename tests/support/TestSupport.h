#pragma once
// Shared helpers for the test suites: fixture paths, temporary folders, running tools, log capture.
#include <functional>
#include <string>
#include <vector>

namespace testsupport {

// Generated media fixtures (tests/fixtures/make-fixtures.sh).
std::string fixture(const std::string& name);
// The third-party corpus folder; empty when it is not present beside the project.
std::string corpusDir();
// A built executable or module in the build's bin folder.
std::string binPath(const std::string& name);

// Runs the main run loop in its default mode until `done` holds or `seconds` pass; returns done().
bool runMainLoopUntil(const std::function<bool()>& done, double seconds = 20);

// A fresh folder under /tmp, removed with its contents when the object goes away.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Points HOME and the XDG folders at a temporary folder for the object's lifetime.
class ScopedHome {
 public:
  ScopedHome();
  ~ScopedHome();
  const std::string& path() const { return dir_.path(); }

 private:
  TempDir dir_;
  std::vector<std::pair<std::string, std::string>> saved_;
};

struct RunResult {
  int status = -1;  // exit status, or 128 + signal number
  std::string out;
  std::string err;
  long maxRssKB = 0;     // peak resident size of the program, as the kernel counted it
  double seconds = 0;    // wall-clock time from start to exit
};

// Runs a program with arguments (no shell), with extra "NAME=value" environment entries.
RunResult run(const std::string& program, const std::vector<std::string>& args,
              const std::vector<std::string>& env = {}, double timeoutSeconds = 120);

// Captures platform::log lines while alive.
class LogCapture {
 public:
  LogCapture();
  ~LogCapture();
  const std::vector<std::string>& lines() const { return lines_; }
  // Messages without the date/process prefix.
  std::vector<std::string> messages() const;
  bool contains(const std::string& text) const;

 private:
  std::vector<std::string> lines_;
};

// Message part of a log line ("date time name[pid:tid] message" -> "message").
std::string stripLogPrefix(const std::string& line);

void writeFile(const std::string& path, const std::string& bytes);
// The fixture audio.mp3 with its own ID3v2 tag replaced by `tag` (any bytes).
std::string mp3WithTag(const std::string& tag);
std::string readFile(const std::string& path);

}  // namespace testsupport
