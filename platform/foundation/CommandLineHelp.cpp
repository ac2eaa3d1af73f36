#include "platform/foundation/CommandLineHelp.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "platform/foundation/InstallLayout.h"

namespace platform {

std::vector<std::string> argumentsAfterProgramName(int argc, char** argv) {
  if (argc < 2 || !argv) return {};
  return std::vector<std::string>(argv + 1, argv + argc);
}

std::string versionText(std::string_view programName, std::string_view programVersion) {
  std::string text(programName);
  text += ' ';
  text += programVersion;
  text += " (mediatools ";
  text += suiteVersion();
  text += ")\n";
  return text;
}

bool answeredHelpOrVersion(const std::vector<std::string>& arguments, std::string_view usage,
                           std::string_view programName, std::string_view programVersion) {
  if (arguments.size() != 1) return false;
  std::string text;
  if (arguments[0] == "--help")
    text = usage;
  else if (arguments[0] == "--version")
    text = versionText(programName, programVersion);
  else
    return false;
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
  return true;
}

int usageError(std::string_view programName, std::string_view usage, const std::string& message) {
  if (!message.empty()) std::fprintf(stderr, "%.*s: %s\n", int(programName.size()), programName.data(), message.c_str());
  std::fwrite(usage.data(), 1, usage.size(), stderr);
  return 2;
}

std::optional<long> wholeNumber(const std::string& text, long min, long max) {
  if (text.empty() || !std::isdigit(static_cast<unsigned char>(text[0]))) return std::nullopt;
  errno = 0;
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (*end || errno == ERANGE || value < min || value > max) return std::nullopt;
  return value;
}

}  // namespace platform
