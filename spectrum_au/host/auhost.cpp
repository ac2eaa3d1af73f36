// auhost: loads an audio-unit plug-in, plays a WAV file through it slice by slice, prints the
// spectrum property after every K slices and checks that the audio came through unchanged.
//
//   auhost PLUGIN.so AUDIO.wav [--slice N] [--every K]
//
// A plug-in named without a folder that is not in the current folder is looked up where the
// suite installs its plug-ins (../lib/mediatools from this program).
//
// Exit status: 0 when the audio came through bit-exact, 1 when it did not or rendering failed,
// 2 for a usage error, 3 when the file or the plug-in cannot be used.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/InstallLayout.h"
#include "spectrum_au/host/SpectrumAnalyserUnit.h"
#include "spectrum_au/host/WavReader.h"

namespace {

bool parseCount(const char* text, unsigned long& value) {
  char* end = nullptr;
  const unsigned long parsed = std::strtoul(text, &end, 10);
  if (!*text || *end || text[0] == '-' || parsed == 0 || parsed > (1ul << 20)) return false;
  value = parsed;
  return true;
}

const char* const kUsage =
    "usage: %s PLUGIN.so AUDIO.wav [--slice N] [--every K]\n"
    "Plays a WAV file through a spectrum analyser plug-in slice by slice, prints its 16 band values\n"
    "(0 to 1, low to high) on one line after every K slices, and checks that the audio came through\n"
    "unchanged.\n"
    "  PLUGIN.so    the plug-in: a path, or the name of an installed one (OrrinthAU.so for auhost,\n"
    "               fftanalyser.so for auhost32)\n"
    "  AUDIO.wav    16/24/32-bit integer or 32-bit float PCM, one or more channels\n"
    "  --slice N    frames per render call (default 512)\n"
    "  --every K    read the spectrum after every K slices (default 1)\n"
    "  --help       this text; --version: the version\n"
    "Exit status: 0 the audio came through bit-exact, 1 it did not or rendering failed, 2 usage\n"
    "error, 3 the file or the plug-in cannot be used.\n";

const char* gProgramName = "auhost";

int usage() {
  std::fprintf(stderr, kUsage, gProgramName);
  return 2;
}

// A name without a folder: the current folder's file of that name, else the installed plug-in.
std::string pluginPathFor(const std::string& argument) {
  if (argument.find('/') != std::string::npos) return argument;
  if (FILE* here = std::fopen(argument.c_str(), "rb")) {
    std::fclose(here);
    return "./" + argument;
  }
  if (auto installed = platform::findModule(argument)) return *installed;
  return argument;
}

// The spectrum's values on one line.
void printSpectrum(const SpectrumAnalyserUnit::Spectrum& spectrum) {
  std::string line;
  for (size_t i = 0; i < spectrum.size(); ++i) {
    char text[32];
    std::snprintf(text, sizeof text, i ? " %.6f" : "%.6f", double(spectrum[i]));
    line += text;
  }
  std::printf("%s\n", line.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 0 && std::strstr(argv[0], "auhost32")) gProgramName = "auhost32";
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0) {
      std::printf(kUsage, gProgramName);
      return 0;
    }
    if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("%s %s (mediatools %s)\n", gProgramName, platform::suiteVersion(), platform::suiteVersion());
      return 0;
    }
  }
  if (argc < 3) return usage();
  const std::string pluginPath = pluginPathFor(argv[1]);
  const std::string audioPath = argv[2];
  unsigned long slice = 512, every = 1;
  for (int i = 3; i < argc; ++i) {
    if (i + 1 >= argc) return usage();
    if (std::strcmp(argv[i], "--slice") == 0) {
      if (!parseCount(argv[++i], slice)) return usage();
    } else if (std::strcmp(argv[i], "--every") == 0) {
      if (!parseCount(argv[++i], every)) return usage();
    } else {
      return usage();
    }
  }

  WavAudio audio;
  std::string error;
  if (!readWav(audioPath, audio, error)) {
    std::fprintf(stderr, "auhost: %s\n", error.c_str());
    return 3;
  }

  auto unit = SpectrumAnalyserUnit::open(pluginPath, audio.sampleRate, audio.channels, unsigned(slice), error);
  if (!unit) {
    std::fprintf(stderr, "auhost: %s\n", error.c_str());
    return 3;
  }

  // Output goes to buffers of our own, filled with a pattern no audio file holds.
  const size_t frames = audio.frameCount();
  std::vector<std::vector<float>> output(audio.channels, std::vector<float>(frames, std::numeric_limits<float>::quiet_NaN()));
  std::vector<const float*> in(audio.channels);
  std::vector<float*> out(audio.channels);
  SpectrumAnalyserUnit::Spectrum spectrum{};

  unsigned long slices = 0;
  for (size_t position = 0; position < frames; position += slice) {
    const unsigned count = unsigned(frames - position < slice ? frames - position : slice);
    for (unsigned c = 0; c < audio.channels; ++c) {
      in[c] = audio.samples[c].data() + position;
      out[c] = output[c].data() + position;
    }
    if (!unit->render(in.data(), count, error, out.data(), double(position))) {
      std::fprintf(stderr, "auhost: %s\n", error.c_str());
      return 1;
    }
    if (++slices % every == 0) {
      if (!unit->readSpectrum(spectrum, error)) {
        std::fprintf(stderr, "auhost: %s\n", error.c_str());
        return 1;
      }
      printSpectrum(spectrum);
    }
  }
  unit.reset();
  std::fflush(stdout);

  for (unsigned c = 0; c < audio.channels; ++c) {
    if (std::memcmp(output[c].data(), audio.samples[c].data(), frames * sizeof(float)) != 0) {
      size_t f = 0;
      while (f < frames && std::memcmp(&output[c][f], &audio.samples[c][f], sizeof(float)) == 0) ++f;
      std::fprintf(stderr, "auhost: the audio did not come through unchanged (channel %u, frame %zu)\n", unsigned(c), f);
      return 1;
    }
  }
  return 0;
}
