#include "platform/graphics/Image.h"

#include <cstring>

namespace platform {

bool Image::sizeIsAcceptable(int64_t width, int64_t height) {
  return width > 0 && height > 0 && width <= kMaxDimension && height <= kMaxDimension &&
         width * height <= kMaxPixels;
}

Image::Image(int width, int height, RGBA8 fillPixel, bool hasAlpha) : hasAlpha_(hasAlpha) {
  if (!sizeIsAcceptable(width, height)) return;
  width_ = width;
  height_ = height;
  data_.resize(size_t(width) * size_t(height) * 4);
  fill(fillPixel);
}

Image Image::adoptingPixels(int width, int height, std::vector<uint8_t>&& pixels, bool hasAlpha) {
  Image image;
  image.hasAlpha_ = hasAlpha;
  if (!sizeIsAcceptable(width, height) || pixels.size() != size_t(width) * size_t(height) * 4) return image;
  image.width_ = width;
  image.height_ = height;
  image.data_ = std::move(pixels);
  return image;
}

RGBA8 Image::pixel(int x, int y) const {
  const uint8_t* p = row(y) + size_t(x) * 4;
  return {p[0], p[1], p[2], p[3]};
}

void Image::setPixel(int x, int y, RGBA8 p) {
  uint8_t* d = row(y) + size_t(x) * 4;
  d[0] = p.r;
  d[1] = p.g;
  d[2] = p.b;
  d[3] = p.a;
}

void Image::fill(RGBA8 p) {
  for (size_t i = 0; i < data_.size(); i += 4) {
    data_[i] = p.r;
    data_[i + 1] = p.g;
    data_[i + 2] = p.b;
    data_[i + 3] = p.a;
  }
}

}  // namespace platform
