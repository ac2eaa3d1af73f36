#pragma once
// Captures the framework's log lines while alive. libQuarn keeps its logging to itself, so the
// lines are taken through its public sink, not the test program's own platform layer.
#include <string>
#include <vector>

#include "quarn/QuarnLog.h"

namespace quarntest {

class QuarnLogCapture {
 public:
  QuarnLogCapture();
  ~QuarnLogCapture();
  QuarnLogCapture(const QuarnLogCapture&) = delete;
  QuarnLogCapture& operator=(const QuarnLogCapture&) = delete;

  const std::vector<std::string>& lines() const { return lines_; }
  // Messages without the date/process prefix.
  std::vector<std::string> messages() const;
  bool contains(const std::string& text) const;
  // How many messages are exactly `message`.
  int count(const std::string& message) const;

 private:
  std::vector<std::string> lines_;
};

}  // namespace quarntest
