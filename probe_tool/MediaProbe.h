#pragma once
// The probe tool: opens a media file and writes its properties as an XML property list.
#include <string>
#include <vector>

namespace mediaprobe {

constexpr int kMajorVersion = 1;
constexpr int kMinorVersion = 10;
constexpr int kPatchVersion = 6;

enum ExitStatus {
  kResultsWritten = 0,
  kWriteFailed = 1,
  kCreateFailed = 2,
  kCantInit = 3,
  kTooFewArguments = 4,
};

// Runs the tool on the arguments after the program name; returns the exit status.
int run(const std::vector<std::string>& arguments);

}  // namespace mediaprobe
