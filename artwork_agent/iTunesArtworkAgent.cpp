#include "iTunesArtworkAgent.h"

#include "MusicApplication.h"
#include "ScriptController.h"
#include "platform/foundation/FileURL.h"
#include "platform/foundation/Log.h"
#include "platform/process/Processes.h"
#include "platform/script/ScriptErrors.h"

bool iTunesArtworkAgent::iTunesIsRunning() const {
  return platform::isProcessRunning(MusicApplication::fromUserDefaults().processName);
}

namespace {
bool gVerbose = false;
}  // namespace

void iTunesArtworkAgent::setVerboseLogging(bool verbose) { gVerbose = verbose; }

bool iTunesArtworkAgent::launchITunes() const {
  if (iTunesIsRunning()) return true;
  MusicApplication app = MusicApplication::fromUserDefaults();
  bool launched = platform::launchApplicationHidden(app.path, app.processName);
  if (!launched && gVerbose)
    platform::log("iTunesArtworkAgent: couldn't launch the music application '%s' (process name '%s'); the user "
                  "defaults \"%s\" and \"%s\" of %s name it",
                  app.path.c_str(), app.processName.c_str(), kMusicApplicationPathKey,
                  kMusicApplicationProcessNameKey, kCoverfetchDefaultsDomain);
  return launched;
}

std::optional<platform::PlistData> iTunesArtworkAgent::artwork(ScriptController& controller,
                                                               const std::optional<std::string>& parameter,
                                                               const char* scriptName) const {
  if (parameter) {
    auto result = controller.runWithParameters(ScriptParameterList{platform::PlistValue(*parameter)});
    if (result) {
      const std::string& bytes = result->data();
      if (bytes.empty()) return std::nullopt;
      return platform::PlistData(bytes.begin(), bytes.end());
    }
  }
  if (controller.errorInfo())
    platform::log("%s script returned error %s", scriptName, platform::describeErrorInfo(*controller.errorInfo()).c_str());
  return std::nullopt;
}

static bool isPlaceholderTerm(const std::optional<std::string>& term) {
  return term && (*term == "No selection" || *term == "No artwork");
}

std::optional<platform::PlistData> iTunesArtworkAgent::iTunesArtworkForSearchTerm(
    const std::optional<std::string>& searchTerm, const std::string& scriptPath) const {
  ScriptController controller = ScriptController::initWithScriptFile(scriptPath);
  if (!launchITunes()) return std::nullopt;
  if (isPlaceholderTerm(searchTerm)) return std::nullopt;
  return artwork(controller, searchTerm, "GetArtwork");
}

std::optional<platform::PlistData> iTunesArtworkAgent::iTunesArtworkForPID(
    const std::optional<std::string>& persistentID) const {
  ScriptController controller = ScriptController::initWithScriptResourceNamed("GetArtwork");
  if (!launchITunes()) return std::nullopt;
  if (isPlaceholderTerm(persistentID)) return std::nullopt;
  return artwork(controller, persistentID, "GetArtwork");
}

std::optional<platform::PlistData> iTunesArtworkAgent::iTunesArtworkForFile(
    const std::optional<std::string>& filePath) const {
  ScriptController controller = ScriptController::initWithScriptResourceNamed("GetArtworkByLocation");
  if (!launchITunes()) return std::nullopt;
  if (filePath && filePath->empty()) return std::nullopt;
  std::optional<std::string> location;
  if (filePath) location = platform::addingPercentEscapes(platform::fileURLString(*filePath));
  return artwork(controller, location, "GetArtworkByLocation");
}
