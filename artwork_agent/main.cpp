// Coverfetch searchTerm scriptPath destFilePath [verbose]
// Asks the lookup script for the artwork of a track and writes {searchTerm, imageData} as an XML
// property list to destFilePath. The exit status is always 0; the results file is the outcome.
#include <cstdio>
#include <exception>
#include <string>

#include "MusicApplication.h"
#include "iTunesArtworkAgent.h"
#include "platform/foundation/CommandLineHelp.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/PropertyList.h"

namespace {

constexpr int kMajorVersion = 0, kMinorVersion = 1, kBugFixVersion = 0;

const char* const kUsage =
    "usage: Coverfetch SEARCHTERM SCRIPT RESULTS.plist [verbose]\n"
    "Makes sure the music application runs, runs the Lua lookup SCRIPT (or the source text in\n"
    "SCRIPT.txt when there is no file at SCRIPT) with SEARCHTERM and writes \"searchTerm\" and, when\n"
    "artwork was found, \"imageData\" (the script's answer, unchanged) as an XML property list.\n"
    "  SEARCHTERM     handed to the script's open function\n"
    "  SCRIPT         a Lua 5.4 chunk, source or precompiled; an example is installed in\n"
    "                 share/doc/mediatools/examples/FindEmbeddedArtwork.lua\n"
    "  RESULTS.plist  the property list to write, atomically\n"
    "  verbose        any fourth argument prints the version and logs progress\n"
    "The music application and the scripts' limits are user defaults in\n"
    "${XDG_CONFIG_HOME:-~/.config}/Coverfetch/defaults.plist.\n"
    "Exit status: 0 in every case; the results file is the outcome. See Coverfetch(1).\n";

// Arguments are taken as UTF-8; invalid sequences become U+FFFD so the property list stays valid.
std::string validUTF8(const std::string& s) {
  std::string out;
  size_t i = 0;
  while (i < s.size()) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    bool ok = len > 0 && i + len <= s.size();
    uint32_t cp = len == 1 ? c : len == 2 ? c & 0x1f : len == 3 ? c & 0x0f : c & 0x07;
    for (size_t k = 1; ok && k < len; ++k) {
      unsigned char cc = static_cast<unsigned char>(s[i + k]);
      if ((cc & 0xc0) != 0x80) ok = false;
      cp = (cp << 6) | (cc & 0x3f);
    }
    // No overlong forms, surrogates or values past U+10FFFF.
    if (ok && ((len == 2 && cp < 0x80) || (len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000) ||
               (cp >= 0xd800 && cp <= 0xdfff) || cp > 0x10ffff))
      ok = false;
    if (ok) {
      out.append(s, i, len);
      i += len;
    } else {
      out += "\xEF\xBF\xBD";
      ++i;
    }
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string version =
      std::to_string(kMajorVersion) + "." + std::to_string(kMinorVersion) + "." + std::to_string(kBugFixVersion);
  if (platform::answeredHelpOrVersion(platform::argumentsAfterProgramName(argc, argv), kUsage, "Coverfetch", version))
    return 0;
  if (argc < 4) {
    platform::log("Error: Must Pass in a searchTerm, scriptPath & destFilePath");
    return 0;
  }
  std::string searchTerm = validUTF8(argv[1]);
  std::string scriptPath = argv[2];
  std::string destFilePath = argv[3];
  bool verbose = argc > 4;

  if (verbose) {
    std::printf("Coverfetch %i.%i.%i\n", kMajorVersion, kMinorVersion, kBugFixVersion);
    std::fflush(stdout);
  }

  platform::PlistDictionary results;
  results.set("searchTerm", searchTerm);
  if (verbose) platform::log("Will ask iTunes for artwork for track with searchTerm: '%s'...", searchTerm.c_str());

  std::optional<platform::PlistData> imageData;
  try {
    applyScriptLimitsFromUserDefaults();
    iTunesArtworkAgent::setVerboseLogging(verbose);
    imageData = iTunesArtworkAgent().iTunesArtworkForSearchTerm(searchTerm, scriptPath);
  } catch (const std::exception& e) {
    platform::log("Coverfetch: Error: %s", e.what());
  }

  if (imageData) {
    results.set("imageData", std::move(*imageData));
  } else if (verbose) {
    platform::log("No track image data found...");
  }
  bool written = platform::plist::writeFile(platform::PlistValue(std::move(results)), destFilePath);
  if (verbose) platform::log("%s data to file '%s'...", written ? "Wrote" : "Failed to write", destFilePath.c_str());
  return 0;
}
