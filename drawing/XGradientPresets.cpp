// Named ramps: the plumo looks, imitations of the platform's control surfaces, two spectra.
#include <map>

#include "drawing/XGradient.h"

namespace drawing {
namespace {

// n/255 as the float nearest to the quotient.
constexpr float c255(int n) { return float(n / 255.0); }

struct Stop {
  float position, red, green, blue, alpha;
};

std::shared_ptr<XGradient> make(std::initializer_list<Stop> stops, int mode = XGradient::Linear) {
  auto g = XGradient::gradient();
  for (const Stop& s : stops) g->addElement({s.red, s.green, s.blue, s.alpha, s.position});
  g->setBlendingMode(mode);
  return g;
}

Stop grey(float position, float g, float alpha = 1) { return {position, g, g, g, alpha}; }

}  // namespace

std::shared_ptr<XGradient> XGradient::plumoScrollBarThumbGradient() {
  return make({{0, c255(184), c255(190), 0.8f, 1},
               {0.3f, 0.6f, c255(166), c255(191), 1},
               {0.6f, c255(107), c255(122), 0.6f, 1},
               {1, c255(77), c255(94), c255(128), 1}});
}

std::shared_ptr<XGradient> XGradient::plumoLevelMetersGradient() {
  return make({{0, 1, c255(1), c255(1), 0.5f},
               {0.125f, c255(155), c255(155), c255(1), 0.5f},
               {0.5f, c255(1), c255(155), c255(1), 0.5f},
               {0.875f, c255(155), c255(155), c255(1), 0.5f},
               {1, 1, c255(1), c255(1), 0.5f}});
}

std::shared_ptr<XGradient> XGradient::plumoSereneBlueGradient() {
  return make({{0, c255(69), c255(76), c255(88), 1},
               {0.5f, c255(97), c255(107), c255(124), 1},
               {1, c255(124), c255(134), c255(151), 1}});
}

std::shared_ptr<XGradient> XGradient::plumoBrevinTealGradient() {
  return make({{0, c255(37), c255(65), c255(87), 1}, {1, c255(10), c255(16), c255(26), 1}});
}

std::shared_ptr<XGradient> XGradient::plumoTableViewHeaderGradient() {
  return make({grey(0, 0.95f), grey(0.4999f, 0.84f), grey(1, 0.71f)});
}

std::shared_ptr<XGradient> XGradient::plumoFlatBlackPlasticGradient() {
  return make({grey(0, 0.46f), grey(0.4999f, 0.35f), grey(0.5001f, 0.34f), grey(1, 0.29f)});
}

std::shared_ptr<XGradient> XGradient::plumoFlatBlackPlasticGradientReversi() {
  return make({grey(0, 0.29f), grey(0.4999f, 0.27f), grey(0.5001f, 0.26f), grey(1, 0.24f)});
}

std::shared_ptr<XGradient> XGradient::plumoHUDRecessedAreaGradient() {
  return make({grey(0, 0.01f), grey(0.1f, 0.1f), grey(0.45f, 0.16f), grey(0.65f, 0.2f), grey(0.9f, 0.1f),
               grey(1, 0.01f)});
}

std::shared_ptr<XGradient> XGradient::plumoHUDRecessedAreaGradientII() {
  return make({grey(0, 0.01f), grey(0.15f, 0.1f), grey(0.45f, 0.12f), grey(0.65f, 0.13f), grey(0.85f, 0.1f),
               grey(1, 0.01f)});
}

std::shared_ptr<XGradient> XGradient::plumoHUDButtonGradient() {
  return make({grey(0, 0.36f), grey(0.4999f, 0.27f), grey(0.5001f, 0.2f), grey(1, 0.22f)});
}

std::shared_ptr<XGradient> XGradient::plumoHUDButtonTabGradient() {
  // Inserted from the end back to the start; the list orders them by position.
  return make({grey(1, 0.22f), grey(0.5001f, 0.2f), grey(0.4999f, 0.17f), grey(0, 0.12f)});
}

std::shared_ptr<XGradient> XGradient::plumoBlackPlasticGradient() {
  return make({grey(0, c255(99)), grey(0.4999f, c255(36)), grey(0.5001f, c255(7)), grey(1, c255(38))});
}

std::shared_ptr<XGradient> XGradient::plumoBlackPlasticGradientII() {
  return make({grey(0, 0.36f), grey(0.4999f, 0.27f), grey(0.5001f, 0.2f), grey(1, 0.22f)});
}

std::shared_ptr<XGradient> XGradient::plumoBlackPlasticGradientWithAlpha(float alpha, float position) {
  const float before = float(double(position) - 0.0001), after = float(double(position) + 0.0001);
  return make({grey(0, 0.19f, alpha), grey(before, 0.14f, alpha), grey(position, 0.12f, alpha),
               grey(after, 0.09f, alpha), grey(1, 0.06f, alpha)});
}

std::shared_ptr<XGradient> XGradient::aquaSelectedGradient() {
  return make({{0, 0.58f, 0.86f, 0.98f, 1},
               {0.5f, 0.42f, 0.68f, 0.9f, 1},
               {0.5f, 0.64f, 0.8f, 0.94f, 1},
               {1, 0.56f, 0.7f, 0.9f, 1}});
}

std::shared_ptr<XGradient> XGradient::aquaNormalGradient() {
  return make({grey(0, 0.95f), grey(0.5f, 0.83f), grey(0.5f, 0.95f), grey(1, 0.92f)});
}

std::shared_ptr<XGradient> XGradient::aquaPressedGradient() {
  return make({grey(0, 0.8f), grey(0.5f, 0.64f), grey(0.5f, 0.8f), grey(1, 0.77f)});
}

std::shared_ptr<XGradient> XGradient::unifiedSelectedGradient() { return make({grey(0, 0.85f), grey(1, 0.95f)}); }
std::shared_ptr<XGradient> XGradient::unifiedNormalGradient() { return make({grey(0, 0.75f), grey(1, 0.9f)}); }
std::shared_ptr<XGradient> XGradient::unifiedPressedGradient() { return make({grey(0, 0.6f), grey(1, 0.75f)}); }
std::shared_ptr<XGradient> XGradient::unifiedDarkGradient() { return make({grey(0, 0.68f), grey(1, 0.83f)}); }

std::shared_ptr<XGradient> XGradient::sourceListSelectedGradient() {
  return make({{0, 0.06f, 0.37f, 0.85f, 1}, {1, 0.3f, 0.6f, 0.92f, 1}});
}

std::shared_ptr<XGradient> XGradient::sourceListUnselectedGradient() {
  return make({grey(0, 0.43f), grey(1, 0.6f)});
}

std::shared_ptr<XGradient> XGradient::rainbowGradient() {
  return make({{0, 1, 0, 0, 1}, {1, 0.54f, 0, 1, 1}}, Chromatic);
}

std::shared_ptr<XGradient> XGradient::hydrogenSpectrumGradient() {
  struct Line {
    float hue, position, width;
  };
  static constexpr Line lines[] = {{22, 0.145f, 0.01f}, {200, 0.71f, 0.008f}, {253, 0.885f, 0.005f}, {275, 0.965f, 0.003f}};
  auto g = gradient();
  const auto add = [&](float hue, float value, float position) {
    XGradientElement e;
    hsvToRgb(hue, 1, value, e.red, e.green, e.blue);
    e.alpha = 1;
    e.position = position;
    g->addElement(e);
  };
  for (const Line& line : lines) {
    add(line.hue - line.width * 180, 0.001f, line.position - line.width);
    add(line.hue, 1, line.position);
    add(line.hue + line.width * 180, 0.001f, line.position + line.width);
  }
  g->setBlendingMode(Chromatic);
  return g;
}

const std::vector<std::string>& XGradient::presetNames() {
  static const std::vector<std::string> names = {
      "plumoScrollBarThumbGradient", "plumoLevelMetersGradient", "plumoSereneBlueGradient",
      "plumoBrevinTealGradient", "plumoTableViewHeaderGradient", "plumoFlatBlackPlasticGradient",
      "plumoFlatBlackPlasticGradientReversi", "plumoHUDRecessedAreaGradient", "plumoHUDRecessedAreaGradientII",
      "plumoHUDButtonGradient", "plumoHUDButtonTabGradient", "plumoBlackPlasticGradient",
      "plumoBlackPlasticGradientII", "aquaSelectedGradient", "aquaNormalGradient", "aquaPressedGradient",
      "unifiedSelectedGradient", "unifiedNormalGradient", "unifiedPressedGradient", "unifiedDarkGradient",
      "sourceListSelectedGradient", "sourceListUnselectedGradient", "rainbowGradient", "hydrogenSpectrumGradient"};
  return names;
}

std::shared_ptr<XGradient> XGradient::presetNamed(const std::string& name) {
  using Maker = std::shared_ptr<XGradient> (*)();
  static const std::map<std::string, Maker> makers = {
      {"plumoScrollBarThumbGradient", plumoScrollBarThumbGradient},
      {"plumoLevelMetersGradient", plumoLevelMetersGradient},
      {"plumoSereneBlueGradient", plumoSereneBlueGradient},
      {"plumoBrevinTealGradient", plumoBrevinTealGradient},
      {"plumoTableViewHeaderGradient", plumoTableViewHeaderGradient},
      {"plumoFlatBlackPlasticGradient", plumoFlatBlackPlasticGradient},
      {"plumoFlatBlackPlasticGradientReversi", plumoFlatBlackPlasticGradientReversi},
      {"plumoHUDRecessedAreaGradient", plumoHUDRecessedAreaGradient},
      {"plumoHUDRecessedAreaGradientII", plumoHUDRecessedAreaGradientII},
      {"plumoHUDButtonGradient", plumoHUDButtonGradient},
      {"plumoHUDButtonTabGradient", plumoHUDButtonTabGradient},
      {"plumoBlackPlasticGradient", plumoBlackPlasticGradient},
      {"plumoBlackPlasticGradientII", plumoBlackPlasticGradientII},
      {"aquaSelectedGradient", aquaSelectedGradient},
      {"aquaNormalGradient", aquaNormalGradient},
      {"aquaPressedGradient", aquaPressedGradient},
      {"unifiedSelectedGradient", unifiedSelectedGradient},
      {"unifiedNormalGradient", unifiedNormalGradient},
      {"unifiedPressedGradient", unifiedPressedGradient},
      {"unifiedDarkGradient", unifiedDarkGradient},
      {"sourceListSelectedGradient", sourceListSelectedGradient},
      {"sourceListUnselectedGradient", sourceListUnselectedGradient},
      {"rainbowGradient", rainbowGradient},
      {"hydrogenSpectrumGradient", hydrogenSpectrumGradient}};
  auto it = makers.find(name);
  return it == makers.end() ? nullptr : it->second();
}

}  // namespace drawing
