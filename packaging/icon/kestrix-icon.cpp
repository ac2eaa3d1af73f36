// kestrix-icon SIZE OUT.png: Kestrix's application icon at SIZE x SIZE pixels, drawn with the
// drawing kit: a black plastic tile, a blue screen, a play triangle and the volume slider's
// dot knob on its bar, the look of the previewer's control panel.
#include <cstdio>
#include <cstdlib>

#include "drawing/BezierPathXMHExtensions.h"
#include "drawing/XGradient.h"
#include "platform/graphics/BezierPath.h"
#include "platform/graphics/GraphicsContext.h"

using drawing::XGradient;
using platform::makeRect;

int main(int argc, char** argv) {
  const long size = argc == 3 ? std::strtol(argv[1], nullptr, 10) : 0;
  if (size < 16 || size > 1024) {
    std::fprintf(stderr, "usage: kestrix-icon SIZE OUT.png (SIZE 16 to 1024)\n");
    return 2;
  }
  const double s = double(size);
  platform::ImageSurface surface{static_cast<int>(size), static_cast<int>(size)};
  platform::GraphicsContext context(surface);  // origin bottom-left, y up
  platform::GraphicsContext::CurrentScope scope(context);

  // The tile, with a margin of 1/16 and corners of 1/5.
  const double margin = s / 16, radius = s / 5;
  auto tile = drawing::XMHExtensions::roundedPathForRect(makeRect(margin, margin, s - 2 * margin, s - 2 * margin),
                                                         float(radius), float(radius));
  XGradient::plumoBlackPlasticGradient()->fillBezierPath(*tile, 90);

  // The screen.
  const double inset = s * 0.17;
  const platform::Rect screenRect = makeRect(inset, s * 0.33, s - 2 * inset, s * 0.47);
  auto screen = drawing::XMHExtensions::roundedPathForRect(screenRect, float(s / 24), float(s / 24));
  XGradient::plumoSereneBlueGradient()->fillBezierPath(*screen, 90);

  // The play triangle in the middle of the screen.
  const double cx = screenRect.origin.x + screenRect.size.width / 2, cy = screenRect.origin.y + screenRect.size.height / 2;
  const double h = screenRect.size.height * 0.55;
  platform::BezierPath play;
  play.moveToPoint({cx - h * 0.38, cy - h / 2});
  play.lineToPoint({cx + h * 0.5, cy});
  play.lineToPoint({cx - h * 0.38, cy + h / 2});
  play.closePath();
  context.setFillColor(platform::Color::calibratedWhite(1, 0.92));
  context.fillPath(play);

  // The slider: a bar and its dot knob.
  const double barY = s * 0.215, barLeft = inset, barRight = s - inset;
  auto bar = drawing::XMHExtensions::pillPathForRect(makeRect(barLeft, barY - s / 64, barRight - barLeft, s / 32), false);
  context.setFillColor(platform::Color::calibratedWhite(0.55));
  context.fillPath(*bar);
  const double knob = s / 9;
  const double kx = barLeft + (barRight - barLeft) * 0.62;
  auto knobPath = drawing::XMHExtensions::pillPathForRect(makeRect(kx - knob / 2, barY - knob / 2, knob, knob), false);
  XGradient::aquaNormalGradient()->fillBezierPath(*knobPath, 90);

  if (!surface.writePNG(argv[2])) {
    std::fprintf(stderr, "kestrix-icon: cannot write '%s'\n", argv[2]);
    return 1;
  }
  return 0;
}
