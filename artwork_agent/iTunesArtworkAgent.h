#pragma once
// Artwork queries against the music application: each makes sure the application runs, then
// asks a lookup script for the image bytes of one track.
#include <optional>
#include <string>

#include "platform/foundation/PropertyList.h"

class ScriptController;

class iTunesArtworkAgent {
 public:
  // A process of the music application (MusicApplication.h) runs.
  bool iTunesIsRunning() const;
  // True when it runs, or was launched hidden and is running now. A launch that fails is silent
  // unless verbose logging is on; then the application that could not be started is logged.
  bool launchITunes() const;
  // Process-wide, off at start.
  static void setVerboseLogging(bool verbose);

  // The lookup script at scriptPath (or its source at scriptPath + ".txt") with [searchTerm].
  std::optional<platform::PlistData> iTunesArtworkForSearchTerm(const std::optional<std::string>& searchTerm,
                                                                 const std::string& scriptPath) const;
  // The resource script "GetArtwork" with [persistent track ID].
  std::optional<platform::PlistData> iTunesArtworkForPID(const std::optional<std::string>& persistentID) const;
  // The resource script "GetArtworkByLocation" with [file URL of the path, percent-escaped again].
  std::optional<platform::PlistData> iTunesArtworkForFile(const std::optional<std::string>& filePath) const;

 private:
  std::optional<platform::PlistData> artwork(ScriptController& controller, const std::optional<std::string>& parameter,
                                             const char* scriptName) const;
};
