// waveform-picture SOURCE OUT.png: draws the waveform that Ripplecast stored for SOURCE, read back
// from the resource store as a host reads it, into a PNG: the path's 100 x 100 box stretched over
// the picture, y up, on a dark ground with the centre line.
//
// Exit status: 0 written, 2 usage error, 3 nothing usable is stored for SOURCE, 4 the PNG cannot
// be written.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/foundation/CommandLineHelp.h"
#include "platform/foundation/InstallLayout.h"
#include "platform/graphics/BezierPath.h"
#include "platform/graphics/GraphicsContext.h"
#include "resource_store/XACResourceManager.h"

namespace {

constexpr int kMaxSide = 8192;
constexpr double kBox = 100;  // the stored path's coordinate box

const char* const kUsage =
    "usage: waveform-picture SOURCE OUT.png [--width W] [--height H]\n"
    "Draws the waveform Ripplecast stored for the audio file SOURCE (the same full path it was\n"
    "given) into a PNG: time left to right, the signed amplitude up and down from the centre line.\n"
    "  --width W    picture width in pixels, 1 to 8192 (default 600)\n"
    "  --height H   picture height in pixels, 1 to 8192 (default 160)\n"
    "  --help       this text; --version: the version\n"
    "Exit status: 0 written, 2 usage error, 3 no waveform stored for SOURCE, 4 the PNG cannot be\n"
    "written.\n";

int usage(const std::string& message = {}) { return platform::usageError("waveform-picture", kUsage, message); }

// The stored path with its points stretched from the 100 x 100 box over width x height.
platform::BezierPath stretched(const platform::BezierPath& stored, double width, double height) {
  platform::BezierPath path;
  for (const platform::PathElement& element : stored.elements()) {
    auto at = [&](int i) { return platform::Point{element.points[i].x * width / kBox, element.points[i].y * height / kBox}; };
    switch (element.type) {
      case platform::PathElementType::MoveTo: path.moveToPoint(at(0)); break;
      case platform::PathElementType::LineTo: path.lineToPoint(at(0)); break;
      case platform::PathElementType::CurveTo: path.curveToPoint(at(2), at(0), at(1)); break;
      case platform::PathElementType::ClosePath: path.closePath(); break;
    }
  }
  return path;
}

}  // namespace

int main(int argc, char** argv) {
  const auto arguments = platform::argumentsAfterProgramName(argc, argv);
  std::string source, output;
  int width = 600, height = 160;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& a = arguments[i];
    if (a == "--help") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (a == "--version") {
      std::fputs(platform::versionText("waveform-picture", platform::suiteVersion()).c_str(), stdout);
      return 0;
    }
    if (a == "--width" || a == "--height") {
      const auto side = i + 1 < arguments.size() ? platform::wholeNumber(arguments[++i], 1, kMaxSide) : std::nullopt;
      if (!side) return usage(a + " takes a whole number from 1 to 8192");
      (a == "--width" ? width : height) = int(*side);
    } else if (a.size() > 1 && a[0] == '-') {
      return usage("unknown option " + a);
    } else if (source.empty()) {
      source = a;
    } else if (output.empty()) {
      output = a;
    } else {
      return usage("too many arguments");
    }
  }
  if (source.empty() || output.empty()) return usage();

  // The store Ripplecast files its waveforms in.
  XACResourceManager store("Karvane", std::string("Waveforms"), "acwaveform");
  auto stored = std::dynamic_pointer_cast<platform::BezierPath>(store.resourceForSourceFile(source));
  if (!stored || stored->isEmpty()) {
    std::fprintf(stderr, "waveform-picture: no waveform stored for '%s' (run Ripplecast on it first)\n", source.c_str());
    return 3;
  }

  platform::ImageSurface surface(width, height);
  platform::GraphicsContext context(surface);  // origin bottom-left, y up, as the path's box
  context.setFillColor(platform::Color::calibratedRGB(0.07, 0.08, 0.10));
  context.fillRect(platform::makeRect(0, 0, width, height));

  platform::BezierPath centre;
  centre.moveToPoint({0, height / 2.0});
  centre.lineToPoint({double(width), height / 2.0});
  centre.setLineWidth(1);
  context.setStrokeColor(platform::Color::calibratedWhite(1, 0.25));
  context.strokePath(centre);

  platform::BezierPath wave = stretched(*stored, width, height);
  wave.setLineWidth(1.25);
  wave.setLineJoinStyle(platform::LineJoinStyle::Round);
  context.setStrokeColor(platform::Color::calibratedRGB(0.35, 0.85, 0.80));
  context.strokePath(wave);

  if (!surface.writePNG(output)) {
    std::fprintf(stderr, "waveform-picture: cannot write '%s'\n", output.c_str());
    return 4;
  }
  return 0;
}
