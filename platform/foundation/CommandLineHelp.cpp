#include "platform/foundation/CommandLineHelp.h"

#include <cstdio>

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

}  // namespace platform
