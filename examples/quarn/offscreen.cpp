// Renders a lit, fogged scene off-screen and writes it to a PNG; needs no display.
//   c++ -std=c++20 offscreen.cpp $(pkg-config --cflags --libs quarn) -o offscreen
//   ./offscreen frame.png
#include <cstdio>

#include <quarn/Quarn.h>

int main(int argc, char** argv) {
  const char* out = argc > 1 ? argv[1] : "quarn-offscreen.png";
  auto view = QuarnView::offscreenViewWithSize({320, 240});  // context, core, camera set-up
  if (!view) return 1;

  auto sphere = view->newModelWithGeometry(view->newGeometryWithType("sphere"),
                                           view->newShaderWithDiffuse(QuarnColor::colorWithCalibratedRed(1, 0.3f, 0.2f, 1)));
  sphere->setScale({12, 12, 12});
  view->camera()->setTarget(sphere->position());
  view->camera()->setClearColor(QuarnColor::colorWithCalibratedRed(0.1f, 0.1f, 0.3f, 1));

  view->render();
  QuarnImage frame = view->readPixels();
  // The sphere covers the middle of the frame; the corners show the clear colour.
  const std::uint32_t middle = frame.pixel(160, 120), corner = frame.pixel(2, 2);
  std::printf("middle %08x corner %08x\n", middle, corner);
  if (middle == corner || (middle >> 24) < 0x80) return 3;
  return frame.writePNGToFile(out) ? 0 : 2;
}
