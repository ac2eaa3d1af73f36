#include "QuarnLogCapture.h"

#include <algorithm>

#include "tests/support/TestSupport.h"

namespace quarntest {

namespace {
void captureLine(const std::string& line, void* context) { static_cast<std::vector<std::string>*>(context)->push_back(line); }
}  // namespace

QuarnLogCapture::QuarnLogCapture() { QuarnSetLogSink(captureLine, &lines_); }
QuarnLogCapture::~QuarnLogCapture() { QuarnSetLogSink(nullptr, nullptr); }

std::vector<std::string> QuarnLogCapture::messages() const {
  std::vector<std::string> out;
  for (const auto& line : lines_) out.push_back(testsupport::stripLogPrefix(line));
  return out;
}

bool QuarnLogCapture::contains(const std::string& text) const {
  return std::any_of(lines_.begin(), lines_.end(), [&](const std::string& l) { return l.find(text) != std::string::npos; });
}

int QuarnLogCapture::count(const std::string& message) const {
  const auto all = messages();
  return static_cast<int>(std::count(all.begin(), all.end(), message));
}

}  // namespace quarntest
