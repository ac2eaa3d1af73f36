#pragma once
// --help and --version for the programs. Programs that read their arguments by position answer
// them only as the one argument: hosts pass full paths, so a lone "--help" is never a media path.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The arguments after the program name.
std::vector<std::string> argumentsAfterProgramName(int argc, char** argv);

// "NAME VERSION (mediatools SUITE)" and a line end.
std::string versionText(std::string_view programName, std::string_view programVersion);

// When `arguments` (those after the program name) are exactly "--help" or "--version", prints
// `usage` or the version text to standard output and returns true: the program exits with 0.
bool answeredHelpOrVersion(const std::vector<std::string>& arguments, std::string_view usage,
                           std::string_view programName, std::string_view programVersion);

// Prints "PROGRAM: MESSAGE" (when there is a message) and `usage` on standard error; returns 2, the
// programs' exit status for a usage error.
int usageError(std::string_view programName, std::string_view usage, const std::string& message = {});

// `text` as a whole decimal number from `min` to `max`; none for anything else (signs, spaces,
// trailing characters, out of range).
std::optional<long> wholeNumber(const std::string& text, long min, long max);

}  // namespace platform
