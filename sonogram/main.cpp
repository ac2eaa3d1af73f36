// sonogram: a picture of an audio file's spectrum over its whole length, made by playing the file
// through the spectrum analyser plug-in (OrrinthAU.so) and drawing the spectra with the
// sonograph plug-in (Sonograph.so); both are loaded from beside this program or from where the
// suite installs its plug-ins (../lib/mediatools).
//
// Exit status: 0 success, 2 usage error, 3 when the audio file or a plug-in cannot be used,
// 4 when the PNG cannot be written.
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/foundation/CommandLineHelp.h"
#include "platform/foundation/InstallLayout.h"
#include "platform/graphics/ImageCodec.h"
#include "sonogram/Sonogram.h"

namespace {

constexpr int kMaxSide = 8192;

const char* const kUsage =
    "usage: sonogram AUDIOFILE OUT.png [--width W] [--height H] [--gain G] [--color rgb|gray]\n"
    "  Draws the spectrum of the whole file, time left to right and 16 frequency bands bottom\n"
    "  to top, loudness as brightness and opacity, into a PNG.\n"
    "  --width W      image width in pixels, 1 to 8192 (default 512)\n"
    "  --height H     image height in pixels, 1 to 8192 (default 384)\n"
    "  --gain G       level multiplier, 0 or more (default 0.5)\n"
    "  --color C      rgb: hue by frequency (default); gray: white on transparent\n"
    "  --help         this text; --version: the version\n"
    "Exit status: 0 written, 2 usage error, 3 the audio file or a plug-in cannot be used, 4 the PNG\n"
    "cannot be written.\n";

int usage(const std::string& message = {}) { return platform::usageError("sonogram", kUsage, message); }

// The plug-in's installed path; its bare name (which then fails to load, saying so) if none.
std::string plugInPath(const std::string& fileName) { return platform::findModule(fileName).value_or(fileName); }

// "sonogram: NAME 42%" on a terminal, once a file has taken more than half a second.
class ProgressLine {
 public:
  explicit ProgressLine(std::string name) : name_(std::move(name)), terminal_(isatty(STDERR_FILENO)) {}
  ~ProgressLine() {
    if (shown_) std::fputc('\n', stderr);
  }
  void operator()(double fraction) {
    if (!terminal_) return;
    const int percent = int(fraction * 100);
    if (!shown_ && std::chrono::steady_clock::now() - start_ < std::chrono::milliseconds(500)) return;
    if (shown_ && percent == percent_) return;
    shown_ = true;
    percent_ = percent;
    std::fprintf(stderr, "\rsonogram: %s %3d%%", name_.c_str(), percent);
    std::fflush(stderr);
  }

 private:
  std::string name_;
  bool terminal_;
  bool shown_ = false;
  int percent_ = -1;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace

int main(int argc, char** argv) {
  std::string audioPath, outputPath;
  SonogramOptions options;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (a == "--version") {
      std::fputs(platform::versionText("sonogram", platform::suiteVersion()).c_str(), stdout);
      return 0;
    }
    const bool takesValue = a == "--width" || a == "--height" || a == "--gain" || a == "--color";
    if (takesValue && i + 1 >= argc) return usage(a + " takes a value");
    if (a == "--width" || a == "--height") {
      const auto side = platform::wholeNumber(argv[++i], 1, kMaxSide);
      if (!side) return usage(a + " takes a whole number from 1 to 8192");
      (a == "--width" ? options.width : options.height) = int(*side);
    } else if (a == "--gain") {
      char* end = nullptr;
      const std::string v = argv[++i];
      options.gain = std::strtod(v.c_str(), &end);
      if (v.empty() || *end || !std::isfinite(options.gain) || options.gain < 0)
        return usage("--gain takes a number, 0 or more");
    } else if (a == "--color") {
      const std::string v = argv[++i];
      if (v == "rgb")
        options.colorAlgorithm = 0;
      else if (v == "gray" || v == "grey")
        options.colorAlgorithm = 1;
      else
        return usage("--color takes rgb or gray");
    } else if (a.size() > 1 && a[0] == '-') {
      return usage("unknown option " + a);
    } else if (audioPath.empty()) {
      audioPath = a;
    } else if (outputPath.empty()) {
      outputPath = a;
    } else {
      return usage("too many arguments");
    }
  }
  if (audioPath.empty() || outputPath.empty()) return usage();

  std::string error;
  std::optional<SonogramAnalysis> analysis;
  {
    const size_t slash = audioPath.rfind('/');
    ProgressLine progress(slash == std::string::npos ? audioPath : audioPath.substr(slash + 1));
    analysis = analyseAudioFile(audioPath, plugInPath("OrrinthAU.so"), error, std::ref(progress));
  }
  if (!analysis) {
    std::fprintf(stderr, "sonogram: %s\n", error.c_str());
    return 3;
  }
  auto image = renderSonogram(analysis->columns, plugInPath("Sonograph.so"), options, error);
  if (!image) {
    std::fprintf(stderr, "sonogram: %s\n", error.c_str());
    return 3;
  }
  if (!platform::writePNGFile(*image, outputPath)) {
    std::fprintf(stderr, "sonogram: cannot write '%s'\n", outputPath.c_str());
    return 4;
  }
  return 0;
}
