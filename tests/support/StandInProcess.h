#pragma once
// A long-lived program (tests/support/StayUp.cpp) copied under a name of its own, so that tests of
// process lookup and launching have a process to find: at most 15 bytes, as /proc shows names.
#include <string>
#include <sys/types.h>
#include <vector>

#include "tests/support/TestSupport.h"

namespace testsupport {

class StandInProcess {
 public:
  // `name` (at most 15 bytes) must be unique among running processes; empty picks one.
  explicit StandInProcess(const TempDir& dir, std::string name = "");
  // Kills every process of the name.
  ~StandInProcess();
  StandInProcess(const StandInProcess&) = delete;
  StandInProcess& operator=(const StandInProcess&) = delete;
  const std::string& name() const { return name_; }
  const std::string& path() const { return path_; }
  // Starts it as our own child and waits until /proc shows it.
  bool start();
  std::vector<pid_t> running() const;

 private:
  std::string name_;
  std::string path_;
};

}  // namespace testsupport
