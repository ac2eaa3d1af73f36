// Colour at a position in the three blending modes, and the HSV conversions they use.
#include <cmath>
#include <limits>

#include "drawing/XGradient.h"
#include "platform/graphics/HSV.h"

namespace drawing {

void rgbToHsv(float red, float green, float blue, float& hue, float& saturation, float& value) {
  platform::rgbToHsv(red, green, blue, hue, saturation, value);
}

void hsvToRgb(float hue, float saturation, float value, float& red, float& green, float& blue) {
  // Degrees, wrapped at 359 so that a hue of 360 comes back as 1.
  platform::hsvToRgb(std::fmod(hue, 359.0f) / 60, saturation, value, red, green, blue);
}

namespace {

enum class Pick { First, Second, Between };

// Steps 1-3 shared by all modes: the stops around p and which of them (or a mix) applies.
// Returns false for an empty list.
bool bracket(const std::vector<XGradientElement>& stops, float p, const XGradientElement*& a,
             const XGradientElement*& b, Pick& pick, float& t) {
  if (stops.empty()) return false;
  size_t i = 0;
  while (i + 1 < stops.size() && stops[i + 1].position < p) ++i;
  a = &stops[i];
  b = i + 1 < stops.size() ? &stops[i + 1] : a;
  t = 0;
  if (a->position >= p) {
    pick = Pick::First;
  } else if (p >= b->position) {
    pick = Pick::Second;
  } else {
    pick = Pick::Between;
    t = (p - a->position) / (b->position - a->position);
  }
  return true;
}

void white(float rgba[4]) { rgba[0] = rgba[1] = rgba[2] = rgba[3] = 1; }

}  // namespace

void XGradient::linearEvaluation(float position, float rgba[4]) const {
  const XGradientElement *a, *b;
  Pick pick;
  float t;
  if (!bracket(elements_, position, a, b, pick, t)) return white(rgba);
  const float from[4] = {a->red, a->green, a->blue, a->alpha};
  const float to[4] = {b->red, b->green, b->blue, b->alpha};
  for (int k = 0; k < 4; ++k) {
    switch (pick) {
      case Pick::First: rgba[k] = from[k]; break;
      case Pick::Second: rgba[k] = to[k]; break;
      case Pick::Between: rgba[k] = from[k] + (to[k] - from[k]) * t; break;
    }
  }
}

void XGradient::chromaticEvaluation(float position, float rgba[4]) const { hueEvaluation(position, rgba, false); }
void XGradient::inverseChromaticEvaluation(float position, float rgba[4]) const { hueEvaluation(position, rgba, true); }

void XGradient::hueEvaluation(float position, float rgba[4], bool inverse) const {
  const XGradientElement *a, *b;
  Pick pick;
  float t;
  if (!bracket(elements_, position, a, b, pick, t)) return white(rgba);
  float from[4], to[4];  // hue, saturation, value, alpha
  rgbToHsv(a->red, a->green, a->blue, from[0], from[1], from[2]);
  rgbToHsv(b->red, b->green, b->blue, to[0], to[1], to[2]);
  from[3] = a->alpha;
  to[3] = b->alpha;
  const bool fromDefined = !std::isnan(from[0]), toDefined = !std::isnan(to[0]);
  if (fromDefined && !toDefined) {
    to[0] = from[0];
  } else if (toDefined && !fromDefined) {
    from[0] = to[0];
  } else if (!fromDefined && !toDefined) {
    from[0] = to[0] = 0;
  } else if (!inverse && from[0] > to[0]) {
    to[0] += 360;
  } else if (inverse && to[0] > from[0]) {
    from[0] += 360;
  }
  float hsva[4];
  for (int k = 0; k < 4; ++k) {
    switch (pick) {
      case Pick::First: hsva[k] = from[k]; break;
      case Pick::Second: hsva[k] = to[k]; break;
      case Pick::Between: hsva[k] = from[k] + (to[k] - from[k]) * t; break;
    }
  }
  hsvToRgb(hsva[0], hsva[1], hsva[2], rgba[0], rgba[1], rgba[2]);
  rgba[3] = hsva[3];
}

}  // namespace drawing
