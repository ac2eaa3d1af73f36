#pragma once
// Hue, saturation and value (brightness) to and from red, green and blue: the one conversion the
// colour, gradient and scene code share. Saturation, value and the channels run 0..1. Each caller
// keeps its own precision (float or double) and its own way of naming a hue; here a hue is given
// in sixths of the colour circle (0 red, 2 green, 4 blue), whole turns wrapping either way.
#include <cmath>
#include <limits>

namespace platform {

template <typename T>
void hsvToRgb(T sixths, T saturation, T value, T& red, T& green, T& blue) {
  if (!std::isfinite(sixths)) sixths = 0;  // no hue: red, as hue 0
  const T whole = std::floor(sixths);
  int sector = static_cast<int>(std::fmod(whole, T(6)));
  if (sector < 0) sector += 6;
  const T f = sixths - whole;  // within the sector, 0..1
  const T p = value * (1 - saturation);
  const T q = value * (1 - saturation * f);
  const T t = value * (1 - saturation * (1 - f));
  switch (sector) {
    case 0: red = value, green = t, blue = p; break;
    case 1: red = q, green = value, blue = p; break;
    case 2: red = p, green = value, blue = t; break;
    case 3: red = p, green = q, blue = value; break;
    case 4: red = t, green = p, blue = value; break;
    default: red = value, green = p, blue = q; break;
  }
}

// The hue in degrees (0 up to 360); NaN for greys, which have none.
template <typename T>
void rgbToHsv(T red, T green, T blue, T& hueDegrees, T& saturation, T& value) {
  const T max = std::fmax(red, std::fmax(green, blue));
  const T min = std::fmin(red, std::fmin(green, blue));
  if (max == min) {
    hueDegrees = std::numeric_limits<T>::quiet_NaN();
  } else {
    const T d = max - min;
    if (max == red) {
      hueDegrees = (green - blue) * 60 / d;
      if (green < blue) hueDegrees += 360;
    } else if (max == green) {
      hueDegrees = (blue - red) * 60 / d + 120;
    } else {
      hueDegrees = (red - green) * 60 / d + 240;
    }
  }
  saturation = max == 0 ? 0 : 1 - min / max;
  value = max;
}

}  // namespace platform
