#include "MusicApplication.h"

#include "platform/foundation/UserDefaults.h"
#include "platform/script/Script.h"

MusicApplication MusicApplication::fromUserDefaults() {
  platform::UserDefaults defaults(kCoverfetchDefaultsDomain);
  MusicApplication app;
  if (auto name = defaults.stringForKey(kMusicApplicationProcessNameKey); name && !name->empty()) app.processName = *name;
  if (auto path = defaults.stringForKey(kMusicApplicationPathKey); path && !path->empty()) app.path = *path;
  return app;
}

uint64_t scriptInstructionLimitFromUserDefaults() {
  platform::UserDefaults defaults(kCoverfetchDefaultsDomain);
  int64_t limit = defaults.integerForKey(kScriptInstructionLimitKey);
  return limit > 0 ? static_cast<uint64_t>(limit) : platform::Script::kStandardInstructionLimit;
}

void applyScriptLimitsFromUserDefaults() {
  platform::UserDefaults defaults(kCoverfetchDefaultsDomain);
  platform::Script::setDefaultInstructionLimit(scriptInstructionLimitFromUserDefaults());
  double seconds = defaults.doubleForKey(kScriptTimeLimitKey);
  platform::Script::setDefaultTimeLimit(seconds > 0 ? seconds : platform::Script::kStandardTimeLimit);
  double processor = defaults.doubleForKey(kScriptProcessorTimeLimitKey);
  platform::Script::setDefaultProcessorTimeLimit(processor > 0 ? processor
                                                               : platform::Script::kStandardProcessorTimeLimit);
}
