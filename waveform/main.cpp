// Ripplecast "/full/path/to/file": scans the audio file and stores its waveform path in the
// per-user resource store. Always exits with status 0; success shows as the stored entry.
#include <cstdio>

#include "resource_store/XACResourceManager.h"
#include "waveform/XAudioAnalyser.h"

int main(int argc, char** argv) {
  auto analyser = XAudioAnalyser::init();
  XACResourceManager store("Karvane", std::string("Waveforms"), "acwaveform");

  if (argc < 2) {
    std::printf("Ripplecast: Version %i.%2d.%2d\n", 1, 1, 2);
    std::printf("Error: No source-file path supplied. \nUsage: \"/full/path/to/file\"\n");
    return 0;
  }
  std::string source = argv[1];
  auto path = analyser->waveformForFileAtPath(source, platform::Size{100, 100}, 2000);
  if (path) store.setResource(path, source);
  return 0;
}
