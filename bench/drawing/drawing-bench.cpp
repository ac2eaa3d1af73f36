// Times 1000 x 1000 gradient fills: our sampled shadings (axial at 0 and 30 degrees, radial)
// against Cairo's own gradient patterns given the same ramp as 256 colour stops, and counts the
// evaluation calls per fill.
#include <cairo.h>

#include <chrono>
#include <cstdio>
#include <functional>

#include "drawing/XGradient.h"
#include "platform/graphics/GraphicsContext.h"

using drawing::XGradient;
using platform::makeRect;

namespace {

double millisecondsPer(int runs, const std::function<void()>& work) {
  work();  // warm up
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < runs; ++i) work();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count() / runs;
}

void addStops(cairo_pattern_t* pattern, const XGradient& g) {
  for (int i = 0; i <= 255; ++i) {
    const platform::Color c = g.colorAtPosition(float(i / 255.0));
    cairo_pattern_add_color_stop_rgba(pattern, i / 255.0, c.redComponent(), c.greenComponent(), c.blueComponent(),
                                      c.alphaComponent());
  }
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
  const int size = 1000;
  platform::ImageSurface surface(size, size);
  platform::GraphicsContext context(surface);
  platform::GraphicsContext::CurrentScope scope(context);
  auto gradient = XGradient::rainbowGradient();
  const auto rect = makeRect(0, 0, size, size);

  size_t evaluations = 0;
  const double axial = millisecondsPer(runs, [&] { gradient->fillRect(rect, 0); });
  evaluations = context.lastShadingEvaluations();
  const double angled = millisecondsPer(runs, [&] { gradient->fillRect(rect, 30); });
  const double radial = millisecondsPer(runs, [&] { gradient->radialFillRect(rect); });
  const size_t radialEvaluations = context.lastShadingEvaluations();

  cairo_t* cr = context.handle();
  cairo_pattern_t* linear = cairo_pattern_create_linear(0, 0, size, 0);
  addStops(linear, *gradient);
  const double cairoLinear = millisecondsPer(runs, [&] {
    cairo_set_source(cr, linear);
    cairo_paint(cr);
  });
  cairo_pattern_t* circle = cairo_pattern_create_radial(size / 2.0, size / 2.0, 0, size / 2.0, size / 2.0, size / 2.0);
  cairo_pattern_set_extend(circle, CAIRO_EXTEND_PAD);
  addStops(circle, *gradient);
  const double cairoRadial = millisecondsPer(runs, [&] {
    cairo_set_source(cr, circle);
    cairo_paint(cr);
  });
  cairo_pattern_destroy(linear);
  cairo_pattern_destroy(circle);

  std::printf("%d x %d fills, mean of %d runs\n", size, size, runs);
  std::printf("  axial 0 deg     %7.2f ms  (%zu evaluations for %d pixels)\n", axial, evaluations, size * size);
  std::printf("  axial 30 deg    %7.2f ms\n", angled);
  std::printf("  radial          %7.2f ms  (%zu evaluations)\n", radial, radialEvaluations);
  std::printf("  cairo linear    %7.2f ms  (256 stops)  ours / cairo = %.2f\n", cairoLinear, axial / cairoLinear);
  std::printf("  cairo radial    %7.2f ms  (256 stops)  ours / cairo = %.2f\n", cairoRadial, radial / cairoRadial);
  return 0;
}
