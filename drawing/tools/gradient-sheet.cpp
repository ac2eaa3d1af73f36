// gradient-sheet OUT.png: every gradient preset as a 512 x 8 row (fillRect:angle: at 0), top
// down in table order, then, after 8 black rows, each bezier shape constructor stroked in white.
#include <cstdio>
#include <functional>
#include <utility>
#include <vector>

#include "drawing/BezierPathXMHExtensions.h"
#include "drawing/XGradient.h"
#include "platform/foundation/CommandLineHelp.h"
#include "platform/foundation/InstallLayout.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/BezierPathGeometry.h"
#include "platform/graphics/GraphicsContext.h"

using drawing::XGradient;
namespace shapes = drawing::XMHExtensions;
using platform::makeRect;

namespace {

constexpr int kWidth = 512, kRow = 8, kShapesHeight = 72;

const char* const kUsage =
    "usage: gradient-sheet OUT.png\n"
    "Renders every gradient preset of the drawing kit as a 512 x 8 row, top down, then each control\n"
    "shape stroked in white, into a PNG to look at.\n"
    "  --help     this text; --version: the version\n"
    "Exit status: 0 written, 1 usage error or the PNG cannot be written.\n";

std::vector<std::shared_ptr<XGradient>> presetsInTableOrder() {
  return {XGradient::plumoScrollBarThumbGradient(), XGradient::plumoLevelMetersGradient(),
          XGradient::plumoSereneBlueGradient(), XGradient::plumoBrevinTealGradient(),
          XGradient::plumoTableViewHeaderGradient(), XGradient::plumoFlatBlackPlasticGradient(),
          XGradient::plumoFlatBlackPlasticGradientReversi(), XGradient::plumoHUDRecessedAreaGradient(),
          XGradient::plumoHUDRecessedAreaGradientII(), XGradient::plumoHUDButtonGradient(),
          XGradient::plumoHUDButtonTabGradient(), XGradient::plumoBlackPlasticGradient(),
          XGradient::plumoBlackPlasticGradientII(), XGradient::plumoBlackPlasticGradientWithAlpha(0.88f, 21.0f / 58.0f),
          XGradient::aquaSelectedGradient(), XGradient::aquaNormalGradient(), XGradient::aquaPressedGradient(),
          XGradient::unifiedSelectedGradient(), XGradient::unifiedNormalGradient(),
          XGradient::unifiedPressedGradient(), XGradient::unifiedDarkGradient(),
          XGradient::sourceListSelectedGradient(), XGradient::sourceListUnselectedGradient(),
          XGradient::rainbowGradient(), XGradient::hydrogenSpectrumGradient()};
}

}  // namespace

int main(int argc, char** argv) {
  if (platform::answeredHelpOrVersion(platform::argumentsAfterProgramName(argc, argv), kUsage, "gradient-sheet",
                                      platform::suiteVersion()))
    return 0;
  if (argc != 2 || (argv[1][0] == '-' && argv[1][1] != 0)) {
    std::fputs(kUsage, stderr);
    return 1;
  }
  const auto presets = presetsInTableOrder();
  const int gradientsHeight = int(presets.size()) * kRow;
  const int height = gradientsHeight + kRow + kShapesHeight;
  platform::ImageSurface surface(kWidth, height);
  platform::GraphicsContext context(surface);  // origin bottom-left, y up
  platform::GraphicsContext::CurrentScope scope(context);
  context.setFillColor(platform::Color::blackColor());
  context.fillRect(makeRect(0, 0, kWidth, height));

  for (size_t i = 0; i < presets.size(); ++i)
    presets[i]->fillRect(makeRect(0, height - double(i + 1) * kRow, kWidth, kRow), 0);

  // The shapes, one per cell of 512 / 6 points, in a band below the rows.
  const double band = kShapesHeight, cell = kWidth / 6.0, top = band - 8;
  context.setStrokeColor(platform::Color::whiteColor());
  context.setFillColor(platform::Color::calibratedWhite(0.35));
  auto knob = shapes::sliderKnobForRect(makeRect(cell * 0 + 30, 10, 22, top - 10), false, false);
  auto rounded = shapes::roundedPathForRect(makeRect(cell * 1 + 8, 12, cell - 16, top - 16), 9, 4);
  auto pill = shapes::pillPathForRect(makeRect(cell * 2 + 8, 24, cell - 16, 20), false);
  auto ring = shapes::cutoutPillPathForRect(makeRect(cell * 3 + 16, 24, cell - 32, 20), 6, 6, false);
  context.fillPath(*ring);  // even-odd: the inner pill stays black
  for (auto* path : {knob.get(), rounded.get(), pill.get(), ring.get()}) context.strokePath(*path);

  // The unit polygon and mesh, scaled up and drawn at their cells' centres.
  drawing::ContextOriginView view;
  const platform::AffineTransform enlarge = platform::AffineTransform::scaling(top / 2 - 4, top / 2 - 4);
  auto polygon = shapes::polygonWithSides(7);
  auto mesh = shapes::meshedPolygonWithSides(9);
  platform::transformPath(*polygon, enlarge);
  platform::transformPath(*mesh, enlarge);
  shapes::strokeAtPoint(*polygon, {cell * 4.5, band / 2}, &view);
  shapes::strokeAtPoint(*mesh, {cell * 5.5, band / 2}, &view);

  if (!surface.writePNG(argv[1])) {
    platform::log("gradient-sheet: Error: Couldn't write file at '%s'", argv[1]);
    return 1;
  }
  return 0;
}
