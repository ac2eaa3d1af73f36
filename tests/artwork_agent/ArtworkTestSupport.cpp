#include "ArtworkTestSupport.h"

#include "artwork_agent/MusicApplication.h"
#include "platform/foundation/UserDefaults.h"

namespace cftest {

void writeScript(const std::string& path, const std::string& source) { testsupport::writeFile(path, source); }

void setMusicApplication(const std::string& processName, const std::string& path) {
  platform::UserDefaults defaults(kCoverfetchDefaultsDomain);
  defaults.setObject(kMusicApplicationProcessNameKey, processName);
  defaults.setObject(kMusicApplicationPathKey, path);
  defaults.synchronize();
}

void setDefault(const std::string& key, long long value) {
  platform::UserDefaults defaults(kCoverfetchDefaultsDomain);
  defaults.setObject(key, platform::PlistValue(static_cast<int64_t>(value)));
  defaults.synchronize();
}

}  // namespace cftest
