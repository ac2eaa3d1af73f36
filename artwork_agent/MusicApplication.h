#pragma once
// The music application the artwork scripts talk to, from the tool's user defaults
// (${XDG_CONFIG_HOME:-~/.config}/Coverfetch/defaults.plist):
//   "kMusicApplicationProcessName"  its process name as /proc/PID/comm shows it (default "rhythmbox")
//   "kMusicApplicationPath"         the program launched when it isn't running (default "/usr/bin/rhythmbox")
//   "kScriptInstructionLimit"       instruction budget of one script run (default 200000000)
//   "kScriptTimeLimit"              seconds one script run may take (default 15)
//   "kScriptProcessorTimeLimit"     seconds of processor time one script run may use (default 5)
#include <cstdint>
#include <string>

inline constexpr const char* kCoverfetchDefaultsDomain = "Coverfetch";
inline constexpr const char* kMusicApplicationProcessNameKey = "kMusicApplicationProcessName";
inline constexpr const char* kMusicApplicationPathKey = "kMusicApplicationPath";
inline constexpr const char* kScriptInstructionLimitKey = "kScriptInstructionLimit";
inline constexpr const char* kScriptTimeLimitKey = "kScriptTimeLimit";
inline constexpr const char* kScriptProcessorTimeLimitKey = "kScriptProcessorTimeLimit";

struct MusicApplication {
  std::string processName = "rhythmbox";
  std::string path = "/usr/bin/rhythmbox";

  // Empty or mistyped values fall back to the defaults above.
  static MusicApplication fromUserDefaults();
};

// The instruction budget from the user defaults; values below 1 fall back to the standard budget.
uint64_t scriptInstructionLimitFromUserDefaults();
// Makes the limits in the user defaults those of every script run from now on; values that are
// missing, not positive or not numbers leave the standard limits.
void applyScriptLimitsFromUserDefaults();
