#pragma once
// Error information of script loads and runs: a dictionary with a number, a message and a brief
// message, and the numbers this engine reports.
#include <cstdint>
#include <string>

#include "platform/foundation/PropertyList.h"

namespace platform {

inline constexpr const char* kScriptErrorNumberKey = "NSAppleScriptErrorNumber";
inline constexpr const char* kScriptErrorMessageKey = "NSAppleScriptErrorMessage";
inline constexpr const char* kScriptErrorBriefMessageKey = "NSAppleScriptErrorBriefMessage";

// Error numbers (the values the scripting platform uses for the same conditions):
enum ScriptErrorNumber : int32_t {
  kScriptCompileError = -2741,       // source or precompiled chunk does not load
  kScriptRuntimeError = -2700,       // error raised while running (error("...") and Lua faults)
  kScriptHandlerMissing = -1708,     // the script has no handler for the event (no global `open`)
  kScriptLimitExceeded = -1712,      // the run used up its instruction budget or a time limit
  kScriptOutOfMemory = -108,         // the run used up its memory budget
  kScriptProcessFailed = -609,       // the run's process died (a signal) or gave no answer
  kScriptFileUnreadable = -43,       // the script file exists but can't be read
};
// A script may raise error{number = N, message = "..."} to report its own number.

PlistDictionary makeScriptErrorInfo(int32_t number, const std::string& message, const std::string& briefMessage);

// One-line description in the platform's dictionary style, keys sorted:
// {NSAppleScriptErrorBriefMessage = "..."; NSAppleScriptErrorMessage = "..."; NSAppleScriptErrorNumber = -2700; }
std::string describeErrorInfo(const PlistDictionary& errorInfo);

}  // namespace platform
