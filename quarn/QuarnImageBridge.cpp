#include "quarn/QuarnImageBridge.h"

#include <cstring>

QuarnImage quarnImageFromPlatform(const platform::Image& image) {
  QuarnImage out(image.width(), image.height(), image.hasAlpha());
  if (!out.empty()) std::memcpy(out.pixels().data(), image.data(), out.pixels().size());
  return out;
}

platform::Image platformImageFromQuarn(const QuarnImage& image) {
  // adoptingPixels gives an empty image when the buffer does not match the size.
  std::vector<std::uint8_t> pixels = image.pixels();
  return platform::Image::adoptingPixels(image.width(), image.height(), std::move(pixels), image.hasAlpha());
}
