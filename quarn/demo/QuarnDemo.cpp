// quarn-demo: the demo scene in a window (I: inspector, space: suspend, double click: full
// screen, Esc: quit), or rendered off-screen with --frames N --png OUT.png.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <quarn/Quarn.h>

#include "QuarnDemoScene.h"

namespace {

void usage(FILE* out) {
  std::fprintf(out,
               "usage: quarn-demo [--size WxH] [--particles N]                  window (I inspector, space suspend,\n"
               "                                                                double click full screen, Esc quit)\n"
               "       quarn-demo --frames N --png OUT.png [--size WxH] [--particles N]   off-screen, last frame to PNG\n"
               "  --size WxH      view size in pixels (default 800x600)\n"
               "  --particles N   number of particle systems of 500 particles (default 1)\n"
               "  --seconds S     window mode: quit after S seconds\n"
               "  --help          this text; --version: the version\n"
               "Exit status: 0 done, 1 no OpenGL context or window, or the PNG cannot be written, 2 usage\n"
               "error.\n");
}

class DemoView : public QuarnView {
 public:
  void keyDown(const QuarnEvent& event) override {
    QuarnView::keyDown(event);
    if (event.characters == "i" || event.characters == "I") toggleInspector();
    else if (event.characters == " ") setSuspended(!suspended());
    else if (event.characters == "\x1b" || event.characters == "q") stopMainLoop();
  }
};

bool parseInt(const char* text, int& out) {
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (!text[0] || *end || value <= 0 || value > 100000) return false;
  out = static_cast<int>(value);
  return true;
}

bool parseSize(const char* text, QuarnSize& out) {
  int w = 0, h = 0;
  char extra = 0;
  if (std::sscanf(text, "%dx%d%c", &w, &h, &extra) != 2 || w < 16 || h < 16 || w > 8192 || h > 8192) return false;
  out = {static_cast<float>(w), static_cast<float>(h)};
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  int frames = 0;
  std::string png;
  QuarnSize size{800, 600};
  QuarnDemoOptions options;
  double seconds = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    if (arg == "--help" || arg == "-h") {
      usage(stdout);
      return 0;
    } else if (arg == "--version") {
      std::printf("quarn-demo %s (mediatools %s)\n", QUARN_DEMO_VERSION, MT_SUITE_VERSION);
      return 0;
    } else if (arg == "--frames" && value && parseInt(value, frames)) {
      ++i;
    } else if (arg == "--png" && value && *value) {
      png = value;
      ++i;
    } else if (arg == "--size" && value && parseSize(value, size)) {
      ++i;
    } else if (arg == "--particles" && value && parseInt(value, options.particleSystems) &&
               options.particleSystems <= 100) {
      ++i;
    } else if (arg == "--seconds" && value && (seconds = std::atof(value)) > 0) {
      ++i;
    } else {
      std::fprintf(stderr, "quarn-demo: bad argument '%s'%s\n", arg.c_str(), value ? "" : " (value missing?)");
      usage(stderr);
      return 2;
    }
  }
  if ((frames > 0) != !png.empty()) {
    std::fprintf(stderr, "quarn-demo: --frames and --png go together\n");
    usage(stderr);
    return 2;
  }

  if (!png.empty()) {
    auto view = QuarnView::offscreenViewWithSize(size);
    if (!view) {
      std::fprintf(stderr, "quarn-demo: no off-screen OpenGL context\n");
      return 1;
    }
    QuarnDemoScene scene = buildQuarnDemoScene(*view, options);
    for (int i = 0; i < frames; ++i) view->render();
    if (!view->readPixels().writePNGToFile(png)) {
      std::fprintf(stderr, "quarn-demo: cannot write '%s'\n", png.c_str());
      return 1;
    }
    std::printf("quarn-demo: %d frames of %.0fx%.0f, last one in %s\n", frames, size.width, size.height, png.c_str());
    return 0;
  }

  auto view = QuarnView::viewWithFrame<DemoView>({{100, 100}, size});
  if (!view) {
    std::fprintf(stderr, "quarn-demo: no window (is DISPLAY set?); try --frames N --png OUT.png\n");
    return 1;
  }
  view->setTitle("Quarn demo");
  QuarnDemoScene scene = buildQuarnDemoScene(*view, options);
  if (seconds > 0) QuarnView::runMainLoopFor(seconds);
  else QuarnView::runMainLoop();
  return 0;
}
