// Ripplecast "/full/path/to/file": scans the audio file and stores its waveform path in the
// per-user resource store. Always exits with status 0; success shows as the stored entry.
#include <cstdio>
#include <string>

#include "platform/foundation/CommandLineHelp.h"
#include "resource_store/XACResourceManager.h"
#include "waveform/XAudioAnalyser.h"

namespace {

constexpr int kMajorVersion = 1, kMinorVersion = 1, kBugFixVersion = 2;

const char* const kUsage =
    "usage: Ripplecast /full/path/to/audio\n"
    "Scans an audio file (or a movie's sound) into a normalised 2000-point waveform path in a\n"
    "100 x 100 box and stores it as a keyed archive under\n"
    "${XDG_DATA_HOME:-~/.local/share}/Karvane/Waveforms/, named after the source path, replacing\n"
    "any earlier one. Only the first argument is used.\n"
    "Exit status: 0 in every case; a stored entry is the sign of success. See Ripplecast(1).\n";

}  // namespace

int main(int argc, char** argv) {
  const std::string version = std::to_string(kMajorVersion) + "." + std::to_string(kMinorVersion) + "." +
                              std::to_string(kBugFixVersion);
  if (platform::answeredHelpOrVersion(platform::argumentsAfterProgramName(argc, argv), kUsage, "Ripplecast", version))
    return 0;
  auto analyser = XAudioAnalyser::init();
  XACResourceManager store("Karvane", std::string("Waveforms"), "acwaveform");

  if (argc < 2) {
    std::printf("Ripplecast: Version %i.%2d.%2d\n", kMajorVersion, kMinorVersion, kBugFixVersion);
    std::printf("Error: No source-file path supplied. \nUsage: \"/full/path/to/file\"\n");
    return 0;
  }
  std::string source = argv[1];
  auto path = analyser->waveformForFileAtPath(source, platform::Size{100, 100}, 2000);
  if (path) store.setResource(path, source);
  return 0;
}
